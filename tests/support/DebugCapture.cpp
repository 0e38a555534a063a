// Collects the debug and warning lines a test provokes, through its own message handler.
#include "tests/support/DebugCapture.h"

static DebugCapture* current = nullptr;

DebugCapture::DebugCapture()
{
    current = this;
    previous = qInstallMessageHandler(&DebugCapture::handler);
}

DebugCapture::~DebugCapture()
{
    qInstallMessageHandler(previous);
    current = nullptr;
}

QStringList DebugCapture::lines() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return captured;
}

bool DebugCapture::contains(const QString& part) const
{
    // Searched in place: a copy of the list shared with the logging thread
    // would be given back outside the lock.
    std::lock_guard<std::mutex> lock(mutex);
    for (const QString& line : captured) {
        if (line.contains(part))
            return true;
    }
    return false;
}

void DebugCapture::handler(QtMsgType, const QMessageLogContext&, const QString& text)
{
    if (!current)
        return;
    std::lock_guard<std::mutex> lock(current->mutex);
    current->captured << text;
}
