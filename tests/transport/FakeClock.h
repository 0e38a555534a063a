// A transport clock that moves only when the test says so.
#pragma once

#include "net/transport/TransportClock.h"

#include <atomic>

class FakeClock : public TransportClock
{
public:
    qint64 monotonicMs() const override { return monotonic.load(); }
    qint64 wallMs() const override { return wall.load(); }

    void advanceSeconds(int seconds) { advanceMs(qint64(seconds) * 1000); }
    void advanceMs(qint64 ms)
    {
        monotonic += ms;
        wall += ms;
    }

    // Starts where the system clock stands, so a transport may switch over
    // to it after its construction.
    std::atomic<qint64> monotonic{TransportClock::system().monotonicMs()};
    std::atomic<qint64> wall{1700000000123};
};
