// The payload of a statistic packet: up to 32 entries of 32 bytes. A longer
// counter list goes out as several packets.
#pragma once

#include "net/wire/NetStatistic.h"

#include <cstdint>

class StatisticPayload
{
public:
    static constexpr int MaxEntries = 32;
    static constexpr int MaxSize = MaxEntries * NetStatistic::WireSize;

    // Writes the entries one after another; returns the bytes written, or -1
    // when there are more than 32 entries or out is too small.
    static int write(const NetStatisticList& entries, uint8_t* out, int outSize);
    // Reads size / 32 entries (integer division); a rest is ignored.
    static NetStatisticList read(const uint8_t* data, int size);
    // Cuts a list into consecutive parts of at most 32 entries, in order.
    static QList<NetStatisticList> split(const NetStatisticList& entries);
};
