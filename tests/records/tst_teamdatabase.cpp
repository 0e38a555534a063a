// Team records: the validity bits, sizes by discipline, member and reserve
// moves, and the comparisons used when entries are merged.
#include "records/ACTeamData.h"

#include <QtTest>

#include <functional>

namespace {

ACTeamData team(int disci, const QList<int>& members, const QList<int>& reserves = {})
{
    ACTeamData t;
    t.disci = disci;
    t.members = members;
    t.reserves = reserves;
    t.Name = QStringLiteral("Vierer");
    t.ageClass = 3;
    return t;
}

} // namespace

class TestTeamDataBase : public QObject
{
    Q_OBJECT

private slots:
    void isValidBits_data()
    {
        QTest::addColumn<int>("disci");
        QTest::addColumn<QList<int>>("members");
        QTest::addColumn<QList<int>>("reserves");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("ageClass");
        QTest::addColumn<int>("flags");
        const QString n = QStringLiteral("Vierer");
        QTest::newRow("valid four") << 4 << QList<int>{ 11, 12, 13, 14 } << QList<int>{ 15 } << n << 3 << 0;
        QTest::newRow("trailing empty positions") << 4 << QList<int>{ 11, 12, 13, 14, 0, 0 } << QList<int>{ 15 } << n << 3 << 0;
        QTest::newRow("gap before a member") << 4 << QList<int>{ 11, 12, 0, 14 } << QList<int>{} << n << 3 << 1;
        QTest::newRow("negative before a member") << 4 << QList<int>{ 11, -1, 13, 14, 15 } << QList<int>{} << n << 3 << 1;
        QTest::newRow("member twice") << 4 << QList<int>{ 11, 12, 11, 14 } << QList<int>{} << n << 3 << 1;
        QTest::newRow("no members") << 4 << QList<int>{} << QList<int>{} << n << 3 << 1;
        QTest::newRow("three of four") << 4 << QList<int>{ 11, 12, 13 } << QList<int>{} << n << 3 << 1;
        QTest::newRow("five of four") << 4 << QList<int>{ 11, 12, 13, 14, 15 } << QList<int>{} << n << 3 << 1;
        QTest::newRow("reserve twice") << 6 << QList<int>{ 1, 2, 3, 4, 5, 6 } << QList<int>{ 15, 15 } << n << 3 << 16;
        QTest::newRow("reserve is a member") << 4 << QList<int>{ 11, 12, 13, 14 } << QList<int>{ 12 } << n << 3 << 16;
        QTest::newRow("too many reserves") << 4 << QList<int>{ 11, 12, 13, 14 } << QList<int>{ 15, 16 } << n << 3 << 16;
        QTest::newRow("empty reserve slots") << 4 << QList<int>{ 11, 12, 13, 14 } << QList<int>{ 0, 15, 0 } << n << 3 << 0;
        QTest::newRow("no name") << 2 << QList<int>{ 1, 2 } << QList<int>{} << QString() << 3 << 2;
        QTest::newRow("no age class") << 2 << QList<int>{ 1, 2 } << QList<int>{} << n << 0 << 4;
        QTest::newRow("no discipline, one member") << 0 << QList<int>{ 1 } << QList<int>{} << n << 3 << 8;
        QTest::newRow("nothing at all") << 0 << QList<int>{} << QList<int>{} << QString() << 0 << 15;
        QTest::newRow("reserve in a pair") << 2 << QList<int>{ 1, 2 } << QList<int>{ 3 } << n << 1 << 16;
        QTest::newRow("six with two reserves") << 7 << QList<int>{ 1, 2, 3, 4, 5, 6 } << QList<int>{ 7, 8 } << n << 1 << 0;
        QTest::newRow("every bit") << 0 << QList<int>{ 1, 1 } << QList<int>{ 1 } << QString() << 0 << 31;
    }

    void isValidBits()
    {
        QFETCH(int, disci);
        QFETCH(QList<int>, members);
        QFETCH(QList<int>, reserves);
        QFETCH(QString, name);
        QFETCH(int, ageClass);
        QFETCH(int, flags);
        ACTeamData t = team(disci, members, reserves);
        t.Name = name;
        t.ageClass = ageClass;
        t.errorFlags = 64;  // a stale bit from an earlier check must not survive
        QCOMPARE(t.isValid(), flags == 0);
        QCOMPARE(t.errorFlags, flags);
    }

