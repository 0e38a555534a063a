// The transport between real hosts, read in the program's own event loop
// with its debug log on: another program of the suite behind a wire that
// loses 30% of the frames both ways gets every packet once, and a flood from
// another program is acknowledged whole while the window's timers keep firing.
#include "TapForwarder.h"
#include "TransportRig.h"

#include "tests/support/FloodPeer.h"
#include "tests/support/TestHall.h"

#include "frame/DebugLog.h"

#include <QApplication>
#include <QEventLoop>
#include <QSignalSpy>
#include <QtTest>

// Data packets a second of the flood. The thread checker slows the reader
// some tenfold, to about what a flood with our own acknowledgements looped
// back asks of it on loopback; its run looks for races, so its flood is
// slower than the reader's speed.
#ifdef __SANITIZE_THREAD__
constexpr int FloodRate = 2500;
#else
constexpr int FloodRate = 10000;
#endif

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

    void aFloodIsAcknowledgedWholeAndTimersKeepFiring_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("group");
        QTest::newRow("loopback") << QString() << QString() << QStringLiteral("127.255.255.255");
        QTest::newRow("veth") << hall.prefix + "-halle-b" << QStringLiteral("10.77.0.2")
                              << QStringLiteral("239.255.5.97");
    }

    void aFloodIsAcknowledgedWholeAndTimersKeepFiring()
    {
        QFETCH(QString, host);
        QFETCH(QString, link);
        QFETCH(QString, group);
        const int packets = 20000;
        TovkaNetIo net(Planner.kind, Planner.subKind, Planner.instance);
        QEventLoop loop;
        QTimer window;
        int ticksDuringFlood = 0;
        FloodPeer flood(host, group, link, packets, FloodRate);
        QVERIFY(flood.valid());
        connect(&window, &QTimer::timeout, [&] {
            const int acknowledged = flood.acknowledged;
            ticksDuringFlood += acknowledged > 0 && acknowledged < packets ? 1 : 0;
            if (acknowledged == packets)
                loop.quit();
        });
        window.start(10);
        QTimer::singleShot(Patience, &loop, &QEventLoop::quit);
        loop.exec();
        QCOMPARE(flood.acknowledged.load(), packets);
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
    if (qEnvironmentVariableIsSet("QT_NO_GLIB")) // a log of its own
        QCoreApplication::setApplicationName(QCoreApplication::applicationName() + "-qtloop");
    TestTransportHosts test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_transport_hosts.moc"
