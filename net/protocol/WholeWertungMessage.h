// Message 5/1 to the office, the whole score of one starter: start number,
// gender, age class, name and exercise codes of the start entry, then up to
// three judges' records of 244 bytes. A pure codec.
#pragma once

#include "records/Wertung_t.h"
#include "records/Starter_t.h"

#include <QList>

class WholeWertungMessage
{
public:
    static constexpr quint8 group = 5;
    static constexpr quint8 subType = 1;
    static constexpr int headerLength = 284;   // frame and the starter part
    static constexpr int maxScores = 3;

    // The first three scores go; returns the length.
    static int encode(unsigned char* buffer, const Starter_t& starter, const QList<const Wertung_t*>& scores);
    // False when the length is not the starter part and whole records; the
    // records are numbered 1, 2, 3 as their judges.
    static bool decode(const unsigned char* payload, int length, Starter_t* starter, QList<Wertung_t>* scores);
};
