// The score sheet's exercise, transition, turn and separate-exercise checks
// against catalogue files built here: each message, the given value and both
// masks of the start record.
#include "records/Starter_t.h"
#include "rules/ReglementDB.h"
#include "rules/Wertungsbogen.h"
#include "tests/rules/CatalogueFiles.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

namespace {

enum Rules { NoCatalogue, OldRules, NewRules };

const char* const catalogueSql =
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
    "INSERT INTO einzeln VALUES ( '1102' ), ( '11' );";

Starter_t startWith(int disci, int ak, const QStringList& codes)
{
    Starter_t s;
    s.disci = disci;
    s.ageClass = ak;
    for (int i = 0; i < codes.size(); ++i)
        std::strncpy(s.codes[i], codes[i].toLatin1().constData(), Starter_t::CodeSize - 1);
    return s;
}

using CheckFn = bool (Wertungsbogen::*)();
const CheckFn checkFunctions[] = { &Wertungsbogen::checkAthletes, &Wertungsbogen::checkAltersklasse,
                                   &Wertungsbogen::checkUebungen, &Wertungsbogen::checkUebergaenge,
                                   &Wertungsbogen::checkStanddrehungen, &Wertungsbogen::checkEinzeln };

bool runCheck(Wertungsbogen& sheet, int check)
{
    return (sheet.*checkFunctions[check])();
}

} // namespace

class TestScoreSheetChecks : public QObject
{
    Q_OBJECT

    QTemporaryDir oldDir, newDir;
    ReglementDB oldRules, newRules;

private slots:
    void initTestCase()
    {
        const QString sql = CatalogueFiles::disciplinesSql() + QString::fromUtf8(catalogueSql);
        QVERIFY(oldRules.open(CatalogueFiles::oldRules(oldDir.path(), sql), true));
        QVERIFY(newRules.open(CatalogueFiles::newRules(newDir.path(), sql), true));
    }

    void checks_data()
    {
        QTest::addColumn<int>("rules");
        QTest::addColumn<int>("disci");
        QTest::addColumn<int>("ak");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<int>("check");
        QTest::addColumn<QString>("report");
        QTest::addColumn<bool>("tested");
        QTest::addColumn<int>("given");   // -1: not looked at

        const int ex = Wertungsbogen::CheckUebungen;
        QTest::newRow("gap") << int(NewRules) << 1 << 0 << QStringList { "1101a", "", "", "1102a" } << ex
                             << "02: Übung 2 bis 3 nicht definiert\n" << true << 375;
        QTest::newRow("old base score") << int(OldRules) << 1 << 0 << QStringList { "1101a", "1102a" } << ex << "" << true << 20375;
        QTest::newRow("group twice") << int(NewRules) << 1 << 0 << QStringList { "1101a", "1101b" } << ex
                                     << "02: Übungsgruppe '1101' mehrfach enthalten (1 + 2)\n" << true << 250;
        QTest::newRow("after final") << int(NewRules) << 1 << 0 << QStringList { "1301a", "1101a" } << ex
                                     << "02: Übung 2 nach der Schlußübung!\n" << true << -1;
        QTest::newRow("one bike first") << int(OldRules) << 2 << 0 << QStringList { "2301a" } << ex
                                        << "02: Übung 1 auf einem Rad '2301' vor Übung auf zwei Rädern.\n" << true << -1;
        QTest::newRow("two bikes after one") << int(OldRules) << 2 << 0 << QStringList { "2101a", "2301a", "2102a" } << ex
                                             << "02: Übung 3 auf zwei Rädern '2102' nach Übung auf einem Rad.\n" << true << -1;
        QTest::newRow("gap at the bike change") << int(OldRules) << 2 << 0 << QStringList { "2101a", "", "2301a" } << ex
                                                << "" << true << -1;
        QTest::newRow("new rules one bike only") << int(NewRules) << 2 << 0 << QStringList { "2301a" } << ex
                                                 << "02: weniger als die erforderlichen 4 Übungen auf einem Rad\n"
                                                    "02: keine Übung auf zwei Rädern\n" << true << 100;
        QTest::newRow("too many") << int(NewRules) << 1 << 2 << QStringList { "1101a", "1102a", "1201a" } << ex
                                  << "02: mehr als die erlaubten 2 Übungen definiert\n" << true << -1;
        QTest::newRow("no maximum known") << int(NewRules) << 3 << 0 << QStringList { "1101a" } << ex
                                          << "02: Übung '1101a' von anderer Disziplin\n"
                                             "02: Nr 1: Übung '1101a' nicht im Reglement\n" << true << 0;
        QTest::newRow("not in catalogue") << int(NewRules) << 1 << 0 << QStringList { "1199a" } << ex
                                          << "02: Nr 1: Übung '1199a' nicht im Reglement\n" << true << 0;
        QTest::newRow("exercises untested") << int(NoCatalogue) << 1 << 0 << QStringList { "1101a" } << ex
                                            << "02: Übungen nicht getestet --- no Reglement-Database\n" << false << -1;

        const int tr = Wertungsbogen::CheckUebergaenge;
        QTest::newRow("allowed follow-up") << int(NewRules) << 1 << 0 << QStringList { "1101a", "1102a" } << tr << "" << true << -1;
        QTest::newRow("wrong follow-up") << int(NewRules) << 1 << 0 << QStringList { "1101a", "1201b" } << tr
                                         << "03: Übung 1 '1101a' --- keine/falsche Folgeübung\n" << true << -1;
        QTest::newRow("no follow-up") << int(NewRules) << 1 << 0 << QStringList { "1201b", "1101a" } << tr
                                      << "03: Übung 2 '1101a' --- keine/falsche Folgeübung\n" << true << -1;
        QTest::newRow("no transition rows") << int(NewRules) << 4 << 0 << QStringList { "4101a" } << tr << "" << false << -1;
        QTest::newRow("transitions untested") << int(NoCatalogue) << 1 << 0 << QStringList {} << tr
                                              << "03: Übergänge nicht getestet --- no Reglement-Database\n" << false << -1;

        const int turns = Wertungsbogen::CheckStanddrehungen;
        QTest::newRow("turns within") << int(NewRules) << 1 << 0 << QStringList { "1201a", "1201b" } << turns << "" << true << -1;
        QTest::newRow("turns over") << int(NewRules) << 1 << 0 << QStringList { "1201a", "1201b", "1201c" } << turns
                                    << "04: mehr als die erlaubten 2 Standdrehungen\n" << true << -1;
        QTest::newRow("no turn limit") << int(NewRules) << 2 << 0 << QStringList { "2101a" } << turns << "" << false << -1;
        QTest::newRow("turns untested") << int(NoCatalogue) << 1 << 0 << QStringList {} << turns
                                        << "04: Standdrehungen nicht getestet --- no Reglement-Database\n" << false << -1;

        const int single = Wertungsbogen::CheckEinzeln;
        QTest::newRow("separate over") << int(NewRules) << 1 << 0 << QStringList { "1102a", "1102b" } << single
                                       << "05: mehr als die erlaubten 1 Einzel Übungen\n" << true << -1;
        QTest::newRow("separate before 2008") << int(OldRules) << 1 << 0 << QStringList { "1102a", "1102b" } << single
                                              << "05: 'Einzeln' gibt es erst ab 2008\n" << false << -1;
        QTest::newRow("separate untested") << int(NoCatalogue) << 1 << 0 << QStringList {} << single
                                           << "05: Einzeln nicht getestet --- no Reglement-Database\n" << false << -1;
    }

