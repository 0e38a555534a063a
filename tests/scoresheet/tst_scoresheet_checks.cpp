// The score sheet's rule checks against a catalogue and an address book
// built here: each message, both masks of the start record, the given value,
// and the corrections with their signals.
#include "rules/ReglementDB.h"
#include "tests/scoresheet/SheetData.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace SheetData;

namespace {

bool runCheck(Wertungsbogen& sheet, int check)
{
    using CheckFn = bool (Wertungsbogen::*)();
    static const CheckFn checks[] = { &Wertungsbogen::checkAthletes, &Wertungsbogen::checkAltersklasse,
                                      &Wertungsbogen::checkUebungen, &Wertungsbogen::checkUebergaenge,
                                      &Wertungsbogen::checkStanddrehungen, &Wertungsbogen::checkEinzeln };
    return (sheet.*checks[check])();
}

} // namespace

class TestScoreSheetChecks : public QObject
{
    Q_OBJECT

    QTemporaryDir oldDir, newDir;
    ReglementDB oldRules, newRules;
    AddressDB book;
    Competition event;

    // "O" the older rules, "N" the newer, anything else none.
    ReglementDB* catalogue(const QString& rules) { return rules == "O" ? &oldRules : rules == "N" ? &newRules : nullptr; }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<AK>("AK");
        QVERIFY(oldRules.open(CatalogueFiles::oldRules(oldDir.path(), catalogueSql()), true));
        QVERIFY(newRules.open(CatalogueFiles::newRules(newDir.path(), catalogueSql()), true));
        QVERIFY(book.open(newDir.filePath(QStringLiteral("melde.ldb")), false) && fillBook(book));
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
        Starter_t s = SheetData::start(f[1].toInt(), f[4]);
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
        Starter_t s = start(0, QStringLiteral("1101a"));
        Wertungsbogen sheet(nullptr, &s, nullptr, nullptr);
        QVERIFY(sheet.testAll(false));
        QCOMPARE(s.disci, 1);
        QCOMPARE(sheet.getReport().count(QStringLiteral("nicht getestet --- no Reglement-Database\n")), 4);
        QVERIFY(sheet.getReport().startsWith(QStringLiteral("no Melde-Databaseno Melde-Database02: ")));
        QCOMPARE(s.testedMask, 0u);
        QVERIFY(sheet.testAll(true));
        QCOMPARE(sheet.getReport(), QStringLiteral("no Melde-Databaseno Melde-Database"));
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
        Starter_t s = SheetData::start(f[0].toInt(), QString(), f[2]);
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
        Starter_t s = SheetData::start(f[1].toInt(), QString(), f[3]);
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
};

QTEST_GUILESS_MAIN(TestScoreSheetChecks)
#include "tst_scoresheet_checks.moc"
