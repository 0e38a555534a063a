// The record tables on real files: "sportler", "vereine", "wettkampf", "Teams"
// and "starter" created and upgraded from older layouts, their exact statements,
// filters and orders, deletes, refusals and a missing database; hostile texts
// through every table.
#include "db/Conversions.h"
#include "db/RuvoDB.h"
#include "records/ACCompetitorData.h"
#include "records/ACTeamData.h"
#include "records/Club.h"
#include "records/Competition.h"
#include "records/MeldeListeDB.h"
#include "tests/support/DebugCapture.h"

#include <QPixmap>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList columnsOf(RuvoDB& db, const char* table)
{
    RuvoDBResult r;
    db.columns(table, &r);
    return r.columns;
}

Athlete athlete(const QString& first, const QString& last, int club, int year, int sex, int roles)
{
    Athlete a;
    a.Vorname = first;
    a.Nachname = last;
    a.Verein = club;
    a.Geburtsdatum = QDate(year, 3, 4);
    a.Geschlecht = sex;
    a.roles = roles;
    return a;
}

Club club(const QString& name, const QString& verband, const QString& nummer, const QString& plz)
{
    Club c;
    c.setName(name);
    c.Verband = verband;
    c.Nummer = nummer;
    c.Kontakt.PLZ = plz;
    return c;
}

// The statement as it runs; SQLite keeps it without the closing " ;".
const QString createTeams = QStringLiteral(
    "CREATE TABLE Teams ( ID INTEGER PRIMARY KEY,s0 INTEGER,s1 INTEGER,s2 INTEGER,s3 INTEGER,"
    "s4 INTEGER,s5 INTEGER,Diszi CHAR,Name VARCHAR(32),UCIName  VARCHAR(4),BestDatum INTEGER,"
    "BestOrt VARCHAR(32),Best INTEGER,m_w CHAR,ak CHAR,r1 INTEGER,r2 INTEGER,Email VARCHAR(32) ) ;");

ACTeamData sampleTeam()
{
    ACTeamData t;
    t.members = { 11, 0, 13 };
    t.reserves = { 15, 16, 17 };
    t.disci = 4;
    t.Name = QStringLiteral("Team \"A\"");
    t.UCIName = QStringLiteral("GER");
    t.BestDatum = QDate(2020, 5, 1);
    t.BestOrt = QStringLiteral("O'Ort");
    t.Best = 45678;
    t.gender = 2;
    t.ageClass = 3;
    t.Email = QStringLiteral("a@b;c");
    return t;
}

struct Sample { int club; const char* code; QList<int> members; int gender; int ak; int given; const char* name; int team; };

// Stored as IDs 1 to 5. Entry 3 has team row 1, entry 5 points to a team row that is missing.
const Sample samples[] = {
    { 7, "1101a", { 11 }, 1, 3, 500, "Anna", 0 },
    { 7, "1102a", { 12 }, 2, 4, 300, "Berta \"B\"", 0 },
    { -1, "4101a", { 21, 22, 23, 24 }, 2, 3, 900, "Vierer", 1 },
    { 8, "4101a", { 22, 21, 24, 23 }, 2, 3, 100, "Vierer B", 0 },
    { 8, "1101a", { 11 }, 1, 3, 0, "Solo", 99 },
};

ACCompetitorData entry(const Sample& s)
{
    ACCompetitorData e;
    e.Verein = s.club;
    e.setFigure(0, QLatin1String(s.code));
    e.team.setMembers(s.members);
    e.team.gender = s.gender;
    e.team.ageClass = s.ak;
    e.given = s.given;
    e.setName(QString::fromUtf8(s.name));
    e.team.ID = s.team;
    return e;
}

} // namespace

Q_DECLARE_METATYPE(Sample)

