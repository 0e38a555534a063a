// The transport over a wire that loses frames: the test host and another
// host joined by two tap devices and a forwarder that drops 30% of the
// frames in both directions. Repeats and acknowledgements still bring every
// packet to the other program exactly once.
#include "TapForwarder.h"
#include "TransportRig.h"

#include "tests/support/TestHall.h"

#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

class TestTransportLoss : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(QFileInfo::exists(TestHall::peerProgram()));
        QVERIFY(wire.open(QStringLiteral("tap0"), QStringLiteral("tap1")));
        QVERIFY(hall.addBareHost(QStringLiteral("halle-b")));
        QVERIFY(hall.moveTap(QStringLiteral("halle-b"), QStringLiteral("tap1"), QStringLiteral("10.78.0.2")));
        QVERIFY(PrivateHost::run(QStringLiteral("ip"), {"addr", "add", "10.78.0.1/24", "dev", "tap0"}));
        QVERIFY(PrivateHost::run(QStringLiteral("ip"), {"link", "set", "tap0", "up"}));
        wire.start();
    }

    void cleanupTestCase()
    {
        hall.close();
        wire.stop();
    }

    void everyPacketIsDeliveredOnce()
    {
        TovkaNetIo net(0, 0, 0);
        QVERIFY(net.setOwnAddress(7, 0, 0));
        PeerProcess* office = hall.startPeer(QStringLiteral("halle-b"), Office);
        QVERIFY(office);
        QTRY_VERIFY_WITH_TIMEOUT(net.hasApp(Office), 2 * Patience);

        int done = 0;
        connect(&net, &TovkaNetIo::TxSuccess, this, [&](int) { ++done; });
        connect(&net, &TovkaNetIo::TxFailure, this, [&](int, const QString&) { ++done; });
        const int packets = 10;
        for (int i = 0; i < packets; ++i) {
            const QByteArray text = "Plan-" + QByteArray::number(i);
            QVERIFY(net.sendData(text.constData(), quint32(text.size()), &Office) > 0);
        }
        QTRY_VERIFY_WITH_TIMEOUT(done == packets, 2 * Patience);
        for (int i = 0; i < packets; ++i) {
            const QString line = QStringLiteral("data 7/0/0 Plan-%1").arg(i);
            QVERIFY2(office->waitForLine(line, 2 * Patience), qPrintable(line));
        }
        for (int i = 0; i < packets; ++i)
            QCOMPARE(office->count(QStringLiteral("data 7/0/0 Plan-%1").arg(i)), 1);
        QVERIFY(wire.dropped() > 0);
    }

private:
    TapForwarder wire{0.3, 20593};
    TestHall hall;
};

PRIVATE_HOST_TEST_MAIN(TestTransportLoss, "halle-a", true)
#include "tst_transport_loss.moc"
