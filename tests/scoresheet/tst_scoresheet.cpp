// The score sheet against a catalogue and an address book built here: each
// rule check's message and both masks of the start record, the sheet's own
// copies of the judges' records, its header texts and athletes, the judges'
// correlation, and printing to PDF files read back with pdftotext.
#include "rules/PearsonCorrelation.h"
#include "rules/ReglementDB.h"
#include "rules/ScoreSheetPainter.h"
#include "records/AddressDB.h"
#include "records/Starter_t.h"
#include "records/Wertung_t.h"
#include "rules/Wertungsbogen.h"
#include "tests/rules/CatalogueFiles.h"

#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <cstring>

// Only a database of this class gives events by ID.
class WertungListeDB : public AddressDB
{
    Q_OBJECT
};

namespace {

const QDate eventDay(2024, 6, 1);

// codes and members comma-separated ("1101a,,1102a", "1,0,3").
Starter_t makeStart(int disci, const QString& codes, const QString& members = QString(), int clubId = 0)
{
    Starter_t s;
    s.disci = disci;
    s.clubId = clubId;
    const QStringList c = codes.split(QLatin1Char(','));
    for (int i = 0; i < c.size(); ++i)
        std::strncpy(s.codes[i], c[i].toLatin1().constData(), Starter_t::CodeSize - 1);
    const QStringList m = members.split(QLatin1Char(','));
    for (int i = 0; i < m.size(); ++i)
        s.members[i] = m[i].toInt();
    return s;
}

// Records of judges 1, 2, ... of start number 150, named "Ansager<judge>".
void addRecords(WertungList& list, int count)
{
    list.autoDelete = true;
    for (int i = 1; i <= count; ++i) {
        auto* w = new Wertung_t;
        w->judge = i;
        w->startNumber = 150;
        std::snprintf(w->announcer, sizeof w->announcer, "Ansager%d", i);
        w->exercises[0][0] = quint8(i);
        w->deduction1 = 40;
        list.append(w);
    }
}

// Clubs 1 "RSV Nord" (BDR) and 2 "RV Süd" (HRV); athletes 1 Anna Berg (w,
// club 1, 12 years at the event), 2 Ben Kurz (m, 1, 13), 3 Cara Lang (w, 2,
// 75), 4 Dora Mai (w, club 99 that does not exist, 15).
bool fillBook(AddressDB& db)
{
    for (auto c : { std::make_pair("RSV Nord", "BDR"), std::make_pair("RV Süd", "HRV") }) {
        Club club;
        club.setName(QString::fromUtf8(c.first));
        club.Verband = QString::fromUtf8(c.second);
        if (db.insertVerein(club) < 1)
            return false;
    }
    const struct { const char* first; const char* last; int sex, club, age; } people[] = {
        { "Anna", "Berg", 2, 1, 12 }, { "Ben", "Kurz", 1, 1, 13 }, { "Cara", "Lang", 2, 2, 75 }, { "Dora", "Mai", 2, 99, 15 } };
    for (const auto& p : people) {
        Athlete a;
        a.setVorname(QString::fromLatin1(p.first));
        a.setNachname(QString::fromLatin1(p.last));
        a.Geschlecht = p.sex;
        a.Verein = p.club;
        a.Geburtsdatum = QDate(eventDay.year() - p.age, 3, 1);
        if (db.insertAthlete(a) < 1)
            return false;
    }
    return true;
}

// Exercises, limits, follow-ups, turns, separate exercises and age classes.
QString catalogueSql()
{
    return CatalogueFiles::disciplinesSql() + QString::fromUtf8(
        "CREATE TABLE Figures ( diszi CHAR(1), ak CHAR(1), anzahl INTEGER, frei INTEGER, minRad INTEGER, maxRad INTEGER );"
        "INSERT INTO Figures VALUES ( '1', '2', 2, 0, 0, 0 );"
        "CREATE TABLE uebungen ( Nr TEXT, Text TEXT, Ziffer TEXT );"
        "INSERT INTO uebungen VALUES ( '1101a', 'Reitsitz', '1,5' ), ( '1101b', 'Reitsitz rw', '1,0' ),"
        " ( '1102a', 'Steiger', '2.25' ), ( '1102b', 'Steiger rw', '2' ), ( '1201a', 'Drehung', '1' ),"
        " ( '1201b', 'Drehung 2', '1' ), ( '1201c', 'Drehung 3', '1' ), ( '1301a', 'Abgang', '3' ),"
        " ( '2101a', 'Paar', '1' ), ( '2102a', 'Paar 2', '1' ), ( '2301a', 'Einrad', '1' );"
        "CREATE TABLE Folgeuebungen ( Nr TEXT, n1 INTEGER, n2 INTEGER, n3 INTEGER, n4 INTEGER, n5 INTEGER, n6 INTEGER );"
        "INSERT INTO Folgeuebungen VALUES ( '1101a', 1102, 1103, 0, 0, 0, 0 );"
        "CREATE TABLE Standdrehungen ( Nr TEXT );"
        "INSERT INTO Standdrehungen VALUES ( '1201' ), ( '12' );"
        "CREATE TABLE einzeln ( Nr TEXT );"
        "INSERT INTO einzeln VALUES ( '1102' ), ( '11' );"
        "CREATE TABLE Altersklassen ( Ak CHAR(1), von INTEGER, bis INTEGER, diszi CHAR(1), quota INTEGER,"
        " maennlich TEXT, weiblich TEXT );"
        "INSERT INTO Altersklassen VALUES ( '3', 11, 12, '0', 0, 'Schüler', 'Schülerinnen' ),"
        " ( '5', 13, 14, '0', 0, 'Junioren', 'Juniorinnen' ), ( '5', 12, 12, '0', 1, 'Junioren', 'Juniorinnen' );");
}

bool runCheck(Wertungsbogen& sheet, int check)
{
    using CheckFn = bool (Wertungsbogen::*)();
    static const CheckFn checks[] = { &Wertungsbogen::checkAthletes, &Wertungsbogen::checkAltersklasse,
                                      &Wertungsbogen::checkUebungen, &Wertungsbogen::checkUebergaenge,
                                      &Wertungsbogen::checkStanddrehungen, &Wertungsbogen::checkEinzeln };
    return (sheet.*checks[check])();
}

// pdftotext writes to "-", standard output.
QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestScoreSheet : public QObject
{
    Q_OBJECT

    QTemporaryDir oldDir, dir;
    ReglementDB oldRules, newRules;
    WertungListeDB book;
    Competition event;

    // "O" the older rules, "N" the newer, anything else none.
    ReglementDB* catalogue(const QString& rules) { return rules == "O" ? &oldRules : rules == "N" ? &newRules : nullptr; }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<AK>("AK");
        QVERIFY(oldRules.open(CatalogueFiles::oldRules(oldDir.path(), catalogueSql()), true));
        QVERIFY(newRules.open(CatalogueFiles::newRules(dir.path(), catalogueSql()), true));
        QVERIFY(book.open(dir.filePath(QStringLiteral("melde.ldb")), false) && fillBook(book));
        event.Datum = eventDay;
    }

