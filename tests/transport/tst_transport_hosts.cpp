// The transport between real hosts, read in the program's own event loop
// with its debug log on: another program of the suite behind a wire that
// loses 30% of the frames both ways gets every packet once, and a flood from
// another program leaves no socket deaf while the window's timers keep firing.
#include "TapForwarder.h"
#include "TransportRig.h"

#include "tests/support/FloodPeer.h"
#include "tests/support/SocketQueues.h"
#include "tests/support/TestHall.h"

#include "frame/DebugLog.h"
#include "net/transport/UdpSocketLinux.h"

#include <QApplication>
#include <QEventLoop>
#include <QSignalSpy>
#include <QtTest>

// The flood: bursts of more data packets than the reader takes in one turn
// of the event loop, far enough apart for a reader of any build to empty its
// socket between them on an idle machine. A reader that falls behind leaves
// the kernel to drop what finds no room.
constexpr int FloodBurst = 100;
constexpr int FloodRate = 2000;
constexpr int FloodPackets = 40 * FloodBurst;
static_assert(FloodBurst > TovkaNetIo::maxDatagramsPerRead, "each burst takes the reader more than one turn");
// Turns of the window's timer in a row that find datagrams waiting while
// nothing was read. A reader that is merely slow reads something between two
// turns; a deaf socket waits for the alive check, up to a second.
constexpr int DeafTurns = 10;

class TestTransportHosts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        installDebugLog(); // after the test library's own message handler
        QVERIFY(QFileInfo::exists(TestHall::peerProgram()));
        QVERIFY(hall.open());
        QVERIFY(hall.addHost(QStringLiteral("halle-b"), QStringLiteral("10.77.0.2")));
        QVERIFY(lossyWire.open(QStringLiteral("tap0"), QStringLiteral("tap1")));
        QVERIFY(hall.addTapHost(QStringLiteral("halle-c"), QStringLiteral("tap1"), QStringLiteral("10.78.0.2")));
        QVERIFY(PrivateHost::run(QStringLiteral("ip"), {"addr", "add", "10.78.0.1/24", "dev", "tap0"}));
        QVERIFY(PrivateHost::setLinkUp(QStringLiteral("tap0"), true));
    }

    void cleanup() { hall.stopPeers(); }

    void overALossyWireEveryPacketIsDeliveredOnce()
    {
        TovkaNetIo net(0, 0, 0);
        QVERIFY(net.setOwnAddress(7, 0, 0));
        PeerProcess* office = hall.startPeer(QStringLiteral("halle-c"), Office);
        QVERIFY(office);
        QTRY_VERIFY_WITH_TIMEOUT(knows(net, Office, "halle-c"), 2 * Patience);
        QSignalSpy successes(&net, &TovkaNetIo::TxSuccess);
        QSignalSpy failures(&net, &TovkaNetIo::TxFailure);
        QStringList expected;
        for (int i = 0; i < 10; ++i) {
            const QByteArray text = "Plan-" + QByteArray::number(i);
            QVERIFY(net.sendData(text.constData(), quint32(text.size()), &Office) > 0);
            expected << "data 7/0/0 " + text;
        }
        // A packet whose eleven writes or their acknowledgements were all lost
        // (one in some 1700) is given up, though it may have arrived.
        QTRY_COMPARE_WITH_TIMEOUT(successes.count() + failures.count(), expected.size(), 2 * Patience);
        QVERIFY(failures.count() <= 1);
        QVERIFY(office->waitForCount(QStringLiteral("data "), expected.size(), 2 * Patience));
        QCOMPARE(office->linesStartingWith(QStringLiteral("data ")), expected);
        QVERIFY(lossyWire.dropped() > 0);
    }

    void aFloodLeavesNoSocketDeaf_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("group");
        QTest::newRow("loopback") << QString() << QString() << QStringLiteral("127.255.255.255");
        QTest::newRow("veth") << hall.prefix + "-halle-b" << QStringLiteral("10.77.0.2")
                              << QStringLiteral("239.255.5.97");
    }

    // Every packet of the flood is acknowledged or was dropped by the kernel
    // at the program's sockets, no socket stops being read while datagrams
    // wait in it, and the window's timers keep firing.
    void aFloodLeavesNoSocketDeaf()
    {
        QFETCH(QString, host);
        QFETCH(QString, link);
        QFETCH(QString, group);
        TovkaNetIo net(Planner.kind, Planner.subKind, Planner.instance);
        int delivered = 0;
        connect(&net, qOverload<const void*, int, TovkaAddress&>(&TovkaNetIo::dataReceived),
                [&delivered] { ++delivered; });
        FloodPeer flood(host, group, link, FloodPackets, FloodRate, FloodBurst);
        QVERIFY(flood.valid());
        SocketQueues queues(UdpSocketLinux::port, host.isEmpty() ? flood.socket() : -1);
        QEventLoop loop;
        QTimer window;
        int ticksDuringFlood = 0;
        int deliveredBefore = 0;
        int idleTurns = 0;
        connect(&window, &QTimer::timeout, [&] {
            queues.sample();
            const bool read = delivered != deliveredBefore || queues.someShrank();
            deliveredBefore = delivered;
            idleTurns = queues.queued() > 0 && !read ? idleTurns + 1 : 0;
            ticksDuringFlood += delivered > 0 && !flood.sent() ? 1 : 0;
            const bool accounted = flood.acknowledged + queues.dropped() >= FloodPackets;
            if (idleTurns == DeafTurns || (flood.sent() && queues.queued() == 0 && accounted))
                loop.quit();
        });
        window.start(10);
        QTimer::singleShot(Patience, &loop, &QEventLoop::quit);
        loop.exec();
        QVERIFY2(idleTurns < DeafTurns, "datagrams waited in a socket that was not read");
        // The kernel's count takes in our own acknowledgements looped back too.
        QVERIFY2(flood.acknowledged + queues.dropped() >= FloodPackets,
                 qPrintable(QStringLiteral("%1 acknowledged, %2 dropped by the kernel")
                                .arg(flood.acknowledged)
                                .arg(queues.dropped())));
        QVERIFY(ticksDuringFlood > 0);
    }

private:
    TapForwarder lossyWire{0.3, 20593};
    TestHall hall;
};

int main(int argc, char** argv)
{
    if (!PrivateHost::enter(QStringLiteral("halle-a"), true))
        return 2;
    QApplication app(argc, argv);
    if (!qEnvironmentVariableIsEmpty("QT_NO_GLIB")) // Qt's own dispatcher: a log of its own
        QCoreApplication::setApplicationName(QCoreApplication::applicationName() + "-qtloop");
    TestTransportHosts test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_transport_hosts.moc"
