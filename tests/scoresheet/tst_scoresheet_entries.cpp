// The score sheet on an address book built here: the athlete and age-class
// checks with their corrections and signals, the header's club texts, the
// athlete list, and the event that only a score-list database gives by ID.
#include "records/AddressDB.h"
#include "records/Starter_t.h"
#include "rules/ReglementDB.h"
#include "rules/Wertungsbogen.h"
#include "tests/rules/CatalogueFiles.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// Only a database of this class gives events by ID.
class WertungListeDB : public AddressDB
{
    Q_OBJECT
};

namespace {

const QDate eventDay(2024, 6, 1);

// Athletes 1 to 4: Anna (w, club 1, 12 years), Ben (m, club 1, 13), Cara (w,
// club 2, 75), Dora (w, club 99 that does not exist, 15).
bool fillBook(AddressDB& db)
{
    const struct { const char* club; const char* verband; } clubs[] = { { "RSV Nord", "BDR" }, { "RV Süd", "HRV" } };
    for (const auto& c : clubs) {
        Club club;
        club.setName(QString::fromUtf8(c.club));
        club.Verband = QString::fromUtf8(c.verband);
        if (db.insertVerein(club) < 1)
            return false;
    }
    const struct { const char* first; const char* last; int sex; int club; int age; } people[] = {
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

Starter_t startWith(int disci, const QList<int>& members, int clubId = 0)
{
    Starter_t s;
    s.disci = disci;
    s.clubId = clubId;
    for (int i = 0; i < members.size(); ++i)
        s.members[i] = members[i];
    return s;
}

} // namespace

class TestScoreSheetEntries : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    WertungListeDB book;
    ReglementDB catalogue;
    Competition event;

private slots:
    void initTestCase()
    {
        QVERIFY(book.open(dir.filePath(QStringLiteral("melde.ldb")), false) && fillBook(book));
        const QString sql = CatalogueFiles::disciplinesSql() + QString::fromUtf8(
            "CREATE TABLE Altersklassen ( Ak CHAR(1), von INTEGER, bis INTEGER, diszi CHAR(1), quota INTEGER,"
            " maennlich TEXT, weiblich TEXT );"
            "INSERT INTO Altersklassen VALUES ( '3', 11, 12, '0', 0, 'Schüler', 'Schülerinnen' ),"
            " ( '5', 13, 14, '0', 0, 'Junioren', 'Juniorinnen' ), ( '5', 12, 12, '0', 1, 'Junioren', 'Juniorinnen' );");
        QVERIFY(catalogue.open(CatalogueFiles::newRules(dir.path(), sql), true));
        event.Datum = eventDay;
        event.Name = QStringLiteral("Pokal");
    }

    void athletes_data()
    {
        QTest::addColumn<int>("disci");
        QTest::addColumn<QList<int>>("members");
        QTest::addColumn<bool>("newTeamRule");
        QTest::addColumn<QString>("report");
        QTest::addColumn<int>("gender");
        QTest::addColumn<int>("clubId");
        QTest::addColumn<int>("changedTo");   // VereinChanged's club, -1: not emitted
        QTest::newRow("single rider") << 1 << QList<int> { 1 } << true << "" << 2 << 1 << 1;
        QTest::newRow("twice") << 1 << QList<int> { 1, 1 } << true
                               << "00: Anna Berg   --- mehrfach enthalten\n00: zu viele Sportler\n" << 2 << 1 << 1;
        QTest::newRow("mixed pair, new rule") << 2 << QList<int> { 1, 2 } << true << "" << 1 << 1 << 1;
        QTest::newRow("mixed pair, old rule") << 2 << QList<int> { 1, 2 } << false << "" << 1 << 1 << 1;
        QTest::newRow("wrong gender") << 1 << QList<int> { 1, 2 } << false
                                      << "00: Ben Kurz --- hat falsches Geschlecht\n00: zu viele Sportler\n" << 2 << 1 << 1;
        QTest::newRow("start group") << 2 << QList<int> { 1, 3 } << true << "" << 2 << -1 << 2;
        QTest::newRow("other club") << 1 << QList<int> { 1, 3 } << true
                                    << "00: Cara Lang --- ist von anderem Verein\n00: zu viele Sportler\n" << 2 << 1 << 2;
        QTest::newRow("too few") << 2 << QList<int> { 1 } << true << "00: zu wenig Sportler\n" << 2 << 1 << 1;
        QTest::newRow("unknown athlete") << 1 << QList<int> { 42 } << true
                                         << "00: Sportler Nummer 0 nicht in der Datenbank!\n" << 0 << 0 << -1;
    }

    void athletes()
    {
        QFETCH(int, disci);
        QFETCH(QList<int>, members);
        QFETCH(bool, newTeamRule);
        QFETCH(QString, report);
        QFETCH(int, gender);
        QFETCH(int, clubId);
        QFETCH(int, changedTo);
        Wertungsbogen::setNewSheetFlag(newTeamRule);
        Starter_t start = startWith(disci, members);
        Wertungsbogen sheet(&book, &start, nullptr, nullptr);
        Wertungsbogen::setNewSheetFlag(true);
        QSignalSpy changed(&sheet, SIGNAL(VereinChanged(int)));
        QCOMPARE(sheet.checkAthletes(), report.isEmpty());
        QCOMPARE(sheet.getReport(), report);
        QCOMPARE(start.gender, gender);
        QCOMPARE(start.clubId, clubId);
        QCOMPARE(changed.isEmpty() ? -1 : changed.first().first().toInt(), changedTo);
        QCOMPARE(start.errorMask, report.isEmpty() ? 0u : 1u);
        QCOMPARE(start.testedMask, 1u);
    }

    void ageClass_data()
    {
        QTest::addColumn<bool>("withCatalogue");
        QTest::addColumn<int>("disci");
        QTest::addColumn<QList<int>>("members");
        QTest::addColumn<int>("ak");
        QTest::addColumn<QString>("report");
        QTest::addColumn<bool>("error");
        QTest::addColumn<int>("akAfter");
        QTest::addColumn<int>("candidates");
        QTest::newRow("fits") << true << 1 << QList<int> { 1 } << 3 << "" << false << 3 << 2;
        QTest::newRow("corrected") << true << 1 << QList<int> { 1 } << 0 << "01: Altersklasse korrigiert auf 'Schülerinnen'\n"
                                   << false << 3 << 2;
        QTest::newRow("pair on the quota") << true << 2 << QList<int> { 2, 1 } << 3
                                           << "01: Altersklasse korrigiert auf 'Junioren'\n" << false << 5 << 1;
        QTest::newRow("wrong year") << true << 1 << QList<int> { 3 } << 3
                                    << "01: Cara Lang  --- kein/falscher Jahrgang (Alter=75)\n" << true << 3 << 0;
        QTest::newRow("no common class") << true << 1 << QList<int> { 4 } << 3 << "01: Keine gemeinsame Altersklasse\n"
                                         << true << 3 << 0;
        QTest::newRow("unknown athlete") << true << 1 << QList<int> { 42 } << 3
                                         << "01: Sportler Nummer 0 nicht in der Datenbank!\n" << true << 3 << 0;
        QTest::newRow("no catalogue") << false << 1 << QList<int> { 1 } << 3
                                      << "01: Altersklasse nicht getestet --- no Reglement-Database\n" << false << 3 << 0;
    }

    void ageClass()
    {
        QFETCH(bool, withCatalogue);
        QFETCH(int, disci);
        QFETCH(QList<int>, members);
        QFETCH(int, ak);
        QFETCH(QString, report);
        QFETCH(bool, error);
        QFETCH(int, akAfter);
        QFETCH(int, candidates);
        Starter_t start = startWith(disci, members);
        start.ageClass = ak;
        start.gender = disci == 2 ? 1 : 2;
        Wertungsbogen sheet(&book, &start, withCatalogue ? &catalogue : nullptr, &event);
        QSignalSpy corrected(&sheet, SIGNAL(AkChanged(AK)));
        QCOMPARE(sheet.checkAltersklasse(), !error);
        QCOMPARE(sheet.getReport(), report);
        QCOMPARE(start.ageClass, akAfter);
        QCOMPARE(corrected.size(), ak != akAfter ? 1 : 0);
        QCOMPARE(sheet.getAltersklassen().size(), candidates);
        QCOMPARE(start.errorMask, error ? 2u : 0u);
        QCOMPARE(start.testedMask, withCatalogue ? 2u : 0u);
    }

    void clubTexts_data()
    {
        QTest::addColumn<int>("clubId");
        QTest::addColumn<QList<int>>("members");
        QTest::addColumn<QString>("verein");
        QTest::addColumn<QString>("verband");
        QTest::addColumn<QString>("report");
        QTest::newRow("club") << 2 << QList<int> { 3 } << "RV Süd" << "HRV" << "";
        QTest::newRow("start group") << -1 << QList<int> { 1, 2, 3 } << "RSV Nord / RV Süd" << "BDR" << "";
        QTest::newRow("missing club") << 99 << QList<int> { 4 } << "" << "" << "Verein ID=99 not found in Melde-Database";
        QTest::newRow("group with a missing club") << 0 << QList<int> { 3, 4 } << "RV Süd" << "HRV"
                                                   << "Verein ID=99 not found in Melde-Database";
    }

    void clubTexts()
    {
        QFETCH(int, clubId);
        QFETCH(QList<int>, members);
        QFETCH(QString, verein);
        QFETCH(QString, verband);
        QFETCH(QString, report);
        Starter_t start = startWith(1, members, clubId);
        Wertungsbogen sheet(&book, &start, nullptr, &event);
        WertungsbogenKopf kopf;
        QCOMPARE(sheet.getKopf(kopf, nullptr), report.isEmpty());
        QCOMPARE(sheet.getReport(), report);
        QCOMPARE(kopf.verein, verein);
        QCOMPARE(kopf.verband, verband);
        QCOMPARE(kopf.wettkampf.Name, QStringLiteral("Pokal"));
    }

    void athleteList_data()
    {
        QTest::addColumn<QList<int>>("members");
        QTest::addColumn<bool>("upperCase");
        QTest::addColumn<QStringList>("names");   // last name and club of each entry
        QTest::addColumn<QString>("report");
        QTest::newRow("one") << QList<int> { 1 } << false << QStringList { "Berg RSV Nord" } << "";
        QTest::newRow("leading gap") << QList<int> { 0, 1 } << true << QStringList { " ", "BERG RSV Nord" } << "";
        QTest::newRow("none") << QList<int> {} << false << QStringList {} << "";
        QTest::newRow("club missing") << QList<int> { 4 } << false << QStringList { "Mai " } << "";
        QTest::newRow("athlete missing") << QList<int> { 1, 42 } << false << QStringList { "Berg RSV Nord" }
                                         << "Sportler ID=42 not found in Melde-Database";
    }

    void athleteList()
    {
        QFETCH(QList<int>, members);
        QFETCH(bool, upperCase);
        QFETCH(QStringList, names);
        QFETCH(QString, report);
        Starter_t start = startWith(1, members);
        Wertungsbogen sheet(&book, &start, nullptr, nullptr);
        QList<ExpandedAthlete> list;
        QCOMPARE(sheet.getAthletes(list, 0, upperCase), report.isEmpty());
        QStringList got;
        for (const ExpandedAthlete& a : list)
            got << a.Nachname + QLatin1Char(' ') + a.VereinName;
        QCOMPARE(got, names);
        QCOMPARE(sheet.getReport(), report);
    }

    void eventById_data()
    {
        QTest::addColumn<bool>("scoreList");
        QTest::addColumn<int>("judge");
        QTest::addColumn<QString>("name");
        QTest::newRow("judge 2") << true << 2 << "Pokal Kr=2";
        QTest::newRow("no judge") << true << 0 << "Pokal";
        QTest::newRow("address book") << false << 2 << "Training";
    }

    void eventById()
    {
        QFETCH(bool, scoreList);
        QFETCH(int, judge);
        QFETCH(QString, name);
        Competition stored = event;
        const int id = book.insertCompetition(stored);
        QVERIFY(id > 0);
        AddressDB plain;
        QVERIFY(plain.open(dir.filePath(QStringLiteral("melde.ldb")), false));
        Starter_t start = startWith(1, { 1 }, 1);
        Wertungsbogen sheet(scoreList ? static_cast<AddressDB*>(&book) : &plain, &start, nullptr, nullptr);
        Wertung_t record;
        record.competitionId = id;
        record.judge = judge;
        WertungsbogenKopf kopf;
        QVERIFY(sheet.getKopf(kopf, &record));
        QCOMPARE(kopf.wettkampf.Name, name);
        QCOMPARE(kopf.wettkampf.Datum, scoreList ? eventDay : QDateTime::fromSecsSinceEpoch(0).date());
    }
};

QTEST_GUILESS_MAIN(TestScoreSheetEntries)
#include "tst_scoresheet_entries.moc"
