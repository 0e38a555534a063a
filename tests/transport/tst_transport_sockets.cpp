// The transport's sockets on a host of its own with a working loopback: the
// bounded reader, every socket heard, the stuck receive queue, a failed bind,
// failed writes and the echo alert on a link of the test's own.
#include "TransportRig.h"

#include "net/transport/UdpSocketLinux.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/PrivateHost.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QNetworkInterface>
#include <QProcess>
#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

namespace {

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

bool ip(const QStringList& arguments) { return PrivateHost::run(QStringLiteral("ip"), arguments); }

// A link of the test's own on this host: veth0 at 10.79.0.1, its other end
// up; true once it runs.
bool addLink()
{
    if (!(ip({"link", "add", "veth0", "type", "veth", "peer", "name", "veth1"})
          && ip({"addr", "add", "10.79.0.1/24", "dev", "veth0"}) && ip({"link", "set", "veth0", "up"})
          && ip({"link", "set", "veth1", "up"})))
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
    // Whatever a test left behind, the next one starts with only the loopback, up.
    void cleanup()
    {
        QProcess ip;
        ip.setProcessChannelMode(QProcess::MergedChannels);
        ip.start(QStringLiteral("ip"), {"link", "del", "veth0"}); // gone already, mostly
        ip.waitForFinished(Patience);
        PrivateHost::setLinkUp(QStringLiteral("lo"), true);
    }

    void theReaderTakesABoundedNumberPerCall()
    {
        TransportRig rig;
        QTRY_VERIFY_WITH_TIMEOUT(knows(rig.net, Monitor, "halle-a"), Patience); // the own ping came back
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
        QTRY_VERIFY_WITH_TIMEOUT(knows(rig.net, Monitor, "halle-a"), Patience);
        QSignalSpy notices(&rig.net, &TovkaNetIo::sendTextMessage);
        QUdpSocket sender;
        sendToLoopback(sender, foreignPing());
        rig.check(10);
        rig.net.recvMoniPort(); // read at last: the count starts again
        rig.check();
        sendToLoopback(sender, foreignPing());
        rig.check(19);
        QCOMPARE(notices.count(), 0);
        rig.check();
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
        rig.feed(heartbeat(Monitor, "<halle-b>", 11));
        rig.feed(heartbeat(Monitor, "<halle-b>", 11)); // the same line once
        Datagram pong = heartbeat(TovkaAddress(2, 1, 3), "halle-c", 10);
        rig.feed(pong);
        pong.version = 14;
        pong.type = PacketType::PING; // only pongs count
        rig.feed(pong);
        rig.check(9);
        QCOMPARE(warnings.count(), 0);
        rig.check();
        QCOMPARE(warnings.count(), 1);
        const QString text = warnings.first().first().toString();
        QVERIFY(text.contains(QStringLiteral("FL=0 NetMon (&lt;halle-b&gt;)  <b>&auml;ltere</b> Version<br>")));
        QVERIFY(text.contains(QStringLiteral("FL=1 Jury_3 (halle-c)  <b>&auml;ltere</b> Version<br>")));
        QCOMPARE(text.count(QStringLiteral("Version<br>")), 2);
        rig.check(20);
        QCOMPARE(warnings.count(), 1);

        // However many peers differ, the text stays bounded.
        TransportRig many;
        QSignalSpy manyWarnings(&many.net, &TovkaNetIo::Warning);
        for (int i = 0; i < 200; ++i)
            many.feed(heartbeat(Monitor, QByteArray("halle-" + QByteArray::number(i)).constData(), 13));
        many.check(10);
        QCOMPARE(manyWarnings.first().first().toString().count(QStringLiteral("<b>neuere</b> Version<br>")),
                 TovkaNetIo::maxVersionConflictLines);
    }

    void everySocketKeepsHearingWhileOthersAreRead()
    {
        // A link of its own on this host, so one datagram reaches two sockets:
        // the loopback one and, through the multicast loop, the veth0 one.
        QVERIFY(addLink());
        TransportRig rig; // no alive check: only the sockets' own signals read
        QTRY_VERIFY_WITH_TIMEOUT(knows(rig.net, Monitor, "halle-a"), Patience);
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

    void theEchoAlertNeedsAnExternalInterface_data()
    {
        QTest::addColumn<bool>("withLink");
        QTest::newRow("loopback only") << false;
        QTest::newRow("with a link") << true;
    }

    void theEchoAlertNeedsAnExternalInterface()
    {
        QFETCH(bool, withLink);
        TransportRig rig;
        QList<bool> alerts;
        connect(&rig.net, &TovkaNetIo::networkAlert, this, [&](bool alert, const QString&) { alerts << alert; });
        if (withLink) {
            QVERIFY(addLink());
            rig.net.interfaceManager().rescan();
            QCOMPARE(alerts, QList<bool>{false}); // the first external interface
        }
        // Heard over the loopback only for more than 25 s: the own packets
        // no longer come back over the external network.
        QSignalSpy warnings(&rig.net, &TovkaNetIo::Warning);
        for (int i = 0; i < 3; ++i) {
            rig.feed(heartbeat(Monitor, "halle-a"), QStringLiteral("127.0.0.1"));
            rig.check();
            rig.clock.advanceSeconds(26);
        }
        QCOMPARE(warnings.count(), withLink ? 1 : 0); // once per loss of the echo
        if (!withLink)
            return;
        QVERIFY(warnings.first().first().toString().contains(QStringLiteral("FIREWALL AKTIV")));
        QVERIFY(ip({"link", "set", "veth0", "down"}));
        rig.net.interfaceManager().rescan();
        QCOMPARE(alerts, (QList<bool>{false, true})); // the last one went
        QVERIFY(ip({"link", "del", "veth0"}));
        rig.net.interfaceManager().rescan();
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
        const auto count = [&log](const QString& part) { return log.lines().filter(part).size(); };
        const QString failed = QStringLiteral("sendPacket failed:");
        const QString reconnect = QStringLiteral("TovkaNetIo::reconnect()");
        // The link goes down before the rescan has seen it: writes on it fail.
        QVERIFY(ip({"link", "set", "veth0", "down"}));
        for (int i = 0; i < 11; ++i)
            net.sendPing(); // the loopback still takes them
        QCOMPARE(count(failed), 11);
        net.sendPing();
        QCOMPARE(count(failed), 12);
        QCOMPARE(count(reconnect), 0); // asked for, queued
        QTRY_COMPARE_WITH_TIMEOUT(count(reconnect), 1, Patience);
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
};

PRIVATE_HOST_TEST_MAIN(TestTransportSockets, "halle-a", true)
#include "tst_transport_sockets.moc"
