// The debug log: its file, its "hh:mm:ss:zzz Type text" lines, the flush rule
// on an injected clock, and whole lines when two threads log at once.
#include "frame/DebugLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include <atomic>
#include <thread>

namespace {

std::atomic<qint64> fakeNow{0};

// The lines in the file so far as "Type text"; a line of another format as "?".
QStringList written()
{
    static const QRegularExpression format("^\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d (Debug|Warning|Critical) (.*)$");
    QFile f(debugLogPath());
    QStringList lines;
    if (f.open(QIODevice::ReadOnly))
        for (const QString& line : QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts)) {
            const QRegularExpressionMatch match = format.match(line);
            lines << (match.hasMatch() ? match.captured(1) + ' ' + match.captured(2) : QString("?"));
        }
    return lines;
}

} // namespace

class TestDebugLog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("RuvoLogTest%1").arg(QCoreApplication::applicationPid()));
        setDebugLogClock([] { return fakeNow.load(); });
        installDebugLog();
        QCOMPARE(debugLogPath(), QDir::tempPath() + "/" + QCoreApplication::applicationName() + ".log");
    }

    void cleanupTestCase()
    {
        qInstallMessageHandler(nullptr);
        QFile::remove(debugLogPath());
    }

    // Debug lines wait until more than a second has passed since the last
    // write; warnings and worse write at once, with what waited before them.
    void flushRule()
    {
        qWarning("sync");
        const int known = written().size();
        struct Step { qint64 advance; QtMsgType type; const char* text; int visible; };
        const Step steps[] = {{10, QtDebugMsg, "early", 0}, {990, QtDebugMsg, "at 1000", 0}, {1, QtDebugMsg, "after 1001", 3},
                              {500, QtDebugMsg, "soon", 3}, {0, QtWarningMsg, "warned", 5}, {0, QtDebugMsg, "pending", 5},
                              {0, QtCriticalMsg, "critical", 7}};
        const char* const names[] = {"Debug", "Warning", "Critical"};
        QStringList sent;
        for (const Step& step : steps) {
            fakeNow += step.advance;
            qt_message_output(step.type, QMessageLogContext(), step.text);
            sent << QString("%1 %2").arg(names[step.type], step.text);
            QCOMPARE(written().mid(known), sent.mid(0, step.visible));
        }
    }

    void twoThreadsWriteWholeLines()
    {
        auto writeMany = [](int who) {
            for (int i = 0; i < 2000; ++i)
                qDebug("thread %d line %d with some text to make the line longer", who, i);
        };
        // std::thread rather than QThread: its hand-over is visible to the thread checker.
        std::thread worker(writeMany, 1);
        writeMany(2);
        worker.join();
        qWarning("done");
        const QRegularExpression whole("^Debug thread [12] line \\d+ with some text to make the line longer$");
        QCOMPARE(written().filter(whole).size(), 4000);
    }
};

QTEST_GUILESS_MAIN(TestDebugLog)
#include "tst_debuglog.moc"
