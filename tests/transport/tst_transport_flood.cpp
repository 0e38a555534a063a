// A flood of data packets from another program, on the loopback and from
// another host over a veth link, read in the program's own event loop with
// its debug log on: every packet is acknowledged, and the window's timers
// keep firing while the flood lasts.
#include "TransportRig.h"

#include "tests/support/TestHall.h"

#include "frame/DebugLog.h"
#include "net/UdpSocketLinux.h"

#include <QApplication>
#include <QEventLoop>
#include <QtTest>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <sched.h>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int Packets = 20000;
constexpr int Burst = 20;                          // written back to back,
constexpr std::chrono::microseconds BurstGap{2000}; // so 10,000 packets a second

sockaddr_in endpoint(const char* address)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(UdpSocketLinux::port);
    to.sin_addr.s_addr = inet_addr(address);
    return to;
}

// The peer's socket, made on host `host` (empty: this one) and bound as the
// suite's programs bind theirs; `link` is the address of its multicast link.
int peerSocket(const QString& host, const char* bound, const char* link)
{
    const int home = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const int there = host.isEmpty() ? -1 : ::open(qPrintable("/run/netns/" + host), O_RDONLY | O_CLOEXEC);
    if (there >= 0)
        ::setns(there, CLONE_NEWNET);
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    const int off = 0;
    const timeval tick{0, 100000};
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof(on));
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tick, sizeof(tick));
    const sockaddr_in local = endpoint(bound);
    ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof(local));
    if (link) {
        const ip_mreq join{{inet_addr(bound)}, {inet_addr(link)}};
        ::setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &join, sizeof(join));
        ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &join.imr_interface, sizeof(join.imr_interface));
        ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_LOOP, &off, sizeof(off));
        ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_ALL, &off, sizeof(off));
    }
    if (there >= 0) {
        ::setns(home, CLONE_NEWNET);
        ::close(there);
    }
    ::close(home);
    return fd;
}

// Another program writing data packets 1, 2, ... to the planner on its own
// threads, counting the planner's acknowledgements.
class Flood
{
public:
    Flood(int fd, const char* to) : fd(fd), to(endpoint(to))
    {
        for (int sequence = 1; sequence <= Packets; ++sequence)
            packets.push_back(dataPacket(quint32(sequence), Planner, quint16(sequence)).bytes().toStdString());
        sender = std::thread([this] { send(); });
        listener = std::thread([this] { listen(); });
    }

    ~Flood()
    {
        stop = true;
        sender.join();
        listener.join();
        ::close(fd);
    }

    std::atomic<int> acknowledged{0};

private:
    void send()
    {
        auto next = std::chrono::steady_clock::now();
        for (size_t i = 0; i < packets.size() && !stop; ++i) {
            if (i % Burst == 0)
                std::this_thread::sleep_until(next += BurstGap);
            ::sendto(fd, packets[i].data(), packets[i].size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof(to));
        }
    }

    void listen()
    {
        std::vector<bool> seen(Packets + 1);
        uint8_t buffer[PacketHeader::MaxPacket];
        while (!stop) {
            const ssize_t size = ::recv(fd, buffer, sizeof(buffer), 0);
            PacketHeader ack;
            if (size < 0 || !PacketHeader::read(buffer, int(size), &ack) || ack.type != PacketType::ACK
                || ack.destinationAddress != Office.addressByte() || ack.sequence < 1 || ack.sequence > Packets
                || seen[ack.sequence])
                continue;
            seen[ack.sequence] = true;
            ++acknowledged;
        }
    }

    const int fd;
    const sockaddr_in to;
    std::vector<std::string> packets;
    std::atomic<bool> stop{false};
    std::thread sender;
    std::thread listener;
};

} // namespace

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

    void cleanupTestCase() { hall.close(); }

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
        TovkaNetIo net(0, 0, 0);
        QVERIFY(net.setOwnAddress(Planner.kind, Planner.subKind, Planner.instance));
        const int fd = peerSocket(host, qPrintable(group), link.isEmpty() ? nullptr : qPrintable(link));
        QVERIFY(fd >= 0);

        QEventLoop loop;
        QTimer window;
        int ticksDuringFlood = 0;
        Flood flood(fd, qPrintable(group));
        connect(&window, &QTimer::timeout, [&] {
            const int acknowledged = flood.acknowledged;
            ticksDuringFlood += acknowledged > 0 && acknowledged < Packets ? 1 : 0;
            if (acknowledged == Packets)
                loop.quit();
        });
        window.start(10);
        QTimer::singleShot(Patience, &loop, &QEventLoop::quit);
        loop.exec();
        QCOMPARE(flood.acknowledged.load(), Packets);
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
