// The transport's plain logic against a clock the test moves: the receive
// filter, the peer table, the send queue and the alive check's timing rules.
#include "FakeClock.h"

#include "net/transport/AliveWatch.h"
#include "net/transport/CheckedMutex.h"
#include "net/transport/PeerTable.h"
#include "net/transport/ReceiveFilter.h"
#include "net/transport/SendQueue.h"
#include "tests/support/DebugCapture.h"

#include <QtTest>

#include <atomic>
#include <thread>

Q_DECLARE_METATYPE(TovkaAddress)

namespace {

constexpr quint32 Top = 0x7ffffffe; // the last sequence number before the wrap
const TovkaAddress Planner(7, 0, 0);

AppLocation peer(const TovkaAddress& address, const char* host, qint64 now = 0, quint32 sequence = 0)
{
    AppLocation app;
    app.address = address;
    app.setHostName(host);
    app.lastUpdate = now;
    app.lastSequence = sequence;
    return app;
}

} // namespace

class TestTransportLogic : public QObject
{
    Q_OBJECT

private slots:
    void receiveFilterJudgesDataPackets_data()
    {
        QTest::addColumn<int>("own");        // address byte << 8 | instance, 0x10000 for Jury mode
        QTest::addColumn<quint32>("last");   // the sender's last sequence, 0 = unknown sender
        QTest::addColumn<quint32>("sequence");
        QTest::addColumn<int>("counter");    // the known sender's counter is 1
        QTest::addColumn<int>("source");     // address byte
        QTest::addColumn<int>("destination"); // address byte << 8 | instance
        QTest::addColumn<int>("verdict");
        const int New = ReceiveFilter::New;
        const int Old = ReceiveFilter::Old;
        const int NotForMe = ReceiveFilter::NotForMe;
        QTest::newRow("next") << 0x7000 << 100u << 101u << 2 << 0x30 << 0x7000 << New;
        QTest::newRow("repeated") << 0x7000 << 100u << 100u << 2 << 0x30 << 0x7000 << int(ReceiveFilter::Repeated);
        QTest::newRow("second socket") << 0x7000 << 100u << 100u << 1 << 0x30 << 0x7000
                                       << int(ReceiveFilter::SameTransmission);
        QTest::newRow("old") << 0x7000 << 100u << 95u << 2 << 0x30 << 0x7000 << Old;
        QTest::newRow("ten back is lost") << 0x7000 << 100u << 90u << 2 << 0x30 << 0x7000 << New;
        QTest::newRow("unknown sender") << 0x7000 << 0u << 95u << 2 << 0x30 << 0x7000 << New;
        QTest::newRow("1 after the top") << 0x7000 << Top << 1u << 2 << 0x30 << 0x7000 << New;
        QTest::newRow("old from before the wrap") << 0x7000 << 2u << Top - 2 << 2 << 0x30 << 0x7000 << Old;
        QTest::newRow("another instance") << 0x7002 << 0u << 1u << 1 << 0x30 << 0x7001 << NotForMe;
        QTest::newRow("any instance") << 0x7002 << 0u << 1u << 1 << 0x30 << 0x7000 << New;
        QTest::newRow("trainer outside Jury mode") << 0x7000 << 0u << 1u << 1 << 0x60 << 0x7000 << NotForMe;
        QTest::newRow("trainer in Jury mode") << 0x12101 << 0u << 1u << 1 << 0x60 << 0x2101 << New;
        QTest::newRow("terminal hears a display") << 0x5301 << 0u << 1u << 1 << 0x30 << 0x4200 << New;
    }

    void receiveFilterJudgesDataPackets()
    {
        QFETCH(int, own);
        QFETCH(quint32, last);
        QFETCH(quint32, sequence);
        QFETCH(int, counter);
        QFETCH(int, source);
        QFETCH(int, destination);
        QFETCH(int, verdict);
        const ReceiveFilter filter(quint8(own >> 8), quint8(own), own > 0xffff);
        PacketHeader header = PacketHeader::make(PacketType::DATA, quint8(source), 0);
        header.sequence = sequence;
        header.transmissionCounter = quint16(counter);
        header.destinationAddress = quint8(destination >> 8);
        header.destinationInstance = quint8(destination);
        AppLocation known = peer(header.source(), "halle-b", 0, last);
        known.transmissionCounter = 1;
        QCOMPARE(int(filter.judge(header, last ? &known : nullptr)), verdict);
    }

    void peersAreOneAddressOnOneHost_data()
    {
        QTest::addColumn<TovkaAddress>("address");
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<bool>("found");
        QTest::newRow("other host") << TovkaAddress(7, 0, 1) << QByteArray("halle-c") << false;
        QTest::newRow("other instance") << TovkaAddress(7, 0, 2) << QByteArray("halle-b") << false;
        // Names are kept to 59 bytes, so only those are compared.
        QTest::newRow("long names") << TovkaAddress(7, 0, 1) << QByteArray(59, 'h') + "x" << true;
    }

