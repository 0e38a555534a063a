// The table "starter" on real database files: the storing statement, the
// readers' filters and orders, entries whose team row is gone, the upgrade of
// older files and the refusals.
#include "db/RuvoDB.h"
#include "records/ACCompetitorData.h"
#include "tests/support/DebugCapture.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

struct Sample { int club; const char* code; QList<int> members; int gender; int ak; int given; const char* name; };

// Stored in this order: IDs 1 to 5. Entry 3 has a team row, entry 5 points to a missing one.
const Sample samples[] = {
    { 7, "1101a", { 11 }, 1, 3, 500, "Anna" },
    { 7, "1102a", { 12 }, 2, 4, 300, "Berta \"B\"" },
    { -1, "4101a", { 21, 22, 23, 24 }, 2, 3, 900, "Vierer" },
    { 8, "4101a", { 22, 21, 24, 23 }, 2, 3, 100, "Vierer B" },
    { 8, "1101a", { 11 }, 1, 3, 0, "Solo" },
};

ACCompetitorData entry(const Sample& s)
{
    ACCompetitorData e;
    e.Verein = s.club;
    e.setFigure(0, QLatin1String(s.code));
    e.team.setMembers(s.members);
    e.setGender(s.gender);
    e.setAgeClass(s.ak);
    e.setGiven(s.given);
    e.setName(QString::fromUtf8(s.name));
    return e;
}

const char* const oldStarter = "CREATE TABLE starter ( ID INTEGER PRIMARY KEY,Verein INTEGER,WbName VARCHAR(32),"
    "s0 INTEGER,s1 INTEGER,s2 INTEGER,s3 INTEGER,s4 INTEGER,s5 INTEGER,Prufsumme INTEGER,PbDatum INTEGER,"
    "PbOrt VARCHAR(32),m_w CHAR,Diszi CHAR,AK CHAR,Bestleistung INTEGER,aufgestellt INTEGER,%1 );";

} // namespace

