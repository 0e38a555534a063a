// The transport on a host without usable interfaces, what its plain parts do
// not show alone: what the writer puts on the wire, the signals, the own
// address and its switch, and the heartbeat thread.
#include "TransportRig.h"

#include "tests/support/DebugCapture.h"
#include "tests/support/PrivateHost.h"

#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

#include <thread>

Q_DECLARE_METATYPE(TovkaAddress)
Q_DECLARE_METATYPE(AppLocation)

class TestTransport : public QObject
{
    Q_OBJECT

private slots:
    void signalsAndSlotsKeepTheirOrder()
    {
        // Peers of this class connect by signature and index; the order is part of its face.
        const QStringList expected = {
            "dataReceived(const void*,int,TovkaAddress&)", "dataReceived(QByteArray,TovkaAddress)", "TxSuccess(int)",
            "TxFailure(int,QString)", "newApp(AppLocation)", "appLost(AppLocation)", "Warning(QString)",
            "networkAlert(bool,QString)", "ownAddrChanged(TovkaAddress&)",
            "StatisticReceived(NetStatisticList,TovkaAddress&)", "sendTextMessage(QString)",
            "slotReconnect(QWidget*)", "slotReconnect()", "enableRejoin(bool)", "reconnect()",
            "closeSocket(QUdpSocket*)", "recvMoniPort()", "sendPacketFromQueue(QueuePacket*)",
            "sendPacketFromQueue()", "ifUp(const ExtendedNetworkInterface*)",
            "ifDown(const ExtendedNetworkInterface*)", "sendPing()", "sendPong()",
            "sendStatistic(NetStatisticList)", "checkAlive()", "sendShutdown()"};
        const QMetaObject& meta = TovkaNetIo::staticMetaObject;
        QStringList found;
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
            found << QString::fromLatin1(meta.method(i).methodSignature());
        QCOMPARE(found, expected);
    }

    void pingIsAnsweredWithItsPayloadAndTheSenderAddress()
    {
        TransportRig rig;
        QSignalSpy newApps(&rig.net, &TovkaNetIo::newApp);
        Datagram ping;
        ping.from = TovkaAddress(4, 2, 1);
        ping.payload = pingPayload(0x11223344, 999, "halle-b");
        rig.feed(ping, QStringLiteral("10.77.0.9"));

        const QByteArray pong = rig.lastWritten(PacketType::PONG);
        QVERIFY(PacketHeader::check(bytes(pong), pong.size()).valid());
        const QByteArray expected = ping.payload + QByteArray::fromHex("09004d0a");
        QCOMPARE(pong.mid(PacketHeader::Size).toHex(), expected.toHex());
        QCOMPARE(newApps.count(), 1);
        QVERIFY(knows(rig.net, TovkaAddress(4, 2, 1), "halle-b"));
    }

