// A sports hall of test hosts: the test process joins a bridge in a
// namespace of its own, other hosts join it through veth pairs, and programs
// of the suite run on them as peer processes that report line by line.
// Everything is removed again when the hall goes or its test process ends,
// and a later run sweeps up after a run that died. Header-only, so
// benchmarks can use it too.
#pragma once

#include "tests/support/PrivateHost.h"

#include "net/wire/TovkaAddress.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QRegularExpression>

#include <memory>
#include <vector>

// One program of the suite on a test host; it ends when its input does.
class PeerProcess : public QProcess
{
public:
    ~PeerProcess() override
    {
        closeWriteChannel();
        if (state() != NotRunning && !waitForFinished(20000)) {
            kill();
            waitForFinished(5000);
        }
    }

    // What the peer reported so far.
    const QStringList& lines()
    {
        while (canReadLine())
            received.append(QString::fromUtf8(readLine()).chopped(1));
        return received;
    }

    QStringList linesStartingWith(const QString& prefix)
    {
        return lines().filter(QRegularExpression('^' + QRegularExpression::escape(prefix)));
    }

    // Waits, keeping the caller's event loop running, until `wanted` lines
    // starting with prefix have been reported.
    bool waitForCount(const QString& prefix, int wanted, int timeoutMs = 90000)
    {
        const QDeadlineTimer deadline(timeoutMs);
        while (linesStartingWith(prefix).size() < wanted) {
            if (deadline.hasExpired() || state() == NotRunning)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            waitForReadyRead(20);
        }
        return true;
    }

    bool waitForLine(const QString& prefix, int timeoutMs = 90000) { return waitForCount(prefix, 1, timeoutMs); }

private:
    QStringList received;
};

class TestHall
{
public:
    TestHall() : prefix(QStringLiteral("ruvo%1").arg(QCoreApplication::applicationPid())) {}
    ~TestHall() { close(); }

    static QString script() { return QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/hosts.sh"; }
    static QString peerProgram() { return QCoreApplication::applicationDirPath() + "/tovka_peer"; }

    // The hall with the test process joined at 10.77.0.1.
    bool open()
    {
        opened = true;
        return hosts({"hall", prefix}) && hosts({"join", prefix, "10.77.0.1"});
    }

    bool addHost(const QString& name, const QString& address) { return hosts({"host", prefix, name, address}); }

    // A host without a link to the hall, linked by a tap device of the test's making.
    bool addTapHost(const QString& name, const QString& device, const QString& address)
    {
        return hosts({"bare", prefix, name}) && hosts({"tap", prefix, name, device, address});
    }

    // Starts the suite's program at the address on host name.
    PeerProcess* startPeer(const QString& host, const TovkaAddress& address)
    {
        return start(host, {peerProgram(), QString::number(address.kind), QString::number(address.subKind),
                            QString::number(address.instance)});
    }

    PeerProcess* start(const QString& host, const QStringList& command)
    {
        auto peer = std::make_unique<PeerProcess>();
        peer->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        peer->start(script(), QStringList{"run", prefix, host} + command);
        if (!peer->waitForStarted(30000) || !peer->waitForLine(QStringLiteral("ready")))
            return nullptr;
        peers.push_back(std::move(peer));
        return peers.back().get();
    }

    void stopPeers() { peers.clear(); }

    void close()
    {
        peers.clear();
        if (opened)
            hosts({"down", prefix});
        opened = false;
    }

    const QString prefix;

private:
    static bool hosts(const QStringList& arguments) { return PrivateHost::run(script(), arguments); }

    bool opened = false;
    std::vector<std::unique_ptr<PeerProcess>> peers;
};