class TestStarterTable : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        dir.reset(new QTemporaryDir);
        db.reset(new RuvoDB);
        QVERIFY(db->open(dir->filePath(QStringLiteral("entries.ldb")), false));
    }

    void insertText()
    {
        ACCompetitorData e = entry(samples[2]);
        e.setName(QStringLiteral("Max %4 \"Mo\" \\ & ;"));
        e.team.BestOrt = QStringLiteral("O'Ort;");   // set directly: cleaned all the same
        e.team.BestDatum = QDate(2020, 5, 1);
        e.team.Best = 1234;
        e.team.ID = 3;
        e.setFigure(1, QStringLiteral("4102b"));
        QString expected = QStringLiteral(
            "INSERT OR REPLACE INTO starter VALUES ( NULL, -1, 'Max %4 ''Mo'' / + ,', 21, 22, 23, 24, 0, 0, "
            "-103901931, 1588334400, 'O''Ort,', 'w', '4', '3', 1234, 900, '4101a', '4102b'");
        expected += QString(QStringLiteral(", ''")).repeated(28) + QStringLiteral(",  3  ); UPDATE Teams SET "
            "BestDatum = 1588334400, BestOrt = 'O''Ort,', Best = 1234 WHERE ID = 3;");
        QCOMPARE(e.insertSql(), expected);
    }

    void filtersAndOrders_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("team");
        QTest::addColumn<int>("club");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QList<int>>("members");
        QTest::addColumn<int>("gender");
        QTest::addColumn<int>("ak");
        QTest::addColumn<int>("given");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("order");
        QTest::addColumn<QList<int>>("ids");
        using L = QList<int>;
        QTest::newRow("all, ID descending") << 0 << 0 << 0 << "" << L() << 0 << 0 << 0 << "" << 6 << L{ 5, 4, 3, 2, 1 };
        QTest::newRow("by given") << 0 << 0 << 0 << "" << L() << 0 << 0 << 0 << "" << 3 << L{ 5, 4, 2, 1, 3 };
        QTest::newRow("club and no club") << 0 << 0 << 7 << "" << L() << 0 << 0 << 0 << "" << 5 << L{ 1, 2, 3 };
        QTest::newRow("discipline") << 0 << 0 << 0 << "" << L{ 0 } << 0 << 0 << 0 << "" << 5 << L{ 3, 4 };
        QTest::newRow("one member") << 0 << 0 << 9 << "" << L{ 0, 11 } << 2 << 0 << 0 << "" << 5 << L{ 1, 5 };
        QTest::newRow("member set") << 0 << 0 << 0 << "" << L{ 24, 23, 22, 21 } << 0 << 0 << 0 << "" << 5 << L{ 3, 4 };
        QTest::newRow("gender") << 0 << 0 << 0 << "" << L() << 2 << 0 << 0 << "" << 5 << L{ 2, 3, 4 };
        QTest::newRow("age class") << 0 << 0 << 0 << "" << L() << 0 << 3 << 0 << "" << 5 << L{ 1, 3, 4, 5 };
        QTest::newRow("age class, given") << 0 << 0 << 0 << "" << L() << 0 << 3 << 1 << "" << 5 << L{ 1, 2, 3, 4, 5 };
        QTest::newRow("codes") << 0 << 0 << 0 << "1101a" << L() << 0 << 0 << 0 << "" << 6 << L{ 5, 1 };
        QTest::newRow("name") << 0 << 0 << 0 << "" << L() << 0 << 0 << 0 << "Berta \"B\"" << 0 << L{ 2 };
        QTest::newRow("ID over the rest") << 2 << 3 << 8 << "" << L() << 1 << 0 << 0 << "" << 0 << L{ 2 };
        QTest::newRow("team row") << 0 << 1 << 0 << "" << L() << 0 << 0 << 0 << "" << 0 << L{ 3 };
    }

    void filtersAndOrders()
    {
        QFETCH(QList<int>, ids);
        QVERIFY(ACCompetitorData::createTable(db.get()));
        ACTeamData row;
        row.disci = 4;
        row.setMembers({ 21, 22, 23, 24 });
        QCOMPARE(row.insert(db.get()), 1);
        for (const Sample& s : samples) {
            ACCompetitorData e = entry(s);
            e.team.ID = &s == &samples[2] ? 1 : &s == &samples[4] ? 99 : 0;
            QVERIFY(e.insert(db.get()) > 0);
        }
        ACCompetitorData filter;
        QFETCH(int, id);
        QFETCH(int, team);
        filter.ID = id;
        filter.team.ID = team;
        QFETCH(int, club);
        filter.Verein = club;
        QFETCH(QString, code);
        filter.setFigure(0, code);
        QFETCH(QList<int>, members);
        filter.team.members = members;
        if (members == QList<int>{ 0 })
            filter.setDisci(4, false);
        QFETCH(int, gender);
        filter.setGender(gender);
        QFETCH(int, ak);
        filter.setAgeClass(ak);
        QFETCH(int, given);
        filter.setGiven(given);
        QFETCH(QString, name);
        filter.setName(name);
        QFETCH(int, order);
        RuvoDBList<ACCompetitorData> list;
        QVERIFY(ACCompetitorData::getACCompetitors(db.get(), list, &filter, order));
        QList<int> found;
        for (const ACCompetitorData& e : list)
            found << e.ID;
        QCOMPARE(found, ids);
    }

    void teamRowJoined()
    {
        QVERIFY(ACCompetitorData::createTable(db.get()));
        ACTeamData team;
        team.disci = 4;
        team.Name = QStringLiteral("Die Vier");
        team.setMembers({ 21, 22, 23, 24 });
        team.reserves = { 25 };
        team.Email = QStringLiteral("a@b");
        QCOMPARE(team.insert(db.get()), 1);
        ACCompetitorData joined = entry(samples[2]);
        joined.team.ID = 1;
        joined.team.Best = 777;
        QCOMPARE(joined.insert(db.get()), 1);
        ACCompetitorData orphan = entry(samples[4]);
        orphan.team.ID = 99;
        orphan.team.Best = 4321;
        orphan.setBestOrt(QStringLiteral("Ulm"));
        orphan.team.BestDatum = QDate(2019, 3, 4);
        QCOMPARE(orphan.insert(db.get()), 2);

        RuvoDBList<ACCompetitorData> list;
        QVERIFY(ACCompetitorData::getACCompetitors(db.get(), list, nullptr, 5));
        QCOMPARE(list.size(), 2);
        const ACCompetitorData& a = list.at(0);
        QCOMPARE(a.team.Name + "|" + a.team.Email, QStringLiteral("Die Vier|a@b"));
        QCOMPARE(QVector<int>({ a.team.ID, a.team.Best, a.team.reserves.value(0) }), QVector<int>({ 1, 777, 25 }));
        const ACCompetitorData& b = list.at(1);   // its team row is gone: its own values stay
        QCOMPARE(b.team.Name + "|" + b.team.BestOrt, QStringLiteral("Solo|Ulm"));
        QCOMPARE(QVector<int>({ b.team.ID, b.team.Best }), QVector<int>({ 0, 4321 }));
        QCOMPARE(b.team.BestDatum, QDate(2019, 3, 4));
        QCOMPARE(ACCompetitorData::getIds(db.get()), (QList<int>{ 1, 2 }));
    }

    void allOrNothing()
    {
        QVERIFY(ACCompetitorData::createTable(db.get()));
        ACCompetitorData e = entry(samples[0]);
        QCOMPARE(e.insert(db.get()), 1);
        e.setGiven(600);
        QVERIFY(e.update(db.get()));
        QVERIFY(db->exec(QStringLiteral("DROP TABLE Teams;")));
        e.team.ID = 4;   // the UPDATE of the team row fails: the entry is not stored either
        QCOMPARE(e.insert(db.get()), -1);
        QVERIFY(!e.update(db.get()));
        QCOMPARE(db->count("starter"), 1);
        RuvoDBList<ACCompetitorData> list;
        QVERIFY(!ACCompetitorData::getACCompetitors(db.get(), list, nullptr, 0));   // no table to join
        e.ID = 0;
        QVERIFY(!e.update(db.get()));
        QCOMPARE(e.errorCode, int(RuvoDB::ErrBadIndex));

        QVERIFY(!ACCompetitorData::createTable(nullptr) && !ACCompetitorData::upgradeTable(nullptr));
        QCOMPARE(e.insert(nullptr), -1);
        QVERIFY(ACCompetitorData::getIds(nullptr).isEmpty());
        QVERIFY(!ACCompetitorData::getACCompetitors(nullptr, list, nullptr, 0));
    }

    void upgrade_data()
    {
        QTest::addColumn<QString>("lastColumns");
        QTest::addColumn<bool>("old");
        QTest::newRow("new file") << QString() << false;
        QTest::newRow("without u28, u29, teamID") << "u27 CHAR(8)" << true;
        QTest::newRow("without teamID") << "u27 CHAR(8),u28 CHAR(8),u29 CHAR(8)" << false;
    }

    void upgrade()
    {
        QFETCH(QString, lastColumns);
        QFETCH(bool, old);
        if (!lastColumns.isEmpty()) {
            QStringList codes;
            for (int i = 0; i < 27; ++i)
                codes << QStringLiteral("u%1 CHAR(8)").arg(i);
            QVERIFY(db->exec(QString::fromLatin1(oldStarter).arg(codes.join(',') + ',' + lastColumns)));
            QVERIFY(db->exec(QStringLiteral("INSERT INTO starter (ID, WbName, Diszi, u0) VALUES (4, 'Alt', '1', '1101a');")));
        }
        DebugCapture capture;
        QVERIFY(ACCompetitorData::createTable(db.get()));
        QCOMPARE(capture.lines().contains(QStringLiteral("ALTE MELDELISTE")), old);
        RuvoDBResult columns;
        db->columns("starter", &columns);
        QCOMPARE(columns.columns.size(), 48);
        QCOMPARE(columns.columns.mid(45), QStringList({ "u28", "u29", "teamID" }));
        QVERIFY(db->hasTable(QStringLiteral("Teams")));
        ACCompetitorData e = entry(samples[1]);
        QVERIFY(e.insert(db.get()) > 0);
        RuvoDBList<ACCompetitorData> list;
        QVERIFY(ACCompetitorData::getACCompetitors(db.get(), list, nullptr, 5));
        QCOMPARE(list.last().WbName, QStringLiteral("Berta 'B'"));
        QCOMPARE(list.first().figure(0).text(), lastColumns.isEmpty() ? QStringLiteral("1102a") : QStringLiteral("1101a"));
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<RuvoDB> db;
};

QTEST_GUILESS_MAIN(TestStarterTable)
#include "tst_startertable.moc"
