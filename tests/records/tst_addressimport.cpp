// The import framework: equal clubs and athletes kept once, new ones numbered
// -1, -2, ..., the defaults an imported athlete takes, a failed club read,
// and the importer's meta-object identity.
#include "records/AddressImport.h"

#include <QtTest>

namespace {

// Hands out the records it was given, as a file reader would.
class ListImport : public AddressImport
{
public:
    ListImport() : AddressImport(QStringLiteral("list")) {}

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

Club club(const QString& name)
{
    Club c;
    c.setName(name);
    return c;
}

Athlete athlete(const QString& name, const QString& uci, const QString& nation, int roles)
{
    Athlete a;
    a.setName(name);
    a.uciId = uci;
    a.Nation = nation;
    a.roles = roles;
    return a;
}

} // namespace

class TestAddressImport : public QObject
{
    Q_OBJECT
private slots:
    void duplicatesAndIds()
    {
        ListImport in;
        in.inClubs = {club("RV A"), club(" RV  A "), club("RV B")};
        in.inAthletes = {athlete("Anna Berg", "GER19900101", "", 0), athlete("Ben Zorn", "", "AUT", 4),
                         athlete("Anna Berg", "GER19900101", "", 0), athlete("Anna Berg", "GER19900101", "SUI", 0)};
        QVERIFY(in.run());
        QCOMPARE(in.clubs.size(), 2);
        QCOMPARE(in.clubs.at(0).ID + in.clubs.at(1).ID * 10, -21);
        QCOMPARE(in.ids, (QList<int>{-1, -2, -1, -3}));
        QCOMPARE(in.athletes.size(), 3);
        const Athlete& anna = in.athletes.first();
        // The nation from the UCI-ID's nation form, role A by default.
        QCOMPARE(anna.Nation + anna.rolesText() + QString::number(anna.Verein), QStringLiteral("GERA-1"));
        QCOMPARE(in.athletes.at(1).Nation + in.athletes.at(1).rolesText(), QStringLiteral("AUTR"));
        QCOMPARE(in.athletes.at(2).Nation, QStringLiteral("SUI"));

        // A second run starts afresh.
        QVERIFY(in.run());
        QCOMPARE(in.clubs.size() * 10 + in.athletes.size(), 23);
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
        ListImport in;
        in.inAthletes = {athlete("Anna Berg", "", "", 0)};
        in.report = report;
        QVERIFY(!in.run());
        QCOMPARE(in.report, after);
        QVERIFY(in.athletes.isEmpty());   // athletes are read only for clubs read
    }

    void metaObjectIdentity()
    {
        ListImport in;
        QCOMPARE(in.sourceName + QString::number(in.fromNetwork), QStringLiteral("list0"));
        QCOMPARE(static_cast<QObject&>(in).qt_metacast("AddressImport"), static_cast<void*>(&in));
        QCOMPARE(AddressImport::staticMetaObject.className(), "AddressImport");
        QCOMPARE(AddressImport::staticMetaObject.superClass(), &QObject::staticMetaObject);
    }
};

QTEST_MAIN(TestAddressImport)
#include "tst_addressimport.moc"
