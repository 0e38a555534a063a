// The transport's clocks: a monotonic one for delays, round trips and the
// ages of peers, and the time of day that pings carry. Tests put in a clock
// of their own to drive the timer-driven rules without waiting.
#pragma once

#include <QtGlobal>

class TransportClock
{
public:
    virtual ~TransportClock() = default;

    // Milliseconds that only ever grow; never 0 on a running system.
    virtual qint64 monotonicMs() const = 0;
    // Milliseconds since 1970-01-01 00:00 UTC.
    virtual qint64 wallMs() const = 0;

    qint64 seconds() const { return monotonicMs() / 1000; }

    static TransportClock& system();
};
