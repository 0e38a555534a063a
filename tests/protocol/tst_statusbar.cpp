// The network status bar under the offscreen platform: which labels the own
// kind shows, their colours as peers come and go, the blink and the alert.
#include "tests/protocol/ProtocolRig.h"

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
    Bar() : status(new TovkaStatusBar(&rig.net, &window))
    {
        window.setStatusBar(status);
        window.show();
    }

    void hear(const TovkaAddress& address) { rig.receive(heartbeat(address, "halle-c")); }
    void lose(const TovkaAddress& address) { rig.receive(shutdownNotice(address, "halle-c")); }

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

    ProtocolRig rig{TovkaAddress(KindNetMon, 0, 0)};
    QMainWindow window;
    TovkaStatusBar* status;
};

} // namespace

Q_DECLARE_METATYPE(TovkaAddress)

class TestStatusBar : public QObject
{
    Q_OBJECT
private slots:
    void labelsPerOwnKind_data()
    {
        QTest::addColumn<uint>("kind");
        QTest::addColumn<uint>("subKind");
        QTest::addColumn<QStringList>("visible");
        QTest::newRow("planner") << uint(KindBelegungsPlaner) << 0u
                                 << QStringList{"BelegungsPlaner", "Training 1", "Training 2", "Training 3"};
        QTest::newRow("chief") << uint(KindChief) << 2u << QStringList{"Jury 1", "Jury 2", "Jury 3", "Anzeige", "Buero"};
        QTest::newRow("office") << uint(KindBuero) << 0u << QStringList{"Chief 1", "Chief 2", "Chief 3"};
        QTest::newRow("jury") << uint(KindJury) << 1u << QStringList{"Chief"};
        QTest::newRow("display") << uint(KindAnzeige) << 1u << QStringList();
    }
    void labelsPerOwnKind()
    {
        QFETCH(uint, kind);
        QFETCH(uint, subKind);
        QFETCH(QStringList, visible);
        Bar bar;
        bar.hear(TovkaAddress(KindBuero, 0, 0));
        QCOMPARE(bar.visibleTexts(), QStringList());   // the monitor address shows none
        QVERIFY(bar.rig.net.setOwnAddress(kind, quint8(subKind), 1));
        QCOMPARE(bar.visibleTexts(), visible);
        QVERIFY(bar.rig.net.setOwnAddress(KindNetMon, 0, 0));
        QCOMPARE(bar.visibleTexts(), QStringList());
    }

    // Which peer turns which label green, by the label's text; a jury in jury
    // mode takes its trainer for its chief.
    void peerTurnsItsLabelGreen_data()
    {
        QTest::addColumn<uint>("ownKind");
        QTest::addColumn<uint>("ownArea");
        QTest::addColumn<bool>("juryMode");
        QTest::addColumn<TovkaAddress>("peer");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QColor>("before");
        QTest::addColumn<QColor>("after");
        const uint planner = KindBelegungsPlaner, chief = KindChief, jury = KindJury;
        const auto row = [](const char* name, uint kind, uint area, bool juryMode, TovkaAddress peer, const char* label,
                            QColor before, QColor after) {
            QTest::newRow(name) << kind << area << juryMode << peer << QString(label) << before << after;
        };
        row("planner 2", planner, 0, false, TovkaAddress(planner, 0, 2), "Training 2", yellow, green);
        row("planner 4", planner, 0, false, TovkaAddress(planner, 0, 4), "Training 3", yellow, yellow);
        row("jury of the own area", chief, 2, false, TovkaAddress(jury, 2, 3), "Jury 3", red, green);
        row("jury of another area", chief, 2, false, TovkaAddress(jury, 1, 3), "Jury 3", red, red);
        row("display of the own area", chief, 2, false, TovkaAddress(KindAnzeige, 2, 0), "Anzeige", yellow, green);
        row("office to a chief", KindBuero, 0, false, TovkaAddress(chief, 2, 0), "Chief 2", red, green);
        row("office of another chief", KindBuero, 0, false, TovkaAddress(chief, 2, 0), "Chief 1", red, red);
        for (uint kind : {planner, chief, jury})
            QTest::addRow("office seen by kind %u", kind) << kind << 3u << false << TovkaAddress(KindBuero, 0, 0)
                                                          << "Buero" << yellow << green;
        row("chief of its area", jury, 1, false, TovkaAddress(chief, 1, 0), "Chief", red, green);
        row("chief of another area", jury, 1, false, TovkaAddress(chief, 2, 0), "Chief", red, red);
        row("trainer outside jury mode", jury, 1, false, TovkaAddress(KindAusbilder, 1, 0), "Chief", red, red);
        row("jury mode: trainer", jury, 1, true, TovkaAddress(KindAusbilder, 2, 0), "Chief", red, green);
        row("jury mode: chief", jury, 1, true, TovkaAddress(chief, 1, 0), "Chief", red, red);
    }
    void peerTurnsItsLabelGreen()
    {
        QFETCH(uint, ownKind);
        QFETCH(uint, ownArea);
        QFETCH(bool, juryMode);
        QFETCH(TovkaAddress, peer);
        QFETCH(QString, label);
        Bar bar;
        QVERIFY(bar.rig.net.setOwnAddress(ownKind, quint8(ownArea), 1));
        bar.rig.net.setJuryMode(juryMode);
        StatusLabel* shown = nullptr;
        for (StatusLabel* candidate : bar.all())
            shown = candidate->text() == label ? candidate : shown;
        QVERIFY(shown);
        QTEST(shown->baseColor(), "before");
        bar.hear(peer);
        QTEST(shown->baseColor(), "after");
        QTEST(shown->backgroundColor(), "after");
        bar.lose(peer);
        QTEST(shown->baseColor(), "before");
    }

    void maxKampfrichterHidesTheRest()
    {
        Bar bar;
        QVERIFY(bar.rig.net.setOwnAddress(KindChief, 1, 0));
        bar.status->setMaxKampfrichter(2);
        QVERIFY(bar.status->judgeLabel(2)->isVisible());
        QVERIFY(!bar.status->judgeLabel(3)->isVisible());
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
