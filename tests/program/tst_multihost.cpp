// The planner on its own host with the network switched on, and headless
// peers of the suite on two other hosts: every area's plan reaches them as
// message 2/9 from 7/0/0, in competition mode only the display of the area
// gets it, and switching the network off returns the planner to the monitor
// address and stops the plan.
#include "tests/support/PlannerFixture.h"
#include "tests/support/SamplePlan.h"
#include "tests/support/TestHall.h"

#include <QApplication>
#include <QtTest>

namespace {

constexpr int generousMs = 90000;
const char* const plannerHost = "planner-hall";

TrainingsData plan(const QString& label, int starters)
{
    return samplePlan(starters, label + '.', 1800000000, 7200, 450);
}

QString names(const QString& label, int starters)
{
    QStringList all;
    for (int i = 0; i < starters; ++i)
        all << QString("%1.%2").arg(label).arg(i + 1);
    return "names=" + all.join('|');
}

} // namespace

class TestMultiHost : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(hall.open());
        QVERIFY(hall.addHost("a", "10.77.0.2"));
        QVERIFY(hall.addHost("b", "10.77.0.3"));
    }
    void cleanup() { hall.stopPeers(); }
    void cleanupTestCase() { hall.close(); }

    void plansReachThePlannerPeers()
    {
        PeerProcess* a = hall.startPeer("a", {KindBelegungsPlaner, 0, 1});
        PeerProcess* b = hall.startPeer("b", {KindBelegungsPlaner, 0, 2});
        QVERIFY(a && b);
        PlannerFixture planner;
        QTRY_VERIFY_WITH_TIMEOUT(planner.knows({KindBelegungsPlaner, 0, 1}) && planner.knows({KindBelegungsPlaner, 0, 2}),
                                 generousMs);

        planner.button()->click();
        QVERIFY(planner.button()->isChecked());
        QCOMPARE(planner.window->network().ownAddress(), TovkaAddress(KindBelegungsPlaner, 0, 0));
        for (int area = 1; area <= 4; ++area)
            planner.setArea(area, plan(QString("Area%1").arg(area), area + 1));
        for (PeerProcess* peer : {a, b}) {
            for (int area = 1; area <= 4; ++area) {
                const QString prefix = QString("plan from 7/0/0 area=%1 ").arg(area);
                QVERIFY2(peer->waitForLine(prefix, generousMs), qPrintable(peer->lines().join('\n')));
                const QString line = peer->linesStartingWith(prefix).first();
                QVERIFY2(line.contains("start=1800000000 end=1800007200 slot=450"), qPrintable(line));
                QVERIFY2(line.endsWith(names(QString("Area%1").arg(area), area + 1)), qPrintable(line));
            }
        }

        // Off: the planner leaves 7/0/0 and is heard again at the monitor address.
        const int monitorSeen = a->linesStartingWith("app+ 0/0/0 planner-hall").size();
        planner.button()->click();
        QVERIFY(!planner.button()->isChecked());
        QCOMPARE(planner.window->network().ownAddress(), TovkaAddress(KindNetMon, 0, 0));
        QVERIFY(a->waitForLine(QString("app- 7/0/0 %1").arg(plannerHost), generousMs));
        QVERIFY(a->waitForCount("app+ 0/0/0 planner-hall", monitorSeen + 1, generousMs));
        planner.setArea(1, plan("Off", 1));

        // On again: only what changes from now on goes out.
        planner.button()->click();
        planner.setArea(2, plan("Again", 2));
        for (PeerProcess* peer : {a, b}) {
            QVERIFY(peer->waitForLine("plan from 7/0/0 area=2 ", generousMs));
            QTRY_VERIFY_WITH_TIMEOUT(peer->lines().filter(names("Again", 2)).size() == 1, generousMs);
            QVERIFY(peer->lines().filter("Off.1").isEmpty());
        }
        QVERIFY2(planner.warnings.isEmpty(), qPrintable(planner.warnings.join('\n')));
    }

    void competitionModeSendsEachAreaToItsDisplay()
    {
        PeerProcess* one = hall.startPeer("a", {KindAnzeige, 1, 0});
        PeerProcess* two = hall.startPeer("b", {KindAnzeige, 2, 0});
        QVERIFY(one && two);
        PlannerFixture planner({"BelegungsPlaner", "--competition"});
        QTRY_VERIFY_WITH_TIMEOUT(planner.knows({KindAnzeige, 1, 0}) && planner.knows({KindAnzeige, 2, 0}), generousMs);

        planner.button()->click();
        for (int area = 1; area <= 4; ++area)
            planner.setArea(area, plan(QString("Hall%1").arg(area), 2));
        QVERIFY(one->waitForLine("plan from 7/0/0 area=1 ", generousMs));
        QVERIFY(two->waitForLine("plan from 7/0/0 area=2 ", generousMs));

        // A later plan of area 1 is the next one after area 2 was acknowledged.
        planner.setArea(1, plan("Later", 1));
        QTRY_VERIFY_WITH_TIMEOUT(!one->lines().filter(names("Later", 1)).isEmpty(), generousMs);
        for (const QString& line : one->linesStartingWith("plan from"))
            QVERIFY2(line.startsWith("plan from 7/0/0 area=1 "), qPrintable(line));
        for (const QString& line : two->linesStartingWith("plan from"))
            QVERIFY2(line.startsWith("plan from 7/0/0 area=2 "), qPrintable(line));
    }

private:
    TestHall hall;
};

PRIVATE_HOST_TEST_MAIN(TestMultiHost, plannerHost, true)

#include "tst_multihost.moc"
