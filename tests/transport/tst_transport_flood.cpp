// A flood of data packets from another program, on the loopback and from
// another host over a veth link, read in the program's own event loop with
// its debug log on: every packet is acknowledged, and the window's timers
// keep firing while the flood lasts.
#include "TransportRig.h"

#include "tests/support/FloodPeer.h"
#include "tests/support/TestHall.h"

#include "frame/DebugLog.h"

#include <QApplication>
#include <QEventLoop>
#include <QtTest>

class TestTransportFlood : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        installDebugLog(); // after the test library's own message handler
        QVERIFY(hall.open());
        QVERIFY(hall.addHost(QStringLiteral("halle-b"), QStringLiteral("10.77.0.2")));
    }

    void everyPacketIsAcknowledgedAndTimersKeepFiring_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("group");
        QTest::newRow("loopback") << QString() << QString() << QStringLiteral("127.255.255.255");
        QTest::newRow("veth") << hall.prefix + "-halle-b" << QStringLiteral("10.77.0.2")
                              << QStringLiteral("239.255.5.97");
    }

    void everyPacketIsAcknowledgedAndTimersKeepFiring()
    {
        QFETCH(QString, host);
        QFETCH(QString, link);
        QFETCH(QString, group);
        const int packets = 20000;
        TovkaNetIo net(Planner.kind, Planner.subKind, Planner.instance);
        QEventLoop loop;
        QTimer window;
        int ticksDuringFlood = 0;
        FloodPeer flood(host, group, link, packets, 10000);
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
    TestHall hall;
};

int main(int argc, char** argv)
{
    if (!PrivateHost::enter(QStringLiteral("halle-a"), true))
        return 2;
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("QT_NO_GLIB"))
        QCoreApplication::setApplicationName(QCoreApplication::applicationName() + "-qtloop");
    TestTransportFlood test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_transport_flood.moc"
