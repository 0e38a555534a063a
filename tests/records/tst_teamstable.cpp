// The table "Teams" on real database files: its exact layout, the statements
// that write and read team rows, the upgrade of older files and the deletes.
#include "db/RuvoDB.h"
#include "records/ACTeamData.h"
#include "tests/support/DebugCapture.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// The statement as it runs; SQLite keeps it without the closing " ;".
const char* const createTeams =
    "CREATE TABLE Teams ( ID INTEGER PRIMARY KEY,s0 INTEGER,s1 INTEGER,s2 INTEGER,s3 INTEGER,"
    "s4 INTEGER,s5 INTEGER,Diszi CHAR,Name VARCHAR(32),UCIName  VARCHAR(4),BestDatum INTEGER,"
    "BestOrt VARCHAR(32),Best INTEGER,m_w CHAR,ak CHAR,r1 INTEGER,r2 INTEGER,Email VARCHAR(32) ) ;";

// The layout of files written before gender, age class, reserves and e-mail were kept.
const char* const oldTeams =
    "CREATE TABLE Teams ( ID INTEGER PRIMARY KEY,s0 INTEGER,s1 INTEGER,s2 INTEGER,s3 INTEGER,"
    "s4 INTEGER,s5 INTEGER,Diszi CHAR,Name VARCHAR(32),UCIName  VARCHAR(4),BestDatum INTEGER,"
    "BestOrt VARCHAR(32),Best INTEGER ) ;";

const QStringList currentColumns = {
    "ID", "s0", "s1", "s2", "s3", "s4", "s5", "Diszi", "Name", "UCIName", "BestDatum",
    "BestOrt", "Best", "m_w", "ak", "r1", "r2", "Email",
};

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

} // namespace