    void memberAndReserveMoves()
    {
        ACTeamData t;
        t.setName(QStringLiteral("  RV  Frisch\tAuf \n"));
        QCOMPARE(t.Name, QStringLiteral("RV Frisch Auf"));
        t.setMembers({ 11, 12, 12, 0, 13 });
        QCOMPARE(t.members, (QList<int>{ 11, 12, 13 }));
        t.setReserve(15);
        t.setMember(15);
        QCOMPARE(t.members, (QList<int>{ 11, 12, 13, 15 }));
        QVERIFY(t.reserves.isEmpty());
        t.setMember(0);
        QCOMPARE(t.members.size(), 4);

        t.setReserve(12);
        QCOMPARE(t.members, (QList<int>{ 11, 13, 15 }));
        QCOMPARE(t.reserves, (QList<int>{ 12 }));
        t.setReserve(12);
        QCOMPARE(t.reserves, (QList<int>{ 12 }));

        t.addReserve(11);
        t.addReserve(12);
        t.addReserve(0);
        QCOMPARE(t.reserves, (QList<int>{ 12 }));
        t.addReserve(16);
        QCOMPARE(t.reserves, (QList<int>{ 12, 16 }));
        QVERIFY(t.hasAthlete(16));
        QVERIFY(t.hasAthlete(13));
        QVERIFY(!t.hasAthlete(14));
    }

    void equality()
    {
        const ACTeamData a = team(2, { 11, 12, 0 }, { 5, 0 });
        QVERIFY(a == team(2, { 11, 12 }, { 5 }) && !(a != team(2, { 11, 12 }, { 5 })));   // trailing empty slots do not count
        for (const ACTeamData& other : { team(2, { 11, 0, 12 }, { 5 }), team(2, { 12, 11 }, { 5 }), team(2, { 11, 12 }, {}) })
            QVERIFY(a != other);
        ACTeamData b = a;
        b.sqlText = QStringLiteral("anything");
        QVERIFY(a == b);
        const QList<std::function<void(ACTeamData&)>> changes = {
            [](ACTeamData& t) { t.ID = 3; }, [](ACTeamData& t) { t.gender = 2; }, [](ACTeamData& t) { t.ageClass = 4; },
            [](ACTeamData& t) { t.UCIName = "GER"; }, [](ACTeamData& t) { t.Name = "vierer"; }, [](ACTeamData& t) { t.Best = 1; },
            [](ACTeamData& t) { t.BestDatum = QDate(2020, 5, 1); }, [](ACTeamData& t) { t.BestOrt = "Ort"; },
            [](ACTeamData& t) { t.Email = "a@b"; } };
        for (const auto& change : changes) {
            b = a;
            change(b);
            QVERIFY(a != b);
        }
    }

    void isSimilar_data()
    {
        QTest::addColumn<int>("disciA");
        QTest::addColumn<QList<int>>("membersA");
        QTest::addColumn<QList<int>>("reservesA");
        QTest::addColumn<int>("disciB");
        QTest::addColumn<QList<int>>("membersB");
        QTest::addColumn<QList<int>>("reservesB");
        QTest::addColumn<bool>("similar");
        const QList<int> none;
        QTest::newRow("three of four shared") << 4 << QList<int>{ 1, 2, 3, 4 } << none << 4 << QList<int>{ 1, 2, 3, 9 } << none << true;
        QTest::newRow("two of four shared") << 4 << QList<int>{ 1, 2, 8, 9 } << none << 4 << QList<int>{ 1, 2, 3, 4 } << none << false;
        QTest::newRow("other discipline") << 4 << QList<int>{ 1, 2, 3, 4 } << none << 5 << QList<int>{ 1, 2, 3, 4 } << none << false;
        QTest::newRow("three of five shared") << 4 << QList<int>{ 1, 2, 3, 4 } << QList<int>{ 5 } << 4 << QList<int>{ 5, 2, 8, 9 } << QList<int>{ 1 } << false;
        QTest::newRow("four of five shared") << 4 << QList<int>{ 1, 2, 3, 4 } << QList<int>{ 5 } << 4 << QList<int>{ 5, 2, 3, 9 } << QList<int>{ 1 } << true;
        QTest::newRow("all shared with reserves") << 4 << QList<int>{ 1, 2, 3, 4 } << QList<int>{ 5 } << 4 << QList<int>{ 5, 2, 3, 4 } << QList<int>{ 1 } << true;
        // Empty positions are no shared athletes.
        QTest::newRow("empty slots both sides") << 4 << QList<int>{ 1, 0, 0, 0 } << none << 4 << QList<int>{ 2, 0, 0, 0 } << none << false;
        QTest::newRow("one shared, empty slots") << 4 << QList<int>{ 1, 0, 0, 0 } << none << 4 << QList<int>{ 1, 0, 0, 0 } << none << false;
        // Reserves on one side only: all but one athlete must be shared, not half.
        QTest::newRow("reserve on one side") << 4 << QList<int>{ 1, 2, 3, 4 } << QList<int>{ 5 } << 4 << QList<int>{ 1, 2, 3, 9 } << none << false;
        QTest::newRow("reserve on the other side") << 4 << QList<int>{ 1, 2, 3, 9 } << none << 4 << QList<int>{ 1, 2, 3, 4 } << QList<int>{ 8 } << false;
        // Reserves on one side only: all but one athlete must be shared, not half.
        QTest::newRow("reserve on one side") << 4 << QList<int>{ 1, 2, 3, 4 } << QList<int>{ 5 } << 4 << QList<int>{ 1, 2, 3, 9 } << none << false;
        QTest::newRow("reserve on the other side") << 4 << QList<int>{ 1, 2, 3, 9 } << none << 4 << QList<int>{ 1, 2, 3, 4 } << QList<int>{ 8 } << false;
        QTest::newRow("empty reserve slots") << 4 << QList<int>{ 1, 2, 3, 9 } << QList<int>{ 0 } << 4 << QList<int>{ 1, 2, 3, 4 } << QList<int>{ 0 } << false;
    }