    void exercises_data()
    {
        QTest::addColumn<QString>("start");    // catalogue (N new, O old, - none), discipline, age class, check, codes
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("after");    // error bit, tested bit, and the given value once the catalogue was read
        QTest::newRow("gap") << "N 1 0 2 1101a,,,1102a" << "02: Übung 2 bis 3 nicht definiert\n" << "1 1 375";
        QTest::newRow("old base score") << "O 1 0 2 1101a,1102a" << "" << "0 1 20375";
        QTest::newRow("group twice") << "N 1 0 2 1101a,1101b" << "02: Übungsgruppe '1101' mehrfach enthalten (1 + 2)\n" << "1 1 250";
        QTest::newRow("after final") << "N 1 0 2 1301a,1101a" << "02: Übung 2 nach der Schlußübung!\n" << "1 1 450";
        QTest::newRow("one bike first") << "O 2 0 2 2301a" << "02: Übung 1 auf einem Rad '2301' vor Übung auf zwei Rädern.\n" << "1 1 20100";
        QTest::newRow("two bikes after one") << "O 2 0 2 2101a,2301a,2102a"
                                             << "02: Übung 3 auf zwei Rädern '2102' nach Übung auf einem Rad.\n" << "1 1 20300";
        QTest::newRow("gap at the bike change") << "O 2 0 2 2101a,,2301a" << "" << "0 1 20200";
        QTest::newRow("new rules, one bike only") << "N 2 0 2 2301a" << "02: weniger als die erforderlichen 4 Übungen auf einem Rad\n"
                                                                        "02: keine Übung auf zwei Rädern\n" << "1 1 100";
        QTest::newRow("too many") << "N 1 2 2 1101a,1102a,1201a" << "02: mehr als die erlaubten 2 Übungen definiert\n" << "1 1 475";
        QTest::newRow("no maximum known") << "N 3 0 2 1101a" << "02: Übung '1101a' von anderer Disziplin\n"
                                                                "02: Nr 1: Übung '1101a' nicht im Reglement\n" << "1 1 0";
        QTest::newRow("exercises untested") << "- 1 0 2 1101a" << "02: Übungen nicht getestet --- no Reglement-Database\n" << "0 0";
        QTest::newRow("wrong follow-up") << "N 1 0 3 1101a,1201b" << "03: Übung 1 '1101a' --- keine/falsche Folgeübung\n" << "1 1";
        QTest::newRow("no follow-up") << "N 1 0 3 1201b,1101a" << "03: Übung 2 '1101a' --- keine/falsche Folgeübung\n" << "1 1";
        QTest::newRow("no transition rows") << "N 4 0 3 4101a" << "" << "0 0";
        QTest::newRow("turns over") << "N 1 0 4 1201a,1201b,1201c" << "04: mehr als die erlaubten 2 Standdrehungen\n" << "1 1";
        QTest::newRow("separate over") << "N 1 0 5 1102a,1102b" << "05: mehr als die erlaubten 1 Einzel Übungen\n" << "1 1";
        QTest::newRow("separate before 2008") << "O 1 0 5 1102a,1102b" << "05: 'Einzeln' gibt es erst ab 2008\n" << "0 0";
    }

