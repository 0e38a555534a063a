// The flat 416-byte record of one start entry, as the suite's programs hand it
// to one another and as the score sheet keeps its check results in it. The
// fields are plain values; write and read turn them into the stored bytes
// (little-endian, at fixed offsets) and back.
#pragma once

#include <cstdint>

struct Starter_t
{
    static constexpr int Size = 416;
    static constexpr int NameSize = 64;
    static constexpr int PlaceSize = 32;
    static constexpr int MemberCount = 6;
    static constexpr int CodeCount = 30;
    static constexpr int CodeSize = 8;
    static constexpr int ReservedSize = 8;

    int32_t id = 0;                 // row in "starter"; 0 or less: not stored yet
    int32_t clubId = 0;
    char name[NameSize] = {};       // UTF-8, NUL-terminated
    int32_t members[MemberCount] = {};
    uint32_t checksum = 0;          // of the exercise codes
    int32_t bestDate = 0;           // seconds of noon of the day, 0: none
    char bestPlace[PlaceSize] = {}; // UTF-8, NUL-terminated
    int32_t gender = 0;
    int32_t disci = 0;
    int32_t ageClass = 0;
    uint16_t best = 0;              // hundredths of a point
    uint16_t given = 0;             // hundredths of a point
    char codes[CodeCount][CodeSize] = {};
    uint32_t errorMask = 0;         // score-sheet checks that found a fault
    uint32_t testedMask = 0;        // score-sheet checks that could run
    uint8_t reserved[ReservedSize] = {};
    int32_t netInfo = 0;
    int32_t teamId = 0;             // row in "Teams"; 0: none

    // Exactly Size bytes each way.
    void write(uint8_t* out) const;
    static Starter_t read(const uint8_t* in);
};
