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
        QCOMPARE(QVector<int>({ a.team.ID, a.team.Best, a.team.reserves.value(0) }), QVector<int>({ 1, 777, 25 }));
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

    void upgrade_data()
    {
        QTest::addColumn<int>("codes");   // columns u0 ... of the old table; 0: a new file
        QTest::addColumn<bool>("old");
        QTest::newRow("new file") << 0 << false;
        QTest::newRow("without u28, u29, teamID") << 28 << true;
        QTest::newRow("without teamID") << 30 << false;
    }

    void upgrade()
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

QTEST_GUILESS_MAIN(TestStarterTable)
#include "tst_startertable.moc"