class TestRecordTables : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        dir.reset(new QTemporaryDir);
        db.reset(new RuvoDB);
        QVERIFY(db->open(dir->filePath("records.ldb"), false));
    }

    void layouts_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("oldLayout");
        QTest::addColumn<QStringList>("columns");
        QTest::newRow("sportler") << "sportler" << "ID INTEGER PRIMARY KEY,Vorname VARCHAR(32),Nachname VARCHAR(32)"
            << QStringList{"ID", "Vorname", "Nachname", "Verein", "Jahrgang", "m_w", "Nation", "Lizense",
                           "Attributes", "Strasse", "PLZ", "Ort", "Telefon", "Email"};
        QTest::newRow("vereine") << "vereine" << "ID INTEGER PRIMARY KEY,Name VARCHAR(32),Verband VARCHAR(32)"
            << QStringList{"ID", "Name", "Verband", "Nation", "Nummer", "Vorname", "Nachname", "Strasse", "PLZ",
                           "Ort", "Telefon", "Email", "m_w", "Jahrgang", "Lizense", "Logo"};
        QTest::newRow("wettkampf") << "wettkampf" << QString()
            << QStringList{"ID", "Datum", "Ort", "Veranstalter", "Name"};
    }

    void layouts()
    {
        QFETCH(QString, table);
        QFETCH(QString, oldLayout);
        QFETCH(QStringList, columns);
        const QByteArray name = table.toLatin1();
        auto create = [&](RuvoDB* on) {
            return table == "sportler" ? Athlete::createTable(on)
                 : table == "vereine"  ? Club::createTable(on) : Competition::createTable(on);
        };
        QVERIFY(!create(nullptr));
        QVERIFY(create(db.get()));
        QCOMPARE(columnsOf(*db, name), columns);
        QVERIFY(create(db.get()));   // present and current: nothing changes
        if (oldLayout.isEmpty())
            return;

        RuvoDB old;
        QVERIFY(old.open(dir->filePath("old.ldb"), false));
        QVERIFY(old.exec("CREATE TABLE " + table + " ( " + oldLayout + " );"));
        QVERIFY(old.exec("INSERT INTO " + table + " VALUES ( 5, 'Alt', 'Alt' );"));
        DebugCapture capture;
        QVERIFY(create(&old));
        QVERIFY(capture.contains("ADD COLUMN"));
        QCOMPARE(columnsOf(old, name), columns);
        RuvoDBResult rows;
        QVERIFY(old.query("SELECT * FROM " + table + ";", &rows));
        QCOMPARE(rows.rows.first().join('|'), "5|Alt|Alt" + QString(columns.size() - 3, '|'));
    }

    // One table of hostile texts through every table's write and read path:
    // stored cleaned, as literals, and read back as stored.
    void hostileTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("quote") << "O'Brien";
        QTest::newRow("placeholders") << "%1 %2 %4";
        QTest::newRow("column name") << "Name";
        QTest::newRow("statement") << "x'); DROP TABLE sportler; --";
        QTest::newRow("cleaned") << "a\"b&c\\d;e";
        QTest::newRow("umlauts") << "Jörg Müller";
    }

    void hostileTexts()
    {
        QFETCH(QString, text);
        const QString stored = cleanSqlText(text);   // what every stored text goes through
        MeldeListeDB book;   // every table of the records
        QVERIFY(book.open(dir->filePath("book.ldb"), false));
        RuvoDB* db = &book;
        auto filled = [](const QString& t) {
            Athlete a = athlete(t, t, 3, 1965, 2, Athlete::RoleA | Athlete::RoleF);
            a.Strasse = a.PLZ = a.Ort = a.Telefon = a.Email = a.Nation = t;
            a.uciId = t;
            return a;
        };
        Athlete a = filled(text);
        Athlete back;
        QVERIFY(a.insert(db) > 0 && Athlete::getById(db, back, a.ID));
        QCOMPARE(back, filled(stored));
        a.Vorname = "Neu";
        QVERIFY(a.update(db) && Athlete::getById(db, back, a.ID));
        QCOMPARE(back.Vorname + QString::number(back.ID - a.ID) + QString::number(db->count("sportler")),
                 QStringLiteral("Neu01"));

        Club c = club(text, text, text, text);
        c.Nation = text;
        c.Kontakt.Geburtsdatum = QDate(1965, 3, 4);
        QVERIFY(c.logo.setPixmap(QPixmap(40, 20)));
        Club clubBack;
        QVERIFY(c.insert(db) > 0 && Club::getById(db, clubBack, c.ID, true));
        QCOMPARE(clubBack.Name + clubBack.Verband + clubBack.Nummer + clubBack.Nation + clubBack.Kontakt.PLZ,
                 stored + stored + stored + stored + stored);
        QCOMPARE(clubBack.Kontakt.Geburtsdatum, QDate(1965, 3, 4));
        QCOMPARE(clubBack.logo.data, c.logo.data);
        QVERIFY(Club::getById(db, clubBack, c.ID, false) && clubBack.logo.data.isEmpty());

        Competition other;   // read as identifiers, the filter's texts would match this row too
        other.Ort = other.Name = other.Veranstalter = "Berg";
        Competition w;
        w.Datum = QDate(2026, 5, 9);
        w.Ort = w.Veranstalter = w.Name = text;
        QVERIFY(other.insert(db) > 0 && w.insert(db) > 0);
        Competition filter;
        filter.Ort = filter.Name = filter.Veranstalter = text;
        RuvoDBList<Competition> found;
        QVERIFY(getCompetitions(db, found, &filter) && found.size() == 1);
        QCOMPARE(found.first().Ort + found.first().Veranstalter + found.first().Name, stored + stored + stored);
        QCOMPARE(found.first().Datum, QDate(2026, 5, 9));

        ACTeamData team;
        team.Name = team.UCIName = team.BestOrt = team.Email = text;
        ACTeamData teamBack;
        QVERIFY(team.insert(db) > 0 && team.update(db) && ACTeamData::getById(db, teamBack, team.ID));
        QCOMPARE(QStringList({ teamBack.Name, teamBack.UCIName, teamBack.BestOrt, teamBack.Email }), QVector<QString>(4, stored).toList());

        ACCompetitorData e;   // its name as the filter: a literal, compared as stored
        e.setName(text);
        e.setBestOrt(text);
        QVERIFY(e.insert(db) > 0 && book.updateWbName(e.ID, text));
        RuvoDBList<ACCompetitorData> entries;
        QVERIFY(ACCompetitorData::getACCompetitors(db, entries, &e, 0) && entries.size() == 1);
        QCOMPARE(entries.first().WbName + entries.first().team.BestOrt, stored + stored);
        StarterList starters;
        Starter_t starterFilter;
        toCString(starterFilter.name, text, sizeof starterFilter.name);
        QVERIFY(book.getStarter(starters, &starterFilter, 0) && starters.items.size() == 1);

        NameEntry name("  " + text + " ", -5);   // a negative ID counts as no row
        QList<NameEntry> names;
        QVERIFY(name.ID == 0 && book.insertName(name) == 1 && book.getNamen(names) && names.size() == 1);
        QCOMPARE(names.first().name, stored);

        NameIcon n;
        n.table = "icons";
        n.setName(text + "  ");
        n.setLongName(" " + text);
        n.icon = text.toUtf8();
        QVERIFY(!n.getById(book, n, -1) && n.Name == text);   // reads no row, not the only one
        QVERIFY(n.checkTable(book) && n.insert(book) == 1 && n.insert(book) == 2);   // another row each time
        RuvoDBList<NameIcon> icons;
        n.ID = 0;
        QVERIFY(n.getNameIcons(book, icons, &n) && icons.size() == 2);
        QCOMPARE(icons.first().Name + icons.first().LongName, stored + stored);
        QCOMPARE(icons.first().icon + QByteArray::number(icons.first().ID), text.toUtf8() + "1");
    }

    void athleteQuery_data()
    {
        QTest::addColumn<QString>("last");
        QTest::addColumn<QVector<int>>("clubSexRolesOrder");
        QTest::addColumn<QString>("found");
        QTest::newRow("all") << "" << QVector<int>{0, 0, 0, 0} << "Anna,Ben,Cora,Dirk";
        QTest::newRow("by Nachname") << "" << QVector<int>{0, 0, 0, 1} << "Ben,Anna,Cora,Dirk";
        QTest::newRow("by Verein") << "" << QVector<int>{0, 0, 0, 2} << "Cora,Ben,Anna,Dirk";
        QTest::newRow("by Jahrgang") << "" << QVector<int>{0, 0, 0, 3} << "Dirk,Ben,Anna,Cora";
        QTest::newRow("club") << "" << QVector<int>{2, 0, 0, 0} << "Ben";
        QTest::newRow("name") << "Cramer" << QVector<int>{0, 0, 0, 0} << "Cora";
        QTest::newRow("sex") << "" << QVector<int>{0, 1, 0, 3} << "Dirk,Ben";
        QTest::newRow("role A") << "" << QVector<int>{0, 0, 1, 0} << "Anna,Cora";
        QTest::newRow("role R or F") << "" << QVector<int>{0, 0, 12, 0} << "Cora,Dirk";
        QTest::newRow("role and sex") << "" << QVector<int>{0, 2, 2, 0} << "";
    }

    void athleteQuery()
    {
        QFETCH(QString, last);
        QFETCH(QVector<int>, clubSexRolesOrder);
        QFETCH(QString, found);
        QVERIFY(Athlete::createTable(db.get()));
        for (Athlete a : {athlete("Anna", "Berg", 3, 2001, 2, 1), athlete("Ben", "Adler", 2, 1999, 1, 2),
                          athlete("Cora", "Cramer", 1, 2003, 2, 5), athlete("Dirk", "Zorn", 4, 1990, 1, 8)})
            QVERIFY(a.insert(db.get()) > 0);
        const Athlete filter = athlete("", last, clubSexRolesOrder[0], 2000, clubSexRolesOrder[1], 0);
        RuvoDBList<Athlete> list;
        QVERIFY(getAthletes(db.get(), list, &filter, clubSexRolesOrder[2], clubSexRolesOrder[3]));
        QStringList names;
        for (const Athlete& a : qAsConst(list))
            names << a.Vorname;
        QCOMPARE(names.join(','), found);
    }

    void clubQueryAndDeletes()
    {
        QVERIFY(Club::createTable(db.get()));
        for (Club c : {club("RV Zeh", "BDR", "7", "10000"), club("  RSV   Au ", "WSB", "9", "30000"),
                       club("RC Mitte", "ABC", "8", "20000")})
            QVERIFY(c.insert(db.get()) > 0);
        RuvoDBList<Club> list;
        auto order = [&](int o, const Club* filter = nullptr) {
            getClubs(db.get(), list, filter, o, false);
            QStringList n;
            for (const Club& c : qAsConst(list))
                n << c.Name;
            return n.join('|');
        };
        QCOMPARE(order(Club::ByName), QStringLiteral("RC Mitte|RSV Au|RV Zeh"));
        QCOMPARE(order(Club::ByVerband), QStringLiteral("RC Mitte|RV Zeh|RSV Au"));
        QCOMPARE(order(Club::ByPlz), QStringLiteral("RV Zeh|RC Mitte|RSV Au"));
        const Club byNameAndNumber = club("RSV Au", "", "9", "");
        QCOMPARE(order(0, &byNameAndNumber), QStringLiteral("RSV Au"));

        QVERIFY(!Club::deleteClub(db.get(), 0));
        QVERIFY(Club::deleteClub(db.get(), list.first().ID));
        QCOMPARE(db->count("vereine"), 2);
        QVERIFY(db->exec("CREATE TRIGGER keep BEFORE DELETE ON vereine BEGIN SELECT RAISE(ABORT, 'kept'); END;"));
        QVERIFY(!Club::deleteAll(db.get()) && db->count("vereine") == 2);   // all or nothing
        QVERIFY(db->exec("DROP TRIGGER keep;"));
        QVERIFY(Club::deleteAll(db.get()) && db->count("vereine") == 0);
        QVERIFY(db->exec("BEGIN; COMMIT;"));   // no transaction left open
    }

    void competitionDate_data()
    {
        QTest::addColumn<qint64>("cell");
        QTest::addColumn<QDate>("date");
        QTest::newRow("none") << qint64(0) << QDate();
        QTest::newRow("small") << qint64(2999) << QDate();
        QTest::newRow("small negative") << qint64(-2999) << QDate();
        QTest::newRow("a day") << dateToSeconds(QDate(2026, 12, 6)) << QDate(2026, 12, 6);
    }

    void competitionDate()
    {
        QFETCH(qint64, cell);
        QFETCH(QDate, date);
        QVERIFY(Competition::createTable(db.get()));
        QVERIFY(db->exec(QStringLiteral("INSERT INTO wettkampf VALUES ( 4, %1, 'O', 'V', 'N' );").arg(cell)));
        Competition c;
        QVERIFY(Competition::getById(db.get(), c, 4));
        QCOMPARE(c.Datum, date);
    }

    void refusals()
    {
        // Writes into a missing table fail.
        ACTeamData t = sampleTeam();
        t.ID = 8;
        QCOMPARE(t.insert(db.get()), -1);
        QVERIFY(t.ID == -1 && db->lastError().contains(QStringLiteral("no such table")));
        QVERIFY(Athlete::createTable(db.get()) && Club::createTable(db.get()) && Competition::createTable(db.get()));
        QVERIFY(ACTeamData::createTable(db.get()));
        // Missing or no IDs leave the record as it was.
        Athlete a = athlete("A", "B", 1, 2000, 1, 1);
        Club c = club("C", "", "", "");
        Competition w;
        w.Name = "W";
        for (int id : {0, 999}) {
            QVERIFY(!Athlete::getById(db.get(), a, id) && !Club::getById(db.get(), c, id, true));
            QVERIFY(!Competition::getById(db.get(), w, id));
            QCOMPARE(a.Vorname + c.Name + w.Name, QStringLiteral("ACW"));
        }
        t.ID = -4;
        t.sqlText = QStringLiteral("untouched");
        QVERIFY(!a.update(db.get()) && !c.update(db.get()) && !w.update(db.get()) && !t.update(db.get()));
        QCOMPARE(QVector<int>({a.errorCode, c.errorCode, w.errorCode, t.errorCode}), QVector<int>(4, RuvoDB::ErrBadIndex));
        QVERIFY(t.sqlText == "untouched" && db->count("Teams") == 0);
        QVERIFY(!Athlete::deleteAthlete(db.get(), 0) && !Competition::deleteCompetition(db.get(), 0));

        // No database: refused, nothing crashes.
        RuvoDBList<Athlete> athletes;
        RuvoDBList<Club> clubs;
        RuvoDBList<ACTeamData> teams;
        teams.append(t);
        QCOMPARE(a.insert(nullptr) + c.insert(nullptr) + w.insert(nullptr) + t.insert(nullptr), -4);
        QVERIFY(!a.update(nullptr) && !Club::deleteAll(nullptr) && !Athlete::deleteAthlete(nullptr, 1));
        QVERIFY(!getAthletes(nullptr, athletes, nullptr, 0, 0) && !getClubs(nullptr, clubs, nullptr, 0, true));
        QVERIFY(!Competition::getById(nullptr, w, 1));
        QVERIFY(!ACTeamData::createTable(nullptr) && !ACTeamData::upgradeTable(nullptr));
        t.ID = 3;
        QVERIFY(!t.update(nullptr));
        QCOMPARE(t.errorCode, int(RuvoDB::ErrNotOpen));
        QVERIFY(!ACTeamData::deleteTeam(nullptr, 3) && !ACTeamData::deleteAll(nullptr));
        QVERIFY(!getTeams(nullptr, teams, 0) && teams.isEmpty());
        QVERIFY(!ACTeamData::getById(nullptr, t, 3));
        QCOMPARE(t.ID, 0);
    }

    void statements()
    {
        QVERIFY(ACTeamData::createTable(db.get()));
        RuvoDBResult result;
        QVERIFY(db->query(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'Teams';"), &result));
        QCOMPARE(result.rows.value(0).value(0), createTeams.chopped(2));
        DebugCapture capture;
        QVERIFY(ACTeamData::createTable(db.get()));   // current: nothing changes
        QVERIFY(!capture.contains(QStringLiteral("ALTE MELDELISTE")));

        ACTeamData t = sampleTeam();
        const QString expected = QStringLiteral(
            "INSERT OR REPLACE INTO Teams VALUES ( NULL, 11, 0, 13, 0, 0, 0, 4, 'Team ''A''', 'GER', "
            "1588334400, 'O''Ort', 45678, 'w', '3', 15, 16, 'a@b,c' );");
        QCOMPARE(t.sqlReplaceText(), expected);
        QCOMPARE(t.sqlText, expected);
        QVERIFY(capture.lines().join('\n').contains(expected));
        ACTeamData empty;
        empty.ID = 7;
        QCOMPARE(empty.sqlReplaceText(), QStringLiteral(
            "INSERT OR REPLACE INTO Teams VALUES ( 7, 0, 0, 0, 0, 0, 0, 0, '', '', 0, '', 0, '?', '0', 0, 0, '' );"));
    }

    void rowReadBack_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::newRow("no best date") << QDate();
        QTest::newRow("2020") << QDate(2020, 5, 1);
        QTest::newRow("last day in 32 bits") << QDate(2038, 1, 18);
        QTest::newRow("first day past 32 bits") << QDate(2038, 1, 19);
    }

    void rowReadBack()
    {
        QFETCH(QDate, date);
        QVERIFY(ACTeamData::createTable(db.get()));
        ACTeamData t = sampleTeam();
        t.BestDatum = date;
        const int id = t.insert(db.get());
        QVERIFY(id > 0 && t.ID == id);
        ACTeamData back;
        QVERIFY(ACTeamData::getById(db.get(), back, id));
        QCOMPARE(back.members, (QList<int>{ 11, 13 }));
        QCOMPARE(back.reserves, (QList<int>{ 15, 16 }));
        QCOMPARE(back.Name + "|" + back.UCIName + "|" + back.BestOrt + "|" + back.Email,
                 QStringLiteral("Team 'A'|GER|O'Ort|a@b,c"));
        QCOMPARE(back.BestDatum, date);
        QCOMPARE(QVector<int>({ back.ID, back.disci, back.Best, back.gender, back.ageClass }),
                 QVector<int>({ id, 4, 45678, 2, 3 }));

        t.members = { 21, 22, 23, 24 };
        QVERIFY(t.update(db.get()) && ACTeamData::getById(db.get(), back, id));
        QCOMPARE(back.members, t.members);
        QVERIFY(t.insert(db.get()) > id);   // insert always makes a new row
        QCOMPARE(db->count("Teams"), 2);
    }

    void selectText()
    {
        auto text = [](int disci, const QList<int>& members, int id) {
            ACTeamData filter;
            filter.disci = disci;
            filter.members = members;
            filter.ID = id;
            return ACTeamData::selectText(&filter);
        };
        QCOMPARE(ACTeamData::selectText(nullptr), QStringLiteral("SELECT * FROM Teams;"));
        QCOMPARE(text(0, { 0, -2 }, 0), QStringLiteral("SELECT * FROM Teams;"));
        QCOMPARE(text(2, { 5, 6 }, 3), QStringLiteral("SELECT * FROM Teams WHERE  Diszi = 2 AND  s0 = 5 AND  s1 = 6 AND  ID = 3;"));
        // Beyond the sixth position there is no column: empty places there are
        // fine, a named member makes a filter no statement can express.
        QCOMPARE(text(0, { 0, 0, 0, 0, 0, 9, 0, -1 }, 0), QStringLiteral("SELECT * FROM Teams WHERE  s5 = 9;"));
        QCOMPARE(text(0, { 0, 0, 0, 0, 0, 9, 10 }, 0), QString());
    }

    void getTeamsAndDelete()
    {
        RuvoDBList<ACTeamData> list;
        list.append(sampleTeam());
        QVERIFY(!getTeams(db.get(), list, 0) && list.isEmpty());   // no table yet
        QVERIFY(ACTeamData::createTable(db.get()));
        ACTeamData a = sampleTeam(), b, c;
        b.disci = 4;
        b.members = { 1, 2, 17, 4 };
        c.disci = 2;
        c.members = { 17, 18 };
        QVERIFY(a.insert(db.get()) > 0 && b.insert(db.get()) > 0 && c.insert(db.get()) > 0);
        QVERIFY(getTeams(db.get(), list, 4));
        QCOMPARE(QVector<int>({ list.size(), list.at(0).ID, list.at(1).ID }), QVector<int>({ 2, a.ID, b.ID }));
        ACTeamData filter;
        filter.disci = 4;
        filter.members = { 0, 0, 17, 0, 0, 0 };
        QVERIFY(getTeams(db.get(), list, &filter) && list.size() == 1);
        QCOMPARE(list.first().members, b.members);
        filter.members << 99;   // a member at the seventh position: refused, not broadened
        QVERIFY(!getTeams(db.get(), list, &filter) && list.isEmpty());
        QVERIFY2(db->lastError().contains(QStringLiteral("Position 6")), qPrintable(db->lastError()));

        QVERIFY(!ACTeamData::deleteTeam(db.get(), 0) && ACTeamData::deleteTeam(db.get(), a.ID));
        QVERIFY(getTeams(db.get(), list, nullptr) && list.size() == 2);
        // Missing or no IDs leave the record cleared but keep its error code.
        for (int id : { 0, -1, a.ID }) {
            ACTeamData team = sampleTeam();
            team.errorCode = 9;
            QVERIFY(!ACTeamData::getById(db.get(), team, id));
            QVERIFY(team.members.isEmpty() && team.Name.isEmpty() && team.ID == 0 && team.Best == 0);
            QCOMPARE(team.errorCode, 9);
        }
    }

    void deleteAll_data()
    {
        QTest::addColumn<QString>("before");   // run before deleteAll
        QTest::addColumn<QString>("after");    // run after it
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<int>("left");
        QTest::newRow("clean") << QString() << QString() << true << 0;
        QTest::newRow("failed delete")
            << "CREATE TRIGGER keep BEFORE DELETE ON Teams BEGIN SELECT RAISE(ABORT, 'kept'); END;" << QString()
            << false << 2;
        // A deferred reference to a team lets the DELETE run and makes the commit fail.
        QTest::newRow("failed commit")
            << "PRAGMA foreign_keys = ON; CREATE TABLE Entry ( team INTEGER REFERENCES Teams(ID) DEFERRABLE "
               "INITIALLY DEFERRED ); INSERT INTO Entry SELECT ID FROM Teams;" << QString() << false << 2;
        // Inside a caller's transaction: the caller's new row goes too, and the caller still decides.
        const QString callerRow = "BEGIN; INSERT INTO Teams (Name) VALUES ('caller');";
        QTest::newRow("caller commits") << callerRow << "COMMIT;" << true << 0;
        QTest::newRow("caller rolls back") << callerRow << "ROLLBACK;" << true << 2;
        QTest::newRow("write-locked") << "UPDATE Descriptor SET writePassword = 'xx';" << QString() << false << 2;
    }

    void deleteAll()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(bool, deleted);
        QFETCH(int, left);
        QVERIFY(ACTeamData::createTable(db.get()));
        ACTeamData t = sampleTeam();
        QVERIFY(t.insert(db.get()) > 0 && t.insert(db.get()) > 0 && db->setMagic(1));
        QVERIFY(before.isEmpty() || db->exec(before));
        if (before.contains("writePassword"))
            QVERIFY(db->open(dir->filePath(QStringLiteral("records.ldb")), false));
        QCOMPARE(ACTeamData::deleteAll(db.get()), deleted);
        QVERIFY(after.isEmpty() || db->exec(after));
        QCOMPARE(db->count("Teams"), left);
        if (!db->isWriteLocked())   // no transaction is left open
            QVERIFY(db->exec(QStringLiteral("BEGIN TRANSACTION probe; COMMIT TRANSACTION probe;")));
    }

    void teamsUpgrade_data()
    {
        QTest::addColumn<QString>("added");   // the columns the old layout had after Best
        QTest::addColumn<QString>("row");
        QTest::newRow("before gender, reserves, e-mail") << ""
            << "INSERT INTO Teams VALUES ( 5, 1, 2, 3, 4, 0, 0, '4', 'Alt', 'AB', 0, 'Hier', 1234 );";
        QTest::newRow("before e-mail") << ",m_w CHAR,ak CHAR,r1 INTEGER,r2 INTEGER"
            << "INSERT INTO Teams VALUES ( 5, 1, 2, 3, 4, 0, 0, '4', 'Alt', 'AB', 0, 'Hier', 1234, '?', '0', 0, 0 );";
    }

    void teamsUpgrade()
    {
        QFETCH(QString, added);
        QFETCH(QString, row);
        QVERIFY(!ACTeamData::upgradeTable(db.get()) && !db->hasTable(QStringLiteral("Teams")));
        const int bestEnd = createTeams.indexOf(QStringLiteral(",m_w"));
        QVERIFY(db->exec(createTeams.left(bestEnd) + added + " ) ;" + row));
        DebugCapture capture;
        QVERIFY(ACTeamData::createTable(db.get()));
        QVERIFY(capture.contains(QStringLiteral("ALTE MELDELISTE update TEAMS")));
        RuvoDBResult result;
        QVERIFY(db->columns("Teams", &result));
        QCOMPARE(result.columns.mid(12), QStringList({ "Best", "m_w", "ak", "r1", "r2", "Email" }));

        ACTeamData old;
        QVERIFY(ACTeamData::getById(db.get(), old, 5));
        QCOMPARE(old.members, (QList<int>{ 1, 2, 3, 4 }));
        QCOMPARE(QVector<int>({ old.disci, old.Best, old.gender, old.ageClass }), QVector<int>({ 4, 1234, 0, 0 }));
        QVERIFY(old.Name == "Alt" && old.reserves.isEmpty() && old.Email.isEmpty());
        ACTeamData fresh = sampleTeam();
        ACTeamData back;
        QVERIFY(ACTeamData::getById(db.get(), back, fresh.insert(db.get())));
        QCOMPARE(back.reserves, (QList<int>{ 15, 16 }));
        QCOMPARE(QVector<int>({ back.gender, back.ageClass }), QVector<int>({ 2, 3 }));
        QCOMPARE(back.Email, QStringLiteral("a@b,c"));
    }

    void insertText()
    {
        ACCompetitorData e = entry(samples[2]);
        e.setName(QStringLiteral("Max %4 \"Mo\" \\ & ;"));
        e.team.BestOrt = QStringLiteral("O'Ort;");   // set directly: cleaned all the same
        e.team.BestDatum = QDate(2020, 5, 1);
        e.team.Best = 1234;
        e.setFigure(1, QStringLiteral("4102b"));
        QCOMPARE(e.insertSql(), QStringLiteral(
            "INSERT OR REPLACE INTO starter VALUES ( NULL, -1, 'Max %4 ''Mo'' / + ,', 21, 22, 23, 24, 0, 0, "
            "-103901931, 1588334400, 'O''Ort,', 'w', '4', '3', 1234, 900, '4101a', '4102b'")
            + QString(QStringLiteral(", ''")).repeated(28) + QStringLiteral(",  1  ); UPDATE Teams SET "
            "BestDatum = 1588334400, BestOrt = 'O''Ort,', Best = 1234 WHERE ID = 1;"));
    }

    void filtersAndOrders_data()
    {
        QTest::addColumn<Sample>("f");   // the filter entry
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("order");
        QTest::addColumn<QList<int>>("ids");
        using L = QList<int>;
        QTest::newRow("ID descending") << Sample{ 0, "", {}, 0, 0, 0, "", 0 } << 0 << 6 << L{ 5, 4, 3, 2, 1 };
        QTest::newRow("by given") << Sample{ 0, "", {}, 0, 0, 0, "", 0 } << 0 << 3 << L{ 5, 4, 2, 1, 3 };
        QTest::newRow("club and none") << Sample{ 7, "", {}, 0, 0, 0, "", 0 } << 0 << 5 << L{ 1, 2, 3 };
        QTest::newRow("one member") << Sample{ 9, "", { 0, 11 }, 2, 0, 0, "", 0 } << 0 << 5 << L{ 1, 5 };
        QTest::newRow("member set") << Sample{ 0, "", { 24, 23, 22, 21 }, 0, 0, 0, "", 0 } << 0 << 5 << L{ 3, 4 };
        QTest::newRow("gender") << Sample{ 0, "", {}, 2, 0, 0, "", 0 } << 0 << 5 << L{ 2, 3, 4 };
        QTest::newRow("age class") << Sample{ 0, "", {}, 0, 3, 0, "", 0 } << 0 << 5 << L{ 1, 3, 4, 5 };
        QTest::newRow("age class, given") << Sample{ 0, "", {}, 0, 3, 1, "", 0 } << 0 << 5 << L{ 1, 2, 3, 4, 5 };
        QTest::newRow("codes") << Sample{ 0, "4101a", {}, 0, 0, 0, "", 0 } << 0 << 6 << L{ 4, 3 };
        QTest::newRow("name") << Sample{ 0, "", {}, 0, 0, 0, "Berta \"B\"", 0 } << 0 << 0 << L{ 2 };
        QTest::newRow("ID over the rest") << Sample{ 8, "", {}, 1, 0, 0, "", 3 } << 2 << 0 << L{ 2 };
        QTest::newRow("team row") << Sample{ 0, "", {}, 0, 0, 0, "", 1 } << 0 << -1 << L{ 3 };
    }

    void filtersAndOrders()
    {
        QFETCH(Sample, f);
        QFETCH(int, id);
        QFETCH(int, order);
        QFETCH(QList<int>, ids);
        QVERIFY(ACCompetitorData::createTable(db.get()));
        for (const Sample& s : samples)
            QVERIFY(entry(s).insert(db.get()) > 0);
        ACCompetitorData filter = entry(f);
        filter.ID = id;
        RuvoDBList<ACCompetitorData> list;
        QVERIFY(ACCompetitorData::getACCompetitors(db.get(), list, &filter, order));
        for (const ACCompetitorData& e : list)
            QCOMPARE(e.ID, ids.takeFirst());
        QVERIFY(ids.isEmpty());
    }

    void teamRows()
    {
        QVERIFY(ACCompetitorData::createTable(db.get()));
        ACTeamData team;
        team.disci = 4;
        team.Name = QStringLiteral("Die Vier");
        team.members = { 26 };   // not in the entry: read as its reserve
        team.reserves = { 25 };
        QCOMPARE(team.insert(db.get()), 1);
        ACCompetitorData joined = entry(samples[2]);
        joined.team.Best = 777;   // follows the entry into the team row
        QCOMPARE(joined.insert(db.get()), 1);
        ACCompetitorData orphan = entry(samples[4]);
        orphan.team.Best = 4321;
        orphan.team.BestDatum = QDate(2019, 3, 4);
        QCOMPARE(orphan.insert(db.get()), 2);

        RuvoDBList<ACCompetitorData> list;
        QVERIFY(ACCompetitorData::getACCompetitors(db.get(), list, nullptr, 5));
        const ACCompetitorData& a = list.at(0);
        QCOMPARE(a.team.Name, QStringLiteral("Die Vier"));
        QCOMPARE(QVector<int>({ a.team.ID, a.team.Best }), QVector<int>({ 1, 777 }));
        QCOMPARE(a.team.reserves, (QList<int>{ 26, 25 }));
        const ACCompetitorData& b = list.at(1);   // its team row is gone: its own values stay
        QCOMPARE(QVector<int>({ b.team.ID, b.team.Best }), QVector<int>({ 0, 4321 }));
        QVERIFY(b.team.Name == "Solo" && b.team.BestDatum == orphan.team.BestDatum);
        QCOMPARE(ACCompetitorData::getIds(db.get()), (QList<int>{ 1, 2 }));

        QVERIFY(db->exec(QStringLiteral("DROP TABLE Teams;")));
        QVERIFY(!joined.update(db.get()));   // the team row's UPDATE fails: the entry stays as it was
        QCOMPARE(joined.insert(db.get()), -1);
        QCOMPARE(ACCompetitorData::getIds(db.get()), (QList<int>{ 1, 2 }));
        QVERIFY(!ACCompetitorData::createTable(nullptr) && !ACCompetitorData::getACCompetitors(nullptr, list, nullptr, 0));
        QVERIFY(orphan.insert(nullptr) == -1 && ACCompetitorData::getIds(nullptr).isEmpty());
    }

    void starterUpgrade_data()
    {
        QTest::addColumn<int>("codes");   // columns u0 ... of the old table; 0: a new file
        QTest::addColumn<bool>("old");
        QTest::newRow("new file") << 0 << false;
        QTest::newRow("without u28, u29, teamID") << 28 << true;
        QTest::newRow("without teamID") << 30 << false;
    }

    void starterUpgrade()
    {
        QFETCH(int, codes);
        QFETCH(bool, old);
        if (codes > 0) {
            QString layout = QStringLiteral("CREATE TABLE starter ( ID INTEGER PRIMARY KEY,WbName VARCHAR(32)");
            for (int i = 0; i < codes; ++i)
                layout += QStringLiteral(",u%1 CHAR(8)").arg(i);
            QVERIFY(db->exec(layout + QStringLiteral(" ); INSERT INTO starter (WbName) VALUES ('Alt');")));
        }
        DebugCapture capture;
        QVERIFY(ACCompetitorData::createTable(db.get()));
        QCOMPARE(capture.lines().contains(QStringLiteral("ALTE MELDELISTE")), old);
        RuvoDBResult names;
        QVERIFY(db->columns("starter", &names) && db->hasTable(QStringLiteral("Teams")));
        QCOMPARE(names.columns.mid(names.columns.size() - 3), QStringList({ "u28", "u29", "teamID" }));
        QCOMPARE(db->count("starter"), codes > 0 ? 1 : 0);
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<RuvoDB> db;
};

QTEST_MAIN(TestRecordTables)
#include "tst_recordtables.moc"
