// The catalogue's queries on catalogue files of both rule generations and on
// one without the tables: exercise limits with their fixed fallback, the
// exercise lists with a limit, follow-up rules, tactical values, age classes,
// categories and the exercise search, and the statements they run.
#include "rules/CatalogueSql.h"
#include "rules/ReglementDB.h"
#include "tests/rules/CatalogueFiles.h"

#include "db/Conversions.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

template<class T>
QStringList codesOf(const RecordPtrList<T>& list)
{
    QStringList codes;
    for (const T* record : list)
        codes << QString::fromUtf8(record->nr);
    return codes;
}

UebungFilter filter(const QString& nr, int disziplin, const QString& text, double minZ, double maxZ, double z)
{
    UebungFilter f;
    f.nr = nr;
    f.disziplin = disziplin;
    f.text = text;
    f.minZiffer = minZ;
    f.maxZiffer = maxZ;
    f.ziffer = z;
    return f;
}

} // namespace

class TestCatalogueQueries : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(oldRules.open(CatalogueFiles::oldRules(oldDir.path(), CatalogueFiles::queriesSql()), true));
        QVERIFY(newRules.open(CatalogueFiles::newRules(newDir.path(), CatalogueFiles::queriesSql()), true));
        QVERIFY(bare.open(CatalogueFiles::newRules(bareDir.path()), true));
    }

    void statements_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        const UebungFilter d1 = filter(QString(), 1, QString(), 0, 0, 0);
        const UebungFilter full = filter("12", 0, "abc", 1.5, 3, 0);
        const UebungFilter exact = filter(QString(), 9, QString(), 1, 0, 2);
        const UebungFilter upper = filter("2", 0, "O'Brien", 0, 3.5, 0);
        const UebungFilter lower = filter("1'", 0, QString(), 12.25, 0, 0);
        QTest::newRow("figures") << CatalogueSql::figures(1, 9) << "SELECT * FROM Figures WHERE diszi = '1' AND ak = '0';";
        QTest::newRow("by discipline") << CatalogueSql::byDiscipline("einzeln", 8) << "SELECT * FROM einzeln WHERE Nr LIKE '0%'; ";
        QTest::newRow("taktisch") << CatalogueSql::taktisch(Figure("1101a"))
                                  << "SELECT anzahl, Ziffer FROM taktisch WHERE Nr='1101a' ORDER BY anzahl;";
        QTest::newRow("age classes 4 3") << CatalogueSql::altersklassen(4, 3)
                                         << "SELECT * FROM Altersklassen  WHERE ( diszi = '4' OR diszi = '0' )  AND  Ak = '3';";
        QTest::newRow("age classes 4 0") << CatalogueSql::altersklassen(4, 0)
                                         << "SELECT * FROM Altersklassen  WHERE ( diszi = '4' OR diszi = '0' ) ;";
        QTest::newRow("age classes 0 3") << CatalogueSql::altersklassen(0, 3) << "SELECT * FROM Altersklassen  WHERE  Ak = '3';";
        QTest::newRow("age classes all") << CatalogueSql::altersklassen(0, 0) << "SELECT * FROM Altersklassen ;";
        QTest::newRow("uebungen all") << CatalogueSql::uebungen(nullptr) << "SELECT Nr, Text, Ziffer FROM uebungen ORDER BY Nr;";
        QTest::newRow("uebungen 1") << CatalogueSql::uebungen(&d1) << "SELECT Nr, Text, Ziffer FROM uebungen WHERE Nr LIKE '1%'  ORDER BY Nr;";
        QTest::newRow("uebungen between") << CatalogueSql::uebungen(&full)
            << "SELECT Nr, Text, Ziffer FROM uebungen WHERE Nr LIKE '12%' AND Text LIKE '%abc%' AND Ziffer BETWEEN  1.50 and  3.00  ORDER BY Nr;";
        QTest::newRow("uebungen exact") << CatalogueSql::uebungen(&exact)
            << "SELECT Nr, Text, Ziffer FROM uebungen WHERE Nr LIKE '0%' AND Ziffer =  2.00  ORDER BY Nr;";
        QTest::newRow("uebungen quoted text") << CatalogueSql::uebungen(&upper)
            << "SELECT Nr, Text, Ziffer FROM uebungen WHERE Nr LIKE '2%' AND Text LIKE '%O''Brien%' AND Ziffer <=  3.50  ORDER BY Nr;";
        QTest::newRow("uebungen quoted code") << CatalogueSql::uebungen(&lower)
            << "SELECT Nr, Text, Ziffer FROM uebungen WHERE Nr LIKE '1''%' AND Ziffer >= 12.25  ORDER BY Nr;";
    }

    void statements()
    {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QCOMPARE(sql, expected);
    }

    void figures_data()
    {
        QTest::addColumn<int>("catalogue");   // 0 old rules, 1 new rules, 2 new rules without the table
        QTest::addColumn<int>("disci");
        QTest::addColumn<int>("ak");
        QTest::addColumn<QList<int>>("expected");   // result, most and least on one cycle
        QTest::newRow("row") << 1 << 1 << 3 << QList<int>{ 27, 0, 0 };
        QTest::newRow("row -1 new") << 1 << 4 << 3 << QList<int>{ 25, 5, 2 };
        QTest::newRow("row -1 old") << 0 << 4 << 3 << QList<int>{ 22, 5, 2 };
        QTest::newRow("row -1 pair") << 1 << 2 << 6 << QList<int>{ 25, 15, 8 };
        QTest::newRow("new 1 young") << 1 << 1 << 5 << QList<int>{ 25, 0, 0 };
        QTest::newRow("new 1 old") << 2 << 1 << 6 << QList<int>{ 30, 0, 0 };
        QTest::newRow("old 1 young") << 0 << 1 << 5 << QList<int>{ 22, 0, 0 };
        QTest::newRow("old 1 old") << 0 << 1 << 7 << QList<int>{ 28, 0, 0 };
        QTest::newRow("new 2 young") << 2 << 2 << 2 << QList<int>{ 20, 12, 4 };
        QTest::newRow("old 2 young") << 0 << 2 << 5 << QList<int>{ 18, 11, 9 };
        QTest::newRow("old 2 old") << 0 << 2 << 6 << QList<int>{ 22, 13, 11 };
        QTest::newRow("new 7") << 1 << 7 << 1 << QList<int>{ 25, 0, 0 };
        QTest::newRow("old 6 old") << 0 << 6 << 6 << QList<int>{ 25, 0, 0 };
        QTest::newRow("old 5 young") << 0 << 5 << 1 << QList<int>{ 22, 0, 0 };
        for (int disci : { 0, 3, 8, -1 })
            QTest::newRow(qPrintable(QString("none %1").arg(disci))) << 1 << disci << 6 << QList<int>{ -1, 0, 0 };
    }

    void figures()
    {
        QFETCH(int, catalogue);
        QFETCH(int, disci);
        QFETCH(int, ak);
        QFETCH(QList<int>, expected);
        ReglementDB* db[] = { &oldRules, &newRules, &bare };
        int most = -7, least = -7;
        const int result = db[catalogue]->getFigures(disci, ak, &most, &least);
        QCOMPARE((QList<int>{ result, most, least }), expected);
        QCOMPARE(db[catalogue]->getFigures(disci, ak), result);
    }

    void limitLists_data()
    {
        QTest::addColumn<int>("disci");
        QTest::addColumn<QList<int>>("turns");
        QTest::addColumn<int>("turnsLimit");
        QTest::addColumn<QStringList>("separate");
        QTest::addColumn<QStringList>("einzeln");
        QTest::addColumn<int>("separateLimit");
        QTest::newRow("1") << 1 << QList<int>{ 1201, 1202 } << 3 << QStringList{ "", "1101a" } << QStringList{ "1234", "1101a" } << 0;
        QTest::newRow("2") << 2 << QList<int>{ 2101 } << 7 << QStringList() << QStringList() << 0;
        QTest::newRow("7") << 7 << QList<int>() << 0 << QStringList{ "7301b" } << QStringList{ "7301b" } << 7;
    }

    void limitLists()
    {
        QFETCH(int, disci);
        QFETCH(QList<int>, turns);
        QFETCH(int, turnsLimit);
        QFETCH(QStringList, separate);
        QFETCH(QStringList, einzeln);
        QFETCH(int, separateLimit);
        QList<int> turnList{ 99 };
        QList<Figure> separateList{ Figure("1101a") };
        RecordPtrList<ExerciseCode_t> records;
        QCOMPARE(newRules.getTurnsOnSpotList(turnList, disci), turnsLimit);
        QCOMPARE(turnList, turns);
        QCOMPARE(newRules.getStanddrehungen(records, disci), turnsLimit);
        QCOMPARE(codesOf(records).size(), turns.size());
        QVERIFY(records.autoDelete);
        QCOMPARE(newRules.getSeparateList(separateList, disci), separateLimit);
        QStringList texts;
        for (const Figure& f : separateList)
            texts << f.text();
        QCOMPARE(texts, separate);
        QCOMPARE(newRules.getEinzeln(records, disci), separateLimit);
        QCOMPARE(codesOf(records), einzeln);
    }

    void followUps()
    {
        QList<RestrictedPassage> passages;
        QVERIFY(newRules.getRestrictedPassagesList(passages, 2));
        QCOMPARE(passages.size(), 1);
        QCOMPARE(passages.at(0).next, (QList<int>{ 2102, 0, 0, 0, 0, 0, 0 }));
        // The row without a valid code is dropped, the good one kept.
        QVERIFY(!newRules.getRestrictedPassagesList(passages, 1));
        QCOMPARE(passages.size(), 1);
        QCOMPARE(passages.at(0).nr.text(), QStringLiteral("1101a"));
        QCOMPARE(passages.at(0).next, (QList<int>{ 1102, 1103, 0, 0, 0, 70000, 99 }));

        RecordPtrList<Transition_t> transitions;
        QVERIFY(newRules.getUebergaenge(transitions, 1));
        QCOMPARE(codesOf(transitions), (QStringList{ "1101a", "1101aXY" }));
        const qint16* next = transitions.at(0)->next;
        QCOMPARE((QList<int>{ next[0], next[1], next[2], next[5] }), (QList<int>{ 1102, 1103, 0, 70000 - 65536 }));
        QCOMPARE(int(transitions.at(1)->next[5]), 6);
    }

    void tactical()
    {
        TacticalValue value;
        QVERIFY(newRules.getTaktisch(value, Figure("1101a")));
        QCOMPARE(value.nr, QStringLiteral("1101a"));
        QCOMPARE(value.anzahl, 1);
        QCOMPARE(value.ziffern, (QList<int>{ 30, 50 }));
        QVERIFY(newRules.getTaktisch(value, Figure("4101a")));
        QCOMPARE(value.anzahl, 0);
        QVERIFY(value.ziffern.isEmpty());
    }

    void ageClasses_data()
    {
        QTest::addColumn<bool>("all");
        QTest::addColumn<int>("disci");
        QTest::addColumn<int>("ak");
        QTest::addColumn<QList<int>>("classes");
        QTest::addColumn<int>("rows");
        QTest::newRow("1") << true << 1 << 0 << QList<int>{ 3, 5 } << 3;
        QTest::newRow("4") << true << 4 << 0 << QList<int>{ 3, 5, 6 } << 4;
        QTest::newRow("4 without young") << false << 4 << 0 << QList<int>{ 5, 6 } << 3;
        QTest::newRow("3 without young") << false << 3 << 0 << QList<int>{ 3, 5 } << 3;
        QTest::newRow("4 5") << true << 4 << 5 << QList<int>{ 5 } << 2;
        QTest::newRow("any 5") << true << 0 << 5 << QList<int>{ 5 } << 1;
        QTest::newRow("any") << true << 0 << 0 << QList<int>{ 3, 5, 6 } << 1;
    }

    void ageClasses()
    {
        QFETCH(bool, all);
        QFETCH(int, disci);
        QFETCH(int, ak);
        QFETCH(QList<int>, classes);
        QFETCH(int, rows);
        newRules.allAgeClasses = all;
        QList<AgeClass> list;
        newRules.getAltersklassen(list, disci, ak);
        RecordPtrList<AgeClass_t> records;
        newRules.queryAltersklassen(records, disci, ak);
        newRules.allAgeClasses = true;
        QList<int> aks;
        for (const AgeClass& c : list)
            aks << c.ak;
        QCOMPARE(aks, classes);
        QCOMPARE(records.size(), rows);
        const AgeClass& five = list.at(classes.indexOf(5));
        QCOMPARE((QList<int>{ five.minAge, five.maxAge }), (QList<int>{ 13, 14 }));
        QCOMPARE(five.quotas, (QList<AgeQuota>{ { 1, 15, 15 } }));
        QCOMPARE(five.nameFemale, QStringLiteral("Juniorinnen"));
    }

    void ageClassRecords()
    {
        RecordPtrList<AgeClass_t> records;
        newRules.queryAltersklassen(records, 4, 6);
        QCOMPARE(records.size(), 1);
        const AgeClass_t& elite = *records.at(0);
        QCOMPARE((QList<int>{ elite.ak, elite.minAge, elite.maxAge, elite.quota }), (QList<int>{ 6, 15, 18, 0 }));
        QCOMPARE(QString::fromUtf8(elite.nameMale), QStringLiteral("Elite mit einem sehr langen Nam"));
        QCOMPARE(QString::fromUtf8(elite.nameFemale), QStringLiteral("Damen"));
    }

    void categories()
    {
        QList<RuvoDBString> list;
        newRules.getKategorien(list);
        QCOMPARE(list.size(), 7 * 4 + 2);
        QCOMPARE(list.at(0).text, QString::fromUtf8("1er Kunst Schülerinnen U13"));
        QCOMPARE(list.at(0).id, packCategory(1, 2, 3));
        QCOMPARE(newRules.getKategorieName(1, 1, 5), QStringLiteral("1er Kunst Junioren"));
        QCOMPARE(newRules.getKategorieName(packCategory(4, 1, 6)), QStringLiteral("4er Kunst Elite mit einem sehr langen Namen"));
        QCOMPARE(newRules.getKategorieName(1, 1, 6), QString());
        bare.getKategorien(list);
        QVERIFY(list.isEmpty());
    }

    void exercises()
    {
        QList<Uebung> list;
        const UebungFilter d1 = filter(QString(), 1, QString(), 0, 0, 0);
        QVERIFY(newRules.getUebungen(list, &d1));
        QStringList codes;
        for (const Uebung& u : list)
            codes << u.nr.text();
        QCOMPARE(codes, (QStringList{ "1101a", "1102a", "1201b", "", "1301c" }));
        QCOMPARE(list.at(0).ziffer, 2.5);
        QCOMPARE(list.at(1).ziffer, 2.55);
        QVERIFY(list.at(0).isValid() && list.at(0) == Figure("1101a"));
        QVERIFY(!list.at(3).isValid() && !list.at(4).isValid());
        list[0].clear();
        QVERIFY(list.at(0).nr.text().isEmpty() && list.at(0).text.isEmpty() && list.at(0).ziffer == 0);

        const UebungFilter quoted = filter(QString(), 0, "O'Brien", 0, 0, 0);
        QVERIFY(newRules.getUebungen(list, &quoted));
        QVERIFY(list.isEmpty());
        const UebungFilter named = filter("1", 0, "O'Brien", 0, 0, 0);
        QVERIFY(newRules.getUebungen(list, &named));
        QCOMPARE(list.size(), 1);
        QVERIFY(newRules.getUebungen(list, nullptr));
        QCOMPARE(list.size(), 6);
    }

    // Without the tables, or without a catalogue: failures and empty lists.
    void missingTables()
    {
        ReglementDB closed;
        for (ReglementDB* db : { &bare, &closed }) {
            QList<int> turns{ 1 };
            QList<Figure> separate{ Figure("1101a") };
            RecordPtrList<ExerciseCode_t> codes;
            QList<RestrictedPassage> passages{ RestrictedPassage() };
            RecordPtrList<Transition_t> transitions;
            QList<AgeClass> classes{ AgeClass() };
            RecordPtrList<AgeClass_t> records;
            QList<Uebung> exercises{ Uebung() };
            TacticalValue value;
            QCOMPARE(db->getTurnsOnSpotList(turns, 1), -1);
            QCOMPARE(db->getSeparateList(separate, 1), -1);
            QCOMPARE(db->getStanddrehungen(codes, 1), -1);
            QCOMPARE(db->getEinzeln(codes, 1), -1);
            QVERIFY(!db->getRestrictedPassagesList(passages, 1));
            QVERIFY(!db->getUebergaenge(transitions, 1));
            QVERIFY(!db->getTaktisch(value, Figure("1101a")));
            db->getAltersklassen(classes, 1, 0);
            db->queryAltersklassen(records, 1, 0);
            QVERIFY(!db->getUebungen(exercises, nullptr));
            QVERIFY(turns.isEmpty() && separate.isEmpty() && codes.isEmpty() && passages.isEmpty());
            QVERIFY(transitions.isEmpty() && classes.isEmpty() && records.isEmpty() && exercises.isEmpty());
            QCOMPARE(db->getKategorieName(1, 2, 3), QString());
        }
        QCOMPARE(closed.getFigures(1, 6), 28);
    }

private:
    QTemporaryDir oldDir, newDir, bareDir;
    ReglementDB oldRules, newRules, bare;
};

QTEST_GUILESS_MAIN(TestCatalogueQueries)
#include "tst_cataloguequeries.moc"
