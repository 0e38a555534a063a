// The records without their tables: exercise codes and checksums, teams and
// their comparisons, the start entry's 416-byte record and its merge, club
// logos, the import framework, person names and UCI-IDs with their warning
// and edit-field validator.
#include "db/RuvoDB.h"
#include "db/RuvoProps.h"
#include "records/ACCompetitorData.h"
#include "records/ACTeamData.h"
#include "records/Athlete.h"
#include "records/ClubLogo.h"
#include "records/FigureList.h"
#include "records/MeldeImporter.h"
#include "records/Starter_t.h"
#include "records/UCIValidator.h"
#include "records/UciLicence.h"
#include "records/Wertung_t.h"
#include "rules/RecordPtrList.h"
#include "tests/support/Bytes.h"
#include "tests/support/MessageCatcher.h"

#include <QBuffer>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>
#include <cmath>
#include <functional>

namespace {

QList<int> ids(const QString& text)
{
    QList<int> out;
    for (const QString& n : text.split(',', Qt::SkipEmptyParts))
        out << n.toInt();
    return out;
}

// "disci:members:reserves[:name[:age class]]", named "Vierer" of age class 3 unless given.
ACTeamData team(const QString& text)
{
    const QStringList f = text.split(':');
    ACTeamData t;
    t.disci = f.value(0).toInt();
    t.members = ids(f.value(1));
    t.reserves = ids(f.value(2));
    t.Name = f.size() > 3 ? f.at(3) : QStringLiteral("Vierer");
    t.ageClass = f.size() > 4 ? f.at(4).toInt() : 3;
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

QPixmap picture(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::blue);
    return QPixmap::fromImage(image);
}

QSize storedSize(const ClubLogo& logo)
{
    QImage image;
    return image.loadFromData(logo.data, "PNG") ? image.size() : QSize();
}

Athlete athlete(const QString& name, const QString& uci, const QString& nation = QString(), int roles = 0)
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
    c.Kontakt = athlete(contact, "", "GER");
    return c;
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

const char* const warningText =
    "Für den Sportler <b>%1</b> ist nicht die <b>11-stellige UCI-ID</b> als Lizenz hinterlegt!"
    "<br><br>Bitte korrigieren Sie dies!";

} // namespace

