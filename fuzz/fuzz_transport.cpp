// Fuzz target for the transport's reader and dispatch: every datagram a
// socket may hand over (up to 1104 bytes) goes through receiveDatagram. The
// first input byte chooses whether the checksum is made right and the
// version set to 12, so the fuzzer gets past the header checks into the
// peer table, ping answers, pongs, acknowledgements, data and statistics.
// A test clock lets silent peers expire now and then, so the table stays small.
// One display is heard at start and after every expiry, and a data packet to
// it is kept in flight; a fourth mode bit turns the datagram into an
// acknowledgement from that display of the packet in flight, so the sender's
// queue and its acknowledgement bookkeeping are fuzzed too.
#include "net/transport/DatagramSink.h"
#include "net/wire/ByteOrder.h"
#include "net/wire/PacketHeader.h"
#include "net/transport/TovkaNetIo.h"
#include "net/transport/TransportClock.h"
#include "tests/support/Datagram.h"

#include <QCoreApplication>
#include <QHostAddress>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

constexpr uint8_t SealChecksum = 0x01;
constexpr uint8_t SetVersion = 0x02;
constexpr uint8_t FromLoopback = 0x04;
constexpr uint8_t AckInFlight = 0x08;
constexpr int SequenceAt = 4;
constexpr int VersionAt = 10;
constexpr int SourceAt = 11;
constexpr int DestinationAt = 13;
constexpr int TypeAt = 15;
constexpr int ExpireEvery = 512;

class NullSink : public DatagramSink
{
public:
    bool writeDatagram(const char*, int) override { return true; }
};

class SteppingClock : public TransportClock
{
public:
    qint64 monotonicMs() const override { return monotonic.load(); }
    qint64 wallMs() const override { return 1700000000000 + monotonic.load(); }
    std::atomic<qint64> monotonic{TransportClock::system().monotonicMs()};
};

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

struct Receiver
{
    Receiver() : net(KindBelegungsPlaner, 0, 0)
    {
        net.setDatagramSink(&sink);
        net.setClock(&clock);
    }
    NullSink sink;
    SteppingClock clock;
    TovkaNetIo net;
};

Receiver* receiver = nullptr;
int inputs = 0;
const TovkaAddress display(KindAnzeige, 1, 1);
const QHostAddress displayHost(QStringLiteral("10.77.0.9"));
int inFlight = -1;

void hearDisplay()
{
    const QByteArray pong = heartbeat(display, "halle-a").bytes();
    receiver->net.receiveDatagram(reinterpret_cast<const uint8_t*>(pong.constData()), pong.size(), displayHost);
}

// A packet to the display waits for its acknowledgement; the datagram
// becomes that acknowledgement.
void acknowledgeInFlight(uint8_t* datagram, size_t length)
{
    if (receiver->net.queuedPackets() == 0) {
        const char message[] = {4, 4, 0, 0, 0, 1};
        inFlight = receiver->net.sendData(message, sizeof message, &display);
    }
    if (length < size_t(PacketHeader::Size) || inFlight < 0)
        return;
    ByteOrder::putBig32(datagram + SequenceAt, quint32(inFlight));
    datagram[SourceAt] = display.addressByte();
    datagram[SourceAt + 1] = display.instance;
    datagram[DestinationAt] = TovkaAddress(KindBelegungsPlaner, 0, 0).addressByte();
    datagram[DestinationAt + 1] = 0;
    datagram[TypeAt] = PacketType::ACK;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qInstallMessageHandler(quiet);
    new QCoreApplication(*argc, *argv);
    receiver = new Receiver;
    hearDisplay();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > size_t(PacketHeader::MaxPacket) + 1)
        return 0;
    // An acknowledgement is only handled when it passes the header checks.
    const uint8_t mode = (data[0] & AckInFlight) ? uint8_t(data[0] | SealChecksum | SetVersion) : data[0];
    const size_t length = size - 1;
    // Exactly the datagram's bytes, so any read past them is caught.
    std::unique_ptr<uint8_t[]> datagram(new uint8_t[length ? length : 1]);
    if (length)
        std::memcpy(datagram.get(), data + 1, length);
    if (mode & AckInFlight)
        acknowledgeInFlight(datagram.get(), length);
    if ((mode & SetVersion) && length > size_t(VersionAt))
        datagram[VersionAt] = PacketHeader::ProtocolVersion;
    if (mode & SealChecksum)
        PacketHeader::seal(datagram.get(), int(length));
    const QHostAddress from(QString::fromLatin1((mode & FromLoopback) ? "127.0.0.1" : "10.77.0.9"));
    receiver->net.receiveDatagram(datagram.get(), int(length), from);

    if (++inputs % ExpireEvery == 0) {
        receiver->clock.monotonic += 30000;
        receiver->net.checkAlive();
        hearDisplay();
    }
    return 0;
}
