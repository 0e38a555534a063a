// The debug-log message handler: "time type text" lines, flushed at most once
// a second for debug messages and at once for anything more serious.
#include "frame/DebugLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>

namespace {

constexpr qint64 flushIntervalMs = 1000;

struct DebugLogState
{
    std::mutex mutex;   // pthread-based, so the thread checker sees it
    // Plain stdio: it never logs through Qt, so the handler cannot re-enter.
    FILE* file = nullptr;
    QString path;
    QElapsedTimer monotonic;
    std::function<qint64()> clock;
    qint64 lastFlush = 0;
    time_t second = -1;     // the second that secondText shows
    char secondText[9] = {};

    qint64 now() const { return clock ? clock() : monotonic.elapsed(); }
};

// Never destroyed: messages may still arrive while static objects go away.
DebugLogState& state()
{
    static DebugLogState* s = new DebugLogState;
    return *s;
}

const char* typeName(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg: return "Debug";
    case QtInfoMsg: return "Info";
    case QtWarningMsg: return "Warning";
    case QtCriticalMsg: return "Critical";
    case QtFatalMsg: return "Fatal";
    }
    return "Assert";
}

// "hh:mm:ss:zzz" of the local time. Qt's clock re-reads the time zone on
// every call (a file lookup each time); the C library's reentrant call keeps
// what tzset() read when the log was installed. A busy log writes many lines
// a second, so "hh:mm:ss" is worked out once per second.
void timeOfDay(DebugLogState& s, char (&text)[13])
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    if (now.tv_sec != s.second) {
        tm local{};
        localtime_r(&now.tv_sec, &local);
        snprintf(s.secondText, sizeof s.secondText, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
        s.second = now.tv_sec;
    }
    const int ms = int(now.tv_nsec / 1000000);
    memcpy(text, s.secondText, 8);
    text[8] = ':';
    text[9] = char('0' + ms / 100);
    text[10] = char('0' + ms / 10 % 10);
    text[11] = char('0' + ms % 10);
    text[12] = ' ';
}

// Written piece by piece into the file's buffer: no line is assembled in
// memory first.
void writeMessage(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    DebugLogState& s = state();
    const QByteArray utf8 = text.toUtf8();
    // The local time is read under the lock too: the C library's time-zone
    // set-up is guarded in a way the thread checker cannot see.
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.file)
        return;
    char time[13];
    timeOfDay(s, time);
    fwrite(time, 1, sizeof time, s.file);
    fputs(typeName(type), s.file);
    fputc(' ', s.file);
    fwrite(utf8.constData(), 1, size_t(utf8.size()), s.file);
    fputc('\n', s.file);
    const qint64 now = s.now();
    if (type != QtDebugMsg || now - s.lastFlush > flushIntervalMs) {
        fflush(s.file);
        s.lastFlush = now;
    }
}

} // namespace

void installDebugLog()
{
    DebugLogState& s = state();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.file)
            fclose(s.file);
        s.path = QDir::tempPath() + QLatin1Char('/') + QCoreApplication::applicationName()
                 + QLatin1String(".log");
        tzset();
        s.second = -1;
        s.file = fopen(QFile::encodeName(s.path).constData(), "w");
        if (!s.monotonic.isValid())
            s.monotonic.start();
        s.lastFlush = s.now();
    }
    qInstallMessageHandler(writeMessage);
}

QString debugLogPath()
{
    DebugLogState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.file ? s.path : QString();
}

void setDebugLogClock(std::function<qint64()> clock)
{
    DebugLogState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.clock = std::move(clock);
    s.lastFlush = s.now();
}
