// The transport's sockets on a host of its own with a working loopback: the
// bounded reader, the stuck receive queue, a failed bind and two transports
// talking through a sink that drops, repeats and reorders datagrams.
#include "FakeClock.h"
#include "TransportRig.h"

#include "net/UdpSocketLinux.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/PrivateHost.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QNetworkInterface>
#include <QProcess>
#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

#include <set>

namespace {

const int Patience = 60000;

bool knowsItself(const TovkaNetIo& net)
{
    for (const AppLocation& app : net.peers()) {
        if (app.address == net.ownAddress() && QByteArray(app.hostName) == "halle-a")
            return true;
    }
    return false;
}

// Writes datagrams to the loopback broadcast address as another program would.
void sendToLoopback(QUdpSocket& sender, const Datagram& datagram, int times = 1)
{
    const QByteArray bytes = datagram.bytes();
    for (int i = 0; i < times; ++i)
        sender.writeDatagram(bytes, UdpSocketLinux::loopbackBroadcast(), UdpSocketLinux::port);
}

// Up and running with its address, as the transport's interface list wants it:
// a veth link runs only a moment after it was set up.
bool linkRuns(const QString& name)
{
    const QNetworkInterface iface = QNetworkInterface::interfaceFromName(name);
    const auto needed = QNetworkInterface::IsUp | QNetworkInterface::IsRunning;
    if (!iface.isValid() || (iface.flags() & needed) != needed)
        return false;
    for (const QNetworkAddressEntry& entry : iface.addressEntries()) {
        if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
            return true;
    }
    return false;
}

// A link of the test's own on this host: veth0 at 10.79.0.1, its other end
// up; true once it runs.
bool addLink()
{
    const QString ip = QStringLiteral("ip");
    const bool added = PrivateHost::run(ip, {"link", "add", "veth0", "type", "veth", "peer", "name", "veth1"})
        && PrivateHost::run(ip, {"addr", "add", "10.79.0.1/24", "dev", "veth0"})
        && PrivateHost::run(ip, {"link", "set", "veth0", "up"}) && PrivateHost::run(ip, {"link", "set", "veth1", "up"});
    if (!added)
        return false;
    QElapsedTimer waited;
    waited.start();
    while (!linkRuns(QStringLiteral("veth0"))) {
        if (waited.elapsed() > Patience)
            return false;
        QTest::qWait(20);
    }
    return true;
}

// Whatever a test left behind, the next one starts with only the loopback, up.
void restoreHost()
{
    QProcess ip;
    ip.setProcessChannelMode(QProcess::MergedChannels);
    ip.start(QStringLiteral("ip"), {"link", "del", "veth0"}); // gone already, mostly
    ip.waitForFinished(60000);
    PrivateHost::setLinkUp(QStringLiteral("lo"), true);
}

Datagram foreignPing()
{
    Datagram ping;
    ping.from = TovkaAddress(4, 1, 0);
    ping.host = "halle-x";
    ping.payload = pingPayload(7, 8, "halle-x");
    return ping;
}

} // namespace

