// The POSIX side of a termination signal: the handler only writes the signal
// number into a socket pair; the GUI thread reads it and ends the event loop.
#include "planner/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The shell's convention for an exit caused by a signal.
constexpr int signalExitBase = 128;

int signalPipe[2] = {-1, -1};

void onSignal(int number)
{
    const unsigned char byte = static_cast<unsigned char>(number);
    const ssize_t written = ::write(signalPipe[0], &byte, 1);
    (void)written;
}

void exitOnSignalByte()
{
    unsigned char byte = 0;
    if (::read(signalPipe[1], &byte, 1) == 1)
        QCoreApplication::exit(signalExitBase + byte);
}

} // namespace

void exitEventLoopOnTerminationSignals()
{
    if (signalPipe[0] >= 0 ||
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, exitOnSignalByte);

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}
