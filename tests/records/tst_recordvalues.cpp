// The records without a database: exercise codes and their checksums, team
// validity and comparisons, the start entry's 416-byte record and its merge,
// club logos, and the import framework.
#include "records/ACCompetitorData.h"
#include "records/ACTeamData.h"
#include "records/ClubLogo.h"
#include "records/FigureList.h"
#include "records/MeldeImporter.h"
#include "records/Starter_t.h"
#include "records/Wertung_t.h"
#include "rules/RecordPtrList.h"
#include "tests/support/Bytes.h"
#include "tests/support/DebugCapture.h"

#include <QBuffer>
#include <QImage>
#include <QPixmap>
#include <QRandomGenerator>
#include <QtTest>

#include <climits>
#include <cmath>
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

const QString longName = QString(62, QLatin1Char('A')) + QStringLiteral("ë");   // 64 bytes of UTF-8

ACCompetitorData sampleEntry()
{
    ACCompetitorData e;
    e.ID = 5;
    e.Verein = -7;
    e.setName(longName);
    e.team.setMembers({ 11, 12, 13, 14 });
    e.setFigure(0, QStringLiteral("4101a"));
    e.setFigure(2, QStringLiteral("4102b"));
    e.team.BestDatum = QDate(2020, 5, 1);
    e.setBestOrt(QStringLiteral("Köln"));
    e.team.gender = 2;
    e.team.ageClass = 3;
    e.team.Best = 45678;
    e.given = 70000;
    e.netInfo = -2;
    e.team.ID = 3;
    return e;
}

QPixmap picture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    return QPixmap::fromImage(image);
}

QSize storedSize(const ClubLogo& logo)
{
    QImage image;
    return image.loadFromData(logo.data, "PNG") ? image.size() : QSize();
}

// Hands out the records it was given, as a file reader would.
class ListImport : public MeldeImporter
{
public:
    ListImport() : MeldeImporter(QStringLiteral("list")) {}

    bool readClubs() override
    {
        for (Club c : inClubs)
            addClub(c);
        return !clubs.isEmpty();
    }

    bool readAthletes() override
    {
        for (Athlete a : inAthletes) {
            a.Verein = clubs.first().ID;
            addAthlete(a);
            ids << a.ID;
        }
        return !athletes.isEmpty();
    }

    QList<Club> inClubs;
    QList<Athlete> inAthletes;
    QList<int> ids;
};

Athlete athlete(const QString& name, const QString& uci, const QString& nation, int roles)
{
    Athlete a;
    a.setName(name);
    a.uciId = uci;
    a.Nation = nation;
    a.roles = roles;
    return a;
}

Club club(const QString& name, const QString& contact = QString())
{
    Club c;
    c.setName(name);
    c.Kontakt = athlete(contact, "", "GER", 0);
    return c;
}

} // namespace

