// The transport's speed through real sockets, notifications and the
// program's own event loop, with the debug log on: one data packet from
// sendData to TxSuccess with four acknowledging programs on four other hosts,
// beside a raw UDP multicast round trip to four echoing programs on the same
// hosts in the same run, both waiting in the event loop (goal: median within
// 1.4x); data packets per second read, checked, acknowledged and dispatched,
// beside a raw socket that reads, checks and answers the same datagrams; and
// the share of a 10,000 per second flood lost, on loopback and over veth.
#include "tests/support/FloodPeer.h"
#include "tests/support/TestHall.h"

#include "frame/DebugLog.h"
#include "net/transport/DatagramSink.h"
#include "net/transport/TovkaNetIo.h"
#include "net/transport/UdpSocketLinux.h"
#include "net/wire/PacketHeader.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkInterface>
#include <QUdpSocket>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr int Peers = 4;
constexpr quint16 EchoPort = 20594;
const char* const EchoGroup = "239.255.5.98";
const int Patience = 60000;

TestHall* hall = nullptr;
bool hallReady = false;

bool openHall()
{
    hall = new TestHall;
    if (!QFileInfo::exists(TestHall::peerProgram()) || !hall->open())
        return false;
    for (int i = 1; i <= Peers; ++i) {
        const QString host = QStringLiteral("halle-%1").arg(i);
        if (!hall->addHost(host, QStringLiteral("10.77.0.%1").arg(i + 1)))
            return false;
        if (!hall->startPeer(host, TovkaAddress(7, 0, quint8(i))))
            return false;
        if (!hall->start(host, {TestHall::peerProgram(), QStringLiteral("--raw-echo")}))
            return false;
    }
    return true;
}

// Runs the event loop until done() holds, checked whenever an event was handled.
bool waitInLoop(const std::function<bool()>& done, int timeoutMs = Patience)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

qint64 percentile(std::vector<qint64> values, int percent)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, values.size() * size_t(percent) / 100)];
}

// One datagram to the echo group and the four answers back, in microseconds.
qint64 rawRoundTrip(QUdpSocket& socket, int& answers)
{
    QElapsedTimer timer;
    timer.start();
    answers = 0;
    socket.writeDatagram("echo", QHostAddress(QString::fromLatin1(EchoGroup)), EchoPort);
    waitInLoop([&] { return answers >= Peers; });
    return timer.nsecsElapsed() / 1000;
}

void BM_SendDataToFourPeers(benchmark::State& state)
{
    if (!hallReady) {
        state.SkipWithError("no test hosts (root and the tovka_peer program are needed)");
        return;
    }
    TovkaNetIo net(0, 0, 0);
    net.setOwnAddress(3, 0, 0);
    const TovkaAddress planners(7, 0, 0);
    if (!waitInLoop([&] {
            int known = 0;
            for (const AppLocation& app : net.peers())
                known += app.address.kind == 7 ? 1 : 0;
            return known >= Peers;
        })) {
        state.SkipWithError("the four programs were not heard");
        return;
    }
    QUdpSocket raw;
    raw.bind(QHostAddress(QHostAddress::AnyIPv4), 0);
    raw.setMulticastInterface(QNetworkInterface::interfaceFromName(QStringLiteral("veth0")));
    int answers = 0;
    QObject::connect(&raw, &QUdpSocket::readyRead, [&] {
        char buffer[64];
        while (raw.readDatagram(buffer, sizeof(buffer)) >= 0)
            ++answers;
    });
    int lastSuccess = 0;
    QObject::connect(&net, &TovkaNetIo::TxSuccess, [&](int sequence) { lastSuccess = sequence; });

    std::vector<qint64> transportUs;
    std::vector<qint64> rawUs;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const int sequence = net.sendData("Trainingsplan", 13, &planners);
        waitInLoop([&] { return lastSuccess == sequence; });
        transportUs.push_back(timer.nsecsElapsed() / 1000);
        state.PauseTiming();
        rawUs.push_back(rawRoundTrip(raw, answers));
        state.ResumeTiming();
    }
    const qint64 transportMedian = percentile(transportUs, 50);
    const qint64 rawMedian = percentile(rawUs, 50);
    state.counters["transport_median_us"] = double(transportMedian);
    state.counters["transport_p99_us"] = double(percentile(transportUs, 99));
    state.counters["raw_median_us"] = double(rawMedian);
    state.counters["raw_p99_us"] = double(percentile(rawUs, 99));
    state.counters["ratio"] = rawMedian > 0 ? double(transportMedian) / double(rawMedian) : 0.0;
}
BENCHMARK(BM_SendDataToFourPeers)->Unit(benchmark::kMicrosecond)->UseRealTime();

// What the transport's writer does with an acknowledgement: one write on
// each socket, to the loopback broadcast address or to the group.
struct RawSockets
{
    RawSockets()
    {
        QString error;
        UdpSocketLinux::bindLoopback(&loopback, &error);
        const QNetworkInterface link = QNetworkInterface::interfaceFromName(QStringLiteral("veth0"));
        if (link.isValid())
            UdpSocketLinux::bindMulticast(&group, link, &error);
    }

