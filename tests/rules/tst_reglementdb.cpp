// The rules catalogue on real catalogue files of both rule generations and on
// one without any table: file check, dates and their warnings, disciplines
// with their fallback, and what each query reads.
#include "rules/ReglementDB.h"
#include "tests/rules/CatalogueFiles.h"
#include "tests/support/MessageCatcher.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(UebungFilter)

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

static QString both(int a, const QString& first, int b, const QString& second)
{
    return QStringLiteral("%1: %2 | %3: %4").arg(number(a), first, number(b), second);
}

// What the catalogue's readers give for a query: a table or reader name, then its arguments.
static QString readOut(ReglementDB& db, const QString& query)
{
    const QStringList q = query.split(' ');
    const int disci = q.value(1).toInt();
    ExerciseCode_t stale{ "9999" };   // not owned: the reader must let it go, not delete it
    RecordPtrList<ExerciseCode_t> records;
    records.append(&stale);
    if (q[0] == "Figures") {
        int most = -7, least = -7;
        const int n = db.getFigures(disci, q[2].toInt(), &most, &least);
        return QStringLiteral("%1 %2 %3").arg(n).arg(most).arg(least);
    }
    if (q[0] == "taktisch") {
        TacticalValue v{ "x", 9, { 9 } };
        const bool ok = db.getTaktisch(v, Figure(q[1]));
        return both(ok, v.nr, v.anzahl, joined(v.ziffern, number, ","));
    }
    if (q[0] == "Kategorie")
        return db.getKategorieName(disci, q[2].toInt(), q[3].toInt());
    if (q[0] == "Standdrehungen") {
        QList<int> turns{ 99 };
        const int limit = db.getTurnsOnSpotList(turns, disci), read = db.getStanddrehungen(records, disci);
        return both(limit, joined(turns, number, ","), read, joined(records, nrOf<ExerciseCode_t>));
    }
    if (q[0] == "einzeln") {
        QList<Figure> separate{ Figure("1101a") };
        const int limit = db.getSeparateList(separate, disci), read = db.getEinzeln(records, disci);
        return both(limit, joined(separate, [](const Figure& f) { return f.text(); }), read, joined(records, nrOf<ExerciseCode_t>));
    }
    if (q[0] == "Folgeuebungen") {
        QList<RestrictedPassage> passages{ RestrictedPassage() };
        RecordPtrList<Transition_t> rows;
        const int complete = db.getRestrictedPassagesList(passages, disci), read = db.getUebergaenge(rows, disci);
        return both(complete, joined(passages, [](const RestrictedPassage& p) { return p.nr.text() + ">" + joined(p.next, number, ","); }),
                    read, joined(rows, [](const Transition_t* t) { return nrOf(t) + ">" + joined(QList<int>(t->next, t->next + 6), number, ","); }));
    }
    QList<AgeClass> classes{ AgeClass() };
    RecordPtrList<AgeClass_t> rows;
    db.getAltersklassen(classes, disci, 0);
    db.queryAltersklassen(rows, disci, 0);
    return joined(classes, [](const AgeClass& c) {
               return QString("%1:%2-%3").arg(c.ak).arg(c.minAge).arg(c.maxAge)
                      + joined(c.quotas, [](const AgeQuota& q) { return QString("/%1:%2-%3").arg(q.quota).arg(q.minAge).arg(q.maxAge); }, "");
           })
           + " | " + joined(rows, [](const AgeClass_t* r) { return QString("%1/%2").arg(r->ak).arg(r->quota) + (r->ak == 6 ? QString(":") + r->nameMale : ""); });
}

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
        QTest::addColumn<QString>("warning");   // a part of it; empty: none
        QTest::addColumn<int>("baseScore");
        const QString expired = QString::fromUtf8("nicht mehr gültig"), behind = QLocale::system().toString(QDate(2018, 6, 1), QLocale::ShortFormat);
        QTest::newRow("2020 last day") << "01.01.2020" << QDate(2021, 12, 31) << "01.01.2020 - 31.12.2021" << "" << 0;
        QTest::newRow("2020 expired") << "01.01.2020" << QDate(2022, 1, 1) << "01.01.2020 - 31.12.2021" << expired << 0;
        QTest::newRow("2020 in 2019") << "01.01.2020" << QDate(2019, 6, 1) << "01.01.2020 - 31.12.2021" << "" << 0;
        QTest::newRow("2020 in 2018") << "01.01.2020" << QDate(2018, 6, 1) << "01.01.2020 - 31.12.2021" << behind << 0;
        QTest::newRow("2022 last day") << "2022/03/01" << QDate(2024, 12, 31) << "2022/03/01 - 31.12.2024" << "" << 0;
        QTest::newRow("2017") << "20170815" << QDate(2019, 12, 31) << "20170815 - 31.12.2019" << "" << 0;
        QTest::newRow("first new rules") << "2008-01-01" << QDate(2008, 12, 31) << "2008-01-01 - 31.12.2008" << "" << 0;
        QTest::newRow("last old rules") << "15.03.2007" << QDate(2007, 6, 1) << "15.03.2007 - 31.12.2007" << "" << 200;
        QTest::newRow("no date") << "kein Datum" << QDate(2026, 1, 1) << "kein Datum - 31.12.0" << expired << 200;
    }

    void dates()
    {
        QFETCH(QString, date);
        QFETCH(QDate, today);
        QFETCH(QString, validity);
        QFETCH(QString, warning);
        QFETCH(int, baseScore);
        const QString path = tmp.filePath(QStringLiteral("dated.ldb"));
        ReglementDB reglement;
        QVERIFY(CatalogueFiles::write(path, date) && reglement.open(path, true));
        QCOMPARE(reglement.validityText(), validity);
        const QString shown = reglement.dateWarning(today);
        QVERIFY2(warning.isEmpty() ? shown.isEmpty() : shown.contains(warning), qPrintable(shown));
        QCOMPARE(ReglementDB::getGrundpunktzahl(&reglement), baseScore);
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
    // without the table the fallback list, which has no code 3. Team sizes need no catalogue.
    void disciplines()
    {
        QCOMPARE(codes(bare), QStringLiteral("1 2 4 5 6 7"));
        QCOMPARE(bare.getDisziplinName(6) + bare.getDisziplinName(3), QStringLiteral("6er Kunst"));
        ReglementDB reglement;
        const QString undated = tmp.filePath(QStringLiteral("undated.ldb"));
        QVERIFY(CatalogueFiles::write(undated, QStringLiteral("kein Datum")) && reglement.open(undated, true));
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
        QList<int> sizes;
        for (int disci = -1; disci <= 8; ++disci)
            sizes << getTeamSize(disci);
        QCOMPARE(sizes, (QList<int>{ 1, 1, 1, 2, 1, 4, 4, 6, 6, 1 }));
        QCOMPARE(ReglementDB::getGrundpunktzahl(nullptr), 0);
    }

    // Every reader: the catalogue's rows, else the fallback of its rules generation (Figures);
    // a category list that must not skip an age class of one discipline coming first.
    void reads_data()
    {
        QTest::addColumn<int>("catalogue");   // 0 older rules, 1 newer, 2 newer without tables, 3 none open,
                                              // 4 newer with the youngest team age classes switched off
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("expected");
        QTest::newRow("row") << 1 << "Figures 1 3" << "27 0 0";
        QTest::newRow("row -1 keeps cycles") << 0 << "Figures 4 3" << "22 5 2";
        QTest::newRow("row -1 pair") << 1 << "Figures 2 6" << "25 15 8";
        QTest::newRow("closed 1 old") << 3 << "Figures 1 6" << "28 0 0";
        QTest::newRow("new 1 young") << 2 << "Figures 1 5" << "25 0 0";
        QTest::newRow("old 2 young") << 0 << "Figures 2 5" << "18 11 9";
        QTest::newRow("new 2 young") << 2 << "Figures 2 5" << "20 12 4";
        QTest::newRow("old 5 old") << 0 << "Figures 5 6" << "25 0 0";
        QTest::newRow("none 3") << 1 << "Figures 3 6" << "-1 0 0";
        QTest::newRow("turns 1") << 1 << "Standdrehungen 1" << "3: 1201,1202 | 3: 1201 1202";
        QTest::newRow("turns 2") << 1 << "Standdrehungen 2" << "7: 2101 | 7: 2101a";
        QTest::newRow("separate 1") << 1 << "einzeln 1" << "0:  1101a | 0: 1234 1101a";
        QTest::newRow("passages 1") << 1 << "Folgeuebungen 1"
                                    << "0: 1101a>1102,1103,0,0,0,70000,99 | 1: 1101a>1102,1103,0,0,0,4464 1101aXY>1,2,3,4,5,6";
        QTest::newRow("passages 2") << 1 << "Folgeuebungen 2" << "1: 2101a>2102,0,0,0,0,0,0 | 1: 2101a>2102,0,0,0,0,0";
        QTest::newRow("age 4") << 1 << "Altersklassen 4" << "3:11-12 5:13-14/1:15-15 6:15-18 | 3/0 5/0 5/1 6/0:Elite mit einem sehr langen Nam";
        QTest::newRow("age any") << 1 << "Altersklassen 0" << "1:7-8 3:11-12 5:13-14/1:15-15 6:15-18 | 1/0";
        QTest::newRow("young off 3") << 4 << "Altersklassen 3" << "3:11-12 5:13-14/1:15-15 | 3/0 5/0 5/1";
        QTest::newRow("young off 4") << 4 << "Altersklassen 4" << "5:13-14/1:15-15 6:15-18 | 5/0 5/1 6/0:Elite mit einem sehr langen Nam";
        QTest::newRow("no turns") << 2 << "Standdrehungen 1" << "-1:  | -1: ";
        QTest::newRow("no passages") << 2 << "Folgeuebungen 1" << "0:  | 0: ";
        QTest::newRow("no age classes") << 2 << "Altersklassen 1" << " | ";
        QTest::newRow("tactics") << 1 << "taktisch 1101a" << "1: 1101a | 1: 30,50";
        QTest::newRow("no tactics") << 1 << "taktisch 4101a" << "1: 4101a | 0: ";
        QTest::newRow("no tactics table") << 2 << "taktisch 1101a" << "0: 1101a | 0: ";
        QTest::newRow("long name") << 1 << "Kategorie 4 1 6" << "4er Kunst Elite mit einem sehr langen Namen";
        QTest::newRow("one discipline's") << 1 << "Kategorie 2 2 1" << QString::fromUtf8("2er Kunst Schülerinnen U9");
        QTest::newRow("no such category") << 1 << "Kategorie 1 1 6" << "";
        QTest::newRow("no category closed") << 3 << "Kategorie 1 2 3" << "";
    }

    void reads()
    {
        QFETCH(int, catalogue);
        QFETCH(QString, query);
        QFETCH(QString, expected);
        ReglementDB* db[] = { &oldRules, &newRules, &bare, &closed, &newRules };
        newRules.allAgeClasses = catalogue != 4;
        const QString got = readOut(*db[catalogue], query);
        newRules.allAgeClasses = true;
        QCOMPARE(got, expected);
    }

    // The exercise search; quotes in its patterns are matched as plain text. Values
    // come back with a decimal comma or point as stored.
    void exercises_data()
    {
        QTest::addColumn<UebungFilter>("filter");   // nr, discipline, text, least, most, exact value
        QTest::addColumn<QString>("found");         // codes ("-" for an invalid one) and values
        QTest::newRow("discipline 1") << UebungFilter{ "", 1, "", 0, 0, 0 } << "1101a:250 1102a:255 1201b:120 -:100 1301c:400";
        QTest::newRow("discipline 9") << UebungFilter{ "", 9, "", 0, 0, 0 } << "";
        QTest::newRow("code") << UebungFilter{ "2", 0, "", 0, 0, 0 } << "2101a:300";
        QTest::newRow("quoted text") << UebungFilter{ "1", 0, "O'Brien", 0, 0, 0 } << "1102a:255";
        QTest::newRow("text elsewhere") << UebungFilter{ "2", 0, "O'Brien", 0, 0, 0 } << "";
        QTest::newRow("quoted code") << UebungFilter{ "1' OR '1'='1", 0, "", 0, 0, 0 } << "";
        QTest::newRow("exact") << UebungFilter{ "", 2, "", 1, 2, 3 } << "2101a:300";
        QTest::newRow("least") << UebungFilter{ "1", 0, "", 2.55, 0, 0 } << "1102a:255 1301c:400";
        QTest::newRow("between") << UebungFilter{ "", 1, "", 1.5, 3.5, 0 } << "1101a:250 1102a:255";
        QTest::newRow("most") << UebungFilter{ "1", 0, "", 0, 1.2, 0 } << "1201b:120 -:100";
    }

    void exercises()
    {
        QFETCH(UebungFilter, filter);
        QFETCH(QString, found);
        QList<Uebung> list{ Uebung() };
        QVERIFY(newRules.getUebungen(list, &filter));
        QCOMPARE(joined(list, [](const Uebung& u) { return (u.nr.isValid() ? u.nr.text() : "-") + ":" + number(qRound(u.ziffer * 100)); }), found);
        QVERIFY(newRules.getUebungen(list, nullptr) && list.size() == 6 && list.at(1).text == "Steiger O'Brien");
        QVERIFY(!closed.getUebungen(list, nullptr) && list.isEmpty() && !bare.getUebungen(list, nullptr));
    }

private:
    QTemporaryDir tmp;
    ReglementDB oldRules, newRules, bare, closed;
};

QTEST_GUILESS_MAIN(TestReglementDB)
#include "tst_reglementdb.moc"
