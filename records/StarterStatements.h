// Pieces of the statements on table "starter" that the competitor records and
// the entry list build alike.
#pragma once

#include <QString>

#include <cstdio>

namespace StarterStatements {

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
