// The network status bar under the offscreen platform: which labels the own
// kind shows, their colours as peers come and go, the blink and the alert.
#include "tests/support/Datagram.h"
#include "tests/support/RecordingSink.h"

#include "net/statusbar/StatusLabel.h"
#include "net/statusbar/TovkaStatusBar.h"

#include <QMainWindow>
#include <QTimer>
#include <QtTest>

namespace {

const QColor green("#00E900");
const QColor yellow("yellow");
const QColor red("#Ff4040");

struct Bar
{
    Bar() : status(new TovkaStatusBar(&net, &window))
    {
        net.setDatagramSink(&sink);
        window.setStatusBar(status);
        window.show();
    }
    ~Bar() { net.setDatagramSink(nullptr); }

    QList<StatusLabel*> all() const
    {
        return {status->judgeLabel(1), status->judgeLabel(2), status->judgeLabel(3), status->chiefLabel(),
                status->displayLabel(), status->officeLabel(), status->plannerLabel(0), status->plannerLabel(1),
                status->plannerLabel(2), status->plannerLabel(3)};
    }
    QStringList visibleTexts() const
    {
        QStringList texts;
        for (StatusLabel* label : all())
            if (label->isVisible())
                texts << label->text();
        return texts;
    }

    RecordingSink sink;
    TovkaNetIo net{KindNetMon, 0, 0};
    QMainWindow window;
    TovkaStatusBar* status;
};

} // namespace

Q_DECLARE_METATYPE(TovkaAddress)

class TestStatusBar : public QObject
{
    Q_OBJECT
private slots:
    // The monitor address shows none.
    void labelsPerOwnKind_data()
    {
        QTest::addColumn<uint>("kind");
        QTest::addColumn<int>("judges");
        QTest::addColumn<QStringList>("visible");
        const QStringList juries{"Jury 1", "Jury 2", "Jury 3", "Anzeige", "Buero"};
        QTest::newRow("planner") << uint(KindBelegungsPlaner) << 3
                                 << QStringList{"BelegungsPlaner", "Training 1", "Training 2", "Training 3"};
        QTest::newRow("chief") << uint(KindChief) << 3 << juries;
        QTest::newRow("chief of two judges") << uint(KindChief) << 2 << QStringList(juries.mid(0, 2) + juries.mid(3));
        QTest::newRow("office") << uint(KindBuero) << 3 << QStringList{"Chief 1", "Chief 2", "Chief 3"};
        QTest::newRow("jury") << uint(KindJury) << 3 << QStringList{"Chief"};
        QTest::newRow("display") << uint(KindAnzeige) << 3 << QStringList();
    }
    void labelsPerOwnKind()
    {
        QFETCH(uint, kind);
        QFETCH(int, judges);
        Bar bar;
        receive(bar.net, heartbeat(TovkaAddress(KindBuero, 0, 0), "halle-c"));
        QCOMPARE(bar.visibleTexts(), QStringList());
        bar.status->setMaxKampfrichter(judges);   // kept for the kind set next
        QVERIFY(bar.net.setOwnAddress(kind, 1, 1));
        QTEST(bar.visibleTexts(), "visible");
        QVERIFY(bar.net.setOwnAddress(KindNetMon, 0, 0));
        QCOMPARE(bar.visibleTexts(), QStringList());
    }

    // Which peer turns which label green, by the label's text; a jury in jury
    // mode takes its trainer for its chief.
    void peerTurnsItsLabelGreen_data()
    {
        QTest::addColumn<uint>("ownKind");
        QTest::addColumn<bool>("juryMode");
        QTest::addColumn<TovkaAddress>("peer");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QColor>("before");
        QTest::addColumn<QColor>("after");
        const uint planner = KindBelegungsPlaner, chief = KindChief, jury = KindJury;
        const auto row = [](const char* name, uint kind, bool juryMode, TovkaAddress peer, const char* label,
                            QColor before, QColor after) {
            QTest::newRow(name) << kind << juryMode << peer << QString(label) << before << after;
        };
        // The own program is of floor area 2.
        row("planner 2", planner, false, TovkaAddress(planner, 0, 2), "Training 2", yellow, green);
        row("planner 4", planner, false, TovkaAddress(planner, 0, 4), "Training 3", yellow, yellow);
        row("jury of the own area", chief, false, TovkaAddress(jury, 2, 3), "Jury 3", red, green);
        row("jury of another area", chief, false, TovkaAddress(jury, 1, 3), "Jury 3", red, red);
        row("display of the own area", chief, false, TovkaAddress(KindAnzeige, 2, 0), "Anzeige", yellow, green);
        row("office to a chief", KindBuero, false, TovkaAddress(chief, 2, 0), "Chief 2", red, green);
        row("office of another chief", KindBuero, false, TovkaAddress(chief, 2, 0), "Chief 1", red, red);
        for (uint kind : {planner, chief, jury})
            QTest::addRow("office seen by kind %u", kind) << kind << false << TovkaAddress(KindBuero, 0, 0) << "Buero"
                                                          << yellow << green;
        row("chief of its area", jury, false, TovkaAddress(chief, 2, 0), "Chief", red, green);
        row("chief of another area", jury, false, TovkaAddress(chief, 1, 0), "Chief", red, red);
        row("trainer outside jury mode", jury, false, TovkaAddress(KindAusbilder, 2, 0), "Chief", red, red);
        row("jury mode: trainer", jury, true, TovkaAddress(KindAusbilder, 1, 0), "Chief", red, green);
        row("jury mode: chief", jury, true, TovkaAddress(chief, 2, 0), "Chief", red, red);
    }
    void peerTurnsItsLabelGreen()
    {
        QFETCH(uint, ownKind);
        QFETCH(bool, juryMode);
        QFETCH(TovkaAddress, peer);
        QFETCH(QString, label);
        Bar bar;
        QVERIFY(bar.net.setOwnAddress(ownKind, 2, 1));
        bar.net.setJuryMode(juryMode);
        StatusLabel* shown = nullptr;
        for (StatusLabel* candidate : bar.all())
            shown = candidate->text() == label ? candidate : shown;
        QVERIFY(shown);
        QTEST(shown->baseColor(), "before");
        receive(bar.net, heartbeat(peer, "halle-c"));
        QTEST(shown->baseColor(), "after");
        QTEST(shown->backgroundColor(), "after");
        receive(bar.net, shutdownNotice(peer, "halle-c"));
        QTEST(shown->baseColor(), "before");
    }

    void blinkAlternatesWithYellow()
    {
        QWidget parent;
        StatusLabel label(&parent);
        auto* timer = label.findChild<QTimer*>();
        label.setGreen();
        label.startBlink();
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));   // one tick of the timer
        QCOMPARE(label.backgroundColor(), yellow);
        label.slotBlink();
        QCOMPARE(label.backgroundColor(), green);
        label.slotBlink();
        label.stopBlink();
        QVERIFY(!timer->isActive());
        QCOMPARE(label.backgroundColor(), green);
    }

    void alertPaintsTheBarRed()
    {
        Bar bar;
        bar.status->showAlert(true, "Netz weg");
        QCOMPARE(bar.status->palette().brush(bar.status->backgroundRole()).color(), QColor("red"));
        QCOMPARE(bar.status->currentMessage(), QString("Netz weg"));
        bar.status->showAlert(false, "Netz da");
        QVERIFY(!bar.status->autoFillBackground());
        QCOMPARE(bar.status->currentMessage(), QString("Netz da"));
    }
};

QTEST_MAIN(TestStatusBar)
#include "tst_statusbar.moc"
