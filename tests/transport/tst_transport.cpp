// The transport on a host of its own, what its plain parts do not show
// alone: what the writer puts on the wire, the signals, the own address and
// its switch, the heartbeat thread, and, with the loopback up, the sockets:
// the bounded reader, every socket heard, the stuck receive queue, failed
// writes and the alerts of the alive check.
#include "TransportRig.h"

#include "net/transport/UdpSocketLinux.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/PrivateHost.h"

#include <QApplication>
#include <QNetworkInterface>
#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

#include <thread>

namespace {

bool sh(const QString& script)
{
    return PrivateHost::run(QStringLiteral("sh"), {QStringLiteral("-c"), script});
}

// A link of the test's own, veth0 at 10.79.0.1; true once it runs with its
// address, as the transport's interface list wants it.
bool addLink()
{
    return sh("ip link add veth0 type veth peer name veth1 && ip addr add 10.79.0.1/24 dev veth0"
              " && ip link set veth0 up && ip link set veth1 up")
           && QTest::qWaitFor(
               [] {
                   const QNetworkInterface iface = QNetworkInterface::interfaceFromName(QStringLiteral("veth0"));
                   return iface.flags().testFlag(QNetworkInterface::IsRunning) && !iface.addressEntries().isEmpty();
               },
               Patience);
}

Datagram foreignPing()
{
    Datagram ping;
    ping.from = TovkaAddress(4, 1, 0);
    ping.host = "halle-x";
    ping.payload = pingPayload(7, 8, "halle-x");
    return ping;
}

void sendToLoopback(int times = 1)
{
    QUdpSocket sender;
    for (int i = 0; i < times; ++i)
        sender.writeDatagram(foreignPing().bytes(), UdpSocketLinux::loopbackBroadcast(), UdpSocketLinux::port);
}

QString firstText(const QSignalSpy& spy)
{
    return spy.value(0).value(0).toString();
}

} // namespace

class TestTransport : public QObject
{
    Q_OBJECT

private slots:
    // Each test starts without a usable interface, so a transport opens no socket.
    void init() { QVERIFY(sh("ip link del veth0 2>/dev/null; ip link set lo down")); }

    void signalsAndSlotsKeepTheirOrder()
    {
        // Peers of this class connect by signature and index; the order is part of its face.
        const QString expected =
            "dataReceived(const void*,int,TovkaAddress&) dataReceived(QByteArray,TovkaAddress) TxSuccess(int) "
            "TxFailure(int,QString) newApp(AppLocation) appLost(AppLocation) Warning(QString) networkAlert(bool,QString) "
            "ownAddrChanged(TovkaAddress&) StatisticReceived(NetStatisticList,TovkaAddress&) sendTextMessage(QString) "
            "slotReconnect(QWidget*) slotReconnect() enableRejoin(bool) reconnect() "
            "closeSocket(QUdpSocket*) recvMoniPort() sendPacketFromQueue(QueuePacket*) sendPacketFromQueue() "
            "ifUp(const ExtendedNetworkInterface*) ifDown(const ExtendedNetworkInterface*) sendPing() sendPong() "
            "sendStatistic(NetStatisticList) checkAlive() sendShutdown()";
        const QMetaObject& meta = TovkaNetIo::staticMetaObject;
        QStringList found;
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
            found << QString::fromLatin1(meta.method(i).methodSignature());
        QCOMPARE(found.join(' '), expected);
    }

