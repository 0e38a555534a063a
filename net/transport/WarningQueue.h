// The transport's warnings one at a time: a receiver of a warning shows a
// modal box whose event loop may raise the next warning meanwhile. That one
// waits until the box is closed, and a text already showing or waiting is
// not queued twice. Plain logic: the transport emits what it is handed.
#pragma once

#include <QString>
#include <QStringList>

class WarningQueue
{
public:
    // True when the text is to be shown now; false when another is showing
    // (the text then waits).
    bool offer(const QString& text);
    // After a warning was shown: the next waiting text, or false when none
    // waits, and then nothing is showing any more.
    bool next(QString* text);

private:
    bool showing = false;
    QString current;
    QStringList waiting;
};
