// The debug log: file name, line format, the flush rule on an injected clock,
// and whole lines when two threads log at once.
#include "frame/DebugLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>

namespace {

std::atomic<qint64> fakeNow{0};

QStringList logLines()
{
    QFile f(debugLogPath());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool logHas(const QString& text)
{
    for (const QString& line : logLines())
        if (line.endsWith(' ' + text))
            return true;
    return false;
}

} // namespace

class TestDebugLog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        name = QStringLiteral("RuvoLogTest%1").arg(QCoreApplication::applicationPid());
        QCoreApplication::setApplicationName(name);
        setDebugLogClock([] { return fakeNow.load(); });
        installDebugLog();
    }

    void cleanupTestCase()
    {
        const QString path = debugLogPath();
        qInstallMessageHandler(nullptr);
        QFile::remove(path);
    }

    void linesCarryTimeTypeAndText()
    {
        QCOMPARE(debugLogPath(), QDir::tempPath() + "/" + name + ".log");
        QVERIFY(QFile::exists(debugLogPath()));
        qDebug("plain %d", 1);
        qWarning("careful %s", "here");
        qCritical("broken");
        const QRegularExpression format("^\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d (Debug|Warning|Critical) (.*)$");
        const QStringList lines = logLines();
        QVERIFY(lines.size() >= 3);
        const QStringList last = lines.mid(lines.size() - 3);
        const QStringList types{"Debug", "Warning", "Critical"};
        const QStringList texts{"plain 1", "careful here", "broken"};
        for (int i = 0; i < 3; ++i) {
            const QRegularExpressionMatch m = format.match(last[i]);
            QVERIFY2(m.hasMatch(), qPrintable(last[i]));
            QCOMPARE(m.captured(1), types[i]);
            QCOMPARE(m.captured(2), texts[i]);
        }
    }

    void debugLinesWaitForTheFlushInterval()
    {
        qWarning("sync");   // flushes and restarts the interval
        fakeNow += 10;
        qDebug("early");
        QVERIFY(!logHas("early"));
        fakeNow += 990;   // exactly 1000 ms after the flush: not yet
        qDebug("at 1000");
        QVERIFY(!logHas("at 1000"));
        fakeNow += 1;
        qDebug("after 1001");
        QVERIFY(logHas("early"));
        QVERIFY(logHas("at 1000"));
        QVERIFY(logHas("after 1001"));
        fakeNow += 500;
        qDebug("soon after");
        QVERIFY(!logHas("soon after"));
        // Warnings and worse write at once, with what waited before them.
        qWarning("warned");
        QVERIFY(logHas("soon after"));
        QVERIFY(logHas("warned"));
        qDebug("pending 2");
        qCritical("critical");
        QVERIFY(logHas("pending 2"));
        QVERIFY(logHas("critical"));
    }

    void twoThreadsWriteWholeLines()
    {
        const int perThread = 2000;
        auto writeMany = [](int who) {
            for (int i = 0; i < perThread; ++i)
                qDebug("thread %d line %d with some text to make the line longer", who, i);
        };
        // std::thread rather than QThread: its hand-over is visible to the thread checker.
        std::thread worker(writeMany, 1);
        writeMany(2);
        worker.join();
        qWarning("done");

        const QRegularExpression format("^\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d Debug thread [12] line \\d+ with some text"
                                        " to make the line longer$");
        int count = 0;
        for (const QString& line : logLines()) {
            if (!line.contains(" thread "))
                continue;
            QVERIFY2(format.match(line).hasMatch(), qPrintable(line));
            ++count;
        }
        QCOMPARE(count, 2 * perThread);
    }

private:
    QString name;
};

QTEST_GUILESS_MAIN(TestDebugLog)
#include "tst_debuglog.moc"
