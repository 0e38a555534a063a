// The transport's speed through real sockets, notifications and the
// program's own event loop, with the debug log on: one data packet from
// sendData to TxSuccess with four acknowledging programs on four other hosts,
// beside a raw UDP multicast round trip to four echoing programs on the same
// hosts in the same run that writes and reads what the transports write and
// read (every datagram on the loopback and the group socket, every answer to
// the group), both waiting in the event loop (goal: median within 1.4x); data
// packets per second read, checked, acknowledged and dispatched on a host with
// only its loopback and on one joined to the hall, beside raw sockets that
// read, check and answer the same datagrams; and the share of a 10,000 per
// second flood lost, on loopback and over veth.
//   bench_transport [benchmark options] | bench_transport --raw-echo N
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
#include <QSocketNotifier>
#include <QUdpSocket>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int Peers = 4;
constexpr quint16 EchoPort = 20594;
const char* const EchoGroup = "239.255.5.98";
const char* const LoopbackBroadcast = "127.255.255.255";
const int Patience = 60000;
// A question is as long as the benchmark's data packet, an answer as an acknowledgement.
constexpr int QuestionSize = PacketHeader::Size + 13;
constexpr int AnswerSize = PacketHeader::Size;
constexpr char Question = 'Q';
constexpr char Answer = 'A';

TestHall* hall = nullptr;
bool hallReady = false;

// A program's two sockets, raw: one on the loopback, one in the echo group
// on the hall's link; each datagram is written on both, as the transport's
// writer does.
struct EchoSockets
{
    EchoSockets()
    {
        const QHostAddress group{QString::fromLatin1(EchoGroup)};
        const QNetworkInterface link = QNetworkInterface::interfaceFromName(QStringLiteral("veth0"));
        const auto share = QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint;
        loopback.bind(QHostAddress(QString::fromLatin1(LoopbackBroadcast)), EchoPort, share);
        if (linked.bind(group, EchoPort, share) && linked.joinMulticastGroup(group, link))
            linked.setMulticastInterface(link);
    }

    bool ready() const
    {
        return loopback.state() == QAbstractSocket::BoundState && linked.state() == QAbstractSocket::BoundState;
    }

    void write(const char* data, int size)
    {
        writeTo(loopback, LoopbackBroadcast, data, size);
        writeTo(linked, EchoGroup, data, size);
    }

    QUdpSocket loopback;
    QUdpSocket linked;

private:
    static void writeTo(QUdpSocket& socket, const char* address, const char* data, int size)
    {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(EchoPort);
        to.sin_addr.s_addr = inet_addr(address);
        ::sendto(int(socket.socketDescriptor()), data, size_t(size), MSG_NOSIGNAL,
                 reinterpret_cast<const sockaddr*>(&to), sizeof(to));
    }
};

// Calls back with every datagram read from either socket, read as the
// transport reads: each socket until a read finds nothing, with the sender.
template <typename Handle>
void readEvery(EchoSockets& sockets, Handle handle)
{
    for (QUdpSocket* socket : {&sockets.loopback, &sockets.linked}) {
        QObject::connect(socket, &QUdpSocket::readyRead, [socket, handle] {
            char datagram[PacketHeader::MaxPacket];
            QHostAddress from;
            qint64 size;
            while ((size = socket->readDatagram(datagram, sizeof(datagram), &from)) >= 0)
                handle(datagram, int(size));
        });
    }
}

// The raw counterpart of a peer program on a hall host: answers each
// question to the group and the loopback, and reads every answer, its own
// too. Ends at its first line of input ("quit") or at the input's end.
int runRawEcho(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&input] {
        input.setEnabled(false);
        QCoreApplication::quit();
    });
    const char self = char(QCoreApplication::arguments().value(2).toInt());
    EchoSockets sockets;
    if (!sockets.ready())
        return 1;
    readEvery(sockets, [&sockets, self](const char* datagram, int size) {
        if (size < QuestionSize || datagram[0] != Question)
            return;
        char answer[AnswerSize] = {Answer, self};
        std::memcpy(answer + 2, datagram + 2, sizeof(quint32));
        sockets.write(answer, AnswerSize);
    });
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    return QCoreApplication::exec();
}

