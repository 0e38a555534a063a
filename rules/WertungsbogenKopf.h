// What a score sheet shows above its exercise list and what the suite sends
// about a start: the club texts, the best result, the category, the given
// value, the sheet name, the checksum, the start number and the event.
#pragma once

#include "records/Competition.h"

#include <QString>

struct WertungsbogenKopf
{
    QString verein;       // the club's name; for a start group the clubs joined by " / "
    QString verband;      // the club's association (a start group: its first club's)
    QString bestPunkte;   // best result as points text, empty without one
    QString bestOrt;
    QString bestDatum;    // "dd.MM.yyyy", empty without a date
    QString kategorie;    // the catalogue's category name, empty without catalogue
    QString aufgestellt;  // the given value as points text
    QString name;         // the sheet name
    QString pruefsumme;   // the exercise-list checksum, eight upper-case hex digits
    QString frei;         // not filled
    QString nummer;       // the start number, empty for none
    Competition wettkampf;
};
