// What the exercise search of the rules catalogue asks for. Empty texts and
// zero values ask for nothing.
#pragma once

#include <QString>

struct UebungFilter
{
    QString nr;             // the codes that begin with it; empty: those of disziplin
    int disziplin = 0;      // 1 to 7; any other value selects codes beginning with 0
    QString text;           // the exercises whose text contains it
    double minZiffer = 0;   // lower value bound
    double maxZiffer = 0;   // upper value bound
    double ziffer = 0;      // exact value; when set, both bounds are ignored
};
