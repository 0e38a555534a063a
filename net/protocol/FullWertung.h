// A whole score record on the wire (244 bytes: body of message 4/8 and one
// entry of message 5/1): deductions, start number, status, the tactical
// entries and the exercise marks.
#pragma once

#include "records/Wertung_t.h"

#include <cstdint>

class FullWertung
{
public:
    static constexpr int Size = 244;

    static void write(const Wertung_t& score, uint8_t* out);
    // A cleared record with the fields the wire carries filled back.
    static Wertung_t read(const uint8_t* in);
};
