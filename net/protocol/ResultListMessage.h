// Message 2/5, a result list: per starter a big-endian u16 number, a u16
// place (0xFFFF: not placed) and a u32 result in hundredths, 8 bytes each.
// A long list takes several messages. A pure codec.
#pragma once

#include "net/protocol/ProtocolLists.h"

class ResultListMessage
{
public:
    static constexpr quint8 group = 2;
    static constexpr quint8 subType = 5;
    static constexpr int entrySize = 8;
    static constexpr int bodyLimit = 1012;   // a body beyond this is full
    static constexpr quint16 notPlacedMark = 0xFFFF;
    static constexpr int notPlacedPlace = 100;

    // Writes the entries with a positive number from list.cursor on until the
    // message is full, moving the cursor past them; returns the length. Call
    // again while the cursor has not reached the end.
    static int encode(unsigned char* buffer, StartErgebnisList& list);
    // Appends the received entries to `out`, which owns them.
    static void decode(const unsigned char* payload, int length, StartErgebnisList* out);
};