    void hostileDatagramsAreDropped_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        Datagram ping;
        ping.payload = pingPayload(1, 2, "halle-b");
        const QByteArray good = ping.bytes();
        QByteArray badSum = good;
        badSum[40] = char(badSum[40] ^ 0x20);
        QTest::newRow("wrong checksum") << badSum;
        ping.version = 11;
        QTest::newRow("other version") << ping.bytes();
        // From the own address: a duplicate if it were read.
        ping = heartbeat(Planner, "halle-b");
        ping.payload.chop(PongPayload::Size - 71);
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
        QCOMPARE(rig.sink.written().size(), 0);
        QCOMPARE(warnings.count(), 0);
    }

    void switchingTheNetworkOnAnnouncesTheNewAddress()
    {
        TransportRig rig;
        int changed = 0;
        connect(&rig.net, &TovkaNetIo::ownAddrChanged, this, [&](TovkaAddress&) { ++changed; });
        rig.sink.clear();
        QVERIFY(rig.net.announce());
        QVERIFY(rig.net.setOwnAddress(7, 0, 0));
        const QList<PacketHeader> headers = rig.sink.headers();
        QCOMPARE(headers.size(), 3);
        QCOMPARE(int(headers[0].type), int(PacketType::PING));
        QCOMPARE(int(headers[0].sourceAddress), 0x00);
        QCOMPARE(int(headers[1].type), int(PacketType::SHUTDOWN));
        QCOMPARE(int(headers[1].sourceAddress), 0x00);
        QCOMPARE(headers[1].transmissionCounter, quint16(headers[0].transmissionCounter + 1));
        QCOMPARE(int(headers[2].type), int(PacketType::PING));
        QCOMPARE(int(headers[2].sourceAddress), 0x70);
        QCOMPARE(changed, 1);
        QCOMPARE(rig.net.ownAddress(), Planner);
        // The ping carries the time of day of the transport's clock.
        PingPayload ping;
        const QByteArray first = rig.sink.written().first();
        QVERIFY(PingPayload::read(bytes(first) + PacketHeader::Size, PingPayload::Size, &ping));
        QCOMPARE(ping.seconds, quint32(rig.clock.wall / 1000));
        QCOMPARE(ping.milliseconds, quint32(rig.clock.wall % 1000));

        // The same address again changes nothing but is signalled again.
        rig.sink.clear();
        QVERIFY(rig.net.setOwnAddress(7, 0, 0));
        QCOMPARE(rig.sink.written().size(), 0);
        QCOMPARE(changed, 2);
    }

    void heartbeatRunsOnTheWorkerAndTakesANewInterval()
    {
        DebugCapture log;
        TransportRig rig;
        QThread* worker = rig.worker();
        QVERIFY(worker);
        QVERIFY(worker != QThread::currentThread());
        rig.net.setOwnAddress(7, 0, 0);
        // The first beat, due after the monitor's interval, takes the new one.
        QTRY_VERIFY_WITH_TIMEOUT(!rig.sink.writers(PacketType::PONG).isEmpty(), Patience);
        QCOMPARE(rig.sink.writers(PacketType::PONG).first(), worker);
        QCOMPARE(rig.sink.count(PacketType::PONG), 0); // nothing from the test's thread
        QTRY_VERIFY_WITH_TIMEOUT(log.contains(QStringLiteral("heartbeat interval changed: 5000 --> 8500")), Patience);
        // The heartbeat: a pong with the own time and name and no address.
        rig.sink.leaveOutOtherThreads(false);
        const QByteArray pong = rig.lastWritten(PacketType::PONG).mid(PacketHeader::Size);
        QCOMPARE(pong.mid(8, 8), QByteArray("halle-a\0", 8));
        QCOMPARE(pong.right(4), QByteArray(4, '\0'));
    }

    void anAddressInUseIsRefusedWithTheOtherHostEscaped()
    {
        TransportRig rig;
        QSignalSpy warnings(&rig.net, &TovkaNetIo::Warning);
        rig.addPeer(Planner, "<i>halle-b</i>");
        rig.sink.clear();
        QVERIFY(!rig.net.setOwnAddress(7, 0, 0));
        QCOMPARE(rig.sink.written().size(), 0);
        QCOMPARE(rig.net.ownAddress(), Monitor);
        QCOMPARE(warnings.count(), 1);
        const QString text = warnings.first().first().toString();
        QVERIFY(text.contains(QStringLiteral("&lt;i&gt;halle-b&lt;/i&gt;")));
        QVERIFY(!text.contains(QStringLiteral("<i>")));
        // The monitor address is never refused.
        QVERIFY(rig.net.setOwnAddress(0, 0, 0));
    }

    void aRunningDuplicateIsWarnedAbout_data()
    {
        QTest::addColumn<int>("ownKind");
        QTest::addColumn<int>("expected");
        QTest::newRow("planner") << 7 << 1;
        QTest::newRow("information terminal") << 5 << 0;
        QTest::newRow("monitor") << 0 << 0;
    }

    void aRunningDuplicateIsWarnedAbout()
    {
        QFETCH(int, ownKind);
        QFETCH(int, expected);
        TransportRig rig(quint32(ownKind), 0, 0);
        QSignalSpy warnings(&rig.net, &TovkaNetIo::Warning);
        rig.addPeer(TovkaAddress(quint32(ownKind), 0, 0), "halle-c");
        QCOMPARE(warnings.count(), expected);
        if (expected)
            QVERIFY(warnings.first().first().toString().contains(QStringLiteral("'<b>halle-c</b>'")));
        // The own packets coming back are no duplicate.
        rig.addPeer(TovkaAddress(quint32(ownKind), 0, 0), "halle-a");
        QCOMPARE(warnings.count(), expected);
    }

    void warningsAreShownOneAtATime()
    {
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
        rig.addPeer(Planner, "halle-c");
        QCOMPARE(deepest, 1);
        // The same text while it shows is merged; the other follows it.
        QCOMPARE(shown.size(), 2);
        QVERIFY(shown[0].contains(QStringLiteral("halle-c")));
        QVERIFY(shown[1].contains(QStringLiteral("halle-d")));
    }

    void dataIsRefusedWhereItCannotGo()
    {
        TransportRig rig;
        QCOMPARE(rig.net.sendData("plan", 4, &Office), -1); // monitor address
        rig.net.setOwnAddress(7, 0, 0);
        QCOMPARE(rig.net.sendData("plan", 1025, &Office), -1);
        QCOMPARE(rig.net.sendData(nullptr, 4, &Office), -1);
        QCOMPARE(rig.net.queuedPackets(), 0);
        QCOMPARE(rig.written(PacketType::DATA).size(), 0);
    }

    void dataWithoutMatchingPeerIsWrittenOnceAndGivenUp()
    {
        TransportRig rig(7, 0, 0);
        const TovkaAddress timekeeper(8, 0, 0);
        QStringList reasons;
        // The receiver of the failure may queue data again at once.
        connect(&rig.net, &TovkaNetIo::TxFailure, this, [&](int, const QString& reason) {
            reasons << reason;
            if (reasons.size() == 1)
                QCOMPARE(rig.net.sendData("again", 5, &timekeeper), 2);
        });
        QCOMPARE(rig.net.sendData("first", 5, &timekeeper), 1);
        const QString reason = QStringLiteral("no such app: 8 fl: 0 sub:0 ");
        QCOMPARE(reasons, (QStringList{reason, reason}));
        QCOMPARE(rig.written(PacketType::DATA).size(), 2);
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
        QCOMPARE(rig.delays, QList<quint32>{1234});
        const QList<PacketHeader> acks = rig.written(PacketType::ACK);
        QCOMPARE(acks.size(), 2);
        QCOMPARE(acks.last().sequence, 2u);
        QCOMPARE(int(acks.first().destinationAddress), 0x30);
        QCOMPARE(int(acks.first().sourceInstance), 2);
    }

    void statisticsGoOutInPacketsOf32AndAreHandedOnWhole()
    {
        TransportRig rig(7, 0, 0);
        NetStatisticList list;
        for (int i = 0; i < 33; ++i) {
            list << NetStatistic();
            list.last().key = quint32(0x1000 + i);
        }
        QList<int> received;
        connect(&rig.net, &TovkaNetIo::StatisticReceived, this, [&](const NetStatisticList& got, TovkaAddress& from) {
            received << got.size();
            QCOMPARE(from, Office);
            QCOMPARE(got.last().key, quint32(0x1000 + received.size() * 32 - 32 + got.size() - 1));
        });
        rig.sink.clear();
        rig.net.sendStatistic(list);
        for (const QByteArray& written : rig.sink.written()) {
            Datagram statistic = dataPacket(0, Planner);
            statistic.type = PacketType::STATISTIC;
            statistic.payload = written.mid(PacketHeader::Size);
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
        QCOMPARE(int(jury.written(PacketType::DATA).first().destinationAddress), 0x60);

        TransportRig planner(7, 0, 0);
        planner.net.setJuryMode(true); // only a jury has the mode
        QVERIFY(!planner.net.juryMode());
        // The office is addressed without sub-kind and instance.
        const TovkaAddress office(3, 2, 5);
        planner.net.sendData("x", 1, &office);
        const PacketHeader header = planner.written(PacketType::DATA).first();
        QCOMPARE(int(header.destinationAddress), 0x30);
        QCOMPARE(int(header.destinationInstance), 0);
    }

    void ownDataComesBackToItself()
    {
        TransportRig rig(7, 0, 0);
        rig.addPeer(Planner, "halle-a"); // the own heartbeat came back
        QSignalSpy successes(&rig.net, &TovkaNetIo::TxSuccess);
        rig.net.sendData("self", 4, &Planner);
        // What was written comes back on the loopback and the LAN socket.
        const QByteArray own = rig.lastWritten(PacketType::DATA);
        receive(rig.net, own, QStringLiteral("127.0.0.1"));
        receive(rig.net, own, QStringLiteral("10.77.0.1"));
        QCOMPARE(rig.delivered.size(), 1);
        receive(rig.net, rig.lastWritten(PacketType::ACK), QStringLiteral("127.0.0.1"));
        QCOMPARE(successes.count(), 1);
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
        QVERIFY(rig.net.setOwnAddress(0, 0, 0));
        QCOMPARE(failed, (QList<int>{1, 2, 3}));
        QCOMPARE(rig.net.queuedPackets(), 0);
        QTest::qWait(2 * SendQueue::resendIntervalMs); // no repeat is due any more
        const QList<PacketHeader> headers = rig.sink.headers();
        int shutdown = 0;
        while (headers[shutdown].type != PacketType::SHUTDOWN)
            ++shutdown;
        QCOMPARE(int(headers[shutdown].sourceAddress), 0x70);
        for (int i = shutdown + 1; i < headers.size(); ++i)
            QCOMPARE(int(headers[i].sourceAddress), 0x00);
        // The own old record is not back: switching on again is not refused.
        QVERIFY(rig.net.setOwnAddress(7, 0, 0));
    }

    void aHeartbeatHeldUpByTheSwitchCarriesTheNewAddress()
    {
        TransportRig rig(7, 0, 0);
        rig.sink.leaveOutOtherThreads(false);
        std::thread beat;
        bool started = false; // the hook runs on this thread for a shutdown
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
        bool afterShutdown = false;
        for (const PacketHeader& header : rig.sink.headers()) {
            if (afterShutdown && header.type == PacketType::PONG)
                QCOMPARE(int(header.sourceAddress), 0x30);
            afterShutdown = afterShutdown || header.type == PacketType::SHUTDOWN;
        }
        QVERIFY(afterShutdown);
    }

    void afterTheLastShutdownNothingIsWritten()
    {
        TransportRig rig(7, 0, 0);
        rig.sink.leaveOutOtherThreads(false);
        rig.net.sendShutdown();
        rig.sink.clear();
        rig.net.sendPong();
        rig.net.sendPing();
        rig.feed(heartbeat(Office, "halle-b"));
        QCOMPARE(rig.sink.written().size(), 0);
    }

    void goingOrQuittingSendsOneShutdown()
    {
        RecordingSink sink;
        {
            TovkaNetIo net(7, 0, 0); // gone without a quit: it says so itself
            net.setDatagramSink(&sink);
        }
        QCOMPARE(sink.count(PacketType::SHUTDOWN), 1);
        sink.clear();
        // The program never destroys its transport: its notice goes out when
        // the application quits.
        {
            TovkaNetIo net(7, 0, 0);
            net.setDatagramSink(&sink);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            QCoreApplication::exec();
            QCOMPARE(sink.count(PacketType::SHUTDOWN), 1);
        }
        QCOMPARE(sink.count(PacketType::SHUTDOWN), 1); // nothing follows it, the destructor's neither
        QCOMPARE(int(sink.headers().last().type), int(PacketType::SHUTDOWN));
    }
};

PRIVATE_HOST_TEST_MAIN(TestTransport, "halle-a", false)
#include "tst_transport.moc"
