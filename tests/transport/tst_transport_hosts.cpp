// The transport between real hosts: the test process and programs of the
// suite on other network namespaces, joined by veth pairs through a bridge,
// each with its own host name. What one host writes, the others read off
// the wire.
#include "FakeClock.h"

#include "tests/support/Bytes.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/TestHall.h"

#include "net/PongPayload.h"
#include "net/TovkaNetIo.h"
#include "net/UdpSocketLinux.h"

#include <QApplication>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

namespace {

const TovkaAddress Planner(7, 0, 0);
const TovkaAddress Office(3, 0, 0);
const int Patience = 60000; // generous: CI runs many tests side by side

bool knows(const TovkaNetIo& net, const TovkaAddress& address, const char* host)
{
    for (const AppLocation& app : net.peers()) {
        if (app.address == address && QByteArray(app.hostName) == host)
            return true;
    }
    return false;
}

// Hears every datagram of the group on the test host's link.
class WireTap
{
public:
    bool open()
    {
        const QNetworkInterface link = QNetworkInterface::interfaceFromName(QStringLiteral("veth0"));
        QString error;
        return UdpSocketLinux::bindMulticast(&socket, link, &error);
    }

    QList<QNetworkDatagram> datagrams()
    {
        while (socket.hasPendingDatagrams())
            heard.append(socket.receiveDatagram());
        return heard;
    }

private:
    QUdpSocket socket;
    QList<QNetworkDatagram> heard;
};

PacketHeader headerOf(const QNetworkDatagram& datagram)
{
    PacketHeader header;
    const QByteArray data = datagram.data();
    PacketHeader::read(bytes(data), data.size(), &header);
    return header;
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

    void aPingIsAnsweredWithItsPayloadAndTheAskingAddress()
    {
        TovkaNetIo net(0, 0, 0);
        PeerProcess* office = hall.startPeer(QStringLiteral("halle-b"), Office);
        QVERIFY(office);
        QTRY_VERIFY_WITH_TIMEOUT(knows(net, Office, "halle-b"), Patience);
        WireTap tap;
        QVERIFY(tap.open());
        net.sendPing();

        QByteArray ping;
        QByteArray pong;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                for (const QNetworkDatagram& datagram : tap.datagrams()) {
                    const PacketHeader header = headerOf(datagram);
                    if (header.type == PacketType::PING && header.sourceAddress == 0x00
                        && PacketHeader::hostNameText(header.hostName) == "halle-a")
                        ping = datagram.data().mid(PacketHeader::Size);
                    if (!ping.isEmpty() && header.type == PacketType::PONG && header.sourceAddress == 0x30
                        && datagram.data().mid(PacketHeader::Size, PingPayload::Size) == ping)
                        pong = datagram.data().mid(PacketHeader::Size);
                }
                return !pong.isEmpty();
            }(),
            Patience);
        QCOMPARE(pong.size(), PongPayload::Size);
        // 10.77.0.1, first octet most significant, stored little-endian.
        QCOMPARE(pong.mid(PingPayload::Size).toHex(), QByteArray("01004d0a"));
    }

    void everyPacketGoesOutOnTheLinkAndTheLoopback()
    {
        TovkaNetIo net(0, 0, 0);
        WireTap link;
        QVERIFY(link.open());
        QUdpSocket loopback;
        QString error;
        QVERIFY(UdpSocketLinux::bindLoopback(&loopback, &error));
        net.sendShutdown();
        const auto heard = [](const QNetworkDatagram& datagram) {
            const PacketHeader header = headerOf(datagram);
            return header.type == PacketType::SHUTDOWN && PacketHeader::hostNameText(header.hostName) == "halle-a";
        };
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                for (const QNetworkDatagram& datagram : link.datagrams()) {
                    if (heard(datagram) && datagram.senderAddress() == QHostAddress(QStringLiteral("10.77.0.1")))
                        return true;
                }
                return false;
            }(),
            Patience);
        bool onLoopback = false;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                while (loopback.hasPendingDatagrams()) {
                    const QNetworkDatagram datagram = loopback.receiveDatagram();
                    onLoopback = onLoopback || (heard(datagram) && datagram.senderAddress().isLoopback());
                }
                return onLoopback;
            }(),
            Patience);
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
        const QByteArray first = "Trainingsplan 1";
        const QByteArray second = "Trainingsplan 2";
        const int one = net.sendData(first.constData(), quint32(first.size()), &Office);
        const int two = net.sendData(second.constData(), quint32(second.size()), &Office);
        QTRY_COMPARE_WITH_TIMEOUT(successes.count(), 2, Patience);
        QCOMPARE(failures.count(), 0);
        QCOMPARE(successes[0][0].toInt(), one);
        QCOMPARE(successes[1][0].toInt(), two);
        QVERIFY(office->waitForLine(QStringLiteral("data 7/0/0 Trainingsplan 2")));
        QCOMPARE(office->count(QStringLiteral("data 7/0/0 Trainingsplan 1")), 1);
        QCOMPARE(office->count(QStringLiteral("data ")), 2);
    }

    void anAddressInUseOnAnotherHostIsRefused()
    {
        TovkaNetIo net(0, 0, 0);
        QSignalSpy warnings(&net, &TovkaNetIo::Warning);
        PeerProcess* other = hall.startPeer(QStringLiteral("halle-c"), Planner);
        QVERIFY(other);
        QTRY_VERIFY_WITH_TIMEOUT(knows(net, Planner, "halle-c"), Patience);
        QVERIFY(!net.setOwnAddress(7, 0, 0));
        QCOMPARE(net.ownAddress(), TovkaAddress(0, 0, 0));
        QVERIFY(!warnings.isEmpty());
        QVERIFY(warnings.last().first().toString().contains(QStringLiteral("'<b>halle-c</b>'")));
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

    void aPeerThatNeverAcknowledgesGetsElevenWrites()
    {
        RecordingSink sink;
        TovkaNetIo net(0, 0, 0);
        sink.setDownstream(&net);
        net.setDatagramSink(&sink);
        QVERIFY(net.setOwnAddress(7, 0, 0));
        const TovkaAddress display(4, 1, 0);
        PeerProcess* mute = hall.startPeer(QStringLiteral("halle-d"), display);
        QVERIFY(mute);
        mute->command(QStringLiteral("mute-acks"));
        QVERIFY(mute->waitForLine(QStringLiteral("muted")));
        QTRY_VERIFY_WITH_TIMEOUT(knows(net, display, "halle-d"), Patience);
        QSignalSpy failures(&net, &TovkaNetIo::TxFailure);
        const int sequence = net.sendData("Anzeige", 7, &display);
        QTRY_COMPARE_WITH_TIMEOUT(failures.count(), 1, Patience);
        QCOMPARE(failures.first()[0].toInt(), sequence);
        QCOMPARE(failures.first()[1].toString(), QStringLiteral("too many resends"));
        int writes = 0;
        for (const PacketHeader& header : sink.headers())
            writes += header.type == PacketType::DATA && int(header.sequence) == sequence ? 1 : 0;
        QCOMPARE(writes, 11);
        QVERIFY(mute->waitForLine(QStringLiteral("data 7/0/0 Anzeige")));
        QCOMPARE(mute->count(QStringLiteral("data ")), 1);
    }

    void aDestinationNobodyServesIsWrittenOnce()
    {
        RecordingSink sink;
        TovkaNetIo net(0, 0, 0);
        sink.setDownstream(&net);
        net.setDatagramSink(&sink);
        QVERIFY(net.setOwnAddress(7, 0, 0));
        QSignalSpy failures(&net, &TovkaNetIo::TxFailure);
        const TovkaAddress timekeeper(8, 0, 0);
        net.sendData("Zeit", 4, &timekeeper);
        QCOMPARE(failures.count(), 1);
        QCOMPARE(failures.first()[1].toString(), QStringLiteral("no such app: 8 fl: 0 sub:0 "));
        QCOMPARE(sink.count(PacketType::DATA), 1);
    }

    void aPeerLeavingSaysSoAndASilentOneExpires()
    {
        FakeClock clock; // outlives the transport that reads it
        TovkaNetIo net(0, 0, 0);
        QSignalSpy lost(&net, &TovkaNetIo::appLost);
        PeerProcess* leaving = hall.startPeer(QStringLiteral("halle-b"), Office);
        PeerProcess* crashing = hall.startPeer(QStringLiteral("halle-d"), TovkaAddress(6, 0, 0));
        QVERIFY(leaving && crashing);
        QTRY_VERIFY_WITH_TIMEOUT(knows(net, Office, "halle-b") && knows(net, TovkaAddress(6, 0, 0), "halle-d"),
                                 Patience);
        QVERIFY(leaving->stop());
        QTRY_VERIFY_WITH_TIMEOUT(!knows(net, Office, "halle-b"), Patience);
        QVERIFY(!lost.isEmpty());

        crashing->kill();
        clock.monotonic = TransportClock::system().monotonicMs() + 26000;
        net.setClock(&clock);
        net.checkAlive();
        QVERIFY(!knows(net, TovkaAddress(6, 0, 0), "halle-d"));
        net.setClock(nullptr);
    }

private:
    TestHall hall;
};

PRIVATE_HOST_TEST_MAIN(TestTransportHosts, "halle-a", true)
#include "tst_transport_hosts.moc"