    void write(const uint8_t* data, int size)
    {
        UdpSocketLinux::writeDatagram(loopback.socketDescriptor(), true, reinterpret_cast<const char*>(data), size,
                                      nullptr);
        if (group.state() == QAbstractSocket::BoundState)
            UdpSocketLinux::writeDatagram(group.socketDescriptor(), false, reinterpret_cast<const char*>(data), size,
                                          nullptr);
    }

    QUdpSocket loopback;
    QUdpSocket group;
};

// The datagrams of one socket answered as the transport answers them: read,
// checked, a data packet acknowledged on every socket.
void answerRaw(QUdpSocket& socket, RawSockets& sockets, int& handled)
{
    uint8_t datagram[PacketHeader::MaxPacket];
    uint8_t ack[PacketHeader::Size];
    qint64 size;
    QHostAddress from;
    while ((size = socket.readDatagram(reinterpret_cast<char*>(datagram), sizeof(datagram), &from)) >= 0) {
        PacketHeader header;
        if (PacketHeader::check(datagram, int(size)).verdict != PacketCheck::Valid
            || !PacketHeader::read(datagram, int(size), &header) || header.type != PacketType::DATA)
            continue;
        PacketHeader answer = PacketHeader::make(PacketType::ACK, 0x70, 0);
        answer.sequence = header.sequence;
        answer.destinationAddress = header.sourceAddress;
        answer.destinationInstance = header.sourceInstance;
        sockets.write(ack, PacketHeader::build(answer, nullptr, ack, int(sizeof(ack))));
        ++handled;
    }
}

// A batch of data packets lands in the socket while the loop is held, then
// the loop reads them: the transport, and a raw socket doing the same work.
void BM_ReceiveBatch(benchmark::State& state)
{
    constexpr int Batch = 128; // well within a socket's default receive buffer
    const QString loopback = QStringLiteral("127.255.255.255");
    qint64 transportNs = 0;
    qint64 rawNs = 0;
    int handled = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            TovkaNetIo net(7, 0, 0);
            QObject::connect(&net, qOverload<const void*, int, TovkaAddress&>(&TovkaNetIo::dataReceived),
                             [&](const void*, int, TovkaAddress&) { ++handled; });
            handled = 0;
            FloodPeer flood(QString(), loopback, QString(), Batch, 1000000);
            while (!flood.sent())
                std::this_thread::yield();
            state.ResumeTiming();
            QElapsedTimer timer;
            timer.start();
            waitInLoop([&] { return handled >= Batch; });
            transportNs += timer.nsecsElapsed();
            state.PauseTiming();
        }
        {
            RawSockets raw;
            for (QUdpSocket* socket : {&raw.loopback, &raw.group})
                QObject::connect(socket, &QUdpSocket::readyRead, [&, socket] { answerRaw(*socket, raw, handled); });
            handled = 0;
            FloodPeer flood(QString(), loopback, QString(), Batch, 1000000);
            while (!flood.sent())
                std::this_thread::yield();
            QElapsedTimer timer;
            timer.start();
            waitInLoop([&] { return handled >= Batch; });
            rawNs += timer.nsecsElapsed();
        }
        state.ResumeTiming();
    }
    const double runs = double(state.iterations()) * Batch;
    state.counters["transport_per_s"] = transportNs > 0 ? runs * 1e9 / double(transportNs) : 0.0;
    state.counters["raw_per_s"] = rawNs > 0 ? runs * 1e9 / double(rawNs) : 0.0;
    state.counters["ratio"] = rawNs > 0 ? double(transportNs) / double(rawNs) : 0.0;
}
BENCHMARK(BM_ReceiveBatch)->Unit(benchmark::kMillisecond)->Iterations(50);

// 30,000 data packets at 10,000 a second from a program on loopback (0) or
// on another host over veth (1): the share the transport never acknowledged.
void BM_ReceiveFlood(benchmark::State& state)
{
    const bool veth = state.range(0) == 1;
    if (veth && !hallReady) {
        state.SkipWithError("no test hosts (root and the tovka_peer program are needed)");
        return;
    }
    double lost = 0;
    for (auto _ : state) {
        // Not the planners' address, which the four programs of the hall would answer as well.
        const TovkaAddress receiver(7, 1, 0);
        TovkaNetIo net(receiver.kind, receiver.subKind, receiver.instance);
        FloodPeer flood(veth ? hall->prefix + "-halle-1" : QString(),
                        veth ? QStringLiteral("239.255.5.97") : QStringLiteral("127.255.255.255"),
                        veth ? QStringLiteral("10.77.0.2") : QString(), 30000, 10000, receiver);
        waitInLoop([&] { return flood.sent(); });
        waitInLoop([&] { return flood.acknowledged >= flood.packets(); }, 1000);
        lost = double(flood.packets() - flood.acknowledged) / flood.packets();
    }
    state.counters["lost_share"] = lost;
}
BENCHMARK(BM_ReceiveFlood)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    if (!PrivateHost::enter(QStringLiteral("halle-a"), true))
        return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installDebugLog(); // as the program runs
    hallReady = openHall();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete hall;
    return 0;
}
