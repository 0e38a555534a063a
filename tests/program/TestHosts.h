// The program tests' network: the test process on a private host of its own
// (fresh network and host-name namespaces), further hosts linked to it by veth
// pairs, and programs on those hosts driven and read line by line. Every
// namespace goes again when the hosts go, also when a test fails.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

// Call first thing in main, before any thread starts.
inline bool enterPrivateHost(const char* hostName)
{
    if (::unshare(CLONE_NEWNET | CLONE_NEWUTS) != 0) {
        std::fprintf(stderr, "cannot enter a private host (root needed): %s\n", std::strerror(errno));
        return false;
    }
    if (::sethostname(hostName, std::strlen(hostName)) != 0)
        return false;
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    ifreq request;
    std::memset(&request, 0, sizeof request);
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool up = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags |= IFF_UP;
    up = up && ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    ::close(fd);
    return up;
}

// A program on a test host, read line by line.
class HostProcess
{
public:
    ~HostProcess() { stop(); }

    bool start(const QString& program, const QStringList& arguments, const QString& readyPrefix)
    {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, arguments);
        return process.waitForStarted(30000) && (readyPrefix.isEmpty() || waitForLine(readyPrefix));
    }

    void command(const QString& line)
    {
        process.write((line + '\n').toUtf8());
        process.waitForBytesWritten(5000);
    }

    QStringList lines()
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

    // Waits, with the caller's event loop running, for a line that starts with prefix.
    bool waitForLine(const QString& prefix, int timeoutMs = 90000)
    {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            if (!linesStartingWith(prefix).isEmpty())
                return true;
            if (deadline.hasExpired() || process.state() == QProcess::NotRunning)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            process.waitForReadyRead(20);
        }
    }

    bool waitForCount(const QString& prefix, int count, int timeoutMs = 90000)
    {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            if (linesStartingWith(prefix).size() >= count)
                return true;
            if (deadline.hasExpired() || process.state() == QProcess::NotRunning)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            process.waitForReadyRead(20);
        }
    }

    void stop()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        command(QStringLiteral("quit"));
        if (!process.waitForFinished(20000)) {
            process.kill();
            process.waitForFinished(5000);
        }
        collect();
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

class TestHosts
{
public:
    TestHosts() : prefix(QStringLiteral("ruvoprog%1").arg(QCoreApplication::applicationPid())) {}
    ~TestHosts() { down(); }

    static QString script() { return QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/hosts.sh"; }
    static QString peerProgram() { return QCoreApplication::applicationDirPath() + "/tovka_peer"; }

    // Host n gets 10.78.n.2, the test process 10.78.n.1 on the link to it.
    bool add(const QString& name, int n)
    {
        hosts << name;
        return run({"add", prefix, name, QString("10.78.%1.1").arg(n), QString("10.78.%1.2").arg(n)});
    }

    // The headless peer at kind/subKind/instance on host name.
    HostProcess* startPeer(const QString& host, quint32 kind, quint32 subKind, quint32 instance)
    {
        auto peer = std::make_unique<HostProcess>();
        const QStringList arguments{"run", prefix, host, peerProgram(), QString::number(kind),
                                    QString::number(subKind), QString::number(instance)};
        if (!peer->start(script(), arguments, QStringLiteral("ready")))
            return nullptr;
        peers.push_back(std::move(peer));
        return peers.back().get();
    }

    void stopPeers() { peers.clear(); }

    void down()
    {
        peers.clear();
        if (!hosts.isEmpty())
            run({"down", prefix});
        hosts.clear();
    }

    const QString prefix;

private:
    static bool run(const QStringList& arguments)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(script(), arguments);
        return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    QStringList hosts;
    std::vector<std::unique_ptr<HostProcess>> peers;
};
