// The planner in-process under the offscreen platform: its top-level window
// with the planning widget, the network switch, the plan relay to the protocol
// (also in competition mode), the refused address, the warning seam, and the
// store of the current plan.
#include "tests/support/Datagram.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/PlannerFixture.h"
#include "tests/support/SamplePlan.h"

#include "net/statusbar/TovkaStatusBar.h"

#include <QtTest>

namespace {

TrainingsData plan(int starters)
{
    return samplePlan(starters, QStringLiteral("Team "), 1700000000, 3600, 600);
}

// The planner with its datagrams kept in its sink.
struct Planner : PlannerFixture
{
    explicit Planner(const QStringList& arguments = {"BelegungsPlaner"}) : PlannerFixture(arguments, Recorded) {}
};

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT
private slots:
    void frame()
    {
        Planner planner;
        TrainingsFlaecheWindow& window = *planner.window;
        QCOMPARE(window.windowTitle(), QString("BelegungsPlaner"));
        QCOMPARE(window.centralWidget(), window.planner());
        QVERIFY(!window.reglementDB().isOpen());
        QCOMPARE(window.geometry(), QRect(50, 50, 640, 480));
        QVERIFY(!window.windowIcon().pixmap(64).isNull());
        QVERIFY(qobject_cast<TovkaStatusBar*>(window.statusBar()) != nullptr);
        QString about;
        ApplicationWindow::setAboutHook([&](const QString&, const QString& text) { about = text; });
        window.about();
        ApplicationWindow::setAboutHook({});
        QVERIFY2(about.startsWith("Netzwerk Version:<b> 12</b> <br><br>") && about.contains("2.2.0.3"),
                 qPrintable(about));
        // Transport warnings reach the warning seam.
        emit window.network().Warning("Versions Konflikt");
        QCOMPARE(planner.warnings, QStringList{"Versions Konflikt"});
    }

    // Switching on: a ping at the old address, a shutdown there and a ping at
    // the new one; then each area's plan goes out until switched off again.
    void planGoesOutOnlyWhileTheNetworkIsOn()
    {
        Planner planner;
        planner.setArea(1, plan(2));
        QCOMPARE(planner.sink.dataPackets().size(), 0);
        QVERIFY(!planner.button()->isChecked());
        QCOMPARE(planner.window->network().ownAddress(), TovkaAddress(KindNetMon, 0, 0));
        planner.sink.clear();

        planner.button()->click();
        QVERIFY(planner.button()->isChecked());
        QCOMPARE(planner.window->network().ownAddress(), TovkaAddress(KindBelegungsPlaner, 0, 0));
        QList<QPair<quint8, quint8>> written;
        for (const PacketHeader& header : planner.sink.headers())
            if (header.type != PacketType::PONG)   // a heartbeat may come in between
                written.append({header.type, header.sourceAddress});
        QCOMPARE(written, (QList<QPair<quint8, quint8>>{
                              {PacketType::PING, 0x00}, {PacketType::SHUTDOWN, 0x00}, {PacketType::PING, 0x70}}));
        bool ok = false;
        planner.window->startNetwork(true, ok);   // on again: no second relay
        QVERIFY(ok);
        for (int area = 1; area <= 4; ++area)
            planner.setArea(area, plan(area));
        const auto packets = planner.sink.dataPackets();
        QCOMPARE(packets.size(), 4);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(int(packets[i].first.destinationAddress), 0x70);
            QCOMPARE(int(packets[i].first.sourceAddress), 0x70);
            QCOMPARE(packets[i].second.size(), 28 + 64 * (i + 1));
            QCOMPARE(int(packets[i].second[27]), i + 1);
        }

        planner.button()->click();
        QVERIFY(!planner.button()->isChecked());
        QCOMPARE(planner.window->network().ownAddress(), TovkaAddress(KindNetMon, 0, 0));
        planner.sink.clear();
        planner.setArea(2, plan(1));
        QCOMPARE(planner.sink.dataPackets().size(), 0);
        QVERIFY(planner.warnings.isEmpty());
    }

    void competitionModeSendsToTheAreasDisplay()
    {
        Planner planner({"BelegungsPlaner", "--competition"});
        QVERIFY(planner.window->competitionMode());
        planner.button()->click();
        planner.setArea(3, plan(1));
        planner.setArea(1, TrainingsData());
        const auto packets = planner.sink.dataPackets();
        QCOMPARE(packets.size(), 2);
        QCOMPARE(int(packets[0].first.destinationAddress), 0x43);
        QCOMPARE(int(packets[1].first.destinationAddress), 0x41);
        QCOMPARE(packets[1].second.size(), 28);
    }

    void refusedAddressWarnsAndUnchecksTheButton()
    {
        Planner planner;
        receive(planner.window->network(), heartbeat(TovkaAddress(KindBelegungsPlaner, 0, 0), "halle-b"));
        planner.button()->click();
        QVERIFY(!planner.button()->isChecked());
        QCOMPARE(planner.window->network().ownAddress(), TovkaAddress(KindNetMon, 0, 0));
        QVERIFY(planner.warnings.contains("Network connection unusable!"));
        QVERIFY2(planner.warnings.join('\n').contains("halle-b"), qPrintable(planner.warnings.join('\n')));
        planner.setArea(1, plan(1));
        QCOMPARE(planner.sink.dataPackets().size(), 0);
    }

    // Four floor areas, each set record announced once; other numbers refused.
    void store()
    {
        BelegungsPlanerStore store;
        QList<int> announced;
        connect(&store, &BelegungsPlanerStore::dataChanged, this, [&](int area, const TrainingsData& data) {
            announced << area;
            QVERIFY(data == store.data(area));
        });
        DebugCapture capture;
        for (int area : {0, 1, 4, 5})
            store.setData(1234, area, plan(area + 1));
        QCOMPARE(announced, (QList<int>{1, 4}));
        QVERIFY(store.data(4) == plan(5) && store.data(0).isEmpty() && store.data(5).isEmpty());
        QVERIFY(capture.contains("BelegungsPlanerStore::setData: no floor area 5"));
        store.setData(1300, 4, TrainingsData());   // cleared
        QVERIFY(store.data(4).isEmpty() && announced.size() == 3);

        // A starter's name keeps at most 63 bytes, cut between characters.
        const TrainingsStarterEntry cut(5, QString(62, 'n') + QString::fromUtf8("\xc3\xbc"));
        QCOMPARE(cut.nameText(), QString(62, 'n'));
        QCOMPARE(TrainingsStarterEntry(5, QString(70, 'n')).nameText(), QString(63, 'n'));
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
