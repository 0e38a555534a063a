// The heartbeat's timing and its round trip.
#include "net/transport/Heartbeat.h"

#include <QtDebug>

void Heartbeat::beat(qint64 nowMs, int intervalMs)
{
    const qint64 elapsed = previousMs ? nowMs - previousMs : 0;
    if (elapsed != 0 && qAbs(elapsed - intervalMs) > jitterMs)
        qDebug("TovkaNetIo::sendPong: timeout was %d instead of %d", int(elapsed), intervalMs);
    previousMs = nowMs;
}

void Heartbeat::sent(const PingPayload& ping, qint64 nowMs)
{
    std::lock_guard<std::mutex> lock(mutex);
    last = ping;
    lastSentMs = nowMs;
}

qint64 Heartbeat::sentMs(const PingPayload& echoed) const
{
    std::lock_guard<std::mutex> lock(mutex);
    if (last.seconds != echoed.seconds || last.milliseconds != echoed.milliseconds)
        return -1;
    return lastSentMs;
}
