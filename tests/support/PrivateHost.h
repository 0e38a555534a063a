// Puts a test process on a host of its own: a fresh network namespace and a
// host name of its own, so transports of tests running side by side never
// hear each other, and veth or tap links the test adds stay its own.
// Header-only, so benchmarks can use it too.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

class PrivateHost
{
public:
    // Call first thing in main, before any thread starts. With loopbackUp
    // false the host has no usable interface, so a transport opens no socket.
    static bool enter(const QString& hostName, bool loopbackUp = true);
    // Runs a command on this host; true when it exits with 0.
    static bool run(const QString& program, const QStringList& arguments);
    static bool setLinkUp(const QString& name, bool up);
};

inline bool PrivateHost::setLinkUp(const QString& name, bool up)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    ifreq request;
    std::memset(&request, 0, sizeof(request));
    std::strncpy(request.ifr_name, name.toLocal8Bit().constData(), IFNAMSIZ - 1);
    bool done = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    if (done) {
        if (up)
            request.ifr_flags |= IFF_UP;
        else
            request.ifr_flags &= ~IFF_UP;
        done = ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    }
    ::close(fd);
    return done;
}

inline bool PrivateHost::enter(const QString& hostName, bool loopbackUp)
{
    if (::unshare(CLONE_NEWNET | CLONE_NEWUTS) != 0) {
        std::fprintf(stderr, "cannot enter a private host (root needed): %s\n", std::strerror(errno));
        return false;
    }
    const QByteArray name = hostName.toLocal8Bit();
    if (::sethostname(name.constData(), size_t(name.size())) != 0) {
        std::fprintf(stderr, "cannot set the host name: %s\n", std::strerror(errno));
        return false;
    }
    return !loopbackUp || setLinkUp(QStringLiteral("lo"), true);
}

inline bool PrivateHost::run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return false;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "%s %s failed: %s\n", qPrintable(program), qPrintable(arguments.join(' ')),
                     process.readAll().constData());
        return false;
    }
    return true;
}

// A Qt Test main whose test object runs on a private host.
#define PRIVATE_HOST_TEST_MAIN(TestClass, hostName, loopbackUp)                                                    \
    int main(int argc, char** argv)                                                                                \
    {                                                                                                              \
        if (!PrivateHost::enter(QString::fromUtf8(hostName), loopbackUp))                                          \
            return 2;                                                                                              \
        QApplication app(argc, argv);                                                                              \
        TestClass test;                                                                                            \
        return QTest::qExec(&test, argc, argv);                                                                    \
    }