class TestRecordValues : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid() && db.open(dir.filePath("props.ldb"), false));
        // What the box shows, in one line: title, text, icon, buttons, parent and fixed size.
        UciLicence::setWarningHook([this](QMessageBox& box) {
            const Qt::WindowFlags flags = box.windowFlags();
            boxes << QStringList{box.windowTitle(), box.text(), QString::number(box.icon()),
                                 QString::number(box.standardButtons()), box.parentWidget() ? "parent" : "",
                                 QString::number(flags.testFlag(Qt::Dialog) && flags.testFlag(Qt::MSWindowsFixedSizeDialogHint))}
                         .join('|');
        });
    }

    void cleanup()
    {
        RuvoProps::instance()->setDatabase(nullptr);
        boxes.clear();
    }

    void codes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");   // 0: not a code
        for (const char* t : { "1101a", "7999z", "4123ba", "2101b", "5000aa", "6999y", "1000a" })
            QTest::newRow(t) << t << QString(t).left(4).toInt();
        for (const char* t : { "", "1101A", "3101a", "0101a", "8101a", "9101a", "1101", "1101ab", "11010a", " 1101a",
                               "1101a ", "1101aaa", "1101aA", "110a", "1101\xc3\xa4", "1101a{,1}", "a1101", "1101-a",
                               "\xd9\xa1\xd9\xa1\xd9\xa0\xd9\xa1" "a" })
            QTest::newRow(qPrintable(QStringLiteral("'%1'").arg(t))) << t << 0;
    }

    void codes()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        const bool valid = number != 0;
        QCOMPARE(Figure::isValidCode(text), valid);
        const Figure code(text);
        Figure assigned(QStringLiteral("1101a"));
        assigned = text;
        QCOMPARE(QStringList({code.text(), assigned.text()}), QVector<QString>(2, valid ? text : QString()).toList());
        QVERIFY(code == (valid ? text : QString()) && assigned == code && (!valid || !(code == text.toUpper())));
        QCOMPARE(QVector<int>({code.isValid(), assigned.isValid(), code.number(), code.disci()}),
                 QVector<int>({valid, valid, number, number / 1000}));
    }

    void figureList()
    {
        FigureList list;
        QVERIFY(list.isEmpty() && list.setFigure(29, QStringLiteral("1101a")));
        QVERIFY(!list.set(30, Figure(QStringLiteral("1102a"))) && !list.set(-1, Figure(QStringLiteral("1102a"))));
        QVERIFY(!list.at(30).isValid() && !list.at(-1).isValid() && !list.at(28).isValid());
        QCOMPARE(QString::number(list.disci) + list.at(29).text(), QStringLiteral("11101a"));
        list.clear();
        // Each step: position, text, the result of setFigure, the discipline after.
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
        QVERIFY(!list.isEmpty() && list.fits(Figure(QStringLiteral("6999z"))) && !list.fits(Figure(QStringLiteral("2101a"))));
        list.clear();
        QVERIFY(list.disci == 0 && !list.at(2).isValid() && !list.at(7).isValid());

        FigureList a, b, c;   // equal codes, in order; the same codes at the same places
        QVERIFY(a.setFigure(0, "2101b") && a.setFigure(1, "2202aa") && b.setFigure(4, "2101b") && b.setFigure(9, "2202aa"));
        QVERIFY(c.setFigure(0, "2202aa") && c.setFigure(1, "2101b"));
        QVERIFY(a == b && !a.sameCodes(b) && !(a == c) && !a.sameCodes(c));
        const FigureList copy = a;
        QVERIFY(copy == a && copy.sameCodes(a));
    }

    void checksum_data()
    {
        QTest::addColumn<QStringList>("codes");  // position i holds codes[i]; "" leaves it empty
        QTest::addColumn<quint32>("crc");
        QTest::newRow("empty list") << QStringList() << quint32(0);
        QTest::newRow("1101a first") << QStringList{ "1101a" } << quint32(0x4D4A03F6);
        QTest::newRow("1101a last") << (QStringList() << QVector<QString>(29).toList() << "1101a") << quint32(0x4D4A03F6);
        QTest::newRow("2101b before 2202aa") << QStringList{ "2101b", "", "2202aa" } << quint32(0x788AA7C8);
        QTest::newRow("2202aa before 2101b") << QStringList{ "2202aa", "2101b" } << quint32(0x08D25C9C);
        QTest::newRow("7999z") << QStringList{ "7999z" } << quint32(0x5C6B672F);
    }

    void checksum()
    {
        QFETCH(QStringList, codes);
        QFETCH(quint32, crc);
        FigureList list;
        for (int i = 0; i < codes.size(); ++i)
            QVERIFY(codes.at(i).isEmpty() || list.setFigure(i, codes.at(i)));
        QCOMPARE(list.checksum(), crc);
    }

    void teamValidity_data()
    {
        QTest::addColumn<QString>("team");
        QTest::addColumn<int>("flags");
        QTest::newRow("valid four") << "4:11,12,13,14:15" << 0;
        QTest::newRow("trailing empty positions") << "4:11,12,13,14,0,0:15" << 0;
        QTest::newRow("gap before a member") << "4:11,12,0,14:" << 1;
        QTest::newRow("negative before a member") << "4:11,-1,13,14,15:" << 1;
        QTest::newRow("member twice") << "4:11,12,11,14:" << 1;
        QTest::newRow("no members") << "4::" << 1;
        QTest::newRow("three of four") << "4:11,12,13:" << 1;
        QTest::newRow("five of four") << "4:11,12,13,14,15:" << 1;
        QTest::newRow("reserve twice") << "6:1,2,3,4,5,6:15,15" << 16;
        QTest::newRow("reserve is a member") << "4:11,12,13,14:12" << 16;
        QTest::newRow("too many reserves") << "4:11,12,13,14:15,16" << 16;
        QTest::newRow("empty reserve slots") << "4:11,12,13,14:0,15,0" << 0;
        QTest::newRow("no name") << "2:1,2::" << 2;
        QTest::newRow("no age class") << "2:1,2::Zweier:0" << 4;
        QTest::newRow("no discipline, one member") << "0:1:" << 8;
        QTest::newRow("nothing at all") << "0::::0" << 15;
        QTest::newRow("reserve in a pair") << "2:1,2:3" << 16;
        QTest::newRow("six with two reserves") << "7:1,2,3,4,5,6:7,8" << 0;
        QTest::newRow("every bit") << "0:1,1:1::0" << 31;
    }

    void teamValidity()
    {
        QFETCH(QString, team);
        QFETCH(int, flags);
        ACTeamData t = ::team(team);
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
        const ACTeamData a = team("2:11,12,0:5,0");
        QVERIFY(a == team("2:11,12:5") && !(a != team("2:11,12:5")));   // trailing empty slots do not count
        const QList<std::function<void(ACTeamData&)>> changes = {
            [](ACTeamData& t) { t.members = { 11, 0, 12 }; }, [](ACTeamData& t) { t.members = { 12, 11 }; },
            [](ACTeamData& t) { t.reserves.clear(); }, [](ACTeamData& t) { t.ID = 3; },
            [](ACTeamData& t) { t.gender = 2; }, [](ACTeamData& t) { t.ageClass = 4; },
            [](ACTeamData& t) { t.UCIName = "GER"; }, [](ACTeamData& t) { t.Name = "vierer"; },
            [](ACTeamData& t) { t.Best = 1; }, [](ACTeamData& t) { t.BestDatum = QDate(2020, 5, 1); },
            [](ACTeamData& t) { t.BestOrt = "Ort"; }, [](ACTeamData& t) { t.Email = "a@b"; },
            [](ACTeamData& t) { t.sqlText = "anything"; } };   // the last one alone keeps them equal
        for (const auto& change : changes) {
            ACTeamData b = a;
            change(b);
            QCOMPARE(a != b, &change != &changes.last());
        }
    }

    // Whether two teams are similar (all but one athlete shared; half of
    // them when both have reserves), the same, and of the same members.
    void compare_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("result");   // similar, same, same members
        QTest::newRow("three of four shared") << "4:1,2,3,4:" << "4:1,2,3,9:" << "100";
        QTest::newRow("two of four shared") << "4:1,2,8,9:" << "4:1,2,3,4:" << "000";
        QTest::newRow("other discipline") << "4:1,2,3,4:" << "5:4,3,2,1:" << "001";
        QTest::newRow("three of five shared") << "4:1,2,3,4:5" << "4:5,2,8,9:1" << "000";
        QTest::newRow("four of five shared") << "4:1,2,3,4:5" << "4:5,2,3,9:1" << "100";
        QTest::newRow("all shared with reserves") << "4:1,2,3,4:5" << "4:5,4,3,2:1" << "110";
        QTest::newRow("other reserve") << "4:1,2,3,4:5" << "4:5,4,3,2:9" << "100";
        QTest::newRow("reserve as a member") << "4:1,2,3,4:5" << "4:1,2,3,4,5:" << "100";
        QTest::newRow("same members, in order") << "4:1,2,3,4:5" << "4:4,3,2,1:" << "101";
        QTest::newRow("fewer members") << "4:1,2,3,4:" << "4:1,2,3:" << "100";
        QTest::newRow("no members") << "4::" << "1::" << "001";
        // Empty positions are no shared athletes.
        QTest::newRow("empty slots both sides") << "4:1,0,0,0:" << "4:2,0,0,0:" << "000";
        QTest::newRow("one shared, empty slots") << "4:1,0,0,0:" << "4:1,0,0,0:" << "011";
        // Reserves on one side only: all but one athlete must be shared, not half.
        QTest::newRow("reserve on one side") << "4:1,2,3,4:5" << "4:1,2,3,9:" << "000";
        QTest::newRow("reserve on the other side") << "4:1,2,3,9:" << "4:1,2,3,4:8" << "000";
        QTest::newRow("empty reserve slots") << "4:1,2,3,9:0" << "4:1,2,3,4:0" << "000";
    }

    void compare()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, result);
        const ACTeamData x = team(a), y = team(b);
        QCOMPARE(QStringLiteral("%1%2%3").arg(x.isSimilar(y)).arg(x.isSame(y)).arg(x.hasSameMembers(y)), result);
    }

    // Built from the base only the shared fields come over; clear keeps the error code and statement.
    void fromBaseAndClear()
    {
        ACTeamData source = team("6:1,2,3,4,5,6:7");
        source.UCIName = source.Email = source.sqlText = QStringLiteral("GER");
        source.gender = 2;
        source.errorCode = 9;
        source.errorFlags = 16;
        source.ID = 42;
        source.Best = 12345;
        source.BestDatum = QDate(2020, 1, 1);
        const ACTeamData copy(static_cast<const TeamDataBase&>(source));
        QVERIFY(copy.members == source.members && copy.reserves == source.reserves && copy.UCIName + copy.Name == "GERVierer");
        QCOMPARE(QVector<int>({copy.disci, copy.gender, copy.ageClass, copy.errorCode, copy.errorFlags, copy.ID}),
                 QVector<int>({6, 2, 3, 9, 16, 42}));
        QVERIFY(copy.Best == 0 && copy.Email.isEmpty() && copy.sqlText.isEmpty() && copy.BestDatum.isNull());
        static_cast<TeamDataBase&>(source).clear();
        QVERIFY(source.members.isEmpty() && source.reserves.isEmpty() && source.Name.isEmpty() && source.disci == 0);
        QVERIFY(source.Best == 0 && source.BestDatum.isNull() && source.errorCode == 9 && source.sqlText == "GER");
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

        QByteArray raw(Starter_t::Size, '\0');   // hostile: no NULs, a place neither UTF-8 nor clean
        raw.replace(8, 64, QByteArray(64, 'x'));
        raw.replace(104, 7, "a\"b;\xe2\x82z");   // the third byte of the sequence is missing
        raw.replace(152, 13, "1101aaaa1102a");   // eight bytes without NUL, then a code
        const ACCompetitorData h(Starter_t::read(bytes(raw)));
        QCOMPARE(h.WbName, QString(64, QLatin1Char('x')));
        QCOMPARE(h.team.BestOrt, QStringLiteral("a'b,\u00e2\u0082z"));
        QCOMPARE(h.figure(0).text() + "|" + h.figure(1).text(), QStringLiteral("|1102a"));
    }

    void athletePositions()
    {
        ACCompetitorData e;
        QVERIFY(e.setAthleteId(2, 7) && !e.setAthleteId(Starter_t::MemberCount, 8) && !e.setAthleteId(-1, 8));
        QCOMPARE(e.team.members, (QList<int>{ 0, 0, 7 }));
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
        QVERIFY(forced.merge(other, true, &report) && report.isEmpty() && forced == other);

        // Codes of another discipline are reported, never stored over this entry's.
        ACCompetitorData alien;
        alien.setFigure(0, QStringLiteral("2101a"));
        alien.setFigure(5, QStringLiteral("2102a"));
        QVERIFY(!forced.merge(alien, true, &report));
        QCOMPARE(report, QStringLiteral("<b>Figure[1]:</b>4101b --> 2101a<br>\n<b>Figure[6]:</b> --> 2102a<br>\n"));
        QVERIFY(forced.figures.sameCodes(other.figures));
    }

    void logos_data()
    {
        QTest::addColumn<QSize>("limit");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("stored");
        QTest::newRow("too wide") << QSize(300, 300) << QSize(600, 300) << QSize(300, 150);
        QTest::newRow("too high") << QSize(300, 300) << QSize(100, 900) << QSize(33, 300);
        QTest::newRow("within") << QSize(300, 300) << QSize(200, 100) << QSize(200, 100);
        QTest::newRow("no limit") << QSize(-1, -1) << QSize(900, 20) << QSize(900, 20);
    }

    // Any picture, a JPEG's too, stored as a PNG within the limit; a new one replaces the bytes.
    void logos()
    {
        QFETCH(QSize, limit);
        QFETCH(QSize, picture);
        QFETCH(QSize, stored);
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && ::picture(picture).save(&buffer, "JPG"));
        ClubLogo logo(limit), fromJpeg(limit), small(limit);
        QVERIFY(logo.setPixmap(::picture(picture)) && fromJpeg.setData(jpeg) && logo.data.startsWith("\x89PNG"));
        QVERIFY(storedSize(logo) == stored && storedSize(fromJpeg) == stored);
        QVERIFY(small.setPixmap(::picture(QSize(10, 10))) && logo.setPixmap(::picture(QSize(10, 10))) && logo.data == small.data);
    }

    void logoLimitsAndRefusals()
    {
        ClubLogo logo(QSize(300, 300));
        QVERIFY(logo.setPixmap(picture(QSize(600, 300))) && logo.setMaxSize(QSize(100, 100)));
        QCOMPARE(storedSize(logo), QSize(100, 50));
        QVERIFY(!logo.setData("no image at all") && logo.data.isEmpty());
        QVERIFY(!logo.setMaxSize(QSize(50, 50)) && !logo.setPixmap(QPixmap()));
    }

    void importDuplicatesAndIds()
    {
        ListImport in;
        in.inClubs = {club("RV A", "Eva Kern"), club(" RV  A ", "Eva Kern"), club("RV B"), club("RV C", "Lahm,")};
        in.inAthletes = {athlete("Anna Berg", "GER19900101"), athlete("Ben Zorn", "", "AUT", 4),
                         athlete("Anna Berg", "GER19900101"), athlete("Anna Berg", "GER19900101", "SUI")};
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
        in.run();   // a second run starts afresh
        QCOMPARE(in.clubs.size() * 10 + in.athletes.size(), 33);
        QCOMPARE(in.clubs.first().ID, -1);
    }

    // No entries built without the clubs they belong to; athletes are read only for clubs read.
    void importWithoutClubs()
    {
        struct Finishing : ListImport {
            bool finish() override { return true; }
        };
        for (const QString& report : {QString(), QStringLiteral("Datei leer")}) {
            Finishing in;
            in.inAthletes = {athlete("Anna Berg", "")};
            in.report = report;
            QVERIFY(!in.run() && in.athletes.isEmpty());
            QCOMPARE(in.report, report.isEmpty() ? QStringLiteral("keinen Verein gefunden<br><br>") : report);
        }
    }

    void importDefaultsAndMerge()
    {
        ListImport in;
        Wertung_t score;
        WertungList scores;
        scores.append(&score);
        QVERIFY(!in.getEntries(scores) && scores.size() == 1 && scores.at(0) == &score);   // left alone
        QCOMPARE(QList<int>({in.fromNetwork, in.getKind(), in.getYear(), in.getNumber(), in.finish()}), QList<int>({0, 0, 2006, -1, 0}));

        for (const char* text : {"-1,-2:A", "-2,-1:B", "-1,-3:", ":", ":"}) {   // members and name; the last takes nothing over
            ACCompetitorData e;
            e.team.setMembers(ids(QString(text).section(':', 0, 0)));
            e.setName(QString(text).section(':', 1));
            const bool takes = in.competitors.size() < 3;
            QCOMPARE(in.mergeCompetitor(e), takes);
        }
        QCOMPARE(in.competitors.size(), 3);
        QCOMPARE(in.report, QStringLiteral("<b>Name:</b>  A --> B<br>\n"));
    }

    // A full name split, then written first name first and last name first.
    void names_data()
    {
        QTest::addColumn<QString>("full");
        QTest::addColumn<QString>("split");
        QTest::addColumn<QString>("firstLast");
        QTest::addColumn<QString>("lastFirst");
        QTest::newRow("first last") << "Anna Schmidt" << "Anna|Schmidt" << "Anna Schmidt" << "Schmidt, Anna";
        QTest::newRow("comma wins over blanks") << "von Berg, Anna Maria" << "Anna Maria|von Berg" << "Anna Maria von Berg" << "von Berg, Anna Maria";
        QTest::newRow("second comma stays") << "Berg, Anna, jr." << "Anna, jr.|Berg" << "Anna, jr. Berg" << "Berg, Anna, jr.";
        QTest::newRow("one word") << "Anna" << "Anna|" << "Anna " << ", Anna";
        QTest::newRow("comma first") << ", Anna" << "Anna|" << "Anna " << ", Anna";
        QTest::newRow("comma last") << "Schmidt," << "|Schmidt" << " Schmidt" << "Schmidt, ";
        QTest::newRow("white space") << "  Anna \t  Maria\n Schmidt " << "Anna|Maria Schmidt" << "Anna Maria Schmidt" << "Maria Schmidt, Anna";
        QTest::newRow("empty") << "" << "|" << "" << "";
    }

    void names()
    {
        QFETCH(QString, full);
        QFETCH(QString, split);
        QFETCH(QString, firstLast);
        QFETCH(QString, lastFirst);
        Person p;
        p.Vorname = p.Nachname = QStringLiteral("old");
        p.setName(full);
        QCOMPARE(p.Vorname + '|' + p.Nachname, split);
        QCOMPARE(QStringList({p.formatName(0), p.formatName(1), p.formatName(7), p.displayName()}),
                 QStringList({firstLast, lastFirst, lastFirst, firstLast}));   // 7: any other; no setting
        for (const char* setting : {"0", "1", "2"}) {
            useNameFormat(setting);
            QCOMPARE(p.displayName(), *setting == '1' ? lastFirst : firstLast);
        }
    }

    void uciWarning_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("uciId");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("shownName");   // null: no box; with a comma: names shown last name first
        const QString anna = QStringLiteral("Anna Schmidt");
        QTest::newRow("valid") << anna << "12345678901" << false << QString();
        QTest::newRow("invalid, silent") << anna << "1234567890" << true << QString();
        QTest::newRow("ten digits") << anna << "1234567890" << false << "Anna Schmidt";
        QTest::newRow("empty") << anna << "" << false << "Schmidt, Anna";
        // The box shows rich text: a name with markup characters shows as written.
        QTest::newRow("markup in the name") << "Anna <b>Schmidt & Co" << "" << false << "Anna &lt;b&gt;Schmidt &amp; Co";
    }

    void uciWarning()
    {
        QFETCH(QString, name);
        QFETCH(QString, uciId);
        QFETCH(bool, silent);
        QFETCH(QString, shownName);
        useNameFormat(shownName.contains(',') ? "1" : "0");
        Athlete a;
        a.setName(name);
        a.uciId = uciId;
        QCOMPARE(UciLicence::check(a, silent), uciId.size() == 11);
        const QString box = QStringList{"UCI-Licence", QString::fromUtf8(warningText).arg(shownName),
                                        QString::number(QMessageBox::Warning), QString::number(QMessageBox::Ok), "", "1"}.join('|');
        QCOMPARE(boxes, shownName.isNull() ? QStringList() : QStringList(box));
    }

    // The licence text, and the edit field's state while typing it.
    void uciValidity_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("nation");
        QTest::addColumn<int>("state");
        const int ok = QValidator::Acceptable, typing = QValidator::Intermediate, refused = QValidator::Invalid;
        QTest::newRow("eleven digits") << "12345678901" << true << "" << ok;
        QTest::newRow("ten digits") << "1234567890" << false << "" << typing;
        QTest::newRow("twelve digits") << "123456789012" << false << "" << typing;
        QTest::newRow("blanks between") << "123 456 789 01" << false << "" << typing;
        QTest::newRow("letter inside") << "1234567890a" << false << "" << typing;
        QTest::newRow("leading blank") << " 12345678901" << false << "" << refused;
        QTest::newRow("arabic-indic digits")
            << "\xd9\xa1\xd9\xa2\xd9\xa3\xd9\xa4\xd9\xa5\xd9\xa6\xd9\xa7\xd9\xa8\xd9\xa9\xd9\xa0\xd9\xa1" << false << "" << refused;
        QTest::newRow("nation form") << "GER19900101" << false << "GER" << refused;
        QTest::newRow("nation lower case") << "ger19900101" << false << "" << refused;
        QTest::newRow("nation, seven digits") << "GER1990010" << false << "" << refused;
        QTest::newRow("nation, nine digits") << "GER199001011" << false << "" << refused;
        QTest::newRow("empty") << "" << false << "" << refused;
    }

    void uciValidity()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QString, nation);
        QFETCH(int, state);
        UCIValidator validator(nullptr);
        QString typed = text;
        int pos = 2;
        QCOMPARE(int(validator.validate(typed, pos)), state);
        QVERIFY(typed == text && pos == 2);
        UciLicence licence;
        licence = text;
        QVERIFY(licence.text() == text && licence.isValid() == valid && UciLicence::isValid(text) == valid);
        QCOMPARE(UciLicence::nation(text), nation);
        licence.set("\t" + text.split(QString()).join(' '));   // set() drops every blank
        QCOMPARE(licence.text(), QString(text).remove(' '));
    }

    void uciValidatorColoursItsField()
    {
        QLineEdit field;
        field.setValidator(new UCIValidator(&field));
        const QColor normal = QPalette().color(field.foregroundRole());
        QVERIFY(normal != QColor(Qt::red));
        QTest::keyClicks(&field, QStringLiteral("x1234"));   // a letter first is refused
        QCOMPARE(field.text(), QStringLiteral("1234"));
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            QCOMPARE(field.palette().color(group, field.foregroundRole()), QColor(Qt::red));
        QTest::keyClicks(&field, QStringLiteral("5678901"));
        QCOMPARE(field.text(), QStringLiteral("12345678901"));
        QCOMPARE(field.palette().color(field.foregroundRole()), normal);
        field.clear();   // the field is never emptied
        QTest::keyClicks(&field, QStringLiteral("1"));
        QTest::keyClick(&field, Qt::Key_Backspace);
        QCOMPARE(field.text(), QStringLiteral("1"));
    }

private:
    void useNameFormat(const QString& value)
    {
        RuvoProps::instance()->setDatabase(&db);
        QVERIFY(RuvoProps::instance()->set(QStringLiteral("NAMEFORMAT"), value));
    }

    QTemporaryDir dir;
    MessageCatcher messages;
    RuvoDB db;
    QStringList boxes;
};

QTEST_MAIN(TestRecordValues)
#include "tst_recordvalues.moc"
