// A club of the address book (a row of the table "vereine"): name,
// association, nation, club number, the contact person and the logo, with the
// table's statements.
//
// Columns of "vereine", in this order (older files gain the missing ones at
// the end by the upgrade, so the order holds in every file):
//   ID INTEGER PRIMARY KEY, Name, Verband, Nation, Nummer, then the contact
//   person: Vorname, Nachname, Strasse, PLZ, Ort, Telefon, Email, m_w CHAR,
//   Jahrgang INTEGER (birth date as seconds of its noon), Lizense; last Logo
//   (the PNG bytes compressed and in Base64), which reads may leave out.
#pragma once

#include "db/RuvoDBList.h"
#include "records/Athlete.h"
#include "records/ClubLogo.h"

#include <QString>

class RuvoDB;

class Club
{
public:
    // Orders of getClubs; any other value leaves the order to SQLite.
    enum Order { ByName = 1, ByVerband = 2, ByPlz = 3 };

    Club();

    void setName(const QString& name);

    // Every field but the ID, the logo's bytes included, so an imported club
    // matches the one already listed.
    bool operator==(const Club& other) const;

    static bool createTable(RuvoDB* db);
    static bool upgradeTable(RuvoDB* db);
    QString& sqlReplaceText();
    // The new row ID (also stored as ID), -1 on failure.
    int insert(RuvoDB* db);
    // Refused with error code 9 when the ID is below 1.
    bool update(RuvoDB* db);
    static bool deleteClub(RuvoDB* db, int id);
    // Every club, all or none.
    static bool deleteAll(RuvoDB* db);
    // True only when exactly one club has this ID; club then holds it,
    // otherwise it stays as it was.
    static bool getById(RuvoDB* db, Club& club, int id, bool withLogo);
    // The filter's non-zero and non-empty ID, Name and Nummer select.
    static QString selectText(const Club* filter, int order, bool withLogo);

    int ID = 0;          // row in "vereine"; 0 or less: not stored
    QString Name;        // simplified
    QString Verband;
    QString Nation;
    QString Nummer;
    Athlete Kontakt;     // the contact person; has no row of its own
    ClubLogo logo;
    int errorCode = 0;   // of the last failed database operation, in RuvoDB's code space
    QString sqlText;     // the last statement this record built
};

bool getClubs(RuvoDB* db, RuvoDBList<Club>& list, const Club* filter, int order, bool withLogo);
