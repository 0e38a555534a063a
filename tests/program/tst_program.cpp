// The planner as a whole: its window in-process with the datagrams kept in a
// sink, the program itself started as a process, and the planner beside
// headless peers of the suite on two other hosts of a test hall.
#include "tests/support/Datagram.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/SamplePlan.h"
#include "tests/support/TestHall.h"

#include "planner/BelegungsplanerMainWindow.h"
#include "planner/TrainingsFlaecheWindow.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

namespace {

// The top-level window, shown, its warnings collected instead of shown, and
// with `recorded` its datagrams kept in a sink instead of written to the sockets.
struct PlannerFixture
{
    explicit PlannerFixture(const QStringList& arguments = {"BelegungsPlaner"}, bool recorded = false)
    {
        TrainingsFlaecheWindow::setWarningHook([this](const QString& text) { warnings << text; });
        window = std::make_unique<TrainingsFlaecheWindow>(arguments);
        if (recorded)
            window->network().setDatagramSink(&sink);
        window->show();
    }
    ~PlannerFixture()
    {
        window.reset();
        TrainingsFlaecheWindow::setWarningHook({});
    }

    bool knows(const TovkaAddress& address) const
    {
        for (const AppLocation& peer : window->network().peers())
            if (peer.address == address)
                return true;
        return false;
    }
    QPushButton* button() const { return window->planner()->networkButton(); }
    void setArea(int area, const TrainingsData& data) { window->planner()->store().setData(::time(nullptr), area, data); }

    RecordingSink sink; // outlives the window's last shutdown
    std::unique_ptr<TrainingsFlaecheWindow> window;
    QStringList warnings;
};

constexpr int generousMs = 90000;
const char* const plannerHost = "planner-hall";

TrainingsData plan(int starters, const QString& label = QStringLiteral("Team"))
{
    return samplePlan(starters, label + '.', 1800000000, 7200, 450);
}

// What the program writes to the loopback broadcast address, our own datagrams left out.
struct Listener
{
    const QHostAddress broadcast{QStringLiteral("127.255.255.255")};
    QUdpSocket socket;
    QList<QPair<PacketHeader, QByteArray>> all;

    bool bind() { return socket.bind(broadcast, 20593, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint); }

    // The source addresses of those of a type whose payload starts so.
    QList<int> heard(quint8 type, const QByteArray& payload = QByteArray())
    {
        while (socket.hasPendingDatagrams()) {
            QByteArray datagram(int(socket.pendingDatagramSize()), '\0');
            socket.readDatagram(datagram.data(), datagram.size());
            PacketHeader header;
            if (PacketHeader::check(bytes(datagram), datagram.size()).valid()
                && PacketHeader::read(bytes(datagram), datagram.size(), &header)
                && PacketHeader::hostNameText(header.hostName) != "tester")
                all.append({header, datagram.mid(PacketHeader::Size, header.length)});
        }
        QList<int> found;
        for (const auto& packet : all)
            if (packet.first.type == type && packet.second.startsWith(payload))
                found << packet.first.sourceAddress;
        return found;
    }
};

} // namespace

class TestProgram : public QObject
{
    Q_OBJECT
private slots:
    void cleanupTestCase() { hall.close(); }

