// A sports hall of test hosts: the test process joins a bridge in a
// namespace of its own, other hosts join it through veth pairs, and programs
// of the suite run on them as peer processes driven line by line. Everything
// is removed again when the hall goes or its test process ends, and a later
// run sweeps up after a run that died. Header-only, so benchmarks can use it too.
#pragma once

#include "tests/support/PrivateHost.h"

#include "net/wire/TovkaAddress.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include <memory>
#include <vector>

// One program of the suite on a test host.
class PeerProcess
{
public:
    ~PeerProcess() { stop(); }

    bool start(const QString& script, const QStringList& arguments)
    {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(script, arguments);
        return process.waitForStarted(30000) && waitForLine(QStringLiteral("ready"));
    }

    void command(const QString& line)
    {
        process.write((line + '\n').toUtf8());
        process.waitForBytesWritten(5000);
    }

    // What the peer reported so far.
    const QStringList& lines()
    {
        collect();
        return received;
    }

    QStringList linesStartingWith(const QString& prefix)
    {
        QStringList found;
        for (const QString& line : lines())
            if (line.startsWith(prefix))
                found << line;
        return found;
    }

    int count(const QString& prefix) { return linesStartingWith(prefix).size(); }

    // Waits, keeping the caller's event loop running, until `wanted` lines
    // starting with prefix have been reported.
    bool waitForCount(const QString& prefix, int wanted, int timeoutMs = 90000)
    {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            if (count(prefix) >= wanted)
                return true;
            if (deadline.hasExpired() || process.state() == QProcess::NotRunning)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            process.waitForReadyRead(20);
        }
    }

    bool waitForLine(const QString& prefix, int timeoutMs = 90000) { return waitForCount(prefix, 1, timeoutMs); }

    bool stop()
    {
        if (process.state() == QProcess::NotRunning)
            return true;
        command(QStringLiteral("quit"));
        if (!process.waitForFinished(20000)) {
            process.kill();
            process.waitForFinished(5000);
            return false;
        }
        collect();
        return true;
    }

private:
    void collect()
    {
        buffer.append(process.readAllStandardOutput());
        int end;
        while ((end = buffer.indexOf('\n')) >= 0) {
            received.append(QString::fromUtf8(buffer.left(end)));
            buffer.remove(0, end + 1);
        }
    }

    QProcess process;
    QByteArray buffer;
    QStringList received;
};

class TestHall
{
public:
    TestHall() : prefix(QStringLiteral("ruvo%1").arg(QCoreApplication::applicationPid())) {}
    ~TestHall() { close(); }

    static QString script() { return QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/hosts.sh"; }
    static QString peerProgram() { return QCoreApplication::applicationDirPath() + "/tovka_peer"; }

    // The hall with the test process joined at ownAddress.
    bool open(const QString& ownAddress = QStringLiteral("10.77.0.1"))
    {
        opened = true;
        return hosts({"hall", prefix}) && hosts({"join", prefix, ownAddress});
    }

    bool addHost(const QString& name, const QString& address) { return hosts({"host", prefix, name, address}); }

    // A host without a link to the hall, for links of the test's own making.
    bool addBareHost(const QString& name)
    {
        opened = true;
        return hosts({"bare", prefix, name});
    }

    bool moveTap(const QString& host, const QString& device, const QString& address)
    {
        return hosts({"tap", prefix, host, device, address});
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
        if (!peer->start(script(), QStringList{"run", prefix, host} + command))
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
