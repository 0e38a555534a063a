// The system clocks behind the transport.
#include "net/transport/TransportClock.h"

#include <QDateTime>
#include <QElapsedTimer>

namespace {

class SystemClock : public TransportClock
{
public:
    qint64 monotonicMs() const override
    {
        QElapsedTimer timer;
        timer.start();
        // Counted from the system's start, so a running system never gives 0.
        return timer.msecsSinceReference() + 1000;
    }

    qint64 wallMs() const override { return QDateTime::currentMSecsSinceEpoch(); }
};

} // namespace

TransportClock& TransportClock::system()
{
    static SystemClock clock;
    return clock;
}
