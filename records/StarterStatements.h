// Pieces of the statements on table "starter" that the competitor records and
// the entry list build alike.
#pragma once

#include <QString>

#include <cstdio>

namespace StarterStatements {

// Both readers' SELECT starts with the 48 columns of table "starter" in table
// order and the best result of the entry's team row; the competitor records
// then read more of the team row. Cells are read by these positions.
inline constexpr char starterColumns[] =
    "SELECT starter.ID, starter.Verein, starter.WbName,starter.s0, starter.s1, starter.s2, starter.s3, "
    "starter.s4, starter.s5,starter.Prufsumme, starter.PbDatum, starter.PbOrt, starter.m_w, starter.Diszi, "
    "starter.AK ,starter.Bestleistung, starter.aufgestellt ,starter.u0, starter.u1, starter.u2, starter.u3, "
    "starter.u4, starter.u5, starter.u6, starter.u7, starter.u8, starter.u9, starter.u10 ,starter.u11, "
    "starter.u12, starter.u13, starter.u14, starter.u15, starter.u16, starter.u17, starter.u18, starter.u19, "
    "starter.u20,starter.u21, starter.u22, starter.u23, starter.u24, starter.u25, starter.u26, starter.u27 ,"
    "starter.u28 ,starter.u29, starter.teamID , Teams.BestDatum, Teams.BestOrt, Teams.Best";

enum Column {
    ColId = 0,
    ColVerein = 1,
    ColWbName = 2,
    ColS0 = 3,
    ColPrufsumme = 9,
    ColPbDatum = 10,
    ColPbOrt = 11,
    ColGender = 12,
    ColDiszi = 13,
    ColAgeClass = 14,
    ColBest = 15,
    ColGiven = 16,
    ColU0 = 17,
    ColTeamId = 47,
    ColTeamBestDatum = 48,
    ColTeamBestOrt = 49,
    ColTeamBest = 50,
    StarterColumnCount = 51,
};

// The reader's SELECT up to its conditions: the columns above, a reader's
// further columns of the team row (each after ", "), and the join.
inline QString selectText(const char* moreTeamColumns = "")
{
    QString s = QLatin1String(starterColumns);
    s += QLatin1String(moreTeamColumns);
    s += QLatin1String(" FROM starter LEFT JOIN Teams ON starter.teamID =  Teams.ID ");
    return s;
}

// The tail of a reader's SELECT for its order number (0 none, 1 discipline,
// 2 age class, 3 given points, 4 best result, 5 and 6 by ID up and down);
// an unknown number orders nothing.
inline QLatin1String orderText(int order)
{
    static const char* const texts[] = {
        " ;", " ORDER BY Diszi;", " ORDER BY AK;", " ORDER BY aufgestellt;", " ORDER BY Bestleistung;",
        " ORDER BY starter.ID ASC;", " ORDER BY starter.ID DESC;",
    };
    const bool known = order >= 0 && order < int(sizeof texts / sizeof *texts);
    return QLatin1String(texts[known ? order : 0]);
}

// Numbers are written without a temporary text: one statement holds about fifty.
inline void appendNumber(QString& s, const char* before, qint64 n)
{
    char digits[24];
    const int length = std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(n));
    s += QLatin1String(before);
    s += QLatin1String(digits, length);
}

} // namespace StarterStatements