    void exercises()
    {
        QFETCH(QString, start);
        QFETCH(QString, report);
        QFETCH(QString, after);
        const QStringList f = start.split(QLatin1Char(' '));
        const int check = f[3].toInt();
        const uint bit = 1u << check;
        Starter_t s = makeStart(f[1].toInt(), f[4]);
        s.ageClass = f[2].toInt();
        s.errorMask = s.testedMask = ~bit;   // the other checks' bits stay
        Wertungsbogen sheet(nullptr, &s, catalogue(f[0]), nullptr);
        QCOMPARE(runCheck(sheet, check), after.startsWith(QLatin1Char('0')));
        QCOMPARE(sheet.getReport(), report);
        QString state = QStringLiteral("%1 %2").arg(s.errorMask == ~0u).arg(s.testedMask == ~0u);
        if (after.count(QLatin1Char(' ')) == 2)
            state += QStringLiteral(" %1").arg(s.given);
        QCOMPARE(state, after);
        QCOMPARE(s.errorMask | s.testedMask | bit, ~0u);
    }

    void testAllWithoutSources()
    {
        Starter_t s = makeStart(0, QStringLiteral("1101a"));
        Wertungsbogen sheet(nullptr, &s, nullptr, nullptr);
        QVERIFY(sheet.testAll(false));
        QCOMPARE(s.disci, 1);
        QCOMPARE(s.testedMask, 0u);
        QVERIFY(sheet.testAll(true));   // the exercises left out
        QVERIFY(!sheet.getReport().contains(QLatin1String("02: ")));
    }

