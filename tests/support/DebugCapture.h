// Captures the debug and warning lines a test provokes, for as long as the
// capture lives, then puts the previous message handler back.
#pragma once

#include <QMutex>
#include <QStringList>
#include <QtGlobal>

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
    mutable QMutex mutex;
    QStringList captured;
};
