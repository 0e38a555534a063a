// Wire form, checksum and validity check of the 80-byte packet header.
#include "net/wire/PacketHeader.h"

#include "net/wire/ByteOrder.h"

#include <algorithm>
#include <cstring>

namespace {

// Field offsets within the header.
constexpr int ChecksumAt = 0;
constexpr int SequenceAt = 4;
constexpr int LengthAt = 8;
constexpr int VersionAt = 10;
constexpr int SourceAddressAt = 11;
constexpr int SourceInstanceAt = 12;
constexpr int DestinationAddressAt = 13;
constexpr int DestinationInstanceAt = 14;
constexpr int TypeAt = 15;
constexpr int HostNameAt = 16;
constexpr int DelayAt = 76;
constexpr int TransmissionCounterAt = 78;
constexpr int SummedFrom = SequenceAt;

constexpr quint16 PingLength = 68;
constexpr quint16 PongLength = 72;

static_assert(HostNameAt + PacketHeader::HostNameSize == DelayAt, "host name ends where the delay starts");
static_assert(TransmissionCounterAt + 2 == PacketHeader::Size, "the header is 80 bytes");
static_assert(sizeof(HostNameField) == PacketHeader::HostNameSize, "host-name field width");
static_assert(PacketHeader::MaxPacket == 1104, "largest datagram");

bool isContinuationByte(char byte)
{
    return (uint8_t(byte) & 0xc0) == 0x80;
}

} // namespace

PacketHeader PacketHeader::make(quint8 type, quint8 sourceAddress, quint8 sourceInstance)
{
    PacketHeader header;
    header.type = type;
    header.sourceAddress = sourceAddress;
    header.sourceInstance = sourceInstance;
    if (type == PacketType::PING)
        header.length = PingLength;
    else if (type == PacketType::PONG)
        header.length = PongLength;
    return header;
}

TovkaAddress PacketHeader::source() const
{
    return TovkaAddress::fromWire(sourceAddress, sourceInstance);
}

TovkaAddress PacketHeader::destination() const
{
    return TovkaAddress::fromWire(destinationAddress, destinationInstance);
}

void PacketHeader::setDestination(const TovkaAddress& address)
{
    destinationAddress = address.addressByte();
    destinationInstance = address.instance;
}

void PacketHeader::write(uint8_t* out) const
{
    ByteOrder::putBig32(out + ChecksumAt, checksum);
    ByteOrder::putBig32(out + SequenceAt, sequence);
    ByteOrder::putBig16(out + LengthAt, length);
    out[VersionAt] = version;
    out[SourceAddressAt] = sourceAddress;
    out[SourceInstanceAt] = sourceInstance;
    out[DestinationAddressAt] = destinationAddress;
    out[DestinationInstanceAt] = destinationInstance;
    out[TypeAt] = type;
    std::memcpy(out + HostNameAt, hostName.data(), HostNameSize);
    ByteOrder::putBig16(out + DelayAt, delay);
    ByteOrder::putBig16(out + TransmissionCounterAt, transmissionCounter);
}

bool PacketHeader::read(const uint8_t* data, int size, PacketHeader* out)
{
    if (!data || size < Size)
        return false;
    out->checksum = ByteOrder::big32(data + ChecksumAt);
    out->sequence = ByteOrder::big32(data + SequenceAt);
    out->length = ByteOrder::big16(data + LengthAt);
    out->version = data[VersionAt];
    out->sourceAddress = data[SourceAddressAt];
    out->sourceInstance = data[SourceInstanceAt];
    out->destinationAddress = data[DestinationAddressAt];
    out->destinationInstance = data[DestinationInstanceAt];
    out->type = data[TypeAt];
    std::memcpy(out->hostName.data(), data + HostNameAt, HostNameSize);
    out->delay = ByteOrder::big16(data + DelayAt);
    out->transmissionCounter = ByteOrder::big16(data + TransmissionCounterAt);
    return true;
}

int PacketHeader::build(const PacketHeader& header, const uint8_t* payload, uint8_t* out, int outSize)
{
    const int total = Size + header.length;
    if (header.length > MaxPayload || (header.length > 0 && !payload) || !out || outSize < total)
        return -1;
    header.write(out);
    if (header.length > 0)
        std::memcpy(out + Size, payload, header.length);
    return seal(out, total);
}

int PacketHeader::seal(uint8_t* packet, int size)
{
    quint32 sum = 0;
    if (!checksumOf(packet, size, &sum))
        return -1;
    ByteOrder::putBig32(packet + ChecksumAt, sum);
    return Size + ByteOrder::big16(packet + LengthAt);
}

bool PacketHeader::checksumOf(const uint8_t* packet, int size, quint32* sum)
{
    if (!packet || size < Size)
        return false;
    const int length = ByteOrder::big16(packet + LengthAt);
    if (length > MaxPayload || size < Size + length)
        return false;
    quint32 total = 0;
    for (int i = SummedFrom; i < Size + length; ++i)
        total += packet[i];
    *sum = total;
    return true;
}

PacketCheck PacketHeader::check(const uint8_t* data, int size)
{
    PacketCheck result;
    if (!data || size < Size) {
        result.verdict = PacketCheck::TooShort;
        return result;
    }
    result.received = ByteOrder::big32(data + ChecksumAt);
    const int length = ByteOrder::big16(data + LengthAt);
    if (length > MaxPayload) {
        result.verdict = PacketCheck::LengthTooLarge;
        return result;
    }
    if (size < Size + length) {
        result.verdict = PacketCheck::Truncated;
        return result;
    }
    checksumOf(data, size, &result.computed);
    if (result.computed != result.received)
        result.verdict = PacketCheck::ChecksumMismatch;
    else if (data[VersionAt] != ProtocolVersion)
        result.verdict = PacketCheck::WrongVersion;
    else
        result.verdict = PacketCheck::Valid;
    return result;
}

quint32 PacketHeader::nextSequence(quint32 s)
{
    const quint32 next = s + 1;
    return next == LastSequence + 1 ? 1 : next;
}

void PacketHeader::setHostName(HostNameField* field, const char* text)
{
    field->fill(0);
    if (!text)
        return;
    size_t length = strnlen(text, HostNameMaxText);
    // A cut text ends before a character, never inside one.
    while (length > 0 && isContinuationByte(text[length]))
        --length;
    std::memcpy(field->data(), text, length);
}

QByteArray PacketHeader::hostNameText(const HostNameField& field)
{
    const char* begin = field.data();
    const char* end = std::find(begin, begin + HostNameMaxText, '\0');
    return QByteArray(begin, int(end - begin));
}
