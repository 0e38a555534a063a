// The debug log: file name, line format, the flush rule on an injected clock,
// and whole lines when two threads log at once.
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

QStringList logLines()
{
    QFile f(debugLogPath());
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts) : QStringList();
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
        int known = logLines().size();
        auto expectNew = [&](const QStringList& texts) {
            const QStringList lines = logLines();
            QCOMPARE(lines.size(), known + texts.size());
            for (int i = 0; i < texts.size(); ++i)
                QVERIFY2(lines[known + i].endsWith(' ' + texts[i]), qPrintable(lines[known + i]));
            known = lines.size();
        };
        fakeNow += 10;
        qDebug("early");
        expectNew({});
        fakeNow += 990;   // exactly 1000 ms after the flush: not yet
        qDebug("at 1000");
        expectNew({});
        fakeNow += 1;
        qDebug("after 1001");
        expectNew({"early", "at 1000", "after 1001"});
        fakeNow += 500;
        qDebug("soon");
        expectNew({});
        qWarning("warned %s", "here");
        expectNew({"soon", "warned here"});
        qDebug("pending");
        qCritical("critical");
        expectNew({"pending", "critical"});
        const QRegularExpression format("^\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d (Debug|Warning|Critical) ");
        const QStringList lines = logLines().mid(known - 4);
        QCOMPARE(format.match(lines[0]).captured(1), QString("Debug"));
        QCOMPARE(format.match(lines[1]).captured(1), QString("Warning"));
        QCOMPARE(format.match(lines[3]).captured(1), QString("Critical"));
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
        const QStringList lines = logLines().filter(" thread ");
        QCOMPARE(lines.size(), 2 * perThread);
        for (const QString& line : lines)
            QVERIFY2(format.match(line).hasMatch(), qPrintable(line));
    }
};

QTEST_GUILESS_MAIN(TestDebugLog)
#include "tst_debuglog.moc"
