// The start entry: its 416-byte record byte by byte and back, the setters
// that round or refuse, and the merge with its change report line by line.
#include "records/ACCompetitorData.h"
#include "records/Starter_t.h"
#include "tests/support/Bytes.h"

#include <QtTest>

#include <climits>
#include <cmath>

namespace {

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

} // namespace

class TestCompetitor : public QObject
{
    Q_OBJECT

private slots:
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
};

QTEST_GUILESS_MAIN(TestCompetitor)
#include "tst_competitor.moc"
