// A sports hall of test hosts: the test process joins a bridge in a
// namespace of its own, other hosts join it through veth pairs, and programs
// of the suite run on them as peer processes driven line by line. Everything
// is removed again when the hall goes, and a later run sweeps up after a run
// that died. Header-only, so benchmarks can use it too.
#pragma once

#include "PrivateHost.h"

#include "net/TovkaAddress.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QThread>

#include <memory>
#include <vector>

// One program of the suite on a test host.
class PeerProcess
{
public:
    explicit PeerProcess(const QString& name) : name(name) {}
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

    // Reads what the peer reported so far.
    const QStringList& lines()
    {
        collect();
        return received;
    }

    int count(const QString& prefix)
    {
        int n = 0;
        for (const QString& line : lines())
            n += line.startsWith(prefix) ? 1 : 0;
        return n;
    }

    // Waits, keeping the caller's event loop running, until a line starting
    // with prefix has been reported.
    bool waitForLine(const QString& prefix, int timeoutMs = 60000, QString* found = nullptr)
    {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            for (const QString& line : lines()) {
                if (line.startsWith(prefix)) {
                    if (found)
                        *found = line;
                    return true;
                }
            }
            if (deadline.hasExpired() || process.state() == QProcess::NotRunning)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            process.waitForReadyRead(20);
        }
    }

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

    // Ends the program without its shutdown packet, as a crash would.
    void kill()
    {
        process.kill();
        process.waitForFinished(10000);
    }

    const QString name;

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
    static QString peerProgram() { return QCoreApplication::applicationDirPath() + "/transport_peer"; }

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
        auto peer = std::make_unique<PeerProcess>(host);
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
    bool hosts(const QStringList& arguments) { return PrivateHost::run(script(), arguments); }

    bool opened = false;
    std::vector<std::unique_ptr<PeerProcess>> peers;
};
