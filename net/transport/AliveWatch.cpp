// The alive check's timing rules.
#include "net/transport/AliveWatch.h"

void AliveWatch::socketOpened()
{
    lastLoopback = 0;
    lastExternal = clock.seconds();
    countdown = versionCheckCount;
}

bool AliveWatch::echoLost()
{
    const qint64 now = clock.seconds();
    const bool onlyLoopback = lastExternal != 0 && lastLoopback - lastExternal > echoTimeoutSeconds;
    const bool loopbackSilent = lastLoopback != 0 && now - lastLoopback > echoTimeoutSeconds;
    if (!onlyLoopback && !loopbackSilent)
        return false;
    lastExternal = 0;
    lastLoopback = 0;
    return true;
}

bool AliveWatch::versionCheckEnded()
{
    if (countdown <= 0)
        return false;
    return --countdown == 0;
}

bool AliveWatch::rejoinDue()
{
    const qint64 now = clock.seconds();
    if (lastRejoin != 0 && now - lastRejoin < rejoinIntervalSeconds)
        return false;
    lastRejoin = now;
    return true;
}

bool AliveWatch::sendQueueNoticeDue(bool queueEmpty)
{
    if (queueEmpty) {
        sendQueueFull = 0;
        return false;
    }
    if (++sendQueueFull < queueFullChecks)
        return false;
    sendQueueFull = 0;
    return true;
}