class TestTeamsTable : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        dir.reset(new QTemporaryDir);
        owned.reset(new RuvoDB);
        db = owned.get();
        QVERIFY(db->open(dir->filePath(QStringLiteral("teams.ldb")), false));
    }

    void createsTheExactTable()
    {
        const QString statement = QString::fromLatin1(createTeams);
        QVERIFY(ACTeamData::createTable(db));
        RuvoDBResult result;
        QVERIFY(db->query(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'Teams';"), &result));
        QCOMPARE(result.rows.size(), 1);
        QCOMPARE(result.rows.first().value(0), statement.chopped(2));
        QCOMPARE(columnNames(), currentColumns);
        // A second call finds the table current and changes nothing.
        DebugCapture capture;
        QVERIFY(ACTeamData::createTable(db));
        QVERIFY(!capture.contains(QStringLiteral("ALTE MELDELISTE")));
    }

    void replaceStatementText()
    {
        ACTeamData t = sampleTeam();
        DebugCapture capture;
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
        QTest::newRow("2040") << QDate(2040, 2, 29);
    }

    void rowReadBack()
    {
        QFETCH(QDate, date);
        QVERIFY(ACTeamData::createTable(db));
        ACTeamData t = sampleTeam();
        t.BestDatum = date;
        const int id = t.insert(db);
        QVERIFY(id > 0);
        QCOMPARE(t.ID, id);

        RuvoDBResult raw;
        QVERIFY(db->query(QStringLiteral("SELECT s0, s1, s2, s3, r1, r2, Name, Email, m_w, ak FROM Teams;"), &raw));
        QCOMPARE(raw.rows.first(), (QStringList{ "11", "0", "13", "0", "15", "16", "Team 'A'", "a@b,c", "w", "3" }));

        ACTeamData back;
        QVERIFY(ACTeamData::getById(db, back, id));
        QCOMPARE(back.ID, id);
        QCOMPARE(back.members, (QList<int>{ 11, 13 }));
        QCOMPARE(back.reserves, (QList<int>{ 15, 16 }));
        QCOMPARE(back.disci, 4);
        QCOMPARE(back.Name + "|" + back.UCIName + "|" + back.BestOrt + "|" + back.Email,
                 QStringLiteral("Team 'A'|GER|O'Ort|a@b,c"));
        QCOMPARE(back.BestDatum, date);
        QCOMPARE(back.Best, quint16(45678));
        QCOMPARE(back.gender, 2);
        QCOMPARE(back.ageClass, 3);
    }

    void updateReplacesInPlace()
    {
        QVERIFY(ACTeamData::createTable(db));
        ACTeamData t = sampleTeam();
        const int id = t.insert(db);
        QVERIFY(id > 0);
        // Values equal to column names stay values.
        t.Name = QStringLiteral("Name");
        t.UCIName = QStringLiteral("ak");
        t.Email = QStringLiteral("Email");
        t.members = { 21, 22, 23, 24 };
        QVERIFY(t.update(db));
        QCOMPARE(db->count("Teams"), 1);
        ACTeamData back;
        QVERIFY(ACTeamData::getById(db, back, id));
        QCOMPARE(back.Name + back.UCIName + back.Email, QStringLiteral("NameakEmail"));
        QCOMPARE(back.members, (QList<int>{ 21, 22, 23, 24 }));

        // insert always makes a new row, whatever ID the record held.
        QVERIFY(t.insert(db) > id);
        QCOMPARE(db->count("Teams"), 2);
    }

    void writesRefused()
    {
        ACTeamData t = sampleTeam();
        t.ID = 8;
        QCOMPARE(t.insert(db), -1);   // there is no table yet
        QCOMPARE(t.ID, -1);
        QVERIFY(db->lastError().contains(QStringLiteral("no such table")));

        QVERIFY(ACTeamData::createTable(db));
        for (int id : { 0, -4 }) {
            t.ID = id;
            t.sqlText = QStringLiteral("untouched");
            QVERIFY(!t.update(db));
            QCOMPARE(t.errorCode, int(RuvoDB::ErrBadIndex));
            QCOMPARE(t.sqlText, QStringLiteral("untouched"));
        }
        QCOMPARE(db->count("Teams"), 0);
    }

    void selectText_data()
    {
        QTest::addColumn<int>("disci");
        QTest::addColumn<QList<int>>("members");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("statement");
        QTest::newRow("discipline and member") << 4 << QList<int>{ 0, 0, 17 } << 0
                                               << "SELECT * FROM Teams WHERE  Diszi = 4 AND  s2 = 17;";
        QTest::newRow("nothing set") << 0 << QList<int>{ 0, -2 } << 0 << "SELECT * FROM Teams;";
        QTest::newRow("ID only") << 0 << QList<int>{} << 12 << "SELECT * FROM Teams WHERE  ID = 12;";
        QTest::newRow("all three") << 2 << QList<int>{ 5, 6 } << 3
                                   << "SELECT * FROM Teams WHERE  Diszi = 2 AND  s0 = 5 AND  s1 = 6 AND  ID = 3;";
        // Beyond the sixth position there is no column: empty places there are
        // fine, a named member makes a filter no statement can express.
        QTest::newRow("empty beyond s5") << 0 << QList<int>{ 0, 0, 0, 0, 0, 9, 0, -1 } << 0
                                         << "SELECT * FROM Teams WHERE  s5 = 9;";
        QTest::newRow("member beyond s5") << 0 << QList<int>{ 0, 0, 0, 0, 0, 9, 10 } << 0 << QString();
    }

    void selectText()
    {
        QFETCH(int, disci);
        QFETCH(QList<int>, members);
        QFETCH(int, id);
        QFETCH(QString, statement);
        ACTeamData filter;
        filter.disci = disci;
        filter.members = members;
        filter.ID = id;
        QCOMPARE(ACTeamData::selectText(&filter), statement);
        QCOMPARE(ACTeamData::selectText(nullptr), QStringLiteral("SELECT * FROM Teams;"));
    }

    void getTeamsFilters()
    {
        RuvoDBList<ACTeamData> list;
        list.append(sampleTeam());
        QVERIFY(!getTeams(db, list, 0));   // no table yet
        QVERIFY(list.isEmpty());

        QVERIFY(ACTeamData::createTable(db));
        ACTeamData a = sampleTeam();
        ACTeamData b;
        b.disci = 4;
        b.members = { 1, 2, 17, 4 };
        ACTeamData c;
        c.disci = 2;
        c.members = { 17, 18 };
        QVERIFY(a.insert(db) > 0);
        QVERIFY(b.insert(db) > 0);
        QVERIFY(c.insert(db) > 0);

        QVERIFY(getTeams(db, list, 4));
        QCOMPARE(list.size(), 2);
        QCOMPARE(list.at(0).ID, a.ID);
        QCOMPARE(list.at(1).ID, b.ID);

        ACTeamData filter;
        filter.disci = 4;
        filter.members = { 0, 0, 17, 0, 0, 0 };
        QVERIFY(getTeams(db, list, &filter));
        QCOMPARE(list.size(), 1);
        QCOMPARE(list.first().ID, b.ID);
        QCOMPARE(list.first().members, (QList<int>{ 1, 2, 17, 4 }));

        QVERIFY(getTeams(db, list, nullptr));
        QCOMPARE(list.size(), 3);
        // A member at the seventh position has no column: refused, not broadened.
        filter.members << 99;
        QVERIFY(!getTeams(db, list, &filter));
        QVERIFY(list.isEmpty());
        QVERIFY2(db->lastError().contains(QStringLiteral("Position 6")), qPrintable(db->lastError()));
    }

    void getByIdRefusesMissingOrEmptyIds()
    {
        QVERIFY(ACTeamData::createTable(db));
        ACTeamData stored = sampleTeam();
        QVERIFY(stored.insert(db) > 0);
        for (int id : { 0, -1, 999 }) {
            ACTeamData team = sampleTeam();
            team.ID = 55;
            team.errorCode = 9;
            QVERIFY(!ACTeamData::getById(db, team, id));
            QVERIFY(team.members.isEmpty() && team.Name.isEmpty() && team.Email.isEmpty());
            QVERIFY(team.ID == 0 && team.Best == 0);
            QCOMPARE(team.errorCode, 9);
        }
    }

    void deleteTeam()
    {
        QVERIFY(ACTeamData::createTable(db));
        ACTeamData a = sampleTeam();
        ACTeamData b = sampleTeam();
        QVERIFY(a.insert(db) > 0);
        QVERIFY(b.insert(db) > 0);
        QVERIFY(!ACTeamData::deleteTeam(db, 0));
        QCOMPARE(db->count("Teams"), 2);
        QVERIFY(ACTeamData::deleteTeam(db, a.ID));
        QCOMPARE(db->count("Teams"), 1);
        ACTeamData back;
        QVERIFY(!ACTeamData::getById(db, back, a.ID));
        QVERIFY(ACTeamData::getById(db, back, b.ID));
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
        // Inside a caller's transaction: the caller's new row goes too, and the
        // caller still decides.
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
        QVERIFY(ACTeamData::createTable(db));
        ACTeamData t = sampleTeam();
        QVERIFY(t.insert(db) > 0);
        QVERIFY(t.insert(db) > 0);
        QVERIFY(db->setMagic(1));
        if (!before.isEmpty())
            QVERIFY(db->exec(before));
        if (before.contains("writePassword"))
            QVERIFY(db->open(dir->filePath(QStringLiteral("teams.ldb")), false));

        QCOMPARE(ACTeamData::deleteAll(db), deleted);
        if (!after.isEmpty())
            QVERIFY(db->exec(after));
        QCOMPARE(db->count("Teams"), left);
        if (!db->isWriteLocked()) {   // no transaction is left open
            QVERIFY(db->exec(QStringLiteral("BEGIN TRANSACTION probe;")));
            QVERIFY(db->exec(QStringLiteral("COMMIT TRANSACTION probe;")));
        }
    }

    void nullDatabase()
    {
        ACTeamData t = sampleTeam();
        RuvoDBList<ACTeamData> list;
        list.append(t);
        QVERIFY(!ACTeamData::createTable(nullptr) && !ACTeamData::upgradeTable(nullptr));
        QCOMPARE(t.insert(nullptr), -1);
        t.ID = 3;
        QVERIFY(!t.update(nullptr));
        QCOMPARE(t.errorCode, int(RuvoDB::ErrNotOpen));
        QVERIFY(!ACTeamData::deleteTeam(nullptr, 3) && !ACTeamData::deleteAll(nullptr));
        QVERIFY(!getTeams(nullptr, list, 0));
        QVERIFY(list.isEmpty());
        QVERIFY(!ACTeamData::getById(nullptr, t, 3));
        QCOMPARE(t.ID, 0);
    }

    void oldTableUpgraded()
    {
        QVERIFY(db->exec(QString::fromLatin1(oldTeams)));
        QVERIFY(db->exec(QStringLiteral(
            "INSERT INTO Teams VALUES ( 5, 1, 2, 3, 4, 0, 0, '4', 'Alt', 'AB', 0, 'Hier', 1234 );")));

        DebugCapture capture;
        QVERIFY(ACTeamData::createTable(db));
        QVERIFY(capture.contains(QStringLiteral("ALTE MELDELISTE update TEAMS")));
        QCOMPARE(columnNames(), currentColumns);

        ACTeamData old;
        QVERIFY(ACTeamData::getById(db, old, 5));
        QCOMPARE(old.members, (QList<int>{ 1, 2, 3, 4 }));
        QCOMPARE(old.Name, QStringLiteral("Alt"));
        QCOMPARE(QVector<int>({old.disci, old.Best, old.gender, old.ageClass}), QVector<int>({4, 1234, 0, 0}));
        QVERIFY(old.reserves.isEmpty() && old.Email.isEmpty());

        ACTeamData fresh = sampleTeam();
        const int id = fresh.insert(db);
        ACTeamData back;
        QVERIFY(ACTeamData::getById(db, back, id));
        QCOMPARE(back.reserves, (QList<int>{ 15, 16 }));
        QCOMPARE(QVector<int>({back.gender, back.ageClass}), QVector<int>({2, 3}));
        QCOMPARE(back.Email, QStringLiteral("a@b,c"));
    }

    void tableWithoutEmailUpgraded()
    {
        QVERIFY(!ACTeamData::upgradeTable(db));
        QVERIFY(!db->hasTable(QStringLiteral("Teams")));
        QString layout = QString::fromLatin1(oldTeams);
        layout.replace(QStringLiteral("Best INTEGER )"),
                       QStringLiteral("Best INTEGER,m_w CHAR,ak CHAR,r1 INTEGER,r2 INTEGER )"));
        QVERIFY(db->exec(layout));
        QCOMPARE(columnNames().size(), 17);
        QVERIFY(ACTeamData::upgradeTable(db));
        QCOMPARE(columnNames(), currentColumns);
    }

private:
    QStringList columnNames()
    {
        RuvoDBResult result;
        db->columns("Teams", &result);
        return result.columns;
    }

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<RuvoDB> owned;
    RuvoDB* db = nullptr;
};

QTEST_GUILESS_MAIN(TestTeamsTable)
#include "tst_teamstable.moc"
