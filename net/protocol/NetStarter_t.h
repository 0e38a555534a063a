// The starter record that the jury sends to the other programs (body of
// message 4/3, 756 bytes): the clubs and sheet name, up to six athletes,
// category, entry type, association, nation, start number, rules year and
// the thirty exercise codes. Texts are kept as the fixed-width fields they
// travel in; a full field has no NUL.
#pragma once

#include "net/protocol/NetSprotler_t.h"

#include <QtGlobal>

#include <cstdint>

struct NetStarter_t
{
    static constexpr int Size = 756;
    static constexpr int TextSize = 32;
    static constexpr int AthleteCount = 6;
    static constexpr int NationSize = 4;
    static constexpr int CodeCount = 30;
    static constexpr int CodeSize = 8;
    static constexpr int defaultRulesYear = 2006;   // of a sheet without catalogue

    // The entry type: a team, or a single score that marks the start.
    enum EntryType : quint8 { Normal = 0, Certificate = 1, Absent = 2, Team = 3 };

    char clubs[TextSize] = {};
    char sheetName[TextSize] = {};
    NetSprotler_t athletes[AthleteCount];
    quint8 sex = 0;
    quint8 disci = 0;
    quint8 ageClass = 0;
    quint8 entryType = Normal;
    char association[TextSize] = {};
    char nation[NationSize] = {};
    quint16 number = 0;
    quint16 rulesYear = 0;
    char codes[CodeCount][CodeSize] = {};

    void write(uint8_t* out) const;
    static NetStarter_t read(const uint8_t* in);
};
