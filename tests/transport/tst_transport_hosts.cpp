// The transport between real hosts: the test process and programs of the
// suite on other network namespaces, joined by veth pairs through a bridge,
// each with its own host name. What one host writes, the others read off
// the wire.
#include "TransportRig.h"

#include "tests/support/Bytes.h"
#include "tests/support/TestHall.h"

#include "net/wire/PongPayload.h"
#include "net/transport/UdpSocketLinux.h"

#include <QApplication>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

#include <functional>

namespace {

PacketHeader headerOf(const QNetworkDatagram& datagram)
{
    PacketHeader header;
    const QByteArray data = datagram.data();
    PacketHeader::read(bytes(data), data.size(), &header);
    return header;
}

// Waits until one datagram the socket hears passes the test; false after the patience is up.
bool hears(QUdpSocket& socket, const std::function<bool(const QNetworkDatagram&)>& wanted)
{
    bool found = false;
    const auto heard = [&] {
        while (!found && socket.hasPendingDatagrams())
            found = wanted(socket.receiveDatagram());
        return found;
    };
    return QTest::qWaitFor(heard, Patience);
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
        QVERIFY(hall.addHost(QStringLiteral("halle-d"), QStringLiteral("10.77.0.4")));
    }

    void cleanup() { hall.stopPeers(); }

    void cleanupTestCase() { hall.close(); }

    void aPingGoesOutOnLinkAndLoopbackAndIsAnsweredWithTheAskingAddress()
    {
        TovkaNetIo net(0, 0, 0);
        PeerProcess* office = hall.startPeer(QStringLiteral("halle-b"), Office);
        QVERIFY(office);
        QTRY_VERIFY_WITH_TIMEOUT(knows(net, Office, "halle-b"), Patience);
        QUdpSocket link;
        QUdpSocket loopback;
        QString error;
        QVERIFY(UdpSocketLinux::bindMulticast(&link, QNetworkInterface::interfaceFromName(QStringLiteral("veth0")),
                                              &error));
        QVERIFY(UdpSocketLinux::bindLoopback(&loopback, &error));
        net.sendPing();

        const auto ownPing = [](const QNetworkDatagram& datagram) {
            const PacketHeader header = headerOf(datagram);
            return header.type == PacketType::PING && header.sourceAddress == 0x00
                && PacketHeader::hostNameText(header.hostName) == "halle-a";
        };
        QByteArray ping;
        QByteArray pong;
        QVERIFY(hears(link, [&](const QNetworkDatagram& datagram) {
            if (ownPing(datagram) && datagram.senderAddress() == QHostAddress(QStringLiteral("10.77.0.1")))
                ping = datagram.data().mid(PacketHeader::Size);
            const PacketHeader header = headerOf(datagram);
            if (!ping.isEmpty() && header.type == PacketType::PONG && header.sourceAddress == 0x30
                && datagram.data().mid(PacketHeader::Size, PingPayload::Size) == ping)
                pong = datagram.data().mid(PacketHeader::Size);
            return !pong.isEmpty();
        }));
        QCOMPARE(pong.size(), PongPayload::Size);
        // 10.77.0.1, first octet most significant, stored little-endian.
        QCOMPARE(pong.mid(PingPayload::Size).toHex(), QByteArray("01004d0a"));
        QVERIFY(hears(loopback, [&](const QNetworkDatagram& datagram) {
            return ownPing(datagram) && datagram.senderAddress().isLoopback();
        }));
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
        QCOMPARE(office->count(QStringLiteral("data 7/0/0 Trainingsplan 1")), 1);
        QCOMPARE(office->count(QStringLiteral("data ")), 2);
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
        // The copy hears this program the same way.
        QVERIFY(copy->waitForLine(QStringLiteral("warning "), Patience));
    }

    void anAddressSwitchWithAPacketInFlightLeavesNoTrace()
    {
        TovkaNetIo net(0, 0, 0);
        QVERIFY(net.setOwnAddress(7, 0, 0));
        const TovkaAddress display(4, 1, 0);
        PeerProcess* mute = hall.startPeer(QStringLiteral("halle-d"), display);
        QVERIFY(mute);
        mute->command(QStringLiteral("mute-acks"));
        QVERIFY(mute->waitForLine(QStringLiteral("muted")));
        QTRY_VERIFY_WITH_TIMEOUT(knows(net, display, "halle-d"), Patience);
        QVERIFY(mute->waitForLine(QStringLiteral("app+ 7/0/0 halle-a")));
        QSignalSpy failures(&net, &TovkaNetIo::TxFailure);
        const int sequence = net.sendData("Anzeige", 7, &display);
        QVERIFY(mute->waitForLine(QStringLiteral("data 7/0/0 Anzeige")));
        // Switched off while the packet is still being repeated.
        QVERIFY(net.setOwnAddress(0, 0, 0));
        QCOMPARE(failures.count(), 1);
        QCOMPARE(failures.first()[0].toInt(), sequence);
        QVERIFY(mute->waitForLine(QStringLiteral("app- 7/0/0 halle-a")));
        QVERIFY(mute->waitForLine(QStringLiteral("app+ 0/0/0 halle-a")));
        QTest::qWait(11 * SendQueue::resendIntervalMs); // as long as the repeats would have gone on
        // The peer took the program away once and never back, and had the packet once.
        QCOMPARE(mute->linesStartingWith(QStringLiteral("app+ 7/0/0")).size(), 1);
        QCOMPARE(mute->count(QStringLiteral("data ")), 1);
        // Nor is the own old record back: switching on again is not refused.
        QVERIFY(net.setOwnAddress(7, 0, 0));
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
    TestHall hall;
};

PRIVATE_HOST_TEST_MAIN(TestTransportHosts, "halle-a", true)
#include "tst_transport_hosts.moc"
