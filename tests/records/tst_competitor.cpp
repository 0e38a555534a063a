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

ACCompetitorData mergeEntry(const char* name, int best, const char* place, QDate date, int gender, int ak,
                            int given, const char* code)
{
    ACCompetitorData e;
    e.setName(QString::fromUtf8(name));
    e.team.Best = quint16(best);
    e.setBestOrt(QString::fromUtf8(place));
    e.team.BestDatum = date;
    e.setGender(gender);
    e.setAgeClass(ak);
    e.setGiven(given);
    e.setFigure(0, QLatin1String(code));
    return e;
}

QByteArray starterBytes(const Starter_t& s)
{
    QByteArray out(Starter_t::Size, '\x55');
    s.write(bytes(out));
    return out;
}

} // namespace

class TestCompetitor : public QObject
{
    Q_OBJECT

private slots:
    void goldenRecord()
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
        Starter_t s;
        s.errorMask = 9;   // a record from an entry carries no check results
        QCOMPARE(starterBytes(sampleEntry().toStarter(s)).toHex(), expected.toHex());
    }

    void roundTrip()
    {
        const ACCompetitorData e = sampleEntry();
        Starter_t s;
        const Starter_t back = Starter_t::read(bytes(starterBytes(e.toStarter(s))));
        const ACCompetitorData r(back);
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
        ACCompetitorData mine = mergeEntry("Anna", 1234, "Köln", QDate(2020, 5, 1), 2, 3, 812, "1101a");
        ACCompetitorData other = mergeEntry("Anna <B>", 1250, "Bonn", QDate(2021, 6, 2), 1, 4, 900, "1101b");
        other.setFigure(3, QStringLiteral("1103a"));
        ACCompetitorData forced = mine;

        QString report;
        QVERIFY(mine.merge(other, false, &report));   // code 4 was empty: taken over
        QCOMPARE(report.split(QLatin1Char('\n')), QStringList({
            "<b>Name:</b>  Anna --> Anna &lt;B&gt;<br>", "<b>PbBest:</b>  12,34--> 12,50<br>",
            "<b>PbPlace:</b>  Köln --> Bonn<br>", "<b>PbDate:</b>  01.05.2020 --> 02.06.2021<br>",
            "<b>Gender:</b> 2 --> 1 <br>", "<b>AgeClass:</b> 3 --> 4 <br>", "<b>Given:</b>  8,12--> 9,00<br>",
            "<b>Figure[1]:</b>1101a --> 1101b<br>", "" }));
        QCOMPARE(mine.WbName + mine.figure(0).text() + mine.figure(3).text(), QStringLiteral("Anna1101a1103a"));

        report.clear();
        QVERIFY(forced.merge(other, true, &report));
        QVERIFY(report.isEmpty());
        QVERIFY(forced == other);
        QVERIFY(!forced.merge(other, false, nullptr));
    }

    void mergeKeepsCodesOfItsDiscipline_data()
    {
        QTest::addColumn<bool>("force");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("line");
        QTest::newRow("empty position") << false << 5 << "<b>Figure[6]:</b> --> 2101a<br>\n";
        QTest::newRow("forced over a code") << true << 0 << "<b>Figure[1]:</b>1101a --> 2101a<br>\n";
    }

    void mergeKeepsCodesOfItsDiscipline()
    {
        QFETCH(bool, force);
        QFETCH(int, position);
        QFETCH(QString, line);
        ACCompetitorData mine;
        mine.setFigure(0, QStringLiteral("1101a"));
        ACCompetitorData other;
        other.setFigure(position, QStringLiteral("2101a"));
        QString report;
        QVERIFY(!mine.merge(other, force, &report));
        QCOMPARE(report, line);
        QCOMPARE(mine.figure(0).text(), QStringLiteral("1101a"));
        QCOMPARE(mine.disci(), 1);
    }
};

QTEST_GUILESS_MAIN(TestCompetitor)
#include "tst_competitor.moc"
