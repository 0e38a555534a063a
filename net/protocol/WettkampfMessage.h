// Message 4/1, the competition: day, month, a big-endian u16 year, place,
// organiser and name in 32 bytes each, then the bytes 1 and 0; 106 bytes in
// all. A pure codec.
#pragma once

#include "records/Competition.h"

class WettkampfMessage
{
public:
    static constexpr quint8 group = 4;
    static constexpr quint8 subType = 1;
    static constexpr int length = 106;
    static constexpr int textSize = 32;

    static int encode(unsigned char* buffer, const Competition& competition);
    // Overwrites date, place, organiser and name of *competition; its other
    // fields stay. False, with nothing changed, for a payload too short.
    static bool decode(const unsigned char* payload, int length, Competition* competition);
};
