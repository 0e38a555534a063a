// The starter record that the jury sends to the other programs (body of
// message 4/3, 756 bytes): the clubs and sheet name, up to six athletes,
// category, entry type, association, nation, start number, rules year and
// the thirty exercise codes. Texts are kept as the fixed-width fields they
// travel in; a full field has no NUL.
#pragma once

#include "net/protocol/NetSprotler_t.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <cstdint>

class ExpandedAthlete;
struct Starter_t;

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

    // The record of a start: its entry, its athletes (the first six), the
    // texts of its score sheet's header, the rules year and the entry type.
    static NetStarter_t fromStarter(const Starter_t& starter, const QList<ExpandedAthlete>& athletes,
                                    const QString& clubs, const QString& sheetName, const QString& association,
                                    int rulesYear, quint8 entryType);
    // The year of a rules catalogue's date text; 0 when it is no date.
    static int rulesYearOf(const QString& catalogueDate);
    // The entry type of a sheet holding exactly this one score (status 6: a
    // medical certificate, 5: absent).
    static quint8 entryTypeOf(int status);

    void write(uint8_t* out) const;
    static NetStarter_t read(const uint8_t* in);
};
