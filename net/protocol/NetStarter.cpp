// The 44-byte display score record on the wire.
#include "net/protocol/NetStarter.h"

#include "net/wire/ByteOrder.h"

#include <cstring>

namespace {
constexpr int numberOffset = 0;
constexpr int extraOffset = 2;
constexpr int value1Offset = 4;
constexpr int value2Offset = 8;
constexpr int textOffset = 12;
static_assert(textOffset + NetStarter::TextSize == NetStarter::Size, "NetStarter is 44 bytes");
}

void NetStarter::write(uint8_t* out) const
{
    ByteOrder::putBig16(out + numberOffset, number);
    std::memcpy(out + extraOffset, extra, sizeof extra);
    ByteOrder::putBig32(out + value1Offset, value1);
    ByteOrder::putBig32(out + value2Offset, value2);
    std::memcpy(out + textOffset, text, TextSize);
}

NetStarter NetStarter::read(const uint8_t* in)
{
    NetStarter record;
    record.number = ByteOrder::big16(in + numberOffset);
    std::memcpy(record.extra, in + extraOffset, sizeof record.extra);
    record.value1 = ByteOrder::big32(in + value1Offset);
    record.value2 = ByteOrder::big32(in + value2Offset);
    std::memcpy(record.text, in + textOffset, TextSize);
    return record;
}
