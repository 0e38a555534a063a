// Wire form of the pong payload.
#include "net/wire/PongPayload.h"

#include "net/wire/ByteOrder.h"

namespace {

constexpr int PingAt = 0;
constexpr int FromIPv4At = PingPayload::Size;

static_assert(FromIPv4At + 4 == PongPayload::Size, "the pong payload is 72 bytes");

} // namespace

void PongPayload::write(uint8_t* out) const
{
    ping.write(out + PingAt);
    ByteOrder::putLittle32(out + FromIPv4At, fromIPv4);
}

bool PongPayload::read(const uint8_t* data, int size, PongPayload* out)
{
    if (!data || size < Size)
        return false;
    PingPayload::read(data + PingAt, PingPayload::Size, &out->ping);
    out->fromIPv4 = ByteOrder::little32(data + FromIPv4At);
    return true;
}