class TestTransportSockets : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { restoreHost(); }

    void theReaderTakesABoundedNumberPerCall()
    {
        TransportRig rig;
        QTRY_VERIFY_WITH_TIMEOUT(knowsItself(rig.net), Patience); // the own ping came back
        QUdpSocket sender;
        const int flood = 100; // well within the socket's receive buffer
        rig.sink.clear();
        sendToLoopback(sender, foreignPing(), flood);
        rig.net.recvMoniPort();
        QCOMPARE(rig.sink.count(PacketType::PONG), TovkaNetIo::maxDatagramsPerRead);
        // The rest follows on later turns of the event loop.
        QTRY_COMPARE_WITH_TIMEOUT(rig.sink.count(PacketType::PONG) >= flood, true, Patience);
    }

    void aStuckReceiveQueueIsReportedAfterTwentyChecks()
    {
        TransportRig rig;
        QTRY_VERIFY_WITH_TIMEOUT(knowsItself(rig.net), Patience);
        QSignalSpy notices(&rig.net, &TovkaNetIo::sendTextMessage);
        QUdpSocket sender;
        sendToLoopback(sender, foreignPing());
        for (int i = 0; i < 10; ++i)
            rig.net.checkAlive();
        rig.net.recvMoniPort(); // read at last: the count starts again
        rig.net.checkAlive();
        sendToLoopback(sender, foreignPing());
        for (int i = 0; i < 19; ++i)
            rig.net.checkAlive();
        QCOMPARE(notices.count(), 0);
        rig.net.checkAlive();
        QCOMPARE(notices.count(), 1);
        QVERIFY(notices.first().first().toString().contains(QStringLiteral("Empfangsqueue")));
    }

    void aFailedBindIsLoggedAndTheSocketStaysUnusable()
    {
        // A socket that does not share the port keeps the transport out.
        auto blocker = std::make_unique<QUdpSocket>();
        QVERIFY(blocker->bind(QHostAddress::AnyIPv4, UdpSocketLinux::port, QUdpSocket::DontShareAddress));
        DebugCapture log;
        TovkaNetIo net(0, 0, 0);
        QVERIFY(log.contains(QStringLiteral("bindSocket failed")));
        const QByteArray ping = pingPayload(1, 2, "halle-a");
        const PacketHeader header = PacketHeader::make(PacketType::PING, 0, 0);
        QVERIFY(!net.sendPacket(header, bytes(ping)));

        // When the interface comes up again the socket is bound anew.
        blocker.reset();
        QVERIFY(PrivateHost::setLinkUp(QStringLiteral("lo"), false));
        net.interfaceManager().rescan();
        QVERIFY(PrivateHost::setLinkUp(QStringLiteral("lo"), true));
        net.interfaceManager().rescan();
        QVERIFY(log.contains(QStringLiteral("Interface come up again")));
        QVERIFY(net.sendPacket(header, bytes(ping)));
    }

    void aVersionConflictIsReportedAfterTenChecks()
    {
        TransportRig rig; // the loopback socket was just opened: ten checks to go
        QSignalSpy warnings(&rig.net, &TovkaNetIo::Warning);
        Datagram pong;
        pong.type = PacketType::PONG;
        pong.payload = pongPayload(1, 2, "halle-b");
        pong.version = 11;
        pong.host = "<halle-b>";
        rig.feed(pong);
        rig.feed(pong); // the same line once
        pong.version = 10;
        pong.host = "halle-c";
        pong.from = TovkaAddress(2, 1, 3);
        rig.feed(pong);
        pong.version = 14;
        pong.type = PacketType::PING; // only pongs count
        rig.feed(pong);
        for (int i = 0; i < 9; ++i)
            rig.net.checkAlive();
        QCOMPARE(warnings.count(), 0);
        rig.net.checkAlive();
        QCOMPARE(warnings.count(), 1);
        const QString text = warnings.first().first().toString();
        QVERIFY(text.contains(QStringLiteral("FL=0 NetMon (&lt;halle-b&gt;)  <b>&auml;ltere</b> Version<br>")));
        QVERIFY(text.contains(QStringLiteral("FL=1 Jury_3 (halle-c)  <b>&auml;ltere</b> Version<br>")));
        QCOMPARE(text.count(QStringLiteral("Version<br>")), 2);
        for (int i = 0; i < 20; ++i)
            rig.net.checkAlive();
        QCOMPARE(warnings.count(), 1);
    }

    void theVersionConflictTextIsBounded()
    {
        TransportRig rig;
        QSignalSpy warnings(&rig.net, &TovkaNetIo::Warning);
        Datagram pong;
        pong.type = PacketType::PONG;
        pong.payload = pongPayload(1, 2, "x");
        pong.version = 13;
        for (int i = 0; i < 200; ++i) {
            pong.host = QByteArray("halle-") + QByteArray::number(i);
            rig.feed(pong);
        }
        for (int i = 0; i < 10; ++i)
            rig.net.checkAlive();
        QCOMPARE(warnings.count(), 1);
        QCOMPARE(warnings.first().first().toString().count(QStringLiteral("<b>neuere</b> Version<br>")),
                 TovkaNetIo::maxVersionConflictLines);
    }

    void everySocketKeepsHearingWhileOthersAreRead()
    {
        // A link of its own on this host, so one datagram reaches two sockets:
        // the loopback one and, through the multicast loop, the veth0 one.
        QVERIFY(addLink());
        {
            TransportRig rig; // no alive check: only the sockets' own signals read
            QTRY_VERIFY_WITH_TIMEOUT(knowsItself(rig.net), Patience);
            QUdpSocket lan;
            lan.bind(QHostAddress(QHostAddress::AnyIPv4), 0);
            lan.setMulticastInterface(QNetworkInterface::interfaceFromName(QStringLiteral("veth0")));
            QUdpSocket loopback;
            const QByteArray ping = foreignPing().bytes();
            const auto answers = [&rig] {
                int n = 0;
                for (const QByteArray& datagram : rig.sink.written())
                    n += quint8(datagram[15]) == PacketType::PONG && datagram.mid(88, 8) == QByteArray("halle-x\0", 8);
                return n;
            };
            for (int round = 0; round < 20; ++round) {
                const int before = answers();
                // On both sockets at once: one socket's signal must not read
                // the other's datagram ...
                lan.writeDatagram(ping, UdpSocketLinux::multicastGroup(), UdpSocketLinux::port);
                loopback.writeDatagram(ping, UdpSocketLinux::loopbackBroadcast(), UdpSocketLinux::port);
                QTRY_VERIFY_WITH_TIMEOUT(answers() == before + 2, Patience);
                // ... or that socket would not signal the next one.
                if (round % 2)
                    lan.writeDatagram(ping, UdpSocketLinux::multicastGroup(), UdpSocketLinux::port);
                else
                    loopback.writeDatagram(ping, UdpSocketLinux::loopbackBroadcast(), UdpSocketLinux::port);
                QTRY_VERIFY_WITH_TIMEOUT(answers() == before + 3, Patience);
            }
        }
    }

    void interfacesComingAndGoingRaiseNetworkAlerts()
    {
        TransportRig rig;
        QList<bool> alerts;
        connect(&rig.net, &TovkaNetIo::networkAlert, this, [&](bool alert, const QString&) { alerts << alert; });
        QVERIFY(addLink());
        rig.net.interfaceManager().rescan();
        QCOMPARE(alerts, QList<bool>{false}); // the first external interface

        // Heard over the loopback only for more than 25 s: the own packets
        // no longer come back over the external network.
        QSignalSpy warnings(&rig.net, &TovkaNetIo::Warning);
        Datagram echo;
        echo.type = PacketType::PONG;
        echo.host = "halle-a";
        echo.payload = pongPayload(1, 2, "halle-a");
        rig.feed(echo, QStringLiteral("127.0.0.1"));
        rig.net.checkAlive();
        rig.clock.advanceSeconds(26);
        rig.feed(echo, QStringLiteral("127.0.0.1"));
        rig.net.checkAlive();
        QCOMPARE(warnings.count(), 1);
        QVERIFY(warnings.first().first().toString().contains(QStringLiteral("FIREWALL AKTIV")));
        rig.net.checkAlive();
        QCOMPARE(warnings.count(), 1); // once per loss of the echo

        QVERIFY(PrivateHost::run(QStringLiteral("ip"), {"link", "set", "veth0", "down"}));
        rig.net.interfaceManager().rescan();
        QCOMPARE(alerts, (QList<bool>{false, true})); // the last one went
        QVERIFY(PrivateHost::run(QStringLiteral("ip"), {"link", "del", "veth0"}));
        rig.net.interfaceManager().rescan();
    }

    void onlyALoopbackNeverRaisesTheEchoAlert()
    {
        TransportRig rig;
        QSignalSpy warnings(&rig.net, &TovkaNetIo::Warning);
        Datagram echo;
        echo.type = PacketType::PONG;
        echo.host = "halle-a";
        echo.payload = pongPayload(1, 2, "halle-a");
        for (int i = 0; i < 3; ++i) {
            rig.feed(echo, QStringLiteral("127.0.0.1"));
            rig.clock.advanceSeconds(30);
            rig.net.checkAlive();
        }
        QCOMPARE(warnings.count(), 0);
    }

    void everyTwelfthFailedWriteAsksForAReconnect()
    {
        QVERIFY(addLink());
        DebugCapture log;
        // Only the test's pings reach the sockets: a heartbeat failing in
        // between would count as well.
        RecordingSink sink;
        TovkaNetIo net(0, 0, 0);
        sink.setDownstream(&net);
        sink.dropType(PacketType::PONG);
        net.setDatagramSink(&sink);
        net.setDialogHook([](const QString&, const QString&) { return true; });
        net.enableRejoin(true);
        const auto count = [&log](const QString& part) {
            int n = 0;
            for (const QString& line : log.lines())
                n += line.contains(part) ? 1 : 0;
            return n;
        };
        const QString failed = QStringLiteral("sendPacket failed:");
        QCOMPARE(count(failed), 0);
        // The link goes down before the rescan has seen it: writes on it fail.
        QVERIFY(PrivateHost::run(QStringLiteral("ip"), {"link", "set", "veth0", "down"}));
        for (int i = 0; i < 11; ++i)
            net.sendPing(); // the loopback still takes them
        QCOMPARE(count(failed), 11);
        net.sendPing();
        QCOMPARE(count(failed), 12);
        QCOMPARE(count(QStringLiteral("TovkaNetIo::reconnect()")), 0); // asked for, queued
        QTRY_COMPARE_WITH_TIMEOUT(count(QStringLiteral("TovkaNetIo::reconnect()")), 1, Patience);
        net.enableRejoin(false);
    }

    void theRejoinWorkAroundAsksFirst()
    {
        DebugCapture log;
        TransportRig rig;
        QStringList asked;
        bool answer = false;
        rig.net.setDialogHook([&](const QString& title, const QString&) {
            asked << title;
            return answer;
        });
        rig.net.slotReconnect(); // refused by the user
        rig.net.enableRejoin(true);
        QCOMPARE(asked, (QStringList{QStringLiteral("Netzwerk rücksetzen"), QStringLiteral("Netzwerk Bugfix")}));
        QVERIFY(!log.contains(QStringLiteral("TovkaNetIo::reconnect()")));
        answer = true;
        rig.net.slotReconnect();
        QVERIFY(log.contains(QStringLiteral("TovkaNetIo::reconnect()")));
        QVERIFY(log.contains(QStringLiteral("Interface come up again")));
        rig.net.enableRejoin(false);
    }

    void everyPacketArrivesOnceThroughDropsRepeatsAndReordering()
    {
        RecordingSink planSink(nullptr, 4711);
        RecordingSink officeSink(nullptr, 815);
        TovkaNetIo planner(7, 0, 0);
        TovkaNetIo office(3, 0, 0);
        planSink.setDownstream(&planner);
        officeSink.setDownstream(&office);
        planSink.setLoss(0.3, 0.2, 0.2);
        officeSink.setLoss(0.3, 0.2, 0.2);
        planner.setDatagramSink(&planSink);
        office.setDatagramSink(&officeSink);
        QTRY_VERIFY_WITH_TIMEOUT(planner.hasApp(TovkaAddress(3, 0, 0)), Patience);

        QStringList delivered;
        connect(&office, qOverload<const void*, int, TovkaAddress&>(&TovkaNetIo::dataReceived), this,
                [&](const void* data, int length, TovkaAddress&) {
                    delivered << QString::fromUtf8(static_cast<const char*>(data), length);
                });
        int done = 0;
        connect(&planner, &TovkaNetIo::TxSuccess, this, [&](int) { ++done; });
        connect(&planner, &TovkaNetIo::TxFailure, this, [&](int, const QString&) { ++done; });
        const TovkaAddress to(3, 0, 0);
        const int packets = 20;
        for (int i = 0; i < packets; ++i) {
            const QByteArray text = "Plan " + QByteArray::number(i);
            planner.sendData(text.constData(), quint32(text.size()), &to);
        }
        QTRY_VERIFY_WITH_TIMEOUT(done == packets, 120000);
        QTRY_VERIFY_WITH_TIMEOUT(delivered.size() >= packets, Patience);
        QCOMPARE(delivered.size(), packets);
        QCOMPARE(int(std::set<QString>(delivered.begin(), delivered.end()).size()), packets);
        QVERIFY(planSink.passedOn() > 0);
    }
};

PRIVATE_HOST_TEST_MAIN(TestTransportSockets, "halle-a", true)
#include "tst_transport_sockets.moc"
