// The rules catalogue on real catalogue files of both rule generations and on
// one without any table: file check, dates and their messages, disciplines
// with their fallback, the queries and the exact statements they run.
#include "rules/CatalogueDateCheck.h"
#include "rules/CatalogueSql.h"
#include "rules/ReglementDB.h"
#include "tests/rules/CatalogueFiles.h"
#include "tests/support/MessageCatcher.h"

#include "db/Conversions.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(CatalogueDate)

static QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The text of each item, joined by sep.
template<class List, class Text>
static QString joined(const List& list, Text text, const char* sep = " ")
{
    QStringList texts;
    for (const auto& item : list)
        texts << text(item);
    return texts.join(QLatin1String(sep));
}

static QString number(int n) { return QString::number(n); }
template<class Record>
static QString nrOf(const Record* record) { return QString::fromUtf8(record->nr); }
static QString codes(ReglementDB& db) { return joined(db.getDisziplinen(), [](const RuvoDBString& d) { return number(d.id); }); }

class TestReglementDB : public QObject
{
    Q_OBJECT

    QString folder(const QString& name) { return QDir(tmp.path()).mkdir(name) ? tmp.filePath(name) : QString(); }

private slots:
    void initTestCase()
    {
        QVERIFY(oldRules.open(CatalogueFiles::oldRules(folder("old"), CatalogueFiles::queriesSql()), true));
        // An age class of one discipline that comes first: the category list must not skip it.
        const QString ageClassFirst = QString::fromUtf8("INSERT INTO Altersklassen ( rowid, Ak, von, bis, diszi, quota, maennlich, weiblich )"
                                                        " VALUES ( -1, '1', 7, 8, '2', 0, 'Schüler U9', 'Schülerinnen U9' );");
        QVERIFY(newRules.open(CatalogueFiles::newRules(folder("new"), CatalogueFiles::queriesSql() + ageClassFirst), true));
        QVERIFY(bare.open(CatalogueFiles::newRules(folder("bare"), QString()), true));
    }

