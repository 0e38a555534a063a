// The import framework: records kept once and numbered -1, -2, ..., borrowed
// contacts, a failed club read, the importer defaults, entries merged.
#include "records/MeldeImporter.h"

#include "records/Wertung_t.h"
#include "rules/RecordPtrList.h"

#include <QtTest>

namespace {

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

class TestMeldeImporter : public QObject
{
    Q_OBJECT
private slots:
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
        QCOMPARE(in.sourceName + QString::number(in.fromNetwork), QStringLiteral("list0"));
        Wertung_t score;
        WertungList scores;
        scores.append(&score);
        QVERIFY(!in.getEntries(scores) && scores.size() == 1 && scores.at(0) == &score);   // left alone
        QCOMPARE(QList<int>({in.getKind(), in.getYear(), in.getNumber(), in.finish()}), QList<int>({0, 2006, -1, 0}));
        for (const char* name : {"AddressImport", "MeldeImporter"})
            QCOMPARE(static_cast<QObject&>(in).qt_metacast(name), static_cast<void*>(&in));
        QCOMPARE(MeldeImporter::staticMetaObject.superClass(), &AddressImport::staticMetaObject);
        QCOMPARE(AddressImport::staticMetaObject.superClass(), &QObject::staticMetaObject);
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

QTEST_MAIN(TestMeldeImporter)
#include "tst_meldeimporter.moc"