// A peer whose reports go nowhere once it is ready: the benchmark's event
// loop must not read four lines per data packet that the raw side never writes.
bool startQuietly(const QString& host, const QStringList& command)
{
    return hall->start(host, QStringList{QStringLiteral("sh"), QStringLiteral("-c"),
                                         QStringLiteral("echo ready; exec \"$0\" \"$@\" >/dev/null")}
                                 + command);
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
        if (!startQuietly(host, {TestHall::peerProgram(), "7", "0", QString::number(i)}))
            return false;
        if (!hall->start(host, {QCoreApplication::applicationFilePath(), QStringLiteral("--raw-echo"),
                                QString::number(i)}))
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

// The raw round trip: a question on both sockets and the four echoers'
// answers of this round back, in microseconds.
class RawRoundTrip
{
public:
    RawRoundTrip()
    {
        readEvery(sockets, [this](const char* datagram, int size) {
            if (size < AnswerSize || datagram[0] != Answer)
                return;
            quint32 of;
            std::memcpy(&of, datagram + 2, sizeof(of));
            if (of == round)
                ++answers;
        });
    }

    qint64 run()
    {
        char question[QuestionSize] = {Question};
        ++round;
        std::memcpy(question + 2, &round, sizeof(round));
        answers = 0;
        QElapsedTimer timer;
        timer.start();
        sockets.write(question, QuestionSize);
        waitInLoop([this] { return answers >= Peers; });
        return timer.nsecsElapsed() / 1000;
    }

private:
    EchoSockets sockets;
    quint32 round = 0;
    int answers = 0;
};

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
    RawRoundTrip raw;
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
        rawUs.push_back(raw.run());
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
    explicit RawSockets(bool linked)
    {
        QString error;
        UdpSocketLinux::bindLoopback(&loopback, &error);
        const QNetworkInterface link = QNetworkInterface::interfaceFromName(QStringLiteral("veth0"));
        if (linked && link.isValid())
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
// the loop reads them: the transport, and raw sockets doing the same work.
// On a host with only its loopback (0; the hall's link is down meanwhile),
// and on one joined to the hall (1), where every acknowledgement also goes
// to the group and the four programs on the other hosts.
void BM_ReceiveBatch(benchmark::State& state)
{
    constexpr int Batch = 128; // well within a socket's default receive buffer
    const bool linked = state.range(0) == 1;
    if (linked && !hallReady) {
        state.SkipWithError("no test hosts (root and the tovka_peer program are needed)");
        return;
    }
    const QString hallLink = QStringLiteral("veth0");
    if (!linked && hallReady)
        PrivateHost::setLinkUp(hallLink, false);
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
            RawSockets raw(linked);
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
    if (!linked && hallReady)
        PrivateHost::setLinkUp(hallLink, true);
    const double runs = double(state.iterations()) * Batch;
    state.counters["transport_per_s"] = transportNs > 0 ? runs * 1e9 / double(transportNs) : 0.0;
    state.counters["raw_per_s"] = rawNs > 0 ? runs * 1e9 / double(rawNs) : 0.0;
    state.counters["ratio"] = rawNs > 0 ? double(transportNs) / double(rawNs) : 0.0;
}
BENCHMARK(BM_ReceiveBatch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(50);

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
                        veth ? QStringLiteral("10.77.0.2") : QString(), 30000, 10000, 20, receiver);
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
    if (argc > 1 && std::strcmp(argv[1], "--raw-echo") == 0)
        return runRawEcho(argc, argv);
    if (!PrivateHost::enter(QStringLiteral("halle-a"), true))
        return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installDebugLog(); // as the program runs
    benchmark::AddCustomContext("event dispatcher", qEnvironmentVariableIsEmpty("QT_NO_GLIB") ? "glib" : "Qt's own");
    hallReady = openHall();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete hall;
    return 0;
}
