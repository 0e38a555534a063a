// The score of one exercise of a start (body of message 4/7, 28 bytes): the
// deductions, the exercise's tactical entry and its mark record.
#pragma once

#include "records/Wertung_t.h"

#include <cstdint>

struct NetUebungsWertung_t
{
    static constexpr int Size = 28;

    quint32 deduction1 = 0;
    quint32 deduction2 = 0;
    quint32 tacticalValue = 0;   // of the first tactical entry for the exercise, else 0
    quint16 startNumber = 0;
    quint8 exercise = 0;
    quint8 status = 0;
    quint8 further = 0;          // of that tactical entry, else 0
    quint8 marks[Wertung_t::markCount] = {};

    // Exercise e of a score: slots 1 to 30, extra record 2 from 31 on, extra
    // record 1 for 0 and below.
    static NetUebungsWertung_t fromScore(const Wertung_t& score, int e);

    void write(uint8_t* out) const;
    static NetUebungsWertung_t read(const uint8_t* in);
};