    void athletes_data()
    {
        QTest::addColumn<QString>("start");    // discipline, team rule (new or old), athlete IDs
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("after");    // gender, club ID, the club VereinChanged names (-1: none)
        QTest::newRow("single rider") << "1 new 1" << "" << "2 1 1";
        QTest::newRow("twice") << "1 new 1,1" << "00: Anna Berg   --- mehrfach enthalten\n00: zu viele Sportler\n" << "2 1 1";
        QTest::newRow("mixed pair, new rule") << "2 new 1,2" << "" << "1 1 1";
        QTest::newRow("wrong gender, old rule") << "1 old 1,2" << "00: Ben Kurz --- hat falsches Geschlecht\n00: zu viele Sportler\n" << "2 1 1";
        QTest::newRow("start group") << "2 new 1,3" << "" << "2 -1 2";
        QTest::newRow("other club") << "1 new 1,3" << "00: Cara Lang --- ist von anderem Verein\n00: zu viele Sportler\n" << "2 1 2";
        QTest::newRow("too few") << "2 new 1" << "00: zu wenig Sportler\n" << "2 1 1";
        QTest::newRow("unknown athlete") << "1 new 42" << "00: Sportler Nummer 0 nicht in der Datenbank!\n" << "0 0 -1";
    }

    void athletes()
    {
        QFETCH(QString, start);
        QFETCH(QString, report);
        QFETCH(QString, after);
        const QStringList f = start.split(QLatin1Char(' '));
        Wertungsbogen::setNewSheetFlag(f[1] == QLatin1String("new"));
        Starter_t s = makeStart(f[0].toInt(), QString(), f[2]);
        Wertungsbogen sheet(&book, &s, nullptr, nullptr);
        Wertungsbogen::setNewSheetFlag(true);
        QSignalSpy changed(&sheet, SIGNAL(VereinChanged(int)));
        QCOMPARE(sheet.checkAthletes(), report.isEmpty());
        QCOMPARE(sheet.getReport(), report);
        QCOMPARE(QStringLiteral("%1 %2 %3").arg(s.gender).arg(s.clubId).arg(changed.isEmpty() ? -1 : changed[0][0].toInt()), after);
        QCOMPARE(s.errorMask + 2 * s.testedMask, report.isEmpty() ? 2u : 3u);
    }

    void ageClass_data()
    {
        QTest::addColumn<QString>("start");    // catalogue (N or -), discipline, gender, athlete IDs; age class 3 for men, 0 for women
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("after");    // error, age class, candidates
        QTest::newRow("fits") << "N 1 1 1" << "" << "0 3 2";
        QTest::newRow("corrected for a woman") << "N 1 2 1" << "01: Altersklasse korrigiert auf 'Schülerinnen'\n" << "0 3 2";
        QTest::newRow("pair on the quota") << "N 2 1 2,1" << "01: Altersklasse korrigiert auf 'Junioren'\n" << "0 5 1";
        QTest::newRow("wrong year") << "N 1 1 3" << "01: Cara Lang  --- kein/falscher Jahrgang (Alter=75)\n" << "1 3 0";
        QTest::newRow("no common class") << "N 1 1 4" << "01: Keine gemeinsame Altersklasse\n" << "1 3 0";
        QTest::newRow("unknown athlete") << "N 1 1 42" << "01: Sportler Nummer 0 nicht in der Datenbank!\n" << "1 3 0";
        QTest::newRow("no catalogue") << "- 1 1 1" << "01: Altersklasse nicht getestet --- no Reglement-Database\n" << "0 3 0";
    }

    void ageClass()
    {
        QFETCH(QString, start);
        QFETCH(QString, report);
        QFETCH(QString, after);
        const QStringList f = start.split(QLatin1Char(' '));
        Starter_t s = makeStart(f[1].toInt(), QString(), f[3]);
        s.gender = f[2].toInt();
        s.ageClass = s.gender == 1 ? 3 : 0;
        Wertungsbogen sheet(&book, &s, catalogue(f[0]), &event);
        QSignalSpy corrected(&sheet, SIGNAL(AkChanged(AK)));
        const bool passed = sheet.checkAltersklasse();
        QCOMPARE(sheet.getReport(), report);
        QCOMPARE(QStringLiteral("%1 %2 %3").arg(!passed).arg(s.ageClass).arg(sheet.getAltersklassen().size()), after);
        QCOMPARE(corrected.value(0).value(0).toInt(), report.contains(QLatin1String("korrigiert")) ? s.ageClass : 0);
        QCOMPARE(s.errorMask + 2 * s.testedMask, (passed ? 0u : 2u) + (f[0] == QLatin1String("N") ? 4u : 0u));
    }

