// The heartbeat's bookkeeping: the time since the previous beat, so a late
// timer is logged, and the last beat written, so its echo over the network
// gives a round trip on the monotonic clock. Plain logic; the beats come
// from the heartbeat thread, the echoes on the GUI thread.
#pragma once

#include "net/wire/PingPayload.h"

#include <QtGlobal>

#include <mutex>

class Heartbeat
{
public:
    static constexpr qint64 jitterMs = 10;

    // A beat of the heartbeat timer at nowMs: logs one that came more than
    // 10 ms off the interval. Heartbeat thread only.
    void beat(qint64 nowMs, int intervalMs);
    // The beat's payload went out at nowMs.
    void sent(const PingPayload& ping, qint64 nowMs);
    // When the echoed beat went out, or -1 when it is not the last beat written.
    qint64 sentMs(const PingPayload& echoed) const;

private:
    qint64 previousMs = 0;

    mutable std::mutex mutex;
    PingPayload last;
    qint64 lastSentMs = 0;
};
