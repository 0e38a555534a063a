// The once-a-second checks' memory: when the own packets last came back over
// the external network and over the loopback, the version-check countdown
// after a socket opened, the rejoin interval and the runs of checks that found
// the receive or the send queue full. Plain logic on an injected clock: the transport asks whether a
// warning or a notice is due and raises it.
#pragma once

#include "net/transport/TransportClock.h"

#include <QtGlobal>

class AliveWatch
{
public:
    static constexpr int echoTimeoutSeconds = 25;
    static constexpr int versionCheckCount = 10;
    static constexpr int queueFullChecks = 20; // checks in a row before a notice
    static constexpr int rejoinIntervalSeconds = 180;

    explicit AliveWatch(const TransportClock& clock) : clock(clock) {}

    // A socket opened: the echo is timed afresh and versions are checked again.
    void socketOpened();
    void externalGone() { lastExternal = 0; }
    void heardExternal() { lastExternal = clock.seconds(); }
    void heardLoopback() { lastLoopback = clock.seconds(); }

    // True, once per loss, when the own packets came back only over the
    // loopback for more than 25 s, or not even there; both times start again.
    bool echoLost();
    // True when a version-checking countdown just ran out.
    bool versionCheckEnded();
    bool versionCheckRunning() const { return countdown > 0; }
    // True at most every 180 s.
    bool rejoinDue();
    // True after 20 checks in a row that found a datagram waiting on a socket.
    bool receiveQueueNoticeDue(bool datagramWaiting);
    // True after 20 checks in a row that found the send queue not empty.
    bool sendQueueNoticeDue(bool queueEmpty);

private:
    // Counts a check into the run; true, and the run starts again, at the 20th.
    static bool fullRunEnded(int* run, bool full);

    const TransportClock& clock;
    qint64 lastExternal = 0; // seconds, 0 = none
    qint64 lastLoopback = 0;
    qint64 lastRejoin = 0;
    int countdown = 0;
    int receiveQueueFull = 0;
    int sendQueueFull = 0;
};
