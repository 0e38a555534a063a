// The transport's rules on a host without usable interfaces: what the writer
// puts on the wire, how received packets change the peer table, the
// acknowledged data packets and their filters, the own address, and the
// timer-driven checks run against a clock the test moves.
#include "TransportRig.h"

#include "net/StatisticPayload.h"
#include "net/TovkaNetStatistic.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/PrivateHost.h"

#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <memory>

Q_DECLARE_METATYPE(TovkaAddress)
Q_DECLARE_METATYPE(AppLocation)

namespace {

const TovkaAddress Monitor(0, 0, 0);
const TovkaAddress Planner(7, 0, 0);
const TovkaAddress Office(3, 0, 0);

QByteArray payloadOf(const QByteArray& datagram)
{
    return datagram.mid(PacketHeader::Size);
}

QByteArray lastWritten(const RecordingSink& sink, quint8 type)
{
    const QList<QByteArray> all = sink.written();
    for (int i = all.size() - 1; i >= 0; --i) {
        if (quint8(all[i][15]) == type)
            return all[i];
    }
    return QByteArray();
}

Datagram dataPacket(quint32 sequence, const TovkaAddress& to, quint16 counter = 1, const QByteArray& text = "plan")
{
    Datagram data;
    data.type = PacketType::DATA;
    data.from = Office;
    data.to = to;
    data.sequence = sequence;
    data.counter = counter;
    data.payload = text;
    return data;
}

Datagram ackFrom(const TovkaAddress& from, quint32 sequence, const TovkaAddress& to = Planner)
{
    Datagram ack;
    ack.type = PacketType::ACK;
    ack.from = from;
    ack.to = to;
    ack.sequence = sequence;
    return ack;
}

} // namespace

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

    void writerSealsEveryPacketAndCountsTransmissions()
    {
        TransportRig rig;
        rig.net.sendPing();
        rig.net.sendShutdown();
        const QList<QByteArray> all = rig.sink.written();
        QCOMPARE(all.size(), 2);
        for (const QByteArray& datagram : all)
            QVERIFY(PacketHeader::check(bytes(datagram), datagram.size()).valid());
        const QList<PacketHeader> headers = rig.sink.headers();
        QCOMPARE(int(headers[0].type), int(PacketType::PING));
        QCOMPARE(int(headers[0].length), PingPayload::Size);
        QCOMPARE(headers[0].sequence, 0u);
        QCOMPARE(int(headers[0].destinationAddress), 0);
        QCOMPARE(int(headers[0].delay), 0);
        QCOMPARE(PacketHeader::hostNameText(headers[0].hostName), QByteArray("halle-a"));
        QCOMPARE(int(headers[1].type), int(PacketType::SHUTDOWN));
        QCOMPARE(int(headers[1].length), 0);
        QCOMPARE(headers[1].transmissionCounter, quint16(headers[0].transmissionCounter + 1));
        // The ping carries the time of day of the transport's clock.
        PingPayload ping;
        QVERIFY(PingPayload::read(bytes(all[0]) + PacketHeader::Size, 68, &ping));
        QCOMPARE(ping.seconds, quint32(rig.clock.wall / 1000));
        QCOMPARE(ping.milliseconds, quint32(rig.clock.wall % 1000));
    }

    void pingIsAnsweredWithItsPayloadAndTheSenderAddress()
    {
        TransportRig rig;
        QSignalSpy newApps(&rig.net, &TovkaNetIo::newApp);
        Datagram ping;
        ping.from = TovkaAddress(4, 2, 1);
        ping.payload = pingPayload(0x11223344, 999, "halle-b");
        rig.feed(ping, QStringLiteral("10.77.0.9"));

        const QByteArray pong = lastWritten(rig.sink, PacketType::PONG);
        QCOMPARE(pong.size(), PacketHeader::Size + PongPayload::Size);
        const QByteArray expected = ping.payload + QByteArray::fromHex("09004d0a");
        QCOMPARE(payloadOf(pong).toHex(), expected.toHex());
        QCOMPARE(newApps.count(), 1);
        QCOMPARE(rig.net.peers().first().address, TovkaAddress(4, 2, 1));
        QCOMPARE(QByteArray(rig.net.peers().first().hostName), QByteArray("halle-b"));
    }

    void shortPingsAndPongsAreDropped_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("length");
        QTest::newRow("ping of 67") << int(PacketType::PING) << 67;
        QTest::newRow("pong of 71") << int(PacketType::PONG) << 71;
        QTest::newRow("empty pong") << int(PacketType::PONG) << 0;
    }

    void shortPingsAndPongsAreDropped()
    {
        QFETCH(int, type);
        QFETCH(int, length);
        TransportRig rig(7, 0, 0);
        QSignalSpy warnings(&rig.net, &TovkaNetIo::Warning);
        Datagram packet;
        packet.type = quint8(type);
        packet.from = Planner; // would be a duplicate if it were read
        packet.payload = pongPayload(1, 2, "halle-b").left(length);
        rig.sink.clear();
        rig.feed(packet);
        QCOMPARE(rig.sink.written().size(), 0);
        QVERIFY(rig.net.peers().isEmpty());
        QCOMPARE(warnings.count(), 0);
    }

    void hostNamesFromTheWireAreBounded()
    {
        TransportRig rig;
        Datagram ping;
        ping.payload = pingPayload(1, 2, "x");
        QByteArray wire = ping.bytes();
        // A header whose host-name field has no terminating NUL.
        for (int i = 16; i < 76; ++i)
            wire[i] = 'h';
        PacketHeader::seal(bytes(wire), wire.size());
        receive(rig.net, wire);
        QCOMPARE(rig.net.peers().size(), 1);
        QCOMPARE(QByteArray(rig.net.peers().first().hostName), QByteArray(59, 'h'));
    }

    void invalidDatagramsAreDropped_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        Datagram ping;
        ping.payload = pingPayload(1, 2, "halle-b");
        const QByteArray good = ping.bytes();
        QByteArray badSum = good;
        badSum[40] = char(badSum[40] ^ 0x20);
        QTest::newRow("too short") << good.left(79);
        QTest::newRow("cut payload") << good.left(100);
        QTest::newRow("wrong checksum") << badSum;
        ping.version = 11;
        QTest::newRow("other version") << ping.bytes();
    }

    void invalidDatagramsAreDropped()
    {
        QFETCH(QByteArray, bytes);
        TransportRig rig;
        rig.sink.clear();
        receive(rig.net, bytes);
        QVERIFY(rig.net.peers().isEmpty());
        QCOMPARE(rig.sink.written().size(), 0);
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
        QCOMPARE(int(headers[2].type), int(PacketType::PING));
        QCOMPARE(int(headers[2].sourceAddress), 0x70);
        QCOMPARE(int(headers[2].sourceInstance), 0);
        QCOMPARE(changed, 1);
        QCOMPARE(rig.net.heartbeatInterval(), 8500u);
        QCOMPARE(rig.net.ownAddress(), Planner);

        // The same address again changes nothing but is signalled again.
        rig.sink.clear();
        QVERIFY(rig.net.setOwnAddress(7, 0, 0));
        QCOMPARE(rig.sink.written().size(), 0);
        QCOMPARE(changed, 2);
    }

    void heartbeatIntervalFollowsTheAddress_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("subKind");
        QTest::addColumn<int>("interval");
        QTest::newRow("monitor") << 0 << 0 << 5000;
        QTest::newRow("planner") << 7 << 0 << 8500;
        QTest::newRow("display 3") << 4 << 3 << 7300;
    }

    void heartbeatIntervalFollowsTheAddress()
    {
        QFETCH(int, kind);
        QFETCH(int, subKind);
        QFETCH(int, interval);
        TransportRig rig(quint32(kind), quint32(subKind), 0);
        QCOMPARE(rig.net.heartbeatInterval(), quint32(interval));
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
        QTRY_VERIFY_WITH_TIMEOUT(!rig.sink.writers(PacketType::PONG).isEmpty(), 60000);
        QCOMPARE(rig.sink.writers(PacketType::PONG).first(), worker);
        QCOMPARE(rig.sink.count(PacketType::PONG), 0); // nothing from the test's thread
        QTRY_VERIFY_WITH_TIMEOUT(log.contains(QStringLiteral("heartbeat interval changed: 5000 --> 8500")), 60000);
        // The heartbeat: a pong with the own time and name and no address.
        rig.sink.leaveOutOtherThreads(false);
        const QByteArray pong = lastWritten(rig.sink, PacketType::PONG);
        QCOMPARE(payloadOf(pong).mid(8, 8), QByteArray("halle-a\0", 8));
        QCOMPARE(payloadOf(pong).right(4), QByteArray(4, '\0'));
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
            ++depth;
            deepest = qMax(deepest, depth);
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

    void shutdownRemovesThePeer()
    {
        TransportRig rig;
        QSignalSpy lost(&rig.net, &TovkaNetIo::appLost);
        Datagram shutdown;
        shutdown.type = PacketType::SHUTDOWN;
        shutdown.from = Office;
        rig.feed(shutdown);
        QCOMPARE(lost.count(), 0); // unknown sender: nothing
        rig.addPeer(Office);
        rig.feed(shutdown);
        QCOMPARE(lost.count(), 1);
        QVERIFY(rig.net.peers().isEmpty());
    }

    void dataIsRefusedWhereItCannotGo()
    {
        TransportRig rig;
        const char text[] = "plan";
        QCOMPARE(rig.net.sendData(text, 4, &Office), -1); // monitor address
        rig.net.setOwnAddress(7, 0, 0);
        QCOMPARE(rig.net.sendData(text, 1025, &Office), -1);
        QCOMPARE(rig.net.sendData(nullptr, 4, &Office), -1);
        QCOMPARE(rig.net.queuedPackets(), 0);
        QCOMPARE(rig.written(PacketType::DATA).size(), 0);
    }

    void dataWithoutMatchingPeerIsWrittenOnceAndGivenUp()
    {
        TransportRig rig(7, 0, 0);
        QSignalSpy failures(&rig.net, &TovkaNetIo::TxFailure);
        const TovkaAddress timekeeper(8, 0, 0);
        QCOMPARE(rig.net.sendData("a", 1, &timekeeper), 1);
        QCOMPARE(rig.net.sendData("b", 1, &timekeeper), 2);
        QCOMPARE(rig.written(PacketType::DATA).size(), 2);
        QCOMPARE(failures.count(), 2);
        QCOMPARE(failures[0][0].toInt(), 1);
        QCOMPARE(failures[0][1].toString(), QStringLiteral("no such app: 8 fl: 0 sub:0 "));
        QCOMPARE(rig.net.queuedPackets(), 0);
    }

    void officeDestinationsLoseSubKindAndInstance()
    {
        TransportRig rig(7, 0, 0);
        const TovkaAddress office(3, 2, 5);
        rig.net.sendData("x", 1, &office);
        const PacketHeader data = rig.written(PacketType::DATA).first();
        QCOMPARE(int(data.destinationAddress), 0x30);
        QCOMPARE(int(data.destinationInstance), 0);
        QCOMPARE(int(data.length), 1);
        QCOMPARE(data.sequence, 1u);
    }

    void aReceiverOfTxFailureMayQueueData()
    {
        TransportRig rig(7, 0, 0);
        const TovkaAddress nobody(8, 0, 0);
        int retries = 0;
        connect(&rig.net, &TovkaNetIo::TxFailure, this, [&](int, const QString&) {
            if (retries++ == 0)
                rig.net.sendData("again", 5, &nobody);
        });
        rig.net.sendData("first", 5, &nobody);
        QCOMPARE(retries, 2);
        QCOMPARE(rig.written(PacketType::DATA).size(), 2);
    }

    void everyMatchingPeerMustAcknowledge_data()
    {
        QTest::addColumn<TovkaAddress>("destination");
        QTest::addColumn<QList<TovkaAddress>>("peers");
        QTest::addColumn<QList<TovkaAddress>>("mustAck");
        const TovkaAddress first(7, 0, 1);
        const TovkaAddress second(7, 0, 2);
        const TovkaAddress terminal(5, 3, 1);
        const TovkaAddress display(4, 1, 0);
        QTest::newRow("any instance") << TovkaAddress(7, 0, 0) << QList<TovkaAddress>{first, second}
                                      << QList<TovkaAddress>{first, second};
        QTest::newRow("instance 2") << TovkaAddress(7, 0, 2) << QList<TovkaAddress>{first, second}
                                    << QList<TovkaAddress>{second};
        QTest::newRow("display and terminal") << TovkaAddress(4, 1, 0) << QList<TovkaAddress>{terminal, display}
                                              << QList<TovkaAddress>{terminal, display};
    }

    void everyMatchingPeerMustAcknowledge()
    {
        QFETCH(TovkaAddress, destination);
        QFETCH(QList<TovkaAddress>, peers);
        QFETCH(QList<TovkaAddress>, mustAck);
        TransportRig rig(6, 0, 0);
        for (const TovkaAddress& peer : peers)
            rig.addPeer(peer);
        QSignalSpy successes(&rig.net, &TovkaNetIo::TxSuccess);
        const int sequence = rig.net.sendData("plan", 4, &destination);
        QCOMPARE(sequence, 1);
        for (int i = 0; i < mustAck.size(); ++i) {
            QCOMPARE(successes.count(), 0);
            // An acknowledgement for another sequence or to someone else counts for nothing.
            rig.feed(ackFrom(mustAck[i], 7, TovkaAddress(6, 0, 0)));
            rig.feed(ackFrom(mustAck[i], 1, TovkaAddress(6, 0, 3)));
            QCOMPARE(successes.count(), 0);
            rig.feed(ackFrom(mustAck[i], 1, TovkaAddress(6, 0, 0)));
        }
        QCOMPARE(successes.count(), 1);
        QCOMPARE(successes.first().first().toInt(), 1);
        QCOMPARE(rig.net.queuedPackets(), 0);
        QCOMPARE(rig.written(PacketType::DATA).size(), 1);
    }

    void anUnacknowledgedPacketIsWrittenElevenTimes()
    {
        TransportRig rig(7, 0, 0);
        rig.addPeer(Office);
        QSignalSpy failures(&rig.net, &TovkaNetIo::TxFailure);
        QSignalSpy successes(&rig.net, &TovkaNetIo::TxSuccess);
        rig.net.sendData("one", 3, &Office);
        rig.net.sendData("two", 3, &Office); // waits behind the first
        QTRY_VERIFY_WITH_TIMEOUT(failures.count() >= 1, 60000);
        QCOMPARE(failures.first()[1].toString(), QStringLiteral("too many resends"));
        QList<PacketHeader> data = rig.written(PacketType::DATA);
        int firstWrites = 0;
        for (const PacketHeader& header : data)
            firstWrites += header.sequence == 1 ? 1 : 0;
        QCOMPARE(firstWrites, 11);
        // The next packet follows at once and succeeds when acknowledged.
        QVERIFY(rig.written(PacketType::DATA).last().sequence == 2);
        rig.feed(ackFrom(Office, 2));
        QCOMPARE(successes.count(), 1);
    }

    void queueDelayComesFromTheMonotonicClockClamped()
    {
        TransportRig rig(7, 0, 0);
        rig.addPeer(Office);
        rig.net.sendData("one", 3, &Office);
        rig.net.sendData("two", 3, &Office);
        rig.clock.advanceSeconds(100); // far beyond what the field holds
        rig.feed(ackFrom(Office, 1));
        const PacketHeader second = rig.written(PacketType::DATA).last();
        QCOMPARE(second.sequence, 2u);
        QCOMPARE(int(second.delay), 0xffff);
        rig.feed(ackFrom(Office, 2));
    }

    void receivedDataPassesTheSequenceFilter_data()
    {
        QTest::addColumn<quint32>("sequence");
        QTest::addColumn<int>("counter");
        QTest::addColumn<bool>("delivered");
        QTest::addColumn<bool>("acknowledged");
        QTest::newRow("next") << 101u << 2 << true << true;
        QTest::newRow("repeated") << 100u << 2 << false << true;
        QTest::newRow("same transmission twice") << 100u << 1 << false << false;
        QTest::newRow("old") << 95u << 2 << false << false;
        QTest::newRow("lost below") << 80u << 2 << true << true;
        QTest::newRow("lost above") << 150u << 2 << true << true;
    }

    void receivedDataPassesTheSequenceFilter()
    {
        QFETCH(quint32, sequence);
        QFETCH(int, counter);
        QFETCH(bool, delivered);
        QFETCH(bool, acknowledged);
        TransportRig rig(7, 0, 0);
        int received = 0;
        connect(&rig.net, qOverload<const void*, int, TovkaAddress&>(&TovkaNetIo::dataReceived), this,
                [&](const void*, int, TovkaAddress&) { ++received; });
        rig.feed(dataPacket(100, Planner, 1));
        QCOMPARE(received, 1);
        rig.sink.clear();
        rig.feed(dataPacket(sequence, Planner, quint16(counter)));
        QCOMPARE(received, delivered ? 2 : 1);
        const QList<PacketHeader> acks = rig.written(PacketType::ACK);
        QCOMPARE(acks.size(), acknowledged ? 1 : 0);
        if (acknowledged) {
            QCOMPARE(acks.first().sequence, sequence);
            QCOMPARE(int(acks.first().destinationAddress), 0x30);
        }
    }

    void dataForAnotherInstanceIsNeitherTakenNorAcknowledged()
    {
        TransportRig rig(7, 0, 2);
        int received = 0;
        connect(&rig.net, qOverload<const void*, int, TovkaAddress&>(&TovkaNetIo::dataReceived), this,
                [&](const void*, int, TovkaAddress&) { ++received; });
        rig.sink.clear();
        rig.feed(dataPacket(1, TovkaAddress(7, 0, 1)));
        QCOMPARE(received, 0);
        QCOMPARE(rig.sink.written().size(), 0);
        QCOMPARE(rig.net.peers().size(), 1); // the sender is known all the same
        rig.feed(dataPacket(2, TovkaAddress(7, 0, 0)));
        QCOMPARE(received, 1);
    }

    void juryModeTalksToTheTrainerInsteadOfTheChief()
    {
        TransportRig rig(2, 1, 1);
        rig.net.setJuryMode(true);
        QVERIFY(rig.net.juryMode());
        int received = 0;
        connect(&rig.net, qOverload<const void*, int, TovkaAddress&>(&TovkaNetIo::dataReceived), this,
                [&](const void*, int, TovkaAddress&) { ++received; });
        Datagram data = dataPacket(1, TovkaAddress(2, 1, 1));
        data.from = TovkaAddress(1, 1, 0);
        rig.feed(data);
        QCOMPARE(received, 0);
        data.from = TovkaAddress(6, 0, 0);
        rig.feed(data);
        QCOMPARE(received, 1);
        const TovkaAddress chief(1, 1, 0);
        rig.net.sendData("mark", 4, &chief);
        QCOMPARE(int(rig.written(PacketType::DATA).first().destinationAddress), 0x60);

        TransportRig planner(7, 0, 0);
        planner.net.setJuryMode(true); // only a jury has the mode
        QVERIFY(!planner.net.juryMode());
    }

    void theReceiverSeesPayloadSenderAndDelay()
    {
        TransportRig rig(7, 0, 0);
        QByteArray payload;
        TovkaAddress sender;
        quint32 delay = 0;
        connect(&rig.net, qOverload<const void*, int, TovkaAddress&>(&TovkaNetIo::dataReceived), this,
                [&](const void* data, int length, TovkaAddress& from) {
                    payload = QByteArray(static_cast<const char*>(data), length);
                    sender = from;
                    delay = rig.net.lastDataDelay();
                });
        Datagram data = dataPacket(1, Planner, 1, "der Plan");
        data.delay = 1234;
        rig.feed(data);
        QCOMPARE(payload, QByteArray("der Plan"));
        QCOMPARE(sender, Office);
        QCOMPARE(delay, 1234u);
    }

    void ownDataComesBackToItself()
    {
        TransportRig rig(7, 0, 0);
        rig.addPeer(Planner, "halle-a"); // the own heartbeat came back
        QSignalSpy successes(&rig.net, &TovkaNetIo::TxSuccess);
        int received = 0;
        connect(&rig.net, qOverload<const void*, int, TovkaAddress&>(&TovkaNetIo::dataReceived), this,
                [&](const void*, int, TovkaAddress&) { ++received; });
        rig.net.sendData("self", 4, &Planner);
        // What was written comes back on the loopback and the LAN socket.
        const QByteArray own = lastWritten(rig.sink, PacketType::DATA);
        receive(rig.net, own, QStringLiteral("127.0.0.1"));
        receive(rig.net, own, QStringLiteral("10.77.0.1"));
        QCOMPARE(received, 1);
        const QByteArray ack = lastWritten(rig.sink, PacketType::ACK);
        receive(rig.net, ack, QStringLiteral("127.0.0.1"));
        QCOMPARE(successes.count(), 1);
    }

    void silentPeersExpireAfterTwentyFiveSeconds()
    {
        TransportRig rig;
        QSignalSpy lost(&rig.net, &TovkaNetIo::appLost);
        rig.addPeer(Office);
        rig.clock.advanceSeconds(25);
        rig.net.checkAlive();
        QCOMPARE(lost.count(), 0);
        rig.clock.advanceSeconds(1);
        rig.net.checkAlive();
        QCOMPARE(lost.count(), 1);
        QVERIFY(rig.net.peers().isEmpty());
    }

    void aPeerStillHeardOutlivesItsOldEntry()
    {
        TransportRig rig;
        QSignalSpy lost(&rig.net, &TovkaNetIo::appLost);
        rig.addPeer(Office); // the entry is made now and not renewed by later beats
        for (int beat = 0; beat < 6; ++beat) {
            rig.clock.advanceSeconds(10);
            rig.addPeer(Office);
            rig.net.checkAlive();
        }
        rig.clock.advanceSeconds(20);
        rig.net.checkAlive(); // the entry is 80 s old, the last beat 20 s
        QCOMPARE(lost.count(), 0);
        QCOMPARE(rig.net.peers().size(), 1);
        rig.clock.advanceSeconds(6);
        rig.net.checkAlive();
        QCOMPARE(lost.count(), 1);
        QVERIFY(rig.net.peers().isEmpty());
    }

    void aFullSendQueueIsReportedAfterTwentyChecks()
    {
        TransportRig rig(7, 0, 0);
        rig.addPeer(Office);
        QSignalSpy notices(&rig.net, &TovkaNetIo::sendTextMessage);
        rig.net.sendData("x", 1, &Office);
        for (int i = 0; i < 19; ++i)
            rig.net.checkAlive();
        QCOMPARE(notices.count(), 0);
        rig.net.checkAlive();
        QCOMPARE(notices.count(), 1);
        QVERIFY(notices.first().first().toString().contains(QStringLiteral("Sendequeue")));
        // An empty queue starts the count again.
        for (int i = 0; i < 5; ++i)
            rig.net.checkAlive();
        rig.feed(ackFrom(Office, 1));
        rig.net.checkAlive();
        rig.net.sendData("y", 1, &Office);
        for (int i = 0; i < 19; ++i)
            rig.net.checkAlive();
        QCOMPARE(notices.count(), 1);
    }

    void statisticsAreSentAndReceived()
    {
        TransportRig rig(7, 0, 0);
        NetStatisticList back;
        TovkaAddress sender;
        connect(&rig.net, &TovkaNetIo::StatisticReceived, this, [&](const NetStatisticList& list, TovkaAddress& from) {
            back = list;
            sender = from;
        });
        NetStatisticList list;
        NetStatistic own;
        own.sent = 12;
        NetStatistic peer;
        peer.key = 0x3000;
        peer.repeats = 3;
        list << own << peer;
        rig.net.sendStatistic(list);
        const QByteArray packet = lastWritten(rig.sink, PacketType::STATISTIC);
        QCOMPARE(packet.size(), PacketHeader::Size + 64);
        receive(rig.net, packet);
        QCOMPARE(sender, Planner);
        QCOMPARE(back.size(), 2);
        QCOMPARE(int(back[0].sent), 12);
        QCOMPARE(back[1].key, 0x3000u);
        QCOMPARE(int(back[1].repeats), 3);
    }

    void aLongStatisticListGoesOutInPacketsOf32()
    {
        TransportRig rig(7, 0, 0);
        NetStatisticList list;
        for (quint32 i = 0; i < 70; ++i) {
            NetStatistic entry;
            entry.key = 0x1000 + i;
            list << entry;
        }
        rig.sink.clear();
        rig.net.sendStatistic(list);
        QList<int> sizes;
        quint32 nextKey = 0x1000;
        for (const QByteArray& packet : rig.sink.written()) {
            if (quint8(packet[15]) != PacketType::STATISTIC)
                continue; // a heartbeat may come in between
            const NetStatisticList part =
                StatisticPayload::read(bytes(packet) + PacketHeader::Size, packet.size() - PacketHeader::Size);
            sizes << part.size();
            for (const NetStatistic& entry : part)
                QCOMPARE(entry.key, nextKey++);
        }
        QCOMPARE(sizes, (QList<int>{32, 32, 6}));
        QCOMPARE(nextKey, 0x1000u + 70);
    }

    void theWorkerIsStoppedBeforeTheLastShutdown()
    {
        // The heartbeat is held up in the writer while the transport goes:
        // the worker must be gone before the shutdown is written, or a beat
        // could follow it.
        RecordingSink sink;
        QThread* const testThread = QThread::currentThread();
        std::atomic<bool> beating{false};
        std::atomic<bool> going{false};
        std::atomic<int> lastShutdowns{0};
        std::atomic<int> whileTheWorkerRan{0};
        std::atomic<QThread*> worker{nullptr};
        sink.setWriteHook([&](const PacketHeader& header) {
            if (header.type == PacketType::PONG && QThread::currentThread() != testThread && !beating) {
                beating = true;
                QThread::msleep(300); // meanwhile the test thread starts the destruction
            }
            if (header.type == PacketType::SHUTDOWN && going) {
                ++lastShutdowns;
                whileTheWorkerRan += worker.load()->isRunning() ? 1 : 0;
            }
        });
        auto net = std::make_unique<TovkaNetIo>(0, 0, 0); // the monitor's beat comes first
        worker = net->findChild<QThread*>();
        QVERIFY(worker.load());
        net->setDatagramSink(&sink);
        QVERIFY(net->setOwnAddress(7, 0, 0));
        QTRY_VERIFY_WITH_TIMEOUT(beating, 60000);
        going = true;
        net.reset();
        QCOMPARE(lastShutdowns.load(), 1);
        QCOMPARE(whileTheWorkerRan.load(), 0);
        const QList<PacketHeader> headers = sink.headers();
        QCOMPARE(int(headers.last().type), int(PacketType::SHUTDOWN));
        QCOMPARE(int(headers.last().sourceAddress), 0x70);
        QCOMPARE(sink.writers(PacketType::SHUTDOWN).last(), testThread);
    }

    void quittingTheApplicationSendsOneShutdown()
    {
        // The program never destroys its transport: its notice goes out when
        // the application quits.
        RecordingSink sink;
        {
            TovkaNetIo net(7, 0, 0);
            net.setDatagramSink(&sink);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            QCoreApplication::exec();
            QCOMPARE(sink.count(PacketType::SHUTDOWN), 1);
        }
        QCOMPARE(sink.count(PacketType::SHUTDOWN), 2); // and the destructor's
    }
};

PRIVATE_HOST_TEST_MAIN(TestTransport, "halle-a", false)
#include "tst_transport.moc"
