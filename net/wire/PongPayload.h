// The 72-byte payload of a pong: a ping payload (the answered ping's, or the
// sender's own for a heartbeat) and the IPv4 address the ping came from.
#pragma once

#include "net/wire/PingPayload.h"

#include <cstdint>

struct PongPayload
{
    static constexpr int Size = 72;

    PingPayload ping;
    // First octet most significant, stored little-endian; 0 for a heartbeat.
    quint32 fromIPv4 = 0;

    void write(uint8_t* out) const;
    // Reads the first 72 bytes; false when size is smaller.
    static bool read(const uint8_t* data, int size, PongPayload* out);
};