    void checks()
    {
        QFETCH(int, rules);
        QFETCH(int, disci);
        QFETCH(int, ak);
        QFETCH(QStringList, codes);
        QFETCH(int, check);
        QFETCH(QString, report);
        QFETCH(bool, tested);
        QFETCH(int, given);

        ReglementDB* catalogue = rules == OldRules ? &oldRules : rules == NewRules ? &newRules : nullptr;
        Starter_t start = startWith(disci, ak, codes);
        Wertungsbogen sheet(nullptr, &start, catalogue, nullptr);
        start.errorMask = start.testedMask = ~0u;
        const bool passed = runCheck(sheet, check);

        QCOMPARE(sheet.getReport(), report);
        const bool failed = report.contains(QLatin1String("nicht getestet")) || report.contains(QLatin1String("2008"))
            ? false : !report.isEmpty();
        QCOMPARE(passed, !failed);
        QCOMPARE(bool(start.errorMask & (1u << check)), failed);
        QCOMPARE(bool(start.testedMask & (1u << check)), tested);
        QCOMPARE(start.errorMask | (1u << check), ~0u);   // other checks' bits stay
        if (given >= 0)
            QCOMPARE(int(start.given), given);
    }

    void testAllWithoutSources()
    {
        Starter_t start = startWith(0, 0, { "1101a" });
        Wertungsbogen sheet(nullptr, &start, nullptr, nullptr);
        QVERIFY(sheet.testAll(false));
        QCOMPARE(start.disci, 1);
        QVERIFY(sheet.getReport().startsWith(QStringLiteral("no Melde-Databaseno Melde-Database02: Übungen nicht getestet")));
        QVERIFY(sheet.getReport().endsWith(QStringLiteral("05: Einzeln nicht getestet --- no Reglement-Database\n")));
        QCOMPARE(start.testedMask, 0u);
        QVERIFY(sheet.testAll(true));
        QCOMPARE(sheet.getReport(), QStringLiteral("no Melde-Databaseno Melde-Database"));
    }
};

QTEST_GUILESS_MAIN(TestScoreSheetChecks)
#include "tst_scoresheet_checks.moc"
