// Fuzz target for the protocol's receive path: every payload the transport may
// deliver (0 to 1024 bytes) goes through TovkaProtocol::dataReceived, and the
// training-plan and text decoders also see it with an arbitrary queue delay.
// The number lists, which have encoders, must encode back to their entries.
// No decoder may read past the payload or write into it. Before fuzzing, every
// group and sub-type is swept once with every length.
#include "net/transport/DatagramSink.h"
#include "net/protocol/NetTextMessage.h"
#include "net/protocol/NumberListMessage.h"
#include "net/wire/PacketHeader.h"
#include "net/transport/TovkaNetIo.h"
#include "net/protocol/TovkaProtocol.h"
#include "net/protocol/TrainingPlanMessage.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

class NullSink : public DatagramSink
{
public:
    bool writeDatagram(const char*, int) override { return true; }
};

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

struct Receiver
{
    Receiver() : net(KindBelegungsPlaner, 0, 0), protocol(&net) { net.setDatagramSink(&sink); }
    NullSink sink;
    TovkaNetIo net;
    TovkaProtocol protocol;
};

Receiver* receiver = nullptr;

// Delivers exactly `size` bytes from a buffer of that size, so any read past
// the payload is caught, and checks that nothing was written into it.
void deliver(const uint8_t* data, size_t size)
{
    std::unique_ptr<uint8_t[]> payload(new uint8_t[size ? size : 1]);
    if (size)
        std::memcpy(payload.get(), data, size);
    TovkaAddress sender(KindAnzeige, 1, 0);
    receiver->protocol.dataReceived(size ? payload.get() : nullptr, int(size), sender);
    if (size && std::memcmp(payload.get(), data, size) != 0)
        std::abort();
}

// What a number-list decoder read, its encoder writes again, entry for entry.
template <typename List>
void roundTrip(const uint8_t* data, size_t length, List (*decode)(const unsigned char*, int),
               int (*encode)(unsigned char*, const List&, int*))
{
    unsigned char buffer[NumberListMessage::bufferSize];
    int leftOut = 0;
    const int written = encode(buffer, decode(data, int(length)), &leftOut);
    if (leftOut != 0 || size_t(written) > length || std::memcmp(buffer + 4, data + 4, size_t(written - 4)) != 0)
        std::abort();
}

void sweep()
{
    std::vector<uint8_t> bytes(PacketHeader::MaxPayload, 0xFF);
    for (int group = 0; group <= 6; ++group) {
        for (int sub = 0; sub <= 16; ++sub) {
            bytes[0] = uint8_t(group);
            bytes[1] = uint8_t(sub);
            for (size_t length = 0; length <= bytes.size(); ++length)
                deliver(bytes.data(), length);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    qInstallMessageHandler(quiet);
    receiver = new Receiver;
    sweep();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const size_t length = size > size_t(PacketHeader::MaxPayload) ? size_t(PacketHeader::MaxPayload) : size;
    deliver(data, length);

    if (length >= 4) {
        roundTrip(data, length, &NumberListMessage::decodeStarterRequest, &NumberListMessage::encodeStarterRequest);
        roundTrip(data, length, &NumberListMessage::decodeQualiList, &NumberListMessage::encodeQualiList);
    }
    if (length >= 2) {
        const quint32 delay = quint32(data[0]) << 8 | data[1];
        TrainingPlanMessage plan;
        TrainingPlanMessage::decode(data + 2, int(length - 2), delay, &plan);
        NetTextMessage text;
        NetTextMessage::decode(data + 2, int(length - 2), &text);
    }
    return 0;
}
