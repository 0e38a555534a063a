// The record tables on real files: "sportler", "vereine" and "wettkampf"
// created and upgraded from older layouts, filters and orders, deletes, refused
// updates and a missing database; hostile texts through every table.
#include "db/Conversions.h"
#include "db/RuvoDB.h"
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

} // namespace

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

        NameEntry name(text, 0);
        QList<NameEntry> names;
        QVERIFY(book.insertName(name) == 1 && book.getNamen(names) && names.size() == 1);
        QCOMPARE(names.first().name, stored);

        NameIcon n;
        n.table = "icons";
        n.setName(text);
        n.setLongName(text);
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
        QVERIFY(Athlete::createTable(db.get()) && Club::createTable(db.get()) && Competition::createTable(db.get()));
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
        QVERIFY(!a.update(db.get()) && !c.update(db.get()) && !w.update(db.get()));
        QCOMPARE(QVector<int>({a.errorCode, c.errorCode, w.errorCode}), QVector<int>(3, RuvoDB::ErrBadIndex));
        QVERIFY(!Athlete::deleteAthlete(db.get(), 0) && !Competition::deleteCompetition(db.get(), 0));

        // No database: refused, nothing crashes.
        RuvoDBList<Athlete> athletes;
        RuvoDBList<Club> clubs;
        QCOMPARE(a.insert(nullptr) + c.insert(nullptr) + w.insert(nullptr), -3);
        QVERIFY(!a.update(nullptr) && !Club::deleteAll(nullptr) && !Athlete::deleteAthlete(nullptr, 1));
        QVERIFY(!getAthletes(nullptr, athletes, nullptr, 0, 0) && !getClubs(nullptr, clubs, nullptr, 0, true));
        QVERIFY(!Competition::getById(nullptr, w, 1));
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<RuvoDB> db;
};

QTEST_MAIN(TestRecordTables)
#include "tst_recordtables.moc"