    void recordsAndSharedOperations()
    {
        Starter_t s = makeStart(1, QStringLiteral("1101a,1199a,,,1102a"));
        s.netInfo = 99;
        Wertungsbogen sheet(nullptr, &s, &newRules, nullptr);
        QCOMPARE(sheet.getNummer(), 0);
        {
            WertungList caller;
            addRecords(caller, 2);
            sheet.setWertungen(caller);
        }   // the caller's records are gone; the sheet reads its copies
        QCOMPARE(sheet.getWertungen().at(1)->judge, 2);
        QCOMPARE(sheet.getNummer(), 150);

        QList<Uebung> list;
        QVERIFY(sheet.getBogenUebungen(list));
        QStringList rows;
        for (const Uebung& u : list)
            rows << QStringLiteral("%1 %2 %3").arg(u.nr.text(), u.text).arg(u.ziffer);
        QCOMPARE(rows, QStringList({ "1101a Reitsitz 1.5", "1199a  0", "  0", "  0", "1102a Steiger 2.25" }));

        Starter_t pair = makeStart(2, QStringLiteral("2101a,").repeated(10) + QStringLiteral(",,") + QStringLiteral("2301a,").repeated(8));
        pair.ageClass = 6;
        QCOMPARE(Wertungsbogen(nullptr, &pair, &newRules, nullptr).getMaxUebungen(), 25 + 2);
    }

    void header_data()
    {
        QTest::addColumn<QString>("start");       // best result, its date, code, netInfo
        QTest::addColumn<QStringList>("texts");   // bestPunkte, bestOrt, bestDatum, pruefsumme, nummer
        QTest::newRow("no best result") << "0 129600  0" << QStringList { "", "", "", "00000000", "" };
        QTest::newRow("best result") << "1234 129600 1101a 150" << QStringList { "12,34", "Halle", "02.01.1970", "4D4A03F6", "150" };
        QTest::newRow("best without date") << "5 0 1101aa 99" << QStringList { "0,05", "Halle", "", "58E82976", "" };
    }

    void header()
    {
        QFETCH(QString, start);
        QFETCH(QStringList, texts);
        const QStringList f = start.split(QLatin1Char(' '));
        Starter_t s = makeStart(1, f[2]);
        s.best = uint16_t(f[0].toInt());
        s.bestDate = f[1].toInt();
        s.netInfo = f[3].toInt();
        s.given = 2050;
        std::strcpy(s.bestPlace, "Halle");
        std::strcpy(s.name, "Team Süd");
        Wertungsbogen sheet(nullptr, &s, nullptr, nullptr);
        WertungsbogenKopf kopf;
        Wertung_t training;
        training.startTime = 1700000000;
        QVERIFY(!sheet.getKopf(kopf, &training));
        QCOMPARE(sheet.getReport(), QStringLiteral("no Melde-Database"));
        QCOMPARE(QStringList({ kopf.bestPunkte, kopf.bestOrt, kopf.bestDatum, kopf.pruefsumme, kopf.nummer }), texts);
        QCOMPARE(kopf.aufgestellt + kopf.name, QStringLiteral("20,50Team Süd"));
        const QDateTime at = QDateTime::fromSecsSinceEpoch(1700000000);
        QCOMPARE(kopf.wettkampf.Name + kopf.wettkampf.Ort, QStringLiteral("Training") + at.toString(QStringLiteral("hh:mm")));
        QCOMPARE(kopf.wettkampf.Datum, at.date());
    }

    void clubsAndAthletes_data()
    {
        QTest::addColumn<QString>("start");      // club ID, athlete IDs
        QTest::addColumn<QString>("club");       // verein | verband
        QTest::addColumn<QString>("athletes");   // last name and club name of each entry
        QTest::addColumn<QString>("report");     // of getKopf, then of getAthletes
        QTest::newRow("club") << "2 3" << "RV Süd|HRV" << "LANG RV Süd|" << "|";
        QTest::newRow("start group") << "-1 1,2,1,3" << "RSV Nord / RV Süd|BDR"
                                     << "BERG RSV Nord|KURZ RSV Nord|BERG RSV Nord|LANG RV Süd|" << "|";
        QTest::newRow("leading gap") << "1 0,1" << "RSV Nord|BDR" << " |BERG RSV Nord|" << "|";
        QTest::newRow("no athletes") << "1 0" << "RSV Nord|BDR" << "" << "|";
        QTest::newRow("missing club") << "99 4" << "|" << "MAI |"
                                      << "Verein ID=99 not found in Melde-Database|";
        QTest::newRow("missing club in a group") << "0 3,4,42" << "RV Süd|HRV" << "LANG RV Süd|MAI |"
                                                 << "Verein ID=99 not found in Melde-Database|"
                                                    "Sportler ID=42 not found in Melde-Database";
    }

