// Captures the debug and warning lines a test provokes, for as long as the
// capture lives, then puts the previous message handler back.
#pragma once

#include <QStringList>
#include <QtGlobal>

#include <mutex>

class DebugCapture
{
public:
    DebugCapture();
    ~DebugCapture();

    QStringList lines() const;
    bool contains(const QString& part) const;

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& text);

    QtMessageHandler previous;
    // A std::mutex: the thread sanitizer cannot see QMutex's hand-overs
    // inside the Qt library, and lines come from several threads.
    mutable std::mutex mutex;
    QStringList captured;
};
