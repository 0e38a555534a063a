// A person of the address book (a row of the table "sportler"): the club, the
// UCI-ID and the roles the person takes, with the table's statements.
//
// Columns of "sportler", in this order (older files gain the missing ones at
// the end by the upgrade, so the order holds in every file):
//   ID INTEGER PRIMARY KEY, Vorname, Nachname, Verein INTEGER (the club's ID),
//   Jahrgang INTEGER (the birth date as seconds of its noon, 0 none), m_w CHAR
//   (m, w or ?), Nation, Lizense (the UCI-ID), Attributes (the role letters
//   A, C, R, F), Strasse, PLZ, Ort, Telefon, Email.
#pragma once

#include "db/RuvoDBList.h"
#include "records/Person.h"
#include "records/UciLicence.h"

class RuvoDB;

class Athlete : public Person
{
public:
    // Bits of the role word, stored as the letters A, C, R and F.
    enum Role { RoleA = 1, RoleC = 2, RoleR = 4, RoleF = 8 };
    // Orders of getAthletes; any other value leaves the order to SQLite.
    enum Order { ByNachname = 1, ByVerein = 2, ByJahrgang = 3 };

    Athlete() = default;

    void clear();

    QString rolesText() const;
    void setRoles(const QString& letters);

    // The person, club, UCI-ID and roles; the ID is not compared, so an
    // imported athlete matches the one already listed.
    bool operator==(const Athlete& other) const;

    static bool createTable(RuvoDB* db);
    static bool upgradeTable(RuvoDB* db);
    QString& sqlReplaceText();
    // The new row ID (also stored as ID), -1 on failure.
    int insert(RuvoDB* db);
    // Refused with error code 9 when the ID is below 1.
    bool update(RuvoDB* db);
    static bool deleteAthlete(RuvoDB* db, int id);
    // False when no row has this ID; a then stays as it was.
    static bool getById(RuvoDB* db, Athlete& a, int id);
    // The filter's non-zero and non-empty ID, club, names and sex select;
    // a role mask selects those who hold any of its roles.
    static QString selectText(const Athlete* filter, int roleMask, int order);

    int Verein = 0;      // the club's ID
    int ID = 0;          // row in "sportler"; 0 or less: not stored
    int errorCode = 0;   // of the last failed database operation, in RuvoDB's code space
    UciLicence uciId;
    int roles = 0;
    QString sqlText;     // the last statement this record built
};

bool getAthletes(RuvoDB* db, RuvoDBList<Athlete>& list, const Athlete* filter, int roleMask, int order);