    void hostileDatagramsAreDropped_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        Datagram ping;
        ping.payload = pingPayload(1, 2, "halle-b");
        QByteArray badSum = ping.bytes();
        badSum[40] = char(badSum[40] ^ 0x20);
        QTest::newRow("wrong checksum") << badSum;
        // From the own address: a duplicate if it were read.
        ping = heartbeat(Planner, "halle-b");
        ping.payload.chop(1);
        QTest::newRow("pong of 71") << ping.bytes();
        ping.payload.clear();
        QTest::newRow("empty pong") << ping.bytes();
        ping.type = PacketType::PING;
        ping.payload = pingPayload(1, 2, "halle-b").left(67);
        QTest::newRow("ping of 67") << ping.bytes();
    }

    void hostileDatagramsAreDropped()
    {
        QFETCH(QByteArray, bytes);
        TransportRig rig(7, 0, 0);
        QSignalSpy warnings(&rig.net, &TovkaNetIo::Warning);
        rig.sink.clear();
        receive(rig.net, bytes);
        QVERIFY(rig.net.peers().isEmpty());
        QVERIFY(rig.sink.written().isEmpty() && warnings.isEmpty());
    }

    void switchingOnAnnouncesTheNewAddressUnlessItIsInUse()
    {
        TransportRig rig;
        int changed = 0;
        connect(&rig.net, &TovkaNetIo::ownAddrChanged, this, [&](TovkaAddress&) { ++changed; });
        QSignalSpy warnings(&rig.net, &TovkaNetIo::Warning);
        QSignalSpy lost(&rig.net, &TovkaNetIo::appLost);
        rig.addPeer(Planner, "<i>halle-b</i>");
        rig.sink.clear();
        QVERIFY(!rig.net.setOwnAddress(7, 0, 0));
        QCOMPARE(warnings.count(), 1);
        QVERIFY(firstText(warnings).contains(QStringLiteral("'<b>&lt;i&gt;halle-b&lt;/i&gt;</b>'")));
        rig.feed(shutdownNotice(Planner, "<i>halle-b</i>")); // the other one went
        QCOMPARE(lost.count(), 1);
        QVERIFY(rig.net.announce());
        QVERIFY(rig.net.setOwnAddress(7, 0, 0));
        QVERIFY(rig.net.setOwnAddress(7, 0, 0)); // the same again is only signalled
        QCOMPARE(rig.sent(), (QStringList{"ping 00", "shutdown 00", "ping 70"}));
        QCOMPARE(changed, 2);
        QCOMPARE(rig.net.ownAddress(), Planner);
        rig.addPeer(Monitor, "halle-m");
        QVERIFY(rig.net.setOwnAddress(0, 0, 0)); // the monitor address is never refused
    }

    void theHeartbeatRunsOnTheWorkerAndTakesANewInterval()
    {
        DebugCapture log;
        std::atomic<QThread*> beating{nullptr};
        TransportRig rig;
        rig.sink.setWriteHook([&beating](const PacketHeader& header) {
            if (header.type == PacketType::PONG)
                beating = QThread::currentThread();
        });
        rig.net.setOwnAddress(7, 0, 0);
        // The first beat, due after the monitor's interval, takes the new one.
        QTRY_VERIFY_WITH_TIMEOUT(
            beating.load() && log.contains(QStringLiteral("heartbeat interval changed: 5000 --> 8500")), Patience);
        QCOMPARE(beating.load(), rig.net.findChild<QThread*>());
        QVERIFY(beating.load() != QThread::currentThread());
        // The heartbeat: a pong with the own time and name and no address.
        rig.sink.homeThreadOnly = false;
        const QByteArray pong = rig.sink.written().last().mid(PacketHeader::Size);
        QCOMPARE(pong.mid(8, 8), QByteArray("halle-a\0", 8));
        QCOMPARE(pong.right(4), QByteArray(4, '\0'));
    }

    void aRunningDuplicateIsWarnedAboutOneWarningAtATime()
    {
        for (quint32 kind : {0, 5}) { // many monitors and information terminals may run
            TransportRig other(kind, 0, 0);
            QSignalSpy warnings(&other.net, &TovkaNetIo::Warning);
            other.addPeer(TovkaAddress(kind, 0, 0), "halle-c");
            QCOMPARE(warnings.count(), 0);
        }
        TransportRig rig(7, 0, 0);
        int depth = 0;
        int deepest = 0;
        QStringList shown;
        connect(&rig.net, &TovkaNetIo::Warning, this, [&](const QString& text) {
            deepest = qMax(deepest, ++depth);
            shown << text;
            // A modal box runs the event loop: the duplicate beats again,
            // and another duplicate appears.
            if (shown.size() == 1) {
                rig.addPeer(Planner, "halle-c");
                rig.addPeer(Planner, "halle-d");
                rig.addPeer(Planner, "halle-d");
            }
            --depth;
        });
        rig.addPeer(Planner, "halle-a"); // the own packets coming back
        rig.addPeer(Planner, "halle-c");
        QCOMPARE(deepest, 1);
        // The same text while it shows is merged; the other follows it.
        QCOMPARE(shown.size(), 2);
        QVERIFY(shown[0].contains(QStringLiteral("'<b>halle-c</b>'")));
        QVERIFY(shown[1].contains(QStringLiteral("'<b>halle-d</b>'")));
    }

    void dataThatCannotGoIsRefusedOrGivenUp()
    {
        TransportRig rig;
        QCOMPARE(rig.net.sendData("plan", 4, &Office), -1); // monitor address
        rig.net.setOwnAddress(7, 0, 0);
        QCOMPARE(rig.net.sendData("plan", 1025, &Office), -1);
        QCOMPARE(rig.net.sendData(nullptr, 4, &Office), -1);
        QCOMPARE(rig.sink.headers(PacketType::DATA).size(), 0);
        // Nobody to acknowledge: written once and given up. The receiver of
        // the failure may queue data again at once.
        const TovkaAddress timekeeper(8, 0, 0);
        QStringList reasons;
        connect(&rig.net, &TovkaNetIo::TxFailure, this, [&](int, const QString& reason) {
            reasons << reason;
            if (reasons.size() == 1)
                QCOMPARE(rig.net.sendData("again", 5, &timekeeper), 2);
        });
        QCOMPARE(rig.net.sendData("first", 5, &timekeeper), 1);
        const QString reason = QStringLiteral("no such app: 8 fl: 0 sub:0 ");
        QCOMPARE(reasons, (QStringList{reason, reason}));
        QCOMPARE(rig.sink.headers(PacketType::DATA).size(), 2);
        QCOMPARE(rig.net.queuedPackets(), 0);
    }

    void dataIsDeliveredOnceAndEachTransmissionAcknowledgedOnce()
    {
        TransportRig rig(7, 0, 2);
        Datagram data = dataPacket(2, TovkaAddress(7, 0, 0), 1, "der Plan");
        data.delay = 1234;
        rig.sink.clear();
        // Each transmission arrives through two sockets; the repeat must
        // refresh the sender's record, or its second copy is taken for
        // another repeat and acknowledged again.
        for (quint16 counter : {1, 1, 2, 2}) {
            data.counter = counter;
            rig.feed(data);
        }
        QCOMPARE(rig.delivered, QList<QByteArray>{"der Plan"});
        QCOMPARE(rig.senders, QList<TovkaAddress>{Office});
        QCOMPARE(rig.net.lastDataDelay(), 1234u);
        const QList<PacketHeader> acks = rig.sink.headers(PacketType::ACK);
        QCOMPARE(acks.size(), 2);
        QCOMPARE(acks.last().sequence, 2u);
        QCOMPARE(int(acks.first().destinationAddress), 0x30);
        QCOMPARE(int(acks.first().sourceInstance), 2);
    }

    void statisticsGoOutInPacketsOf32AndAreHandedOnWhole()
    {
        TransportRig rig(7, 0, 0);
        const NetStatisticList list = QVector<NetStatistic>(33).toList();
        QList<int> received;
        connect(&rig.net, &TovkaNetIo::StatisticReceived, this, [&](const NetStatisticList& got, TovkaAddress& from) {
            received << got.size();
            QCOMPARE(from, Office);
        });
        rig.sink.clear();
        rig.net.sendStatistic(list);
        for (const QByteArray& written : rig.sink.written()) {
            Datagram statistic = dataPacket(0, Planner, 0, written.mid(PacketHeader::Size));
            statistic.type = PacketType::STATISTIC;
            rig.feed(statistic);
        }
        QCOMPARE(received, (QList<int>{32, 1}));
    }

    void destinationsFollowTheJuryModeAndTheOfficeRule()
    {
        TransportRig jury(2, 1, 1);
        jury.net.setJuryMode(true);
        const TovkaAddress chief(1, 1, 0);
        jury.net.sendData("mark", 4, &chief);
        QCOMPARE(int(jury.sink.headers(PacketType::DATA).first().destinationAddress), 0x60);
        TransportRig planner(7, 0, 0);
        planner.net.setJuryMode(true); // only a jury has the mode
        QVERIFY(!planner.net.juryMode());
        // The office is addressed without sub-kind and instance.
        const TovkaAddress office(3, 2, 5);
        planner.net.sendData("x", 1, &office);
        const PacketHeader header = planner.sink.headers(PacketType::DATA).first();
        QCOMPARE(int(header.destinationAddress), 0x30);
        QCOMPARE(int(header.destinationInstance), 0);
    }

    void switchingAwayGivesUpQueuedPacketsBeforeTheShutdown()
    {
        TransportRig rig(7, 0, 0);
        rig.addPeer(Office);
        QList<int> failed;
        connect(&rig.net, &TovkaNetIo::TxFailure, this, [&](int sequence, const QString& reason) {
            QCOMPARE(reason, QStringLiteral("own address changed"));
            failed << sequence;
            if (failed.size() == 1) // queued again while the old address is given up
                rig.net.sendData("again", 5, &Office);
        });
        rig.net.sendData("first", 5, &Office);
        rig.net.sendData("second", 6, &Office);
        rig.sink.clear();
        QVERIFY(rig.net.setOwnAddress(0, 0, 0));
        QCOMPARE(failed, (QList<int>{1, 2, 3}));
        QCOMPARE(rig.net.queuedPackets(), 0);
        QTest::qWait(2 * SendQueue::resendIntervalMs); // no repeat is due any more
        const QStringList sent = rig.sent();
        QCOMPARE(sent.mid(sent.indexOf(QStringLiteral("shutdown 70"))), (QStringList{"shutdown 70", "ping 00"}));
        // The own old record is not back: switching on again is not refused.
        QVERIFY(rig.net.setOwnAddress(7, 0, 0));
    }

    void aHeartbeatHeldUpByTheSwitchCarriesTheNewAddress()
    {
        std::thread beat;
        bool started = false; // the hook runs on this thread for a shutdown
        TransportRig rig(7, 0, 0);
        rig.sink.homeThreadOnly = false;
        rig.sink.setWriteHook([&](const PacketHeader& header) {
            if (header.type != PacketType::SHUTDOWN || started)
                return;
            started = true;
            // The heartbeat comes due while the shutdown is being written.
            beat = std::thread([&] { rig.net.sendPong(); });
            QThread::msleep(100);
        });
        QVERIFY(rig.net.setOwnAddress(3, 0, 0));
        beat.join();
        QStringList sent = rig.sent();
        sent = sent.mid(sent.indexOf(QStringLiteral("shutdown 70")));
        QVERIFY(sent.contains(QStringLiteral("pong 30")));
        QVERIFY(!sent.contains(QStringLiteral("pong 70")));
    }

    void afterTheShutdownNothingIsWritten()
    {
        RecordingSink sink;
        {
            TovkaNetIo net(7, 0, 0); // gone without a quit: it says so itself
            net.setDatagramSink(&sink);
        }
        QCOMPARE(sink.headers(PacketType::SHUTDOWN).size(), 1);
        sink.clear();
        {
            // The program never destroys its transport: its notice goes out
            // when the application quits.
            TovkaNetIo net(7, 0, 0);
            net.setDatagramSink(&sink);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            QCoreApplication::exec();
            QCOMPARE(sink.headers(PacketType::SHUTDOWN).size(), 1);
            net.sendPong();
            net.sendPing();
            receive(net, foreignPing());
        }
        // Nothing followed it, the destructor's shutdown neither.
        QCOMPARE(sink.written().size(), 1);
    }

    void theReaderTakesABoundedNumberPerCallAndAStuckQueueIsReported()
    {
        QVERIFY(sh("ip link set lo up"));
        TransportRig rig;
        QTRY_VERIFY_WITH_TIMEOUT(knows(rig.net, Monitor, "halle-a"), Patience); // the own ping came back
        QSignalSpy notices(&rig.net, &TovkaNetIo::sendTextMessage);
        const int flood = 100; // well within the socket's receive buffer
        rig.sink.clear();
        sendToLoopback(flood);
        rig.net.recvMoniPort();
        QCOMPARE(rig.sink.headers(PacketType::PONG).size(), TovkaNetIo::maxDatagramsPerRead);
        // Datagrams left unread for twenty checks in a row are reported; a read starts the count again.
        rig.check(10);
        rig.net.recvMoniPort();
        rig.check();
        sendToLoopback();
        rig.check(19);
        QCOMPARE(notices.count(), 0);
        rig.check();
        QCOMPARE(notices.count(), 1);
        QVERIFY(firstText(notices).contains(QStringLiteral("Empfangsqueue")));
        // The rest follows on later turns of the event loop.
        QTRY_COMPARE_WITH_TIMEOUT(rig.sink.headers(PacketType::PONG).size(), flood + 1, Patience);
    }

    void aVersionConflictIsReportedAfterTenChecks()
    {
        QVERIFY(sh("ip link set lo up"));
        TransportRig rig; // the loopback socket was just opened: ten checks to go
        QSignalSpy warnings(&rig.net, &TovkaNetIo::Warning);
        rig.feed(heartbeat(Monitor, "<halle-b>", 11));
        rig.feed(heartbeat(Monitor, "<halle-b>", 11)); // the same line once
        Datagram ping = heartbeat(TovkaAddress(2, 1, 3), "halle-c", 14);
        ping.type = PacketType::PING; // only pongs count
        rig.feed(ping);
        for (int i = 0; i < 200; ++i) // however many peers differ, the text stays bounded
            rig.feed(heartbeat(Monitor, QByteArray("halle-" + QByteArray::number(i)).constData(), 13));
        rig.check(9);
        QCOMPARE(warnings.count(), 0);
        rig.check(20);
        QCOMPARE(warnings.count(), 1);
        const QStringList lines = firstText(warnings).split(QStringLiteral("<br>"));
        QCOMPARE(lines.filter(QStringLiteral(" Version")).size(), TovkaNetIo::maxVersionConflictLines);
        QCOMPARE(lines.filter(QStringLiteral("halle-b")),
                 QStringList{"FL=0 NetMon (&lt;halle-b&gt;)  <b>&auml;ltere</b> Version"});
        QVERIFY(lines.filter(QStringLiteral("halle-c")).isEmpty());
        QVERIFY(lines.contains(QStringLiteral("FL=0 NetMon (halle-0)  <b>neuere</b> Version")));
    }

    void everySocketKeepsHearingWhileOthersAreRead()
    {
        // A link of its own on this host, so one datagram reaches two sockets:
        // the loopback one and, through the multicast loop, the veth0 one.
        QVERIFY(sh("ip link set lo up") && addLink());
        TransportRig rig; // no alive check: only the sockets' own signals read
        QTRY_VERIFY_WITH_TIMEOUT(knows(rig.net, Monitor, "halle-a"), Patience);
        QUdpSocket lan;
        lan.bind(QHostAddress(QHostAddress::AnyIPv4), 0);
        lan.setMulticastInterface(QNetworkInterface::interfaceFromName(QStringLiteral("veth0")));
        const auto write = [&](bool toLan) {
            if (toLan)
                lan.writeDatagram(foreignPing().bytes(), UdpSocketLinux::multicastGroup(), UdpSocketLinux::port);
            else
                sendToLoopback();
        };
        rig.sink.clear();
        for (int round = 0; round < 20; ++round) {
            // On both sockets at once: one socket's signal must not read the
            // other's datagram, or that socket would not signal the next one.
            write(true);
            write(false);
            QTRY_COMPARE_WITH_TIMEOUT(rig.sink.headers(PacketType::PONG).size(), round * 3 + 2, Patience);
            write(round % 2);
            QTRY_COMPARE_WITH_TIMEOUT(rig.sink.headers(PacketType::PONG).size(), round * 3 + 3, Patience);
        }
    }

    void theEchoAlertNeedsAnExternalInterface()
    {
        QVERIFY(sh("ip link set lo up"));
        TransportRig rig;
        QList<bool> alerts;
        connect(&rig.net, &TovkaNetIo::networkAlert, this, [&](bool alert, const QString&) { alerts << alert; });
        QSignalSpy warnings(&rig.net, &TovkaNetIo::Warning);
        // Heard over the loopback only for more than 25 s: with an external
        // interface, the own packets no longer come back over it.
        const auto onlyLoopbackFor78Seconds = [&rig] {
            for (int i = 0; i < 3; ++i) {
                rig.feed(heartbeat(Monitor, "halle-a"), QStringLiteral("127.0.0.1"));
                rig.check();
                rig.clock.advanceSeconds(26);
            }
        };
        onlyLoopbackFor78Seconds();
        QCOMPARE(warnings.count(), 0);
        QVERIFY(addLink());
        rig.net.interfaceManager().rescan();
        QCOMPARE(alerts, QList<bool>{false}); // the first external interface
        onlyLoopbackFor78Seconds();
        QCOMPARE(warnings.count(), 1); // once per loss of the echo
        QVERIFY(firstText(warnings).contains(QStringLiteral("FIREWALL AKTIV")));
        QVERIFY(sh("ip link set veth0 down"));
        rig.net.interfaceManager().rescan();
        QCOMPARE(alerts, (QList<bool>{false, true})); // the last one went
    }

    void aReconnectFollowsTheTwelfthFailedWriteOrTheUsersYes()
    {
        QVERIFY(sh("ip link set lo up") && addLink());
        DebugCapture log;
        // Only the test's pings reach the sockets: a heartbeat failing in
        // between would count as well.
        RecordingSink sink;
        TovkaNetIo net(0, 0, 0);
        sink.setDownstream(&net, PacketType::PONG);
        net.setDatagramSink(&sink);
        QStringList asked;
        bool yes = false;
        net.setDialogHook([&](const QString& title, const QString&) {
            asked << title;
            return yes;
        });
        const auto reconnects = [&log] { return log.lines().filter(QStringLiteral("TovkaNetIo::reconnect()")).size(); };
        net.enableRejoin(true);
        net.slotReconnect(); // refused by the user
        QCOMPARE(asked, (QStringList{QStringLiteral("Netzwerk Bugfix"), QStringLiteral("Netzwerk rücksetzen")}));
        // The link goes down before the rescan has seen it: writes on it fail.
        QVERIFY(sh("ip link set veth0 down"));
        for (int i = 0; i < 11; ++i)
            net.sendPing(); // the loopback still takes them
        QCOMPARE(log.lines().filter(QStringLiteral("sendPacket failed:")).size(), 11);
        net.sendPing();
        QCOMPARE(reconnects(), 0); // asked for, queued
        QTRY_COMPARE_WITH_TIMEOUT(reconnects(), 1, Patience);
        yes = true;
        net.slotReconnect();
        QCOMPARE(reconnects(), 2);
        QVERIFY(log.contains(QStringLiteral("Interface come up again")));
    }
};

PRIVATE_HOST_TEST_MAIN(TestTransport, "halle-a", false)
#include "tst_transport.moc"