    void clubsAndAthletes()
    {
        QFETCH(QString, start);
        QFETCH(QString, club);
        QFETCH(QString, athletes);
        QFETCH(QString, report);
        Starter_t s = makeStart(1, QString(), start.section(QLatin1Char(' '), 1), start.section(QLatin1Char(' '), 0, 0).toInt());
        Wertungsbogen sheet(&book, &s, nullptr, nullptr);
        WertungsbogenKopf kopf;
        QString reports = sheet.getKopf(kopf, nullptr) ? QString() : sheet.getReport();
        QList<ExpandedAthlete> list;
        reports += QLatin1Char('|') + (sheet.getAthletes(list, 1, true) ? QString() : sheet.getReport());
        QString names;
        for (const ExpandedAthlete& a : list)
            names += a.Nachname + QLatin1Char(' ') + a.VereinName + QLatin1Char('|');
        QCOMPARE(kopf.verein + QLatin1Char('|') + kopf.verband, club);
        QCOMPARE(names, athletes);
        QCOMPARE(reports, report);
    }

    // Only a score-list database gives the event of a judges' record by its ID.
    void eventById()
    {
        AddressDB plain;
        QVERIFY(plain.open(dir.filePath(QStringLiteral("melde.ldb")), false));
        Competition event;
        event.Name = QStringLiteral("Pokal");
        QVERIFY(book.insertCompetition(event) > 0);
        const struct { AddressDB* db; int judge; const char* name; } cases[] = {
            { &book, 2, "Pokal Kr=2" }, { &book, 0, "Pokal" }, { &plain, 2, "Training" } };
        for (const auto& c : cases) {
            Starter_t s = makeStart(1, QString(), QStringLiteral("1"), 1);
            Wertungsbogen sheet(c.db, &s, nullptr, nullptr);
            Wertung_t record;
            record.competitionId = event.ID;
            record.judge = c.judge;
            WertungsbogenKopf kopf;
            QVERIFY(sheet.getKopf(kopf, &record));
            QCOMPARE(kopf.wettkampf.Name, QString::fromLatin1(c.name));
        }
    }

    void korrelation_data()
    {
        QTest::addColumn<QString>("codes");
        QTest::addColumn<int>("records");
        QTest::addColumn<double>("sum");   // of each pair's five coefficients
        QTest::newRow("three judges") << "1101a,1102a" << 3 << 5.0;   // 6,0 against 7,0; the other kinds unused
        QTest::newRow("one judge") << "1101a" << 1 << 0.0;
        QTest::newRow("one exercise") << "1101a" << 2 << 4.0;   // 6 against 7
        QTest::newRow("no exercises") << "" << 2 << 0.0;
    }

    void korrelation()
    {
        QFETCH(QString, codes);
        QFETCH(int, records);
        QFETCH(double, sum);
        Starter_t s = makeStart(1, codes);
        Wertungsbogen sheet(nullptr, &s, nullptr, nullptr);
        WertungList list;
        addRecords(list, records);
        for (Wertung_t* w : list)
            w->extra2[0] = 5;   // counted with the first exercise, when there is one
        sheet.setWertungen(list);
        QList<KorrelationEntry> out { KorrelationEntry() };
        sheet.korrelation(out);
        QCOMPARE(out.size(), codes.isEmpty() ? 0 : records * (records - 1) / 2);
        for (const KorrelationEntry& e : out)
            QCOMPARE(e.x + e.w + e.s + e.o + e.p, sum);
    }

