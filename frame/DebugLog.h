// The program's debug log: one Qt message handler that writes every message to
// a file in the temporary directory named after the application.
#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

// Opens (truncates) QDir::tempPath() + "/" + application name + ".log" and
// installs the handler. Safe to log from any thread afterwards.
void installDebugLog();

// The file the handler writes to; empty before installDebugLog.
QString debugLogPath();

// The clock the flush rule reads, in milliseconds; tests replace it. An empty
// function restores the monotonic clock.
void setDebugLogClock(std::function<qint64()> clock);