    void peersAreOneAddressOnOneHost()
    {
        QFETCH(TovkaAddress, address);
        QFETCH(QByteArray, host);
        QFETCH(bool, found);
        FakeClock clock;
        PeerTable table(clock);
        bool inserted = false;
        table.insert(peer(TovkaAddress(7, 0, 1), "halle-b"), &inserted);
        table.insert(peer(TovkaAddress(7, 0, 1), QByteArray(60, 'h').constData()), &inserted);
        QVERIFY(inserted);
        QCOMPARE(table.find(peer(address, host.constData())) != nullptr, found);
        table.insert(peer(address, host.constData()), &inserted);
        QCOMPARE(inserted, !found);
        QVERIFY(table.atAddress(TovkaAddress(7, 0, 1)));
        QVERIFY(table.hasKindAndSubKind(TovkaAddress(7, 0, 9)));
    }

    void silentPeersExpire_data()
    {
        QTest::addColumn<int>("updateAge");
        QTest::addColumn<int>("heardAge"); // -1: only built from a data packet
        QTest::addColumn<bool>("expired");
        QTest::newRow("25 s") << 25 << 25 << false;
        QTest::newRow("26 s") << 26 << 26 << true;
        QTest::newRow("heard lately") << 26 << 10 << false;
        QTest::newRow("data only") << 26 << -1 << true;
    }

    void silentPeersExpire()
    {
        QFETCH(int, updateAge);
        QFETCH(int, heardAge);
        QFETCH(bool, expired);
        FakeClock clock;
        PeerTable table(clock);
        table.insert(peer(Planner, "halle-b", clock.seconds()));
        table.insert(peer(Planner, "halle-c", clock.seconds()));
        clock.advanceSeconds(updateAge + 100);
        table.hear(peer(Planner, "halle-c"), false); // the other one beats on
        AppLocation* app = table.find(peer(Planner, "halle-b"));
        app->lastUpdate = clock.seconds() - updateAge;
        app->lastHeard = heardAge < 0 ? 0 : clock.seconds() - heardAge;
        QCOMPARE(table.expire().size(), expired ? 1 : 0);
        QCOMPARE(table.all().size(), expired ? 1 : 2);
    }

    void theMatchingPeersMustAcknowledge_data()
    {
        QTest::addColumn<TovkaAddress>("destination");
        QTest::addColumn<QList<TovkaAddress>>("acknowledgers");
        const TovkaAddress first(7, 0, 1), second(7, 0, 2), terminal(5, 3, 1), display(4, 1, 0);
        QTest::newRow("any instance") << TovkaAddress(7, 0, 0) << QList<TovkaAddress>{first, second};
        QTest::newRow("instance 2") << TovkaAddress(7, 0, 2) << QList<TovkaAddress>{second};
        QTest::newRow("display and terminal") << TovkaAddress(4, 1, 0) << QList<TovkaAddress>{terminal, display};
    }

    void theMatchingPeersMustAcknowledge()
    {
        QFETCH(TovkaAddress, destination);
        QFETCH(QList<TovkaAddress>, acknowledgers);
        FakeClock clock;
        PeerTable table(clock);
        for (const TovkaAddress& address : {TovkaAddress(7, 0, 1), TovkaAddress(5, 3, 1), TovkaAddress(7, 0, 2),
                                            TovkaAddress(4, 1, 0), TovkaAddress(4, 2, 0)})
            table.insert(peer(address, "halle-b"));
        QCOMPARE(table.acknowledgersOf(destination), acknowledgers);
    }

