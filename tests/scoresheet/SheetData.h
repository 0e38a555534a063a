// What the score-sheet tests build their sheets from: start records, judges'
// records, an address book with four athletes in two clubs, and a catalogue.
#pragma once

#include "records/AddressDB.h"
#include "records/Starter_t.h"
#include "records/Wertung_t.h"
#include "rules/Wertungsbogen.h"
#include "tests/rules/CatalogueFiles.h"

#include <cstdio>
#include <cstring>

namespace SheetData {

const QDate eventDay(2024, 6, 1);

// codes and members comma-separated ("1101a,,1102a", "1,0,3").
inline Starter_t start(int disci, const QString& codes, const QString& members = QString(), int clubId = 0)
{
    Starter_t s;
    s.disci = disci;
    s.clubId = clubId;
    const QStringList c = codes.split(QLatin1Char(','));
    for (int i = 0; i < c.size(); ++i)
        std::strncpy(s.codes[i], c[i].toLatin1().constData(), Starter_t::CodeSize - 1);
    const QStringList m = members.split(QLatin1Char(','));
    for (int i = 0; i < m.size(); ++i)
        s.members[i] = m[i].toInt();
    return s;
}

// Records of judges 1, 2, ... of start number 150, named "Ansager<judge>".
inline void addRecords(WertungList& list, int count)
{
    list.autoDelete = true;
    for (int i = 1; i <= count; ++i) {
        auto* w = new Wertung_t;
        w->judge = i;
        w->startNumber = 150;
        std::snprintf(w->announcer, sizeof w->announcer, "Ansager%d", i);
        w->exercises[0][0] = quint8(i);
        w->deduction1 = 40;
        list.append(w);
    }
}

// Clubs 1 "RSV Nord" (BDR) and 2 "RV Süd" (HRV); athletes 1 Anna Berg (w,
// club 1, 12 years at the event), 2 Ben Kurz (m, 1, 13), 3 Cara Lang (w, 2,
// 75), 4 Dora Mai (w, club 99 that does not exist, 15).
inline bool fillBook(AddressDB& db)
{
    for (auto c : { std::make_pair("RSV Nord", "BDR"), std::make_pair("RV Süd", "HRV") }) {
        Club club;
        club.setName(QString::fromUtf8(c.first));
        club.Verband = QString::fromUtf8(c.second);
        if (db.insertVerein(club) < 1)
            return false;
    }
    const struct { const char* first; const char* last; int sex, club, age; } people[] = {
        { "Anna", "Berg", 2, 1, 12 }, { "Ben", "Kurz", 1, 1, 13 }, { "Cara", "Lang", 2, 2, 75 }, { "Dora", "Mai", 2, 99, 15 } };
    for (const auto& p : people) {
        Athlete a;
        a.setVorname(QString::fromLatin1(p.first));
        a.setNachname(QString::fromLatin1(p.last));
        a.Geschlecht = p.sex;
        a.Verein = p.club;
        a.Geburtsdatum = QDate(eventDay.year() - p.age, 3, 1);
        if (db.insertAthlete(a) < 1)
            return false;
    }
    return true;
}

// Exercises, limits, follow-ups, turns, separate exercises and age classes.
inline QString catalogueSql()
{
    return CatalogueFiles::disciplinesSql() + QString::fromUtf8(
        "CREATE TABLE Figures ( diszi CHAR(1), ak CHAR(1), anzahl INTEGER, frei INTEGER, minRad INTEGER, maxRad INTEGER );"
        "INSERT INTO Figures VALUES ( '1', '2', 2, 0, 0, 0 );"
        "CREATE TABLE uebungen ( Nr TEXT, Text TEXT, Ziffer TEXT );"
        "INSERT INTO uebungen VALUES ( '1101a', 'Reitsitz', '1,5' ), ( '1101b', 'Reitsitz rw', '1,0' ),"
        " ( '1102a', 'Steiger', '2.25' ), ( '1102b', 'Steiger rw', '2' ), ( '1201a', 'Drehung', '1' ),"
        " ( '1201b', 'Drehung 2', '1' ), ( '1201c', 'Drehung 3', '1' ), ( '1301a', 'Abgang', '3' ),"
        " ( '2101a', 'Paar', '1' ), ( '2102a', 'Paar 2', '1' ), ( '2301a', 'Einrad', '1' );"
        "CREATE TABLE Folgeuebungen ( Nr TEXT, n1 INTEGER, n2 INTEGER, n3 INTEGER, n4 INTEGER, n5 INTEGER, n6 INTEGER );"
        "INSERT INTO Folgeuebungen VALUES ( '1101a', 1102, 1103, 0, 0, 0, 0 );"
        "CREATE TABLE Standdrehungen ( Nr TEXT );"
        "INSERT INTO Standdrehungen VALUES ( '1201' ), ( '12' );"
        "CREATE TABLE einzeln ( Nr TEXT );"
        "INSERT INTO einzeln VALUES ( '1102' ), ( '11' );"
        "CREATE TABLE Altersklassen ( Ak CHAR(1), von INTEGER, bis INTEGER, diszi CHAR(1), quota INTEGER,"
        " maennlich TEXT, weiblich TEXT );"
        "INSERT INTO Altersklassen VALUES ( '3', 11, 12, '0', 0, 'Schüler', 'Schülerinnen' ),"
        " ( '5', 13, 14, '0', 0, 'Junioren', 'Juniorinnen' ), ( '5', 12, 12, '0', 1, 'Junioren', 'Juniorinnen' );");
}

} // namespace SheetData
