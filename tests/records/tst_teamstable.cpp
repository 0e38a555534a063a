// The table "Teams" on real database files: its exact layout and statements,
// rows read back, filters, the upgrade of older files, deletes and refusals.
#include "db/RuvoDB.h"
#include "records/ACTeamData.h"
#include "tests/support/DebugCapture.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

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

} // namespace

class TestTeamsTable : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        dir.reset(new QTemporaryDir);
        db.reset(new RuvoDB);
        QVERIFY(db->open(dir->filePath(QStringLiteral("teams.ldb")), false));
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

    void selectText_data()
    {
        QTest::addColumn<int>("disci");
        QTest::addColumn<QList<int>>("members");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("statement");
        QTest::newRow("nothing set") << 0 << QList<int>{ 0, -2 } << 0 << "SELECT * FROM Teams;";
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

    void refusals()
    {
        ACTeamData t = sampleTeam();
        t.ID = 8;
        QCOMPARE(t.insert(db.get()), -1);   // there is no table yet
        QCOMPARE(t.ID, -1);
        QVERIFY(db->lastError().contains(QStringLiteral("no such table")));
        QVERIFY(ACTeamData::createTable(db.get()));
        for (int id : { 0, -4 }) {
            t.ID = id;
            t.sqlText = QStringLiteral("untouched");
            QVERIFY(!t.update(db.get()));
            QCOMPARE(t.errorCode, int(RuvoDB::ErrBadIndex));
            QCOMPARE(t.sqlText, QStringLiteral("untouched"));
        }
        QCOMPARE(db->count("Teams"), 0);

        RuvoDBList<ACTeamData> list;
        list.append(t);
        QVERIFY(!ACTeamData::createTable(nullptr) && !ACTeamData::upgradeTable(nullptr));
        QCOMPARE(t.insert(nullptr), -1);
        t.ID = 3;
        QVERIFY(!t.update(nullptr));
        QCOMPARE(t.errorCode, int(RuvoDB::ErrNotOpen));
        QVERIFY(!ACTeamData::deleteTeam(nullptr, 3) && !ACTeamData::deleteAll(nullptr));
        QVERIFY(!getTeams(nullptr, list, 0) && list.isEmpty());
        QVERIFY(!ACTeamData::getById(nullptr, t, 3));
        QCOMPARE(t.ID, 0);
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
            QVERIFY(db->open(dir->filePath(QStringLiteral("teams.ldb")), false));
        QCOMPARE(ACTeamData::deleteAll(db.get()), deleted);
        QVERIFY(after.isEmpty() || db->exec(after));
        QCOMPARE(db->count("Teams"), left);
        if (!db->isWriteLocked())   // no transaction is left open
            QVERIFY(db->exec(QStringLiteral("BEGIN TRANSACTION probe; COMMIT TRANSACTION probe;")));
    }

    void upgrade_data()
    {
        QTest::addColumn<QString>("added");   // the columns the old layout had after Best
        QTest::addColumn<QString>("row");
        QTest::newRow("before gender, reserves, e-mail") << ""
            << "INSERT INTO Teams VALUES ( 5, 1, 2, 3, 4, 0, 0, '4', 'Alt', 'AB', 0, 'Hier', 1234 );";
        QTest::newRow("before e-mail") << ",m_w CHAR,ak CHAR,r1 INTEGER,r2 INTEGER"
            << "INSERT INTO Teams VALUES ( 5, 1, 2, 3, 4, 0, 0, '4', 'Alt', 'AB', 0, 'Hier', 1234, '?', '0', 0, 0 );";
    }

    void upgrade()
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

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<RuvoDB> db;
};

QTEST_GUILESS_MAIN(TestTeamsTable)
#include "tst_teamstable.moc"
