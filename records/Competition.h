// A competition event (a row of the table "wettkampf"): date, place,
// organiser and name.
#pragma once

#include <QDate>
#include <QString>

// The table operations follow once the reading side of "wettkampf" is built.
class Competition
{
public:
    Competition();

    // Clears date, place, organiser, name and ID; the other fields stay.
    void clear();

    QDate Datum;
    QString Ort;
    QString Veranstalter;
    QString Name;
    QString extraText;    // carried along, read by nothing here
    int extraValue = 0;   // carried along, read by nothing here
    int ID = 0;           // row in "wettkampf"; 0 or less: not stored
    QString sqlText;      // the last statement this record built
};