    // The date text: the validity it gives, the warning on a day, the base score of its rules.
    void dates_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("validity");
        QTest::addColumn<CatalogueDate>("verdict");
        QTest::addColumn<int>("baseScore");
        const CatalogueDate current = CatalogueDate::Current, expired = CatalogueDate::Expired;
        QTest::newRow("2020 last day") << "01.01.2020" << QDate(2021, 12, 31) << "01.01.2020 - 31.12.2021" << current << 0;
        QTest::newRow("2020 expired") << "01.01.2020" << QDate(2022, 1, 1) << "01.01.2020 - 31.12.2021" << expired << 0;
        QTest::newRow("2020 in 2019") << "01.01.2020" << QDate(2019, 6, 1) << "01.01.2020 - 31.12.2021" << current << 0;
        QTest::newRow("2020 in 2018") << "01.01.2020" << QDate(2018, 6, 1) << "01.01.2020 - 31.12.2021"
                                      << CatalogueDate::ClockBehind << 0;
        QTest::newRow("2022 last day") << "2022/03/01" << QDate(2024, 12, 31) << "2022/03/01 - 31.12.2024" << current << 0;
        QTest::newRow("2017") << "20170815" << QDate(2019, 12, 31) << "20170815 - 31.12.2019" << current << 0;
        QTest::newRow("first new rules") << "2008-01-01" << QDate(2008, 12, 31) << "2008-01-01 - 31.12.2008" << current << 0;
        QTest::newRow("last old rules") << "15.03.2007" << QDate(2007, 6, 1) << "15.03.2007 - 31.12.2007" << current << 200;
        QTest::newRow("no date") << "kein Datum" << QDate(2026, 1, 1) << "kein Datum - 31.12.0" << expired << 200;
    }

    void dates()
    {
        QFETCH(QString, date);
        QFETCH(QDate, today);
        QFETCH(QString, validity);
        QFETCH(CatalogueDate, verdict);
        QFETCH(int, baseScore);
        const QString path = tmp.filePath(QStringLiteral("dated.ldb"));
        ReglementDB reglement;
        QVERIFY(CatalogueFiles::write(path, date) && reglement.open(path, true));
        QCOMPARE(reglement.validityText(), validity);
        QCOMPARE(reglement.dateWarning(today), catalogueDateMessage(verdict, today));
        QCOMPARE(ReglementDB::getGrundpunktzahl(&reglement), baseScore);
    }

    void messages()
    {
        const QDate today(2018, 4, 9);
        QCOMPARE(catalogueDateMessage(CatalogueDate::Current, today), QString());
        QCOMPARE(catalogueDateMessage(CatalogueDate::Expired, today),
                 QString::fromUtf8("<b><font color=#FF0000>Das Reglement ist wahrscheinlich nicht mehr gültig!</font>"
                                   "<br><br>Bitte aktualisieren Sie die Software!</b>"));
        QCOMPARE(catalogueDateMessage(CatalogueDate::ClockBehind, today),
                 QString::fromUtf8("Das Datum ihres Rechner ist wesentlich älter als das Reglement!<br><br>"
                                   "Ist <b>heute</b> wirklich der <b><font color=#FF0000>%1</font></b>?")
                     .arg(QLocale::system().toString(today, QLocale::ShortFormat)));
        QCOMPARE(catalogueOpenFailedMessage(),
                 QString::fromUtf8("<b>Das Reglement kann nicht geöffnet werden!</b><br><br>Wahrscheinlich: <ul>"
                                   "<li>ist Ihr Installation fehlerhaft!!</li><li>wird die ausgewählte Sprache nicht "
                                   "mehr unterstützt</li></ul><br><b>Wählen Sie unbedingt eine andere Sprache!</b>"));
    }

    void withoutCatalogue()
    {
        QList<int> sizes;
        for (int disci = -1; disci <= 8; ++disci)
            sizes << getTeamSize(disci);
        QCOMPARE(sizes, (QList<int>{ 1, 1, 1, 2, 1, 4, 4, 6, 6, 1 }));
        QCOMPARE(ReglementDB::getGrundpunktzahl(nullptr), 0);
    }

    // A catalogue opens write-locked, read-only or not; a file of another kind
    // is refused and read no further. Neither file changes.
    void fileCheck()
    {
        const QString path = CatalogueFiles::oldRules(folder("locked")), wrong = CatalogueFiles::wrongMagic(folder("wrong"));
        const QByteArray before = contents(path) + contents(wrong);
        for (bool readOnly : { true, false }) {
            ReglementDB reglement;
            MessageCatcher catcher;
            QVERIFY(reglement.open(path, readOnly) && reglement.isWriteLocked() && !reglement.isReadLocked());
            QVERIFY(!reglement.exec(QStringLiteral("DELETE FROM Disziplinen;")));
            QCOMPARE(reglement.lastError(), RuvoDB::errorText(RuvoDB::ErrLocked));
            QVERIFY(!reglement.setMagic(1) && catcher.texts.isEmpty());
        }
        ReglementDB reglement;
        MessageCatcher catcher;
        QVERIFY(!reglement.open(wrong, true) && !reglement.isOpen());
        QCOMPARE(catcher.texts, QStringList{ wrong + QStringLiteral("<br>") + RuvoDB::errorText(RuvoDB::ErrWrongType) });
        QCOMPARE(catcher.icons, QList<int>{ MessageCritical });
        QCOMPARE(codes(reglement), QStringLiteral("1 2 4 5 6 7"));   // the fallback list
        QCOMPARE(contents(path) + contents(wrong), before);
    }

    // The table's list, ordered, odd codes as 0, cached until the next open;
    // without the table the fallback list, which has no code 3.
    void disciplines()
    {
        QCOMPARE(codes(bare), QStringLiteral("1 2 4 5 6 7"));
        QCOMPARE(bare.getDisziplinName(6) + bare.getDisziplinName(3), QStringLiteral("6er Kunst"));
        ReglementDB reglement;
        QVERIFY(reglement.open(CatalogueFiles::unparsableDate(folder("undated")), true));
        QVERIFY(codes(reglement) == QStringLiteral("1 2 3 4 5 6 7") && !reglement.isNewReglement());
        const QString path = CatalogueFiles::newRules(
            folder("nine"), CatalogueFiles::disciplinesSql() + QStringLiteral("INSERT INTO Disziplinen VALUES ( 9, 'Neun' );"));
        QVERIFY(reglement.open(path, true) && reglement.isNewReglement());
        QCOMPARE(codes(reglement), QStringLiteral("1 2 3 4 5 6 7 0"));
        QCOMPARE(reglement.getDisziplinName(0) + reglement.getDisziplinName(3), QStringLiteral("Neun1er Einrad"));
        RuvoDB writer;
        QVERIFY(writer.open(path, false) && writer.exec(QStringLiteral("DELETE FROM Disziplinen WHERE art > 2;")));
        writer.close();
        QCOMPARE(reglement.getDisziplinen().size(), 8);
        QVERIFY(reglement.open(path, true));
        QCOMPARE(codes(reglement), QStringLiteral("1 2"));
        QVERIFY(reglement.open(CatalogueFiles::oldRules(folder("empty"), "CREATE TABLE Disziplinen ( art INTEGER, name TEXT );"), true));
        QVERIFY(reglement.getDisziplinen().isEmpty());
    }

    void statements_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        const QString ue = "SELECT Nr, Text, Ziffer FROM uebungen";
        const UebungFilter d7{ "", 7, "", 0, 0, 0 }, range{ "12", 0, "abc", 1.5, 3, 0 }, exact{ "", 9, "", 1, 0, 2 },
            upper{ "2", 0, "O'Brien", 0, 3.5, 0 }, lower{ "1'", 0, "", 12.25, 0, 0 };
        QTest::newRow("figures") << CatalogueSql::figures(1, 9) << "SELECT * FROM Figures WHERE diszi = '1' AND ak = '0';";
        QTest::newRow("by discipline") << CatalogueSql::byDiscipline("einzeln", 8) << "SELECT * FROM einzeln WHERE Nr LIKE '0%'; ";
        QTest::newRow("taktisch") << CatalogueSql::taktisch(Figure("1101a")) << "SELECT anzahl, Ziffer FROM taktisch WHERE Nr='1101a' ORDER BY anzahl;";
        QTest::newRow("ak 4 3") << CatalogueSql::altersklassen(4, 3) << "SELECT * FROM Altersklassen  WHERE ( diszi = '4' OR diszi = '0' )  AND  Ak = '3';";
        QTest::newRow("ak 4 0") << CatalogueSql::altersklassen(4, 0) << "SELECT * FROM Altersklassen  WHERE ( diszi = '4' OR diszi = '0' ) ;";
        QTest::newRow("ak 0 3") << CatalogueSql::altersklassen(0, 3) << "SELECT * FROM Altersklassen  WHERE  Ak = '3';";
        QTest::newRow("ue all") << CatalogueSql::uebungen(nullptr) << ue + " ORDER BY Nr;";
        QTest::newRow("ue 7") << CatalogueSql::uebungen(&d7) << ue + " WHERE Nr LIKE '7%'  ORDER BY Nr;";
        QTest::newRow("ue range") << CatalogueSql::uebungen(&range)
                                  << ue + " WHERE Nr LIKE '12%' AND Text LIKE '%abc%' AND Ziffer BETWEEN  1.50 and  3.00  ORDER BY Nr;";
        QTest::newRow("ue exact") << CatalogueSql::uebungen(&exact) << ue + " WHERE Nr LIKE '0%' AND Ziffer =  2.00  ORDER BY Nr;";
        QTest::newRow("ue quoted text") << CatalogueSql::uebungen(&upper)
                                        << ue + " WHERE Nr LIKE '2%' AND Text LIKE '%O''Brien%' AND Ziffer <=  3.50  ORDER BY Nr;";
        QTest::newRow("ue quoted code") << CatalogueSql::uebungen(&lower) << ue + " WHERE Nr LIKE '1''%' AND Ziffer >= 12.25  ORDER BY Nr;";
    }

    void statements()
    {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QCOMPARE(sql, expected);
    }

    // The catalogue's row, else the fallback of the catalogue's rules generation.
    void figures_data()
    {
        // catalogue (0 older rules, 1 newer, 2 newer without tables, 3 none open), discipline, age class;
        // then the most exercises and the most and least on one cycle
        QTest::addColumn<QList<int>>("ask");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("row") << QList<int>{ 1, 1, 3 } << QList<int>{ 27, 0, 0 };
        QTest::newRow("row -1 keeps cycles") << QList<int>{ 0, 4, 3 } << QList<int>{ 22, 5, 2 };
        QTest::newRow("row -1 pair") << QList<int>{ 1, 2, 6 } << QList<int>{ 25, 15, 8 };
        QTest::newRow("old 1 young") << QList<int>{ 0, 1, 5 } << QList<int>{ 22, 0, 0 };
        QTest::newRow("closed 1 old") << QList<int>{ 3, 1, 6 } << QList<int>{ 28, 0, 0 };
        QTest::newRow("new 1 young") << QList<int>{ 2, 1, 5 } << QList<int>{ 25, 0, 0 };
        QTest::newRow("new 1 old") << QList<int>{ 2, 1, 6 } << QList<int>{ 30, 0, 0 };
        QTest::newRow("old 2 young") << QList<int>{ 0, 2, 5 } << QList<int>{ 18, 11, 9 };
        QTest::newRow("old 2 old") << QList<int>{ 0, 2, 6 } << QList<int>{ 22, 13, 11 };
        QTest::newRow("new 2 young") << QList<int>{ 2, 2, 5 } << QList<int>{ 20, 12, 4 };
        QTest::newRow("old 5 old") << QList<int>{ 0, 5, 6 } << QList<int>{ 25, 0, 0 };
        QTest::newRow("new 7 young") << QList<int>{ 2, 7, 5 } << QList<int>{ 25, 0, 0 };
        QTest::newRow("none 3") << QList<int>{ 1, 3, 6 } << QList<int>{ -1, 0, 0 };
    }

    void figures()
    {
        QFETCH(QList<int>, ask);
        QFETCH(QList<int>, expected);
        ReglementDB* db[] = { &oldRules, &newRules, &bare, &closed };
        int most = -7, least = -7;
        QCOMPARE((QList<int>{ db[ask[0]]->getFigures(ask[1], ask[2], &most, &least), most, least }), expected);
    }

    // Each list query on the catalogue with its tables (1), the same with the youngest
    // age classes of the team disciplines switched off (3), or without its tables (2);
    // the lists handed in hold a stale entry.
    void lists_data()
    {
        QTest::addColumn<int>("catalogue");
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("disci");
        QTest::addColumn<QString>("expected");   // the result, ":" and the entries
        QTest::newRow("turns 1") << 1 << "turns" << 1 << "3: 1201,1202";
        QTest::newRow("turns 7") << 1 << "turns" << 7 << "0: ";
        QTest::newRow("standdrehungen 2") << 1 << "standdrehungen" << 2 << "7: 2101a";
        QTest::newRow("separate 1") << 1 << "separate" << 1 << "0:  1101a";
        QTest::newRow("einzeln 1") << 1 << "einzeln" << 1 << "0: 1234 1101a";
        QTest::newRow("passages 1") << 1 << "passages" << 1 << "0: 1101a>1102,1103,0,0,0,70000,99";
        QTest::newRow("passages 2") << 1 << "passages" << 2 << "1: 2101a>2102,0,0,0,0,0,0";
        QTest::newRow("transitions 1") << 1 << "transitions" << 1 << "1: 1101a>1102,1103,0,0,0,4464 1101aXY>1,2,3,4,5,6";
        QTest::newRow("age classes 4") << 1 << "age classes" << 4 << "0: 3:11-12 5:13-14/1:15-15 6:15-18";
        QTest::newRow("age rows 4") << 1 << "age rows" << 4 << "0: 3/0 5/0 5/1 6/0:Elite mit einem sehr langen Nam";
        QTest::newRow("age rows any") << 1 << "age rows" << 0 << "0: 1/0";
        QTest::newRow("young off 3") << 3 << "age classes" << 3 << "0: 3:11-12 5:13-14/1:15-15";
        QTest::newRow("young off 4") << 3 << "age classes" << 4 << "0: 5:13-14/1:15-15 6:15-18";
        QTest::newRow("young rows off 4") << 3 << "age rows" << 4 << "0: 5/0 5/1 6/0:Elite mit einem sehr langen Nam";
        for (const char* query : { "turns", "separate", "standdrehungen", "einzeln" })
            QTest::newRow(query) << 2 << query << 1 << "-1: ";
        for (const char* query : { "passages", "transitions", "age classes", "age rows" })
            QTest::newRow(query) << 2 << query << 1 << "0: ";
    }

    void lists()
    {
        QFETCH(int, catalogue);
        QFETCH(QString, query);
        QFETCH(int, disci);
        QFETCH(QString, expected);
        ReglementDB& db = catalogue == 2 ? bare : newRules;
        newRules.allAgeClasses = catalogue != 3;
        int result = 0;
        QString out;
        if (query == "turns") {
            QList<int> list{ 99 };
            result = db.getTurnsOnSpotList(list, disci);
            out = joined(list, number, ",");
        } else if (query == "separate") {
            QList<Figure> list{ Figure("1101a") };
            result = db.getSeparateList(list, disci);
            out = joined(list, [](const Figure& f) { return f.text(); });
        } else if (query == "standdrehungen" || query == "einzeln") {
            ExerciseCode_t stale{ "9999" };   // not owned: the query must let it go, not delete it
            RecordPtrList<ExerciseCode_t> list;
            list.append(&stale);
            result = query == "einzeln" ? db.getEinzeln(list, disci) : db.getStanddrehungen(list, disci);
            out = joined(list, nrOf<ExerciseCode_t>);
        } else if (query == "passages") {
            QList<RestrictedPassage> list{ RestrictedPassage() };
            result = db.getRestrictedPassagesList(list, disci);
            out = joined(list, [](const RestrictedPassage& p) { return p.nr.text() + ">" + joined(p.next, number, ","); });
        } else if (query == "transitions") {
            RecordPtrList<Transition_t> list;
            result = db.getUebergaenge(list, disci);
            out = joined(list, [](const Transition_t* t) { return nrOf(t) + ">" + joined(QList<int>(t->next, t->next + 6), number, ","); });
        } else if (query == "age classes") {
            QList<AgeClass> list{ AgeClass() };
            db.getAltersklassen(list, disci, 0);
            out = joined(list, [](const AgeClass& c) {
                return QString("%1:%2-%3").arg(c.ak).arg(c.minAge).arg(c.maxAge)
                       + joined(c.quotas, [](const AgeQuota& q) { return QString("/%1:%2-%3").arg(q.quota).arg(q.minAge).arg(q.maxAge); }, "");
            });
        } else {
            RecordPtrList<AgeClass_t> list;
            db.queryAltersklassen(list, disci, 0);
            out = joined(list, [](const AgeClass_t* r) { return QString("%1/%2").arg(r->ak).arg(r->quota) + (r->ak == 6 ? QString(":") + r->nameMale : ""); });
        }
        newRules.allAgeClasses = true;
        QCOMPARE(number(result) + ": " + out, expected);
    }

    void tactics()
    {
        TacticalValue value;
        QVERIFY(!bare.getTaktisch(value, Figure("1101a")) && newRules.getTaktisch(value, Figure("1101a")));
        QCOMPARE(value.nr + QString::number(value.anzahl) + joined(value.ziffern, number, ","), QStringLiteral("1101a130,50"));
        QVERIFY(newRules.getTaktisch(value, Figure("4101a")) && value.anzahl == 0 && value.ziffern.isEmpty());
    }

    void categories()
    {
        QList<RuvoDBString> list;
        newRules.getKategorien(list);
        QCOMPARE(list.size(), 7 * 4 + 4);
        QCOMPARE(list.at(0).text + list.at(1).text, QString::fromUtf8("1er Kunst Schülerinnen U131er Kunst Schüler U13"));
        QCOMPARE(newRules.getKategorieName(packCategory(1, 2, 3)), list.at(0).text);
        QCOMPARE(newRules.getKategorieName(4, 1, 6), QStringLiteral("4er Kunst Elite mit einem sehr langen Namen"));
        QCOMPARE(newRules.getKategorieName(2, 2, 1), QString::fromUtf8("2er Kunst Schülerinnen U9"));
        QVERIFY(newRules.getKategorieName(1, 1, 6).isEmpty() && closed.getKategorieName(1, 2, 3).isEmpty());
    }

    // Codes and texts come back as stored; patterns with quotes are matched as plain text.
    void exercises()
    {
        QList<Uebung> list{ Uebung() };
        QVERIFY(!closed.getUebungen(list, nullptr) && list.isEmpty() && !bare.getUebungen(list, nullptr));
        const UebungFilter d1{ "", 1, "", 0, 0, 0 }, quoted{ "", 0, "O'Brien", 0, 0, 0 }, named{ "1", 0, "O'Brien", 0, 0, 0 };
        QVERIFY(newRules.getUebungen(list, &d1));
        QCOMPARE(joined(list, [](const Uebung& u) { return u.nr.text() + (u.isValid() ? "" : "-"); }),
                 QStringLiteral("1101a 1102a 1201b - 1301c-"));
        QCOMPARE(list.at(0).ziffer + list.at(1).ziffer, 2.5 + 2.55);
        QVERIFY(list.at(0) == Figure("1101a") && !(list.at(1) == Figure("1101a")));
        list[0].clear();
        QVERIFY(list.at(0).nr.text().isEmpty() && list.at(0).text.isEmpty() && list.at(0).ziffer == 0);
        QVERIFY(newRules.getUebungen(list, &quoted) && list.isEmpty());
        QVERIFY(newRules.getUebungen(list, &named) && list.size() == 1);
        QVERIFY(newRules.getUebungen(list, nullptr) && list.size() == 6);
    }

private:
    QTemporaryDir tmp;
    ReglementDB oldRules, newRules, bare, closed;
};

QTEST_GUILESS_MAIN(TestReglementDB)
#include "tst_reglementdb.moc"
