// One record of per-peer packet counters and its 32-byte big-endian wire entry.
#pragma once

#include <QList>
#include <QtGlobal>

#include <cstdint>

struct NetStatistic
{
    static constexpr int WireSize = 32;

    quint32 key = 0;         // (address byte x 256) + instance of the peer; 0 = the program itself
    quint32 rttSum = 0;      // ms; peers: acknowledgement round trips, own record: heartbeat round trips
    quint32 handlingSum = 0; // ms spent by the receivers of data packets from the peer
    quint16 rttMax = 0;
    quint16 handlingMax = 0;
    quint16 sent = 0;        // peers: first transmissions; own record: ping answers and heartbeats
    quint16 repeats = 0;
    quint16 dropped = 0;
    quint16 reserved = 0;
    quint16 received = 0;
    quint16 repeatsReceived = 0;
    quint16 pongs = 0;       // own record: round-trip samples of the own heartbeat

    // Writes the 32-byte entry; the two trailing reserved bytes are written as 0.
    void write(uint8_t* out) const;
    // Reads the first 32 bytes; false when size is smaller.
    static bool read(const uint8_t* data, int size, NetStatistic* out);
};

using NetStatisticList = QList<NetStatistic>;
