// The network status bar under the offscreen platform: which labels the own
// kind shows, their colours as peers come and go, the blink and the alert.
#include "tests/protocol/ProtocolRig.h"

#include "net/StatusLabel.h"
#include "net/TovkaStatusBar.h"

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

class TestStatusBar : public QObject
{
    Q_OBJECT
private slots:
    void everyLabelHiddenAtTheMonitorAddress()
    {
        Bar bar;
        QCOMPARE(bar.visibleTexts(), QStringList());
        bar.hear(TovkaAddress(KindBuero, 0, 0));
        QCOMPARE(bar.visibleTexts(), QStringList());
    }

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
        QVERIFY(bar.rig.net.setOwnAddress(kind, quint8(subKind), 1));
        QCOMPARE(bar.visibleTexts(), visible);
        QVERIFY(bar.rig.net.setOwnAddress(KindNetMon, 0, 0));
        QCOMPARE(bar.visibleTexts(), QStringList());
    }

    void plannerLabelsFollowPlannerPeers()
    {
        Bar bar;
        QVERIFY(bar.rig.net.setOwnAddress(KindBelegungsPlaner, 0, 0));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(bar.status->plannerLabel(i)->baseColor(), yellow);
        bar.hear(TovkaAddress(KindBelegungsPlaner, 0, 2), "halle-c");
        QCOMPARE(bar.status->plannerLabel(2)->baseColor(), green);
        QCOMPARE(bar.status->plannerLabel(2)->backgroundColor(), green);
        QCOMPARE(bar.status->plannerLabel(1)->baseColor(), yellow);
        bar.lose(TovkaAddress(KindBelegungsPlaner, 0, 2), "halle-c");
        QCOMPARE(bar.status->plannerLabel(2)->baseColor(), yellow);
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

    void juryOfTheOwnAreaTurnsItsLabelGreen()
    {
        Bar bar;
        QVERIFY(bar.rig.net.setOwnAddress(KindChief, 2, 0));
        QCOMPARE(bar.status->judgeLabel(3)->baseColor(), red);
        bar.hear(TovkaAddress(KindJury, 1, 3), "halle-x");     // another area
        QCOMPARE(bar.status->judgeLabel(3)->baseColor(), red);
        bar.hear(TovkaAddress(KindJury, 2, 3), "halle-y");
        QCOMPARE(bar.status->judgeLabel(3)->baseColor(), green);
        QCOMPARE(bar.status->judgeLabel(1)->baseColor(), red);
        bar.hear(TovkaAddress(KindAnzeige, 2, 0), "halle-z");
        QCOMPARE(bar.status->displayLabel()->baseColor(), green);
    }

    void officeIsGreenWhateverTheOwnAddress_data()
    {
        QTest::addColumn<uint>("kind");
        QTest::newRow("planner") << uint(KindBelegungsPlaner);
        QTest::newRow("chief") << uint(KindChief);
        QTest::newRow("jury") << uint(KindJury);
    }
    void officeIsGreenWhateverTheOwnAddress()
    {
        QFETCH(uint, kind);
        Bar bar;
        QVERIFY(bar.rig.net.setOwnAddress(kind, 3, 1));
        QCOMPARE(bar.status->officeLabel()->baseColor(), yellow);
        bar.hear(TovkaAddress(KindBuero, 0, 0));
        QCOMPARE(bar.status->officeLabel()->baseColor(), green);
    }

    void officeSeesItsChiefJudgesByArea()
    {
        Bar bar;
        QVERIFY(bar.rig.net.setOwnAddress(KindBuero, 0, 0));
        bar.hear(TovkaAddress(KindChief, 2, 0));
        QCOMPARE(bar.status->judgeLabel(2)->baseColor(), green);
        QCOMPARE(bar.status->judgeLabel(1)->baseColor(), red);
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
        QVERIFY(timer);
        label.setGreen();
        QVERIFY(!label.isBlinking());
        label.startBlink();
        QVERIFY(label.isBlinking());
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 500);
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));   // one tick of the timer
        QCOMPARE(label.backgroundColor(), yellow);
        label.slotBlink();
        QCOMPARE(label.backgroundColor(), green);
        label.slotBlink();
        label.stopBlink();
        QVERIFY(!label.isBlinking());
        QVERIFY(!timer->isActive());
        QCOMPARE(label.backgroundColor(), green);

        label.setYellow();
        label.slotBlink();
        QCOMPARE(label.backgroundColor(), yellow);   // nothing to see
        QCOMPARE(label.frameStyle(), int(QFrame::StyledPanel | QFrame::Raised));
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

    // The message stays for a minute with an alert, ten seconds without.
    void messageDuration_data()
    {
        QTest::addColumn<bool>("alert");
        QTest::addColumn<int>("ms");
        QTest::newRow("alert") << true << 60000;
        QTest::newRow("no alert") << false << 10000;
    }
    void messageDuration()
    {
        QFETCH(bool, alert);
        QFETCH(int, ms);
        Bar bar;
        bar.status->showAlert(alert, "Hinweis");
        const auto timers = bar.status->findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
        QCOMPARE(timers.size(), 1);   // the status bar's own message timer
        QVERIFY(timers[0]->isActive());
        QCOMPARE(timers[0]->interval(), ms);
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