    void isSimilar()
    {
        QFETCH(int, disciA);
        QFETCH(QList<int>, membersA);
        QFETCH(QList<int>, reservesA);
        QFETCH(int, disciB);
        QFETCH(QList<int>, membersB);
        QFETCH(QList<int>, reservesB);
        QFETCH(bool, similar);
        QCOMPARE(team(disciA, membersA, reservesA).isSimilar(team(disciB, membersB, reservesB)), similar);
    }

    void isSameAndSameMembers()
    {
        const ACTeamData a = team(4, { 1, 2, 3, 4 }, { 5 });
        QVERIFY(a.isSame(team(4, { 5, 4, 3, 2 }, { 1 })));
        QVERIFY(!a.isSame(team(5, { 5, 4, 3, 2 }, { 1 })));
        QVERIFY(!a.isSame(team(4, { 5, 4, 3, 2 }, { 9 })));
        QVERIFY(!a.isSame(team(4, { 1, 2, 3, 4, 5 }, {})));

        QVERIFY(a.hasSameMembers(team(4, { 4, 3, 2, 1 })));
        QVERIFY(!a.hasSameMembers(team(4, { 4, 3, 2, 5 })));
        QVERIFY(!a.hasSameMembers(team(4, { 1, 2, 3 })));
        QVERIFY(team(4, {}).hasSameMembers(team(1, {})));
    }

    // Built from the base only the shared fields come over; clear keeps the error code and statement.
    void fromBaseAndClear()
    {
        ACTeamData source = team(6, { 1, 2, 3, 4, 5, 6 }, { 7 });
        source.UCIName = QStringLiteral("GER");
        source.gender = 2;
        source.errorCode = 9;
        source.errorFlags = 16;
        source.ID = 42;
        source.Best = 12345;
        source.BestDatum = QDate(2020, 1, 1);
        source.Email = QStringLiteral("x@y");
        source.sqlText = QStringLiteral("statement");
        const TeamDataBase& base = source;
        const ACTeamData copy(base);
        QVERIFY(copy.members == source.members && copy.reserves == source.reserves);
        QCOMPARE(copy.UCIName + copy.Name, QStringLiteral("GERVierer"));
        QCOMPARE(QVector<int>({copy.disci, copy.gender, copy.ageClass, copy.errorCode, copy.errorFlags, copy.ID}),
                 QVector<int>({6, 2, 3, 9, 16, 42}));
        QVERIFY(copy.Best == 0 && copy.Email.isEmpty() && copy.sqlText.isEmpty() && copy.BestDatum.isNull());

        TeamDataBase& cleared = source;
        cleared.clear();   // the record's own clear, through the base
        QVERIFY(source.members.isEmpty() && source.reserves.isEmpty() && source.Name.isEmpty());
        QVERIFY(source.disci == 0 && source.Best == 0 && source.BestDatum.isNull());
        QCOMPARE(source.errorCode, 9);
        QCOMPARE(source.sqlText, QStringLiteral("statement"));
    }

};

QTEST_GUILESS_MAIN(TestTeamDataBase)
#include "tst_teamdatabase.moc"
