// Puts a test process on a host of its own: a fresh network namespace and a
// host name of its own, so transports of tests running side by side never
// hear each other, and veth or tap links the test adds stay its own.
// Header-only, so benchmarks can use it too.
#pragma once

#include <QProcess>
#include <QStringList>

#include <cstdio>
#include <sched.h>
#include <unistd.h>

namespace PrivateHost {

// Runs a command on this host; true when it exits with 0.
inline bool run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    std::fprintf(stderr, "%s %s failed: %s\n", qPrintable(program), qPrintable(arguments.join(' ')),
                 process.readAll().constData());
    return false;
}

inline bool setLinkUp(const QString& name, bool up)
{
    return run(QStringLiteral("ip"), {"link", "set", name, up ? "up" : "down"});
}

// Call first thing in main, before any thread starts. With loopbackUp false
// the host has no usable interface, so a transport opens no socket.
inline bool enter(const QString& hostName, bool loopbackUp = true)
{
    const QByteArray name = hostName.toLocal8Bit();
    if (::unshare(CLONE_NEWNET | CLONE_NEWUTS) != 0 || ::sethostname(name.constData(), size_t(name.size())) != 0) {
        std::perror("cannot enter a private host (root needed)");
        return false;
    }
    return !loopbackUp || setLinkUp(QStringLiteral("lo"), true);
}

} // namespace PrivateHost

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
