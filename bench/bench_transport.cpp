// The transport's speed between real hosts: one data packet from sendData to
// TxSuccess with four acknowledging programs on four other hosts, beside a
// raw UDP multicast round trip to four echoing programs on the same hosts in
// the same run (goal: median within 3x); and datagrams per second through
// the reader and the dispatch.
#include "tests/support/TestHall.h"

#include "net/transport/DatagramSink.h"
#include "net/wire/PacketHeader.h"
#include "net/transport/TovkaNetIo.h"
#include "net/transport/UdpSocketLinux.h"

#include <QApplication>
#include <QElapsedTimer>
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

class DiscardSink : public DatagramSink
{
public:
    bool writeDatagram(const char*, int) override { return true; }
};

bool spinUntil(const std::function<bool()>& done, int timeoutMs = Patience)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

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

qint64 median(std::vector<qint64> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One datagram to the echo group and the four answers back, in microseconds.
qint64 rawRoundTrip(QUdpSocket& socket)
{
    QElapsedTimer timer;
    timer.start();
    socket.writeDatagram("echo", QHostAddress(QString::fromLatin1(EchoGroup)), EchoPort);
    int answers = 0;
    while (answers < Peers && timer.elapsed() < Patience) {
        if (!socket.hasPendingDatagrams() && !socket.waitForReadyRead(100))
            continue;
        char buffer[64];
        while (socket.hasPendingDatagrams()) {
            socket.readDatagram(buffer, sizeof(buffer));
            ++answers;
        }
    }
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
    if (!spinUntil([&] {
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
    int lastSuccess = 0;
    QObject::connect(&net, &TovkaNetIo::TxSuccess, [&](int sequence) { lastSuccess = sequence; });

    std::vector<qint64> transportUs;
    std::vector<qint64> rawUs;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const int sequence = net.sendData("Trainingsplan", 13, &planners);
        spinUntil([&] { return lastSuccess == sequence; });
        transportUs.push_back(timer.nsecsElapsed() / 1000);
        state.PauseTiming();
        rawUs.push_back(rawRoundTrip(raw));
        state.ResumeTiming();
    }
    const qint64 transportMedian = median(transportUs);
    const qint64 rawMedian = median(rawUs);
    state.counters["transport_median_us"] = double(transportMedian);
    state.counters["raw_median_us"] = double(rawMedian);
    state.counters["ratio"] = rawMedian > 0 ? double(transportMedian) / double(rawMedian) : 0.0;
}
BENCHMARK(BM_SendDataToFourPeers)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ReaderAndDispatch(benchmark::State& state)
{
    DiscardSink sink;
    TovkaNetIo net(7, 0, 0);
    net.setDatagramSink(&sink);
    qint64 delivered = 0;
    QObject::connect(&net, qOverload<const void*, int, TovkaAddress&>(&TovkaNetIo::dataReceived),
                     [&](const void*, int, TovkaAddress&) { ++delivered; });
    QUdpSocket sender;
    const int batch = TovkaNetIo::maxDatagramsPerRead;
    quint32 sequence = 0;
    uint8_t datagram[PacketHeader::MaxPacket];
    const char plan[] = "Trainingsplan der Halle";
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < batch; ++i) {
            PacketHeader header = PacketHeader::make(PacketType::DATA, 0x30, 0);
            sequence = PacketHeader::nextSequence(sequence);
            header.sequence = sequence;
            header.length = sizeof(plan);
            header.destinationAddress = 0x70;
            PacketHeader::setHostName(&header.hostName, "halle-b");
            const int size = PacketHeader::build(header, reinterpret_cast<const uint8_t*>(plan), datagram,
                                                 int(sizeof(datagram)));
            sender.writeDatagram(reinterpret_cast<const char*>(datagram), size, UdpSocketLinux::loopbackBroadcast(),
                                 UdpSocketLinux::port);
        }
        state.ResumeTiming();
        const qint64 target = delivered + batch;
        while (delivered < target)
            net.recvMoniPort();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * batch);
    net.setDatagramSink(nullptr);
}
BENCHMARK(BM_ReaderAndDispatch)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (!PrivateHost::enter(QStringLiteral("halle-a"), true))
        return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("BENCH_TRANSPORT_LOG"))
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {}); // the transport talks a lot
    QApplication app(argc, argv);
    hallReady = openHall();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete hall;
    return 0;
}
