// Collects the debug and warning lines a test provokes, through its own message handler.
#include "tests/support/DebugCapture.h"

#include <QMutexLocker>

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
    QMutexLocker lock(&mutex);
    return captured;
}

bool DebugCapture::contains(const QString& part) const
{
    return !lines().filter(part).isEmpty();
}

void DebugCapture::handler(QtMsgType, const QMessageLogContext&, const QString& text)
{
    if (!current)
        return;
    QMutexLocker lock(&current->mutex);
    current->captured << text;
}