    void aPacketIsWrittenUntilAcknowledgedOrGivenUp_data()
    {
        QTest::addColumn<bool>("peerKnown");
        QTest::addColumn<int>("acknowledgedAfter"); // writes; 0 = never
        QTest::addColumn<int>("writes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("nobody to acknowledge") << false << 0 << 1 << "no such app: 7 fl: 0 sub:0 ";
        QTest::newRow("never acknowledged") << true << 0 << 11 << "too many resends";
        QTest::newRow("acknowledged at the last write") << true << 11 << 11 << QString();
    }

    void aPacketIsWrittenUntilAcknowledgedOrGivenUp()
    {
        QFETCH(bool, peerKnown);
        QFETCH(int, acknowledgedAfter);
        QFETCH(int, writes);
        QFETCH(QString, reason);
        DebugCapture log;
        FakeClock clock;
        PeerTable peers(clock);
        if (peerKnown)
            peers.insert(peer(Planner, "halle-b"));
        SendQueue queue(clock, Top - 1); // the sequence numbers wrap to 1
        for (quint32 sequence : {Top, 1u}) {
            auto* packet = new QueuePacket;
            packet->queuedMs = clock.monotonicMs();
            packet->header = PacketHeader::make(PacketType::DATA, 0x30, 0);
            packet->header.setDestination(Planner);
            packet->header.sequence = queue.takeSequence();
            QCOMPARE(packet->header.sequence, sequence);
            queue.append(packet);
        }
        int written = 0;
        SendQueue::Outcome outcome;
        for (;;) {
            const SendQueue::Transmission transmission = queue.next(peers);
            QCOMPARE(transmission.packet->header.sequence, Top);
            QCOMPARE(transmission.repeat, written > 0);
            QCOMPARE(int(transmission.packet->header.delay), written * SendQueue::resendIntervalMs);
            if (++written == acknowledgedAfter) {
                QCOMPARE(int(queue.acknowledge(1, Planner, &outcome)), int(SendQueue::NotInFlight));
                QCOMPARE(int(queue.acknowledge(Top, TovkaAddress(7, 0, 9), &outcome)), int(SendQueue::Waiting));
                QCOMPARE(int(queue.acknowledge(Top, Planner, &outcome)), int(SendQueue::Complete));
                QCOMPARE(int(outcome.roundTripMs), (written - 1) * SendQueue::resendIntervalMs);
                break;
            }
            if (!queue.afterWrite(&outcome))
                break;
            clock.advanceMs(SendQueue::resendIntervalMs);
        }
        QCOMPARE(written, writes);
        QCOMPARE(outcome.sequence, int(Top));
        QCOMPARE(outcome.reason, reason);
        QVERIFY(log.contains(reason)); // the debug log is the only trace of a packet given up
        QCOMPARE(outcome.tooManyResends, reason == QLatin1String("too many resends"));
        // The next packet goes into flight as a new one.
        QCOMPARE(queue.size(), 1);
        QVERIFY(!queue.next(peers).repeat);
        QCOMPARE(queue.inFlight()->header.sequence, 1u);
    }

    void theEchoAlertComesOncePerLoss_data()
    {
        QTest::addColumn<int>("external"); // second the own packets came back externally, -1 = never
        QTest::addColumn<int>("loopback"); // over the loopback
        QTest::addColumn<int>("now");
        QTest::addColumn<bool>("alert");
        QTest::newRow("loopback only for 25 s") << 0 << 25 << 25 << false;
        QTest::newRow("loopback only for 26 s") << 0 << 26 << 26 << true;
        QTest::newRow("loopback silent for 26 s") << -1 << 0 << 26 << true;
        QTest::newRow("nothing heard") << -1 << -1 << 100 << false;
    }

    void theEchoAlertComesOncePerLoss()
    {
        QFETCH(int, external);
        QFETCH(int, loopback);
        QFETCH(int, now);
        QFETCH(bool, alert);
        FakeClock clock;
        AliveWatch watch(clock);
        const qint64 start = clock.monotonic;
        for (int second = 0; second <= now; ++second) {
            clock.monotonic = start + second * 1000;
            if (second == external)
                watch.heardExternal();
            if (second == loopback)
                watch.heardLoopback();
        }
        QCOMPARE(watch.echoLost(), alert);
        QVERIFY(!watch.echoLost());
    }

    // The queue lock names the thread that holds it when another has to wait,
    // and refuses an unlock by a thread that does not hold it, which leaves it
    // usable.
    void theQueueLockReportsHowItIsUsed()
    {
        CheckedMutex mutex;
        DebugCapture log;
        mutex.unlock();
        QCOMPARE(log.lines().filter("UNLOCK_MUTEX: try to unlock a none locked mutex").size(), 1);

        std::atomic<Qt::HANDLE> holding{nullptr};
        std::thread holder([&] {
            CheckedMutex::Guard guard(mutex);
            holding = QThread::currentThreadId();
            // Held until the waiting thread has seen the lock taken.
            while (!log.contains("LOCK_MUTEX: thread"))
                std::this_thread::yield();
        });
        while (!holding)
            std::this_thread::yield();
        mutex.unlock(); // the other thread's lock: refused, so it still holds it
        { CheckedMutex::Guard guard(mutex); }
        holder.join();

        const Qt::HANDLE self = QThread::currentThreadId();
        QVERIFY(log.contains(QString::asprintf("LOCK_MUTEX: thread %p  lock  !!!!!!", holding.load())));
        QVERIFY(log.contains(QString::asprintf("LOCK_MUTEX: new thread is: %p", self)));
        QVERIFY(log.contains(QString::asprintf("LOCK_MUTEX: thread %p maybe blocked", self)));
        QCOMPARE(log.lines().filter("UNLOCK_MUTEX").size(), 2);
        { CheckedMutex::Guard again(mutex); }
        QVERIFY(!log.contains("RECURSIVE"));
    }
};

QTEST_GUILESS_MAIN(TestTransportLogic)
#include "tst_transport_logic.moc"
