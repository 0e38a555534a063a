// Wire form of a statistic packet's payload.
#include "net/wire/StatisticPayload.h"

#include "net/wire/PacketHeader.h"

static_assert(StatisticPayload::MaxSize == PacketHeader::MaxPayload, "32 entries fill the largest payload");

int StatisticPayload::write(const NetStatisticList& entries, uint8_t* out, int outSize)
{
    const int size = entries.size() * NetStatistic::WireSize;
    if (entries.size() > MaxEntries || !out || outSize < size)
        return -1;
    for (int i = 0; i < entries.size(); ++i)
        entries.at(i).write(out + i * NetStatistic::WireSize);
    return size;
}

NetStatisticList StatisticPayload::read(const uint8_t* data, int size)
{
    NetStatisticList entries;
    if (!data)
        return entries;
    for (int at = 0; at + NetStatistic::WireSize <= size; at += NetStatistic::WireSize) {
        NetStatistic entry;
        NetStatistic::read(data + at, NetStatistic::WireSize, &entry);
        entries.append(entry);
    }
    return entries;
}

QList<NetStatisticList> StatisticPayload::split(const NetStatisticList& entries)
{
    QList<NetStatisticList> parts;
    for (int first = 0; first < entries.size(); first += MaxEntries)
        parts.append(entries.mid(first, MaxEntries));
    return parts;
}
