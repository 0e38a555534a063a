// The 68-byte payload of a ping: the sender's clock and host name. Its numbers
// are little-endian, the order of the suite's computers.
#pragma once

#include "net/wire/PacketHeader.h"

#include <cstdint>

struct PingPayload
{
    static constexpr int Size = 68;

    quint32 seconds = 0;      // since 1970-01-01 00:00 UTC
    quint32 milliseconds = 0; // within that second
    HostNameField hostName{};

    void write(uint8_t* out) const;
    // Reads the first 68 bytes; false when size is smaller.
    static bool read(const uint8_t* data, int size, PingPayload* out);
};
