// The transport's warnings one at a time.
#include "net/transport/WarningQueue.h"

bool WarningQueue::offer(const QString& text)
{
    if (showing) {
        if (text != current && !waiting.contains(text))
            waiting.append(text);
        return false;
    }
    showing = true;
    current = text;
    return true;
}

bool WarningQueue::next(QString* text)
{
    if (waiting.isEmpty()) {
        current.clear();
        showing = false;
        return false;
    }
    current = waiting.takeFirst();
    *text = current;
    return true;
}
