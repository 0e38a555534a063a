// One data packet waiting in the transport's send queue: when it was queued,
// its header in host form and its payload.
#pragma once

#include "net/wire/PacketHeader.h"

#include <cstdint>

struct QueuePacket
{
    qint64 queuedMs = 0; // monotonic clock, for the delay field and the round trip
    PacketHeader header;
    uint8_t payload[PacketHeader::MaxPayload] = {};
};
