// The transport on a host of its own, what its plain parts do not show
// alone: what the writer puts on the wire, the signals, the own address and
// its switch, the shutdown, and, with the loopback up, the sockets: the
// bounded reader, every socket heard and the stuck receive queue.
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

    // Without the program's boxes the transport logs their texts and takes No
    // for the answer: it neither blocks nor reconnects.
    void withoutTheProgramsBoxesTheAnswerIsNo()
    {
        TransportRig rig;
        DebugCapture log;
        rig.net.enableRejoin(true);
        rig.net.slotReconnect();
        QVERIFY(log.contains("Netzwerk Bugfix") && log.contains("Netzwerk rücksetzen"));
        QVERIFY(!log.contains("TovkaNetIo::reconnect()"));
    }

    void dataThatCannotGoIsRefusedOrGivenUp()
    {
        TransportRig rig;
        QCOMPARE(rig.net.sendData("plan", 4, &Office), -1); // monitor address
        rig.net.setOwnAddress(7, 0, 0);
        QCOMPARE(rig.net.sendData("plan", 1025, &Office), -1);
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
        Datagram data;
        data.type = PacketType::DATA;
        data.from = Office;
        data.to = Planner;
        data.sequence = 2;
        data.payload = "der Plan";
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

    void switchingGivesUpWhatWasQueuedAndWritesNothingMoreUnderTheOldAddress_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("subKind");
        QTest::addColumn<QList<int>>("failed");
        QTest::addColumn<QStringList>("fromTheShutdown");
        QTest::addColumn<int>("queued");
        // Packets queued again while the old ones are given up wait for the
        // new address; the monitor refuses them.
        QTest::newRow("off") << 0 << 0 << QList<int>{1, 2, 3, 4} << QStringList{"shutdown 70", "ping 00"} << 0;
        QTest::newRow("another area") << 7 << 1 << QList<int>{1, 2}
                                      << QStringList{"shutdown 70", "ping 71", "data 71"} << 2;
    }

    void switchingGivesUpWhatWasQueuedAndWritesNothingMoreUnderTheOldAddress()
    {
        QFETCH(int, kind);
        QFETCH(int, subKind);
        TransportRig rig(7, 0, 0);
        rig.addPeer(Office);
        QList<int> failed;
        // A receiver that tries again whatever failed, within reason.
        connect(&rig.net, &TovkaNetIo::TxFailure, this, [&](int sequence, const QString& reason) {
            QCOMPARE(reason, QStringLiteral("own address changed"));
            failed << sequence;
            if (failed.size() < 50)
                rig.net.sendData("again", 5, &Office);
        });
        rig.net.sendData("first", 5, &Office);
        rig.net.sendData("second", 6, &Office);
        rig.sink.clear();
        QVERIFY(rig.net.setOwnAddress(quint32(kind), quint8(subKind), 0));
        QTEST(failed, "failed");
        QTEST(rig.net.queuedPackets(), "queued");
        const QStringList fromTheShutdown = rig.sent().mid(0, 3);
        QTEST(fromTheShutdown, "fromTheShutdown");
        // The own old record is not back: switching to the planner is not refused.
        QVERIFY(rig.net.setOwnAddress(7, 0, 0));
    }

    // The heartbeat takes its sender address under the write lock: one that
    // comes due while the shutdown is written goes out with the new address.
    void aHeartbeatHeldUpByTheSwitchCarriesTheNewAddress()
    {
        std::thread beat;
        bool started = false;
        TransportRig rig(7, 0, 0);
        rig.sink.homeThreadOnly = false;
        rig.sink.setWriteHook([&](const PacketHeader& header) {
            if (header.type != PacketType::SHUTDOWN || started)
                return;
            started = true;
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
        const auto sendToLan = [&] {
            lan.writeDatagram(foreignPing().bytes(), UdpSocketLinux::multicastGroup(), UdpSocketLinux::port);
        };
        rig.sink.clear();
        for (int round = 0; round < 20; ++round) {
            // On both sockets at once: one socket's signal must not read the
            // other's datagram, or that socket would not signal the next one.
            sendToLan();
            sendToLoopback();
            QTRY_COMPARE_WITH_TIMEOUT(rig.sink.headers(PacketType::PONG).size(), round * 3 + 2, Patience);
            if (round % 2)
                sendToLan();
            else
                sendToLoopback();
            QTRY_COMPARE_WITH_TIMEOUT(rig.sink.headers(PacketType::PONG).size(), round * 3 + 3, Patience);
        }
    }

};

PRIVATE_HOST_TEST_MAIN(TestTransport, "halle-a", false)
#include "tst_transport.moc"
