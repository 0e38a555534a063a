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

bool AliveWatch::receiveQueueNoticeDue(bool datagramWaiting)
{
    return fullRunEnded(&receiveQueueFull, datagramWaiting);
}

bool AliveWatch::sendQueueNoticeDue(bool queueEmpty)
{
    return fullRunEnded(&sendQueueFull, !queueEmpty);
}

bool AliveWatch::fullRunEnded(int* run, bool full)
{
    if (!full) {
        *run = 0;
        return false;
    }
    if (++*run < queueFullChecks)
        return false;
    *run = 0;
    return true;
}
