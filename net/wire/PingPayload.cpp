// Wire form of the ping payload.
#include "net/wire/PingPayload.h"

#include "net/wire/ByteOrder.h"

#include <cstring>

namespace {

constexpr int SecondsAt = 0;
constexpr int MillisecondsAt = 4;
constexpr int HostNameAt = 8;

static_assert(HostNameAt + PacketHeader::HostNameSize == PingPayload::Size, "the ping payload is 68 bytes");

} // namespace

void PingPayload::write(uint8_t* out) const
{
    ByteOrder::putLittle32(out + SecondsAt, seconds);
    ByteOrder::putLittle32(out + MillisecondsAt, milliseconds);
    std::memcpy(out + HostNameAt, hostName.data(), PacketHeader::HostNameSize);
}

bool PingPayload::read(const uint8_t* data, int size, PingPayload* out)
{
    if (!data || size < Size)
        return false;
    out->seconds = ByteOrder::little32(data + SecondsAt);
    out->milliseconds = ByteOrder::little32(data + MillisecondsAt);
    std::memcpy(out->hostName.data(), data + HostNameAt, PacketHeader::HostNameSize);
    return true;
}