    // The window holds the planning widget. Switched on, it pings at the
    // monitor address, shuts it down and pings at the planner's; then each
    // area's plan goes out (in competition mode to that area's display). An
    // address another planner holds is refused: a warning, the button
    // unchecked, nothing sent.
    void plansGoOut_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QList<int>>("destinations");   // of the plans of areas 1 to 4
        QTest::newRow("planner") << QStringList{"BelegungsPlaner"} << false << QList<int>{0x70, 0x70, 0x70, 0x70};
        QTest::newRow("competition") << QStringList{"BelegungsPlaner", "--competition"} << false
                                     << QList<int>{0x41, 0x42, 0x43, 0x44};
        QTest::newRow("address taken") << QStringList{"BelegungsPlaner"} << true << QList<int>();
    }

    void plansGoOut()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, taken);
        QFETCH(QList<int>, destinations);
        PlannerFixture planner(arguments, true);
        QCOMPARE(planner.window->centralWidget(), planner.window->planner());
        if (taken)
            receive(planner.window->network(), heartbeat(TovkaAddress(KindBelegungsPlaner, 0, 0), "halle-b"));
        planner.setArea(1, plan(2));
        QCOMPARE(planner.sink.dataPackets().size(), 0);
        planner.sink.clear();
        planner.button()->click();
        QCOMPARE(planner.button()->isChecked(), !taken);
        QList<int> written;
        for (const PacketHeader& header : planner.sink.headers())
            if (header.type != PacketType::PONG)   // a heartbeat may come in between
                written << header.type << header.sourceAddress;
        const QList<int> switching{PacketType::PING, 0x00, PacketType::SHUTDOWN, 0x00, PacketType::PING, 0x70};
        QCOMPARE(written, switching.mid(0, taken ? 2 : 6));
        bool ok = taken;
        planner.window->startNetwork(!taken, ok);   // on again: no second relay
        QVERIFY(ok);
        for (int area = 1; area <= 4; ++area)
            planner.setArea(area, plan(area - 1));
        // Four floor areas: other numbers are refused.
        planner.setArea(0, plan(1));
        planner.setArea(5, plan(1));
        QList<int> sent, expected;
        for (const auto& packet : planner.sink.dataPackets())
            sent << packet.first.destinationAddress << packet.second.size() << packet.second[27];
        for (int i = 0; i < destinations.size(); ++i)
            expected << destinations[i] << 28 + 64 * i << i + 1;
        QCOMPARE(sent, expected);
        QCOMPARE(planner.warnings.contains("Network connection unusable!"), taken);
        QCOMPARE(planner.warnings.join('\n').contains("halle-b"), taken);
    }

    // The transport's boxes appear in the program: the rejoin notice with Ok
    // alone, the reconnect question over its parent with No, the default, and Yes.
    void transportBoxesAppear_data()
    {
        QTest::addColumn<bool>("question");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("chosen");
        QTest::newRow("rejoin notice") << false << "Netzwerk Bugfix" << int(QMessageBox::Ok) << int(QMessageBox::Ok);
        QTest::newRow("reconnect question") << true << "Netzwerk rücksetzen" << int(QMessageBox::No | QMessageBox::Yes)
                                            << int(QMessageBox::No);
    }
    void transportBoxesAppear()
    {
        QFETCH(bool, question);
        PlannerFixture planner;
        QList<QVariant> seen;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                seen << box->windowTitle() << int(box->standardButtons()) << int(box->standardButton(box->defaultButton()))
                     << (box->parentWidget() == planner.window.get());
                box->defaultButton()->click();
            }
        });
        poll.start(10);
        if (question)
            planner.window->network().slotReconnect(planner.window.get());
        else
            planner.window->network().enableRejoin(true);
        QTEST(seen.value(0).toString(), "title");
        QTEST(seen.value(1).toInt(), "buttons");
        QTEST(seen.value(2).toInt(), "chosen");
        QCOMPARE(seen.value(3).toBool(), question);
    }

    // The program comes up at the monitor address, answers a ping with the
    // ping's own payload, and, ended by SIGTERM, exits cleanly and sends
    // exactly one shutdown notice.
    void programRun()
    {
        QTemporaryDir temp;
        Listener listener;
        QVERIFY(temp.isValid() && listener.bind());
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", temp.path());
        // The top-level window lives as long as the process, by design.
        environment.insert("ASAN_OPTIONS", "detect_leaks=0");
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QCoreApplication::applicationDirPath() + "/BelegungsPlaner", QStringList());
        QVERIFY(program.waitForStarted(30000));

        QTRY_COMPARE_WITH_TIMEOUT(listener.heard(PacketType::PING).value(0, -1), 0, generousMs);
        Datagram ping;
        ping.from = TovkaAddress(KindChief, 1, 1);
        ping.host = "tester";
        ping.payload = pingPayload(0x01020304, 567, "tester");
        listener.socket.writeDatagram(ping.bytes(), listener.broadcast, 20593);
        QTRY_VERIFY_WITH_TIMEOUT(!listener.heard(PacketType::PONG, ping.payload).isEmpty(), generousMs);
        QVERIFY(listener.heard(PacketType::SHUTDOWN).isEmpty());

        program.terminate();
        QVERIFY(program.waitForFinished(generousMs));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(listener.heard(PacketType::SHUTDOWN), QList<int>{0}, generousMs);
    }

    // Last: the hall's link stays until the end. Every area's plan reaches both
    // peers as message 2/9 from 7/0/0; switched off, the planner takes the
    // monitor address again and sends nothing; on again, only later changes go out.
    void plansReachPeersOnOtherHosts()
    {
        QVERIFY(hall.open() && hall.addHost("a", "10.77.0.2") && hall.addHost("b", "10.77.0.3"));
        PeerProcess* a = hall.startPeer("a", {KindBelegungsPlaner, 0, 1});
        PeerProcess* b = hall.startPeer("b", {KindBelegungsPlaner, 0, 2});
        QVERIFY(a && b);
        PlannerFixture planner;
        QTRY_VERIFY_WITH_TIMEOUT(planner.knows({KindBelegungsPlaner, 0, 1}) && planner.knows({KindBelegungsPlaner, 0, 2}),
                                 generousMs);
        planner.button()->click();
        QCOMPARE(planner.window->network().ownAddress(), TovkaAddress(KindBelegungsPlaner, 0, 0));
        for (int area = 1; area <= 4; ++area)
            planner.setArea(area, plan(2, QString("Area%1").arg(area)));
        for (PeerProcess* peer : {a, b}) {
            for (int area = 1; area <= 4; ++area) {
                const QString prefix = QString("plan from 7/0/0 area=%1 ").arg(area);
                QVERIFY2(peer->waitForLine(prefix, generousMs), qPrintable(peer->lines().join('\n')));
                const QString line = peer->linesStartingWith(prefix).first();
                QVERIFY2(line.endsWith(QString("names=Area%1.1|Area%1.2").arg(area)), qPrintable(line));
            }
        }

        planner.button()->click();
        QCOMPARE(planner.window->network().ownAddress(), TovkaAddress(KindNetMon, 0, 0));
        QVERIFY(a->waitForLine(QString("app- 7/0/0 %1").arg(plannerHost), generousMs));
        planner.setArea(1, plan(1, "Off"));

        planner.button()->click();
        planner.setArea(2, plan(2, "Again"));
        for (PeerProcess* peer : {a, b}) {
            QTRY_VERIFY_WITH_TIMEOUT(peer->lines().filter("names=Again.1|Again.2").size() == 1, generousMs);
            QVERIFY(peer->lines().filter("Off.1").isEmpty());
        }
        QVERIFY2(planner.warnings.isEmpty(), qPrintable(planner.warnings.join('\n')));
        hall.stopPeers();
    }

private:
    TestHall hall;
};

PRIVATE_HOST_TEST_MAIN(TestProgram, plannerHost, true)
#include "tst_program.moc"