class TestRecordValues : public QObject
{
    Q_OBJECT
private slots:
    void validCodes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");   // 0: not a code
        const int accepted[] = { 1101, 7999, 4123, 2101, 5000, 6999, 2202, 1000 };
        const char* const letters[] = { "a", "z", "ba", "b", "aa", "y", "aa", "a" };
        const QStringList rejected = {
            "", "1101A", "3101a", "0101a", "8101a", "9101a", "1101", "1101ab", "11010a",
            " 1101a", "1101a ", "1101aaa", "1101aA", "110a", "1101\xc3\xa4", "1101a{,1}",
            "a1101", "1101-a", "\xd9\xa1\xd9\xa1\xd9\xa0\xd9\xa1" "a",
        };
        for (int i = 0; i < 8; ++i) {
            const QString t = QString::number(accepted[i]) + letters[i];
            QTest::newRow(qPrintable("accept " + t)) << t << accepted[i];
        }
        for (const QString& t : rejected)
            QTest::newRow(qPrintable("reject '" + t + "'")) << t << 0;
    }

    void validCodes()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        const bool valid = number != 0;
        QCOMPARE(Figure::isValidCode(text), valid);
        const Figure code(text);
        QCOMPARE(code.isValid(), valid);
        QCOMPARE(code.text(), valid ? text : QString());
        QCOMPARE(code.number(), number);
        QCOMPARE(code.disci(), number / 1000);
    }

    void assignmentKeepsOnlyCodes()
    {
        Figure code(QStringLiteral("1101a"));
        code = QStringLiteral("1101A");
        QVERIFY(!code.isValid() && code == QString());
        code = QStringLiteral("4123b");
        QVERIFY(code == QStringLiteral("4123b") && !(code == QStringLiteral("4123B")) && code == Figure(QStringLiteral("4123b")));
    }

    void outsideTheList()
    {
        FigureList list;
        QVERIFY(list.setFigure(29, QStringLiteral("1101a")));
        QVERIFY(!list.set(30, Figure(QStringLiteral("1102a"))) && !list.set(-1, Figure(QStringLiteral("1102a"))));
        DebugCapture capture;
        QVERIFY(!list.at(30).isValid() && !list.at(-1).isValid());
        QVERIFY(capture.contains(QStringLiteral("return Null figure")));
        for (int i = 0; i < 29; ++i)
            QVERIFY(!list.at(i).isValid());
        QCOMPARE(QString::number(list.disci) + list.at(29).text(), QStringLiteral("11101a"));
    }

    // Each step: position, text, the result of setFigure, the discipline after.
    void setKeepsOneDiscipline()
    {
        FigureList list;
        QVERIFY(list.isEmpty());
        const struct { int at; const char* text; bool ok; int disci; } steps[] = {
            { 3, "", true, 0 }, { 4, "1101A", true, 0 },   // no change of discipline on an empty list
            { 3, "1101a", true, 1 },
            { 3, "2101a", false, 0 },   // another discipline on the only code's position empties the list
            { 0, "1101a", true, 1 }, { 3, "1101A", false, 1 }, { 0, "", false, 0 },
            { 5, "2101a", true, 2 }, { 1, "2102b", true, 2 }, { 5, "", false, 2 }, { 1, "nonsense", false, 0 },
            { 7, "6101a", true, 6 }, { 2, "6102a", true, 6 },
        };
        for (const auto& step : steps) {
            QCOMPARE(list.setFigure(step.at, QString::fromLatin1(step.text)), step.ok);
            QCOMPARE(list.disci, step.disci);
        }
        QVERIFY(list.isEmpty() == false && list.fits(Figure(QStringLiteral("6999z"))) && !list.fits(Figure(QStringLiteral("2101a"))));
        list.clear();
        QVERIFY(list.disci == 0 && !list.at(2).isValid() && !list.at(7).isValid());
    }

    void checksum_data()
    {
        QTest::addColumn<QStringList>("codes");  // position i holds codes[i]; "" leaves it empty
        QTest::addColumn<quint32>("crc");
        QTest::newRow("empty list") << QStringList() << quint32(0);
        QTest::newRow("1101a first") << QStringList{ "1101a" } << quint32(0x4D4A03F6);
        QTest::newRow("1101a last") << (QStringList() << QVector<QString>(29).toList() << "1101a") << quint32(0x4D4A03F6);
        QTest::newRow("1101aa") << QStringList{ "", "", "1101aa" } << quint32(0x58E82976);
        QTest::newRow("2101b before 2202aa") << QStringList{ "2101b", "", "2202aa" } << quint32(0x788AA7C8);
        QTest::newRow("2202aa before 2101b") << QStringList{ "2202aa", "2101b" } << quint32(0x08D25C9C);
        QTest::newRow("7999z") << QStringList{ "7999z" } << quint32(0x5C6B672F);
        QTest::newRow("4123ba, 4001a") << QStringList{ "4123ba", "4001a" } << quint32(0x1E1376C8);
    }

    void checksum()
    {
        QFETCH(QStringList, codes);
        QFETCH(quint32, crc);
        FigureList list;
        for (int i = 0; i < codes.size(); ++i)
            if (!codes.at(i).isEmpty())
                QVERIFY(list.setFigure(i, codes.at(i)));
        QCOMPARE(list.checksum(), crc);
    }

    void equalityAndSameCodes()
    {
        FigureList a, b, c;
        QVERIFY(a.setFigure(0, "2101b") && a.setFigure(1, "2202aa") && b.setFigure(4, "2101b") && b.setFigure(9, "2202aa"));
        QVERIFY(c.setFigure(0, "2202aa") && c.setFigure(1, "2101b"));
        QVERIFY(a == b && !a.sameCodes(b) && !(a == c) && !a.sameCodes(c));
        const FigureList copy = a;
        QVERIFY(copy == a && copy.sameCodes(a));
    }

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
        t.setMembers({ 11, 12, 12, 0, 13 });
        t.setReserve(15);
        t.setMember(15);   // a reserve becomes a member
        t.setMember(0);
        QCOMPARE(t.Name, QStringLiteral("RV Frisch Auf"));
        QVERIFY(t.members == (QList<int>{ 11, 12, 13, 15 }) && t.reserves.isEmpty());
        t.setReserve(12);   // a member becomes a reserve, once
        t.setReserve(12);
        QVERIFY(t.members == (QList<int>{ 11, 13, 15 }) && t.reserves == QList<int>{ 12 });
        for (int id : { 11, 12, 0, 16 })   // no member, no reserve twice, no empty reserve
            t.addReserve(id);
        QCOMPARE(t.reserves, (QList<int>{ 12, 16 }));
        QVERIFY(t.hasAthlete(16) && t.hasAthlete(13) && !t.hasAthlete(14));
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
        const ACTeamData copy(static_cast<const TeamDataBase&>(source));   // only the shared fields come over
        QVERIFY(copy.members == source.members && copy.reserves == source.reserves);
        QCOMPARE(copy.UCIName + copy.Name, QStringLiteral("GERVierer"));
        QCOMPARE(QVector<int>({copy.disci, copy.gender, copy.ageClass, copy.errorCode, copy.errorFlags, copy.ID}),
                 QVector<int>({6, 2, 3, 9, 16, 42}));
        QVERIFY(copy.Best == 0 && copy.Email.isEmpty() && copy.sqlText.isEmpty() && copy.BestDatum.isNull());
        static_cast<TeamDataBase&>(source).clear();   // the record's own clear keeps error code and statement
        QVERIFY(source.members.isEmpty() && source.reserves.isEmpty() && source.Name.isEmpty());
        QVERIFY(source.disci == 0 && source.Best == 0 && source.BestDatum.isNull());
        QVERIFY(source.errorCode == 9 && source.sqlText == "statement");
    }

    void recordBytesAndBack()
    {
        // Offset and bytes of every field that is not zero; the name stops
        // before the two-byte character that would not fit.
        const struct { int at; QByteArray hex; } fields[] = {
            { 0, "05000000" }, { 4, "f9ffffff" }, { 8, QByteArray(62, 'A').toHex() },
            { 72, "0b0000000c0000000d0000000e000000" }, { 96, "1595cef9" }, { 100, "400fac5e" },
            { 104, "4bc3b66c6e" }, { 136, "0200000004000000030000006eb27011" },
            { 152, QByteArray("4101a").toHex() }, { 168, QByteArray("4102b").toHex() },
            { 408, "feffffff03000000" },
        };
        QByteArray expected(Starter_t::Size, '\0');
        for (const auto& f : fields)
            expected.replace(f.at, f.hex.size() / 2, QByteArray::fromHex(f.hex));
        const ACCompetitorData e = sampleEntry();
        Starter_t s;
        s.errorMask = 9;   // a record from an entry carries no check results
        QByteArray written(Starter_t::Size, '\x55');
        e.toStarter(s).write(bytes(written));
        QCOMPARE(written.toHex(), expected.toHex());

        const ACCompetitorData r(Starter_t::read(bytes(written)));
        QVERIFY(r.equalsStarter(s));
        QCOMPARE(r.WbName, QString(62, QLatin1Char('A')));
        QCOMPARE(r.team.members, e.team.members);
        QCOMPARE(QVector<int>({ r.ID, r.Verein, r.team.ID, r.gender(), r.disci(), r.ageClass(), r.team.Best,
                                r.given, r.netInfo }),
                 QVector<int>({ 5, -7, 3, 2, 4, 3, 45678, 70000 & 0xFFFF, -2 }));
        QVERIFY(r.team.BestDatum == e.team.BestDatum && r.team.BestOrt == e.team.BestOrt);
        QVERIFY(r.figures.sameCodes(e.figures));
    }

    void hostileRecord()
    {
        QByteArray raw(Starter_t::Size, '\0');
        raw.replace(8, 64, QByteArray(64, 'x'));              // no NUL in the name
        raw.replace(104, 6, "a\"b;\xe9z");                    // place: not UTF-8, not clean
        raw.replace(152, 13, "1101aaaa1102a");                // eight bytes without NUL, then a code
        const ACCompetitorData r(Starter_t::read(bytes(raw)));
        QCOMPARE(r.WbName, QString(64, QLatin1Char('x')));
        QCOMPARE(r.team.BestOrt, QStringLiteral("a'b,\u00e9z"));
        QCOMPARE(r.figure(0).text() + "|" + r.figure(1).text(), QStringLiteral("|1102a"));
    }

    void givenPoints_data()
    {
        QTest::addColumn<double>("points");
        QTest::addColumn<int>("given");
        QTest::newRow("half down to even") << 8.125 << 812;
        QTest::newRow("half up to even") << 8.375 << 838;
        QTest::newRow("negative") << -3.5 << -350;
        QTest::newRow("NaN") << double(NAN) << 0;
        QTest::newRow("too large") << 1e300 << INT_MAX;
        QTest::newRow("too small") << -double(INFINITY) << INT_MIN;
    }

    void givenPoints()
    {
        QFETCH(double, points);
        QFETCH(int, given);
        ACCompetitorData e;
        e.setGiven(points);
        QCOMPARE(e.given, given);
    }

    void mergeReport()
    {
        ACCompetitorData mine = sampleEntry();
        ACCompetitorData other = mine;
        other.setName(QStringLiteral("Anna <B>"));
        other.team.Best = 1250;
        other.setBestOrt(QStringLiteral("Bonn"));
        other.team.BestDatum = QDate(2021, 6, 2);
        other.setGender(1);
        other.setAgeClass(4);
        other.setGiven(900);
        other.setFigure(0, QStringLiteral("4101b"));
        other.setFigure(3, QStringLiteral("4103a"));
        ACCompetitorData forced = mine;

        QString report;
        QVERIFY(mine.merge(other, false, &report));   // code 4 was empty: taken over
        QCOMPARE(report.split(QLatin1Char('\n')), QStringList({
            "<b>Name:</b>  " + longName + " --> Anna &lt;B&gt;<br>", "<b>PbBest:</b>  456,78--> 12,50<br>",
            "<b>PbPlace:</b>  Köln --> Bonn<br>", "<b>PbDate:</b>  01.05.2020 --> 02.06.2021<br>",
            "<b>Gender:</b> 2 --> 1 <br>", "<b>AgeClass:</b> 3 --> 4 <br>", "<b>Given:</b>  700,00--> 9,00<br>",
            "<b>Figure[1]:</b>4101a --> 4101b<br>", "" }));
        QCOMPARE(mine.WbName + mine.figure(0).text() + mine.figure(3).text(), longName + "4101a4103a");
        QVERIFY(!(mine == other));   // the same ID, other values

        report.clear();
        QVERIFY(forced.merge(other, true, &report));
        QVERIFY(report.isEmpty());
        QVERIFY(forced == other);

        // Codes of another discipline are reported, never stored over this entry's.
        ACCompetitorData alien;
        alien.setFigure(0, QStringLiteral("2101a"));
        alien.setFigure(5, QStringLiteral("2102a"));
        report.clear();
        QVERIFY(!forced.merge(alien, true, &report));
        QCOMPARE(report, QStringLiteral("<b>Figure[1]:</b>4101b --> 2101a<br>\n<b>Figure[6]:</b> --> 2102a<br>\n"));
        QVERIFY(forced.figures.sameCodes(other.figures));
    }

    void scaledIntoLimit_data()
    {
        QTest::addColumn<QSize>("limit");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("stored");
        QTest::newRow("too wide") << QSize(300, 300) << QSize(600, 300) << QSize(300, 150);
        QTest::newRow("too high") << QSize(300, 300) << QSize(100, 900) << QSize(33, 300);
        QTest::newRow("within") << QSize(300, 300) << QSize(200, 100) << QSize(200, 100);
        QTest::newRow("no limit") << QSize(-1, -1) << QSize(900, 20) << QSize(900, 20);
    }

    void scaledIntoLimit()
    {
        QFETCH(QSize, limit);
        QFETCH(QSize, picture);
        QFETCH(QSize, stored);
        ClubLogo logo(limit);
        QVERIFY(logo.setPixmap(::picture(picture.width(), picture.height())));
        QVERIFY(logo.data.startsWith("\x89PNG"));
        QCOMPARE(storedSize(logo), stored);
    }

    void newImageReplacesOldBytes()
    {
        ClubLogo logo(QSize(300, 300));
        QImage noise(300, 300, QImage::Format_RGB32);   // hardly compressible: a long PNG
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.bits()), 300 * 300);
        QVERIFY(logo.setPixmap(QPixmap::fromImage(noise)));
        const int large = logo.data.size();
        QVERIFY(logo.setPixmap(picture(10, 10)));
        ClubLogo fresh(QSize(300, 300));
        QVERIFY(fresh.setPixmap(picture(10, 10)));
        QVERIFY(logo.data.size() < large);
        QCOMPARE(logo.data, fresh.data);
    }

    void otherFormatsAndNewLimits()
    {
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && picture(600, 300).save(&buffer, "JPG"));
        ClubLogo logo(QSize(300, 300));
        QVERIFY(logo.setData(jpeg));
        QCOMPARE(storedSize(logo), QSize(300, 150));
        QVERIFY(logo.setMaxSize(QSize(100, 100)));
        QCOMPARE(storedSize(logo), QSize(100, 50));

        QVERIFY(!logo.setData("no image at all"));
        QVERIFY(logo.data.isEmpty());
        QVERIFY(!logo.setMaxSize(QSize(50, 50)));
        QVERIFY(!logo.setPixmap(QPixmap()));
    }

    void duplicatesAndIds()
    {
        ListImport in;
        in.inClubs = {club("RV A", "Eva Kern"), club(" RV  A ", "Eva Kern"), club("RV B"), club("RV C", "Lahm,")};
        in.inAthletes = {athlete("Anna Berg", "GER19900101", "", 0), athlete("Ben Zorn", "", "AUT", 4),
                         athlete("Anna Berg", "GER19900101", "", 0), athlete("Anna Berg", "GER19900101", "SUI", 0)};
        QVERIFY(!in.run());   // the default finish builds no entries
        QCOMPARE(in.clubs.size(), 3);
        QCOMPARE(in.clubs.at(0).ID + in.clubs.at(1).ID * 10, -21);
        // A club without a contact person borrows the first club's; a last name alone is a contact.
        QCOMPARE(in.clubs.at(1).Kontakt, in.clubs.at(0).Kontakt);
        QCOMPARE(in.clubs.at(2).Kontakt.Nachname, QStringLiteral("Lahm"));
        QCOMPARE(in.ids, (QList<int>{-1, -2, -1, -3}));
        QCOMPARE(in.athletes.size(), 3);
        const Athlete& anna = in.athletes.first();
        // The nation from the UCI-ID's nation form, role A by default.
        QCOMPARE(anna.Nation + anna.rolesText() + QString::number(anna.Verein), QStringLiteral("GERA-1"));
        QCOMPARE(in.athletes.at(1).Nation + in.athletes.at(1).rolesText(), QStringLiteral("AUTR"));
        QCOMPARE(in.athletes.at(2).Nation, QStringLiteral("SUI"));

        // A second run starts afresh.
        in.run();
        QCOMPARE(in.clubs.size() * 10 + in.athletes.size(), 33);
        QCOMPARE(in.clubs.first().ID, -1);
    }

    void noClubs_data()
    {
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("after");
        QTest::newRow("default") << "" << "keinen Verein gefunden<br><br>";
        QTest::newRow("reader's own") << "Datei leer" << "Datei leer";
    }

    void noClubs()
    {
        QFETCH(QString, report);
        QFETCH(QString, after);
        struct Finishing : ListImport {
            bool finish() override { return true; }
        } in;
        in.inAthletes = {athlete("Anna Berg", "", "", 0)};
        in.report = report;
        QVERIFY(!in.run());   // no entries built without the clubs they belong to
        QCOMPARE(in.report, after);
        QVERIFY(in.athletes.isEmpty());   // athletes are read only for clubs read
    }

    void defaultsAndIdentity()
    {
        ListImport in;
        Wertung_t score;
        WertungList scores;
        scores.append(&score);
        QVERIFY(!in.getEntries(scores) && scores.size() == 1 && scores.at(0) == &score);   // left alone
        QCOMPARE(QList<int>({in.fromNetwork, in.getKind(), in.getYear(), in.getNumber(), in.finish()}), QList<int>({0, 0, 2006, -1, 0}));
        QCOMPARE(static_cast<QObject&>(in).qt_metacast("AddressImport"), static_cast<void*>(&in));
        QCOMPARE(MeldeImporter::staticMetaObject.superClass(), &AddressImport::staticMetaObject);
    }

    void mergeCompetitor()
    {
        auto entry = [](const QList<int>& members, const QString& name) {
            ACCompetitorData e;
            e.team.setMembers(members);
            e.setName(name);
            return e;
        };
        ListImport in;
        ACCompetitorData known = entry({-1, -2}, "A"), sameTeam = entry({-2, -1}, "B"), other = entry({-1, -3}, ""),
                         none = entry({}, "");
        for (ACCompetitorData* e : {&known, &sameTeam, &other, &none})
            QVERIFY(in.mergeCompetitor(*e));
        QVERIFY(!in.mergeCompetitor(none));   // nothing to take over
        QCOMPARE(in.competitors.size(), 3);
        QCOMPARE(in.report, QStringLiteral("<b>Name:</b>  A --> B<br>\n"));
    }
};

QTEST_MAIN(TestRecordValues)
#include "tst_recordvalues.moc"
