// The transport between real hosts: the test process and programs of the
// suite on other network namespaces, joined by veth pairs through a bridge,
// each with its own host name, and one more host behind a wire that loses
// 30% of the frames both ways. What one host writes, the others read off
// the wire.
#include "TapForwarder.h"
#include "TransportRig.h"

#include "tests/support/TestHall.h"

#include "net/transport/UdpSocketLinux.h"

#include <QApplication>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

namespace {

// Waits until the socket hears a datagram of the type from the address byte
// with the payload; its sender then, a null address after the patience is up.
QHostAddress heard(QUdpSocket& socket, quint8 type, quint8 source, const QByteArray& payload)
{
    QHostAddress sender;
    const bool found = QTest::qWaitFor(
        [&] {
            while (sender.isNull() && socket.hasPendingDatagrams()) {
                const QNetworkDatagram datagram = socket.receiveDatagram();
                const QByteArray data = datagram.data();
                PacketHeader header;
                if (PacketHeader::read(bytes(data), data.size(), &header) && header.type == type
                    && header.sourceAddress == source && data.mid(PacketHeader::Size) == payload)
                    sender = datagram.senderAddress();
            }
            return !sender.isNull();
        },
        Patience);
    return found ? sender : QHostAddress();
}

} // namespace

class TestTransportHosts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(QFileInfo::exists(TestHall::peerProgram()));
        QVERIFY(hall.open());
        QVERIFY(hall.addHost(QStringLiteral("halle-b"), QStringLiteral("10.77.0.2")));
        QVERIFY(hall.addHost(QStringLiteral("halle-c"), QStringLiteral("10.77.0.3")));
        QVERIFY(lossyWire.open(QStringLiteral("tap0"), QStringLiteral("tap1")));
        QVERIFY(hall.addBareHost(QStringLiteral("halle-e")));
        QVERIFY(hall.moveTap(QStringLiteral("halle-e"), QStringLiteral("tap1"), QStringLiteral("10.78.0.2")));
        QVERIFY(PrivateHost::run(QStringLiteral("ip"), {"addr", "add", "10.78.0.1/24", "dev", "tap0"}));
        QVERIFY(PrivateHost::setLinkUp(QStringLiteral("tap0"), true));
    }

    void cleanup() { hall.stopPeers(); }

    void aPingGoesOutOnLinkAndLoopbackAndIsAnsweredWithTheAskingAddress()
    {
        FakeClock clock;
        TovkaNetIo net(0, 0, 0);
        QVERIFY(hall.startPeer(QStringLiteral("halle-b"), Office));
        QTRY_VERIFY_WITH_TIMEOUT(knows(net, Office, "halle-b"), Patience);
        QUdpSocket link;
        QUdpSocket loopback;
        QString error;
        QVERIFY(UdpSocketLinux::bindMulticast(&link, QNetworkInterface::interfaceFromName("veth0"), &error));
        QVERIFY(UdpSocketLinux::bindLoopback(&loopback, &error));
        net.setClock(&clock);
        net.sendPing();
        const QByteArray ping = pingPayload(quint32(clock.wall / 1000), quint32(clock.wall % 1000), "halle-a");
        QCOMPARE(heard(link, PacketType::PING, 0x00, ping), QHostAddress("10.77.0.1"));
        // The answer carries 10.77.0.1: first octet most significant, stored little-endian.
        QCOMPARE(heard(link, PacketType::PONG, 0x30, ping + QByteArray::fromHex("01004d0a")),
                 QHostAddress("10.77.0.2"));
        QVERIFY(heard(loopback, PacketType::PING, 0x00, ping).isLoopback());
    }

    void dataToAPeerIsAcknowledgedAndDeliveredOnce()
    {
        TovkaNetIo net(0, 0, 0);
        QVERIFY(net.setOwnAddress(7, 0, 0));
        PeerProcess* office = hall.startPeer(QStringLiteral("halle-b"), Office);
        QVERIFY(office);
        QTRY_VERIFY_WITH_TIMEOUT(knows(net, Office, "halle-b"), Patience);
        QSignalSpy successes(&net, &TovkaNetIo::TxSuccess);
        QSignalSpy failures(&net, &TovkaNetIo::TxFailure);
        const int one = net.sendData("Trainingsplan 1", 15, &Office);
        const int two = net.sendData("Trainingsplan 2", 15, &Office);
        QTRY_COMPARE_WITH_TIMEOUT(successes.count(), 2, Patience);
        QCOMPARE(failures.count(), 0);
        QCOMPARE(successes[0][0].toInt(), one);
        QCOMPARE(successes[1][0].toInt(), two);
        QVERIFY(office->waitForLine(QStringLiteral("data 7/0/0 Trainingsplan 2")));
        QCOMPARE(office->linesStartingWith(QStringLiteral("data ")),
                 (QStringList{"data 7/0/0 Trainingsplan 1", "data 7/0/0 Trainingsplan 2"}));
    }

    void overALossyWireEveryPacketIsDeliveredOnce()
    {
        TovkaNetIo net(0, 0, 0);
        QVERIFY(net.setOwnAddress(7, 0, 0));
        PeerProcess* office = hall.startPeer(QStringLiteral("halle-e"), Office);
        QVERIFY(office);
        QTRY_VERIFY_WITH_TIMEOUT(knows(net, Office, "halle-e"), 2 * Patience);
        int done = 0;
        connect(&net, &TovkaNetIo::TxSuccess, this, [&](int) { ++done; });
        connect(&net, &TovkaNetIo::TxFailure, this, [&](int, const QString&) { ++done; });
        QStringList expected;
        for (int i = 0; i < 10; ++i) {
            const QByteArray text = "Plan-" + QByteArray::number(i);
            QVERIFY(net.sendData(text.constData(), quint32(text.size()), &Office) > 0);
            expected << "data 7/0/0 " + text;
        }
        QTRY_COMPARE_WITH_TIMEOUT(done, expected.size(), 2 * Patience);
        QVERIFY(office->waitForCount(QStringLiteral("data "), expected.size(), 2 * Patience));
        QCOMPARE(office->linesStartingWith(QStringLiteral("data ")), expected);
        QVERIFY(lossyWire.dropped() > 0);
    }

    void aCopyStartedLaterOnAnotherHostIsWarnedAbout()
    {
        TovkaNetIo net(0, 0, 0);
        QVERIFY(net.setOwnAddress(7, 0, 0));
        QSignalSpy warnings(&net, &TovkaNetIo::Warning);
        PeerProcess* copy = hall.startPeer(QStringLiteral("halle-c"), Planner);
        QVERIFY(copy);
        QTRY_VERIFY_WITH_TIMEOUT(!warnings.isEmpty(), Patience);
        QVERIFY(warnings.first().first().toString().contains(QStringLiteral("halle-c")));
        QVERIFY(copy->waitForLine(QStringLiteral("warning "), Patience)); // the copy hears this program the same way
    }

    void anAddressSwitchWithAPacketInFlightLeavesNoTrace()
    {
        TovkaNetIo net(0, 0, 0);
        QVERIFY(net.setOwnAddress(7, 0, 0));
        const TovkaAddress display(4, 1, 0);
        PeerProcess* mute = hall.startPeer(QStringLiteral("halle-c"), display, {QStringLiteral("mute-acks")});
        QVERIFY(mute);
        QTRY_VERIFY_WITH_TIMEOUT(knows(net, display, "halle-c"), Patience);
        QVERIFY(mute->waitForLine(QStringLiteral("app+ 7/0/0 halle-a")));
        QSignalSpy failures(&net, &TovkaNetIo::TxFailure);
        const int sequence = net.sendData("Anzeige", 7, &display);
        QVERIFY(mute->waitForLine(QStringLiteral("data 7/0/0 Anzeige")));
        // Switched off while the packet is still being repeated.
        QVERIFY(net.setOwnAddress(0, 0, 0));
        QCOMPARE(failures.count(), 1);
        QCOMPARE(failures.first()[0].toInt(), sequence);
        QVERIFY(mute->waitForLine(QStringLiteral("app+ 0/0/0 halle-a")));
        QTest::qWait(11 * SendQueue::resendIntervalMs); // as long as the repeats would have gone on
        // The peer took the program away once and never back, and had the packet once.
        QCOMPARE(mute->count(QStringLiteral("app- 7/0/0 halle-a")), 1);
        QCOMPARE(mute->count(QStringLiteral("app+ 7/0/0")), 1);
        QCOMPARE(mute->count(QStringLiteral("data ")), 1);
    }

    void aPeerLeavingSaysSo()
    {
        TovkaNetIo net(0, 0, 0);
        QSignalSpy lost(&net, &TovkaNetIo::appLost);
        PeerProcess* leaving = hall.startPeer(QStringLiteral("halle-b"), Office);
        QVERIFY(leaving);
        QTRY_VERIFY_WITH_TIMEOUT(knows(net, Office, "halle-b"), Patience);
        QVERIFY(leaving->stop());
        QTRY_VERIFY_WITH_TIMEOUT(!knows(net, Office, "halle-b"), Patience);
        QCOMPARE(lost.count(), 1);
    }

private:
    TapForwarder lossyWire{0.3, 20593};
    TestHall hall;
};

PRIVATE_HOST_TEST_MAIN(TestTransportHosts, "halle-a", true)
#include "tst_transport_hosts.moc"
