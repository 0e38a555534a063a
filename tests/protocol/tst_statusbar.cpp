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

    void hear(const TovkaAddress& address, const char* host = "halle-b")
    {
        rig.receive(heartbeat(address, host));
    }
    void lose(const TovkaAddress& address, const char* host = "halle-b")
    {
        rig.receive(shutdownNotice(address, host));
    }

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

    // Which peer turns which label green, by the label's text.
    void peerTurnsItsLabelGreen_data()
    {
        QTest::addColumn<uint>("ownKind");
        QTest::addColumn<uint>("ownArea");
        QTest::addColumn<TovkaAddress>("peer");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QColor>("before");
        QTest::addColumn<QColor>("after");
        const uint planner = KindBelegungsPlaner;
        QTest::newRow("planner 2") << planner << 0u << TovkaAddress(planner, 0, 2) << "Training 2" << yellow << green;
        QTest::newRow("jury of the own area") << uint(KindChief) << 2u << TovkaAddress(KindJury, 2, 3) << "Jury 3" << red
                                              << green;
        QTest::newRow("jury of another area") << uint(KindChief) << 2u << TovkaAddress(KindJury, 1, 3) << "Jury 3"
                                              << red << red;
        QTest::newRow("display of the own area") << uint(KindChief) << 2u << TovkaAddress(KindAnzeige, 2, 0) << "Anzeige"
                                                 << yellow << green;
        QTest::newRow("office to a chief") << uint(KindBuero) << 0u << TovkaAddress(KindChief, 2, 0) << "Chief 2" << red
                                           << green;
        QTest::newRow("office of another chief") << uint(KindBuero) << 0u << TovkaAddress(KindChief, 2, 0) << "Chief 1"
                                                 << red << red;
        for (uint kind : {planner, uint(KindChief), uint(KindJury)})
            QTest::addRow("office seen by kind %u", kind) << kind << 3u << TovkaAddress(KindBuero, 0, 0) << "Buero"
                                                          << yellow << green;
    }
    void peerTurnsItsLabelGreen()
    {
        QFETCH(uint, ownKind);
        QFETCH(uint, ownArea);
        QFETCH(TovkaAddress, peer);
        QFETCH(QString, label);
        Bar bar;
        QVERIFY(bar.rig.net.setOwnAddress(ownKind, quint8(ownArea), 1));
        StatusLabel* shown = nullptr;
        for (StatusLabel* candidate : bar.all())
            shown = candidate->text() == label ? candidate : shown;
        QVERIFY(shown);
        QTEST(shown->baseColor(), "before");
        bar.hear(peer, "halle-c");
        QTEST(shown->baseColor(), "after");
        QTEST(shown->backgroundColor(), "after");
        bar.lose(peer, "halle-c");
        QTEST(shown->baseColor(), "before");
    }

    void plannerOfInstanceFourOrMoreChangesNothing()
    {
        Bar bar;
        QVERIFY(bar.rig.net.setOwnAddress(KindBelegungsPlaner, 0, 0));
        bar.hear(TovkaAddress(KindBelegungsPlaner, 0, 4));
        bar.hear(TovkaAddress(KindBelegungsPlaner, 1, 9));
        for (StatusLabel* label : bar.all())
            QVERIFY(label->baseColor() != green);
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
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 500);
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));   // one tick of the timer
        QCOMPARE(label.backgroundColor(), yellow);
        label.slotBlink();
        QCOMPARE(label.backgroundColor(), green);
        label.slotBlink();
        label.stopBlink();
        QVERIFY(!timer->isActive());
        QCOMPARE(label.backgroundColor(), green);

        label.setYellow();
        label.slotBlink();
        QCOMPARE(label.backgroundColor(), yellow);   // nothing to see
    }

    void alertPaintsTheBarRed()
    {
        Bar bar;
        bar.status->showAlert(true, "Netz weg");
        QVERIFY(bar.status->autoFillBackground());
        QCOMPARE(bar.status->palette().brush(bar.status->backgroundRole()).color(), QColor("red"));
        QCOMPARE(bar.status->currentMessage(), QString("Netz weg"));

        bar.status->clearMessage();
        bar.status->showAlert(false, QString());
        QVERIFY(!bar.status->autoFillBackground());
        QVERIFY(bar.status->palette().brush(bar.status->backgroundRole()).color() != QColor("red"));
        QCOMPARE(bar.status->currentMessage(), QString());

        bar.status->showAlert(false, "Netz da");
        QCOMPARE(bar.status->currentMessage(), QString("Netz da"));
    }

    void chiefLabelOfAJury_data()
    {
        QTest::addColumn<bool>("juryMode");
        QTest::addColumn<uint>("kind");
        QTest::addColumn<uint>("subKind");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("chief of its area") << false << uint(KindChief) << 1u << green;
        QTest::newRow("chief of another area") << false << uint(KindChief) << 2u << red;
        QTest::newRow("trainer outside jury mode") << false << uint(KindAusbilder) << 1u << red;
        QTest::newRow("jury mode: trainer") << true << uint(KindAusbilder) << 2u << green;
        QTest::newRow("jury mode: chief") << true << uint(KindChief) << 1u << red;
    }
    void chiefLabelOfAJury()
    {
        QFETCH(bool, juryMode);
        QFETCH(uint, kind);
        QFETCH(uint, subKind);
        QFETCH(QColor, colour);
        Bar bar;
        QVERIFY(bar.rig.net.setOwnAddress(KindJury, 1, 1));
        bar.rig.net.setJuryMode(juryMode);
        QCOMPARE(bar.status->chiefLabel()->baseColor(), red);
        bar.hear(TovkaAddress(kind, quint8(subKind), 0), "halle-j");
        QCOMPARE(bar.status->chiefLabel()->baseColor(), colour);
    }
};

QTEST_MAIN(TestStatusBar)
#include "tst_statusbar.moc"