    void pearson_data()
    {
        QTest::addColumn<QList<double>>("x");
        QTest::addColumn<QList<double>>("y");
        QTest::addColumn<double>("r");
        QTest::newRow("reversed") << QList<double> { 0, 1, 2 } << QList<double> { 2, 1, 0 } << 1.0;
        QTest::newRow("constant, means 0.25 apart") << QList<double> { 1, 1, 1, 1 } << QList<double> { 1, 1, 1, 2 } << 0.75;
        QTest::newRow("constant, means 1.5 apart") << QList<double> { 0, 0 } << QList<double> { 1, 2 } << 0.0;
        QTest::newRow("weak") << QList<double> { 1, 2, 3, 4 } << QList<double> { 1, 3, 2, 2 } << 1 / std::sqrt(10.0);
    }

    void pearson()
    {
        QFETCH(QList<double>, x);
        QFETCH(QList<double>, y);
        QFETCH(double, r);
        QVERIFY(qAbs(pearsonCorrelation(x.toVector().constData(), y.toVector().constData(), x.size()) - r) < 1e-9);
    }

    void printPdf_data()
    {
        QTest::addColumn<int>("device");   // 0 portrait printer, 1 landscape printer, 2 our own through the dialog
        QTest::addColumn<bool>("withCatalogue");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("to");   // print pages 2 to this one; 0: all
        QTest::addColumn<int>("pages");
        QTest::addColumn<QStringList>("texts");   // "-" in front: must be missing
        QTest::newRow("portrait, one sheet per record") << 0 << false << 3 << 0 << 3
            << QStringList { "WERTUNGSBOGEN", "KEIN Reglement !!!", "Ansager1", "Ansager3", "Grundpunktzahl:", "0,00", "-200,00" };
        QTest::newRow("portrait, no record") << 0 << true << 0 << 0 << 1
            << QStringList { "2008-01-01", "Reitsitz", "Takt-", "4D4A03F6", "-KEIN Reglement" };
        QTest::newRow("landscape, four to a page") << 1 << true << 6 << 0 << 2
            << QStringList { "TRAININGSBOGEN", "Abzug Ausführung:", "Team Süd" };
        QTest::newRow("page range") << 0 << false << 3 << 2 << 1 << QStringList { "Ansager2", "-Ansager1", "-Ansager3" };
        QTest::newRow("one job without a painter") << 2 << false << 6 << 0 << 2 << QStringList { "TRAININGSBOGEN", "KEIN Reglement" };
    }

    void printPdf()
    {
        QFETCH(int, device);
        QFETCH(bool, withCatalogue);
        QFETCH(int, records);
        QFETCH(int, to);
        QFETCH(int, pages);
        QFETCH(QStringList, texts);
        Starter_t s = makeStart(1, QStringLiteral("1101a"));
        std::strcpy(s.name, "Team Süd");
        s.given = 150;
        Wertungsbogen sheet(nullptr, &s, withCatalogue ? &newRules : nullptr, nullptr);
        WertungList list;
        addRecords(list, records);
        sheet.setWertungen(list);

        const QString path = dir.filePath(QStringLiteral("%1.pdf").arg(QTest::currentDataTag()));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(path);
        printer.setPageOrientation(device == 1 ? QPageLayout::Landscape : QPageLayout::Portrait);
        if (to)
            printer.setFromTo(2, to);
        RuvoPrint::setPrintDialogHook([&](QPrinter* own) { own->setOutputFileName(path); return true; });
        QPainter painter;
        if (device != 2)
            painter.begin(&printer);
        int page = 0;
        sheet.print(&painter, page);
        painter.end();
        RuvoPrint::setPrintDialogHook({});

        const QString text = run(QStringLiteral("pdftotext"), { path, QStringLiteral("-") });
        QCOMPARE(int(text.count(QLatin1Char('\f'))), pages);   // one form feed after each page
        QVERIFY(sheet.getWertungen().isEmpty());
        for (const QString& t : texts)
            QVERIFY2(text.contains(t.startsWith(QLatin1Char('-')) ? t.mid(1) : t) != t.startsWith(QLatin1Char('-')), qPrintable(t));
    }
};

QTEST_MAIN(TestScoreSheet)
#include "tst_scoresheet.moc"
