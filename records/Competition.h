// A competition event (a row of the table "wettkampf"): date, place,
// organiser and name, with the table's statements and the competition query.
//
// Columns of "wettkampf", in this order: ID INTEGER PRIMARY KEY, Datum INTEGER
// (seconds of the day's noon, 0 none), Ort, Veranstalter, Name.
#pragma once

#include "db/RuvoDBList.h"

#include <QDate>
#include <QString>

class RuvoDB;

class Competition
{
public:
    Competition();

    // Clears date, place, organiser, name and ID; the other fields stay.
    void clear();

    static bool createTable(RuvoDB* db);
    QString& sqlReplaceText();
    // The new row ID (also stored as ID), -1 on failure.
    int insert(RuvoDB* db);
    // Refused with error code 9 when the ID is below 1.
    bool update(RuvoDB* db);
    static bool deleteCompetition(RuvoDB* db, int id);
    // True only when exactly one event has this ID; out then holds it,
    // otherwise it stays as it was.
    static bool getById(RuvoDB* db, Competition& out, int id);
    // The filter's non-zero ID and non-empty Ort, Name and Veranstalter select.
    static QString selectText(const Competition* filter);

    QDate Datum;
    QString Ort;
    QString Veranstalter;
    QString Name;
    QString extraText;    // carried along, read by nothing here
    int errorCode = 0;    // of the last failed database operation, in RuvoDB's code space
    int ID = 0;           // row in "wettkampf"; 0 or less: not stored
    QString sqlText;      // the last statement this record built
};

bool getCompetitions(RuvoDB* db, RuvoDBList<Competition>& list, const Competition* filter);
