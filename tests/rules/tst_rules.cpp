// The rules catalogue and the score sheet on catalogue files of both rule generations built
// here: the catalogue's file check, dates, disciplines and readers; the sheet's rule checks,
// header, athletes and judges' correlation, and printing read back from PDF files.
#include "records/AddressDB.h"
#include "records/Starter_t.h"
#include "rules/ReglementDB.h"
#include "rules/Wertungsbogen.h"
#include "tests/rules/CatalogueFiles.h"
#include "tests/support/MessageCatcher.h"

#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(QMarginsF)
Q_DECLARE_METATYPE(UebungFilter)

// Only a database of this class gives events by ID.
class WertungListeDB : public AddressDB
{
    Q_OBJECT
};

namespace {

// The text of each item, joined by sep.
template<class List, class Text>
QString joined(const List& list, Text text, const char* sep = " ")
{
    QStringList texts;
    for (const auto& item : list)
        texts << text(item);
    return texts.join(QLatin1String(sep));
}

QString number(int n) { return QString::number(n); }
template<class Record>
QString nrOf(const Record* record) { return QString::fromUtf8(record->nr); }
QString codes(ReglementDB& db) { return joined(db.getDisziplinen(), [](const RuvoDBString& d) { return number(d.id); }); }

QString both(int a, const QString& first, int b, const QString& second)
{
    return QStringLiteral("%1: %2 | %3: %4").arg(number(a), first, number(b), second);
}

// What the catalogue's readers give for a query: a table or reader name, then its arguments.
QString readOut(ReglementDB& db, const QString& query)
{
    const QStringList q = query.split(' ');
    const int disci = q.value(1).toInt();
    ExerciseCode_t stale{ "9999" };   // not owned: the reader must let it go, not delete it
    RecordPtrList<ExerciseCode_t> records;
    records.append(&stale);
    int most = -7, least = -7;
    if (q[0] == "Figures")   // the count read before the bounds it sets
        return QStringLiteral("%1 %2 %3").arg(db.getFigures(disci, q[2].toInt(), &most, &least)).arg(most).arg(least);
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
        const int complete = db.getRestrictedPassagesList(passages, disci), read = db.getUebergänge(rows, disci);
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

const QDate eventDay(2024, 6, 1);

// codes and members comma-separated ("1101a,,1102a", "1,0,3").
Starter_t makeStart(int disci, const QString& codes, const QString& members = QString(), int clubId = 0)
{
    Starter_t s;
    s.disci = disci;
    s.clubId = clubId;
    for (int i = 0; i <= codes.count(QLatin1Char(',')); ++i)
        qstrncpy(s.codes[i], codes.section(QLatin1Char(','), i, i).toLatin1().constData(), Starter_t::CodeSize);
    for (int i = 0; i <= members.count(QLatin1Char(',')); ++i)
        s.members[i] = members.section(QLatin1Char(','), i, i).toInt();
    return s;
}

// Records of judges 1, 2, ... of start number 150, named "Ansager<judge>", owned
// by list and shared with the sheet: list must outlive the sheet's use of them.
void addRecords(Wertungsbogen& sheet, WertungList& list, int count)
{
    list.autoDelete = true;
    for (int i = 1; i <= count; ++i) {
        auto* w = new Wertung_t;
        w->judge = i;
        w->startNumber = 150;
        qsnprintf(w->announcer, sizeof w->announcer, "Ansager%d", i);
        w->exercises[0][0] = quint8(i);
        w->deduction1 = 40;
        w->extra2[0] = 5;   // counted with the first exercise, when there is one
        list.append(w);
    }
    sheet.setWertungen(list);
}

// Clubs 1 "RSV Nord" (BDR) and 2 "RV Süd" (HRV); athletes 1 Anna Berg (w,
// club 1, 12 years at the event), 2 Ben Kurz (m, 1, 13), 3 Cara Lang (w, 2,
// 75), 4 Dora Mai (w, club 99 that does not exist, 15), 5 with a long name (w, 1, 15).
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
        { "Anna", "Berg", 2, 1, 12 }, { "Ben", "Kurz", 1, 1, 13 }, { "Cara", "Lang", 2, 2, 75 }, { "Dora", "Mai", 2, 99, 15 },
        { "Maximiliane-Josephine", "Oberhauser-Wittgenstein", 2, 1, 15 } };
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

// The text of a PDF file with a form feed after each page; empty without a file.
QString pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), { path, QStringLiteral("-") });
    return p.waitForFinished() ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

using Words = QList<QPair<QString, QRectF>>;

// The words of each page of a PDF file and their boxes in points, as pdftotext reads them.
QList<Words> pdfWords(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), { QStringLiteral("-bbox"), path, QStringLiteral("-") });
    p.waitForFinished();
    const QRegularExpression word(QStringLiteral("<word xMin=\"(.*)\" yMin=\"(.*)\" xMax=\"(.*)\" yMax=\"(.*)\">(.*)</word>"));
    QList<Words> pages;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = word.match(line);
        if (line.contains(QLatin1String("<page ")))
            pages.append(Words());
        else if (m.hasMatch() && !pages.isEmpty())
            pages.last().append({ m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                                        QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())) });
    }
    return pages;
}

// Whether a drawn line runs through box or touches it: a dark column from just above
// the box to just below it, or a dark row from just before it to just after it through
// all but its lowest fifth, where underlines run.
bool lineThrough(const QImage& page, const QRect& box)
{
    const int m = 2;
    const auto run = [&](int x0, int y0, int x1, int y1) {
        for (int x = x0, y = y0; x <= x1 && y <= y1; x += x0 < x1, y += y0 < y1)
            if (!page.rect().contains(x, y) || qGray(page.pixel(x, y)) > 160)
                return false;
        return true;
    };
    for (int x = box.left() - m; x <= box.right() + m; ++x)
        if (run(x, box.top() - m, x, box.bottom() + m))
            return true;
    for (int y = box.top(); y <= box.bottom() - box.height() / 5; ++y)
        if (run(box.left() - m, y, box.right() + m, y))
            return true;
    return false;
}

struct PageRecorder : RuvoPrint
{
    void drawPage(const QRect& rect) override
    {
        pages << rect;
        RuvoPrint::drawPage(rect);
    }

    QList<QRect> pages;
};

} // namespace

class TestRules : public QObject
{
    Q_OBJECT

    QTemporaryDir tmp;
    ReglementDB oldRules, newRules, bare, closed;
    WertungListeDB book;
    AddressDB plain;   // the same file
    Competition event;

    QString folder(const QString& name) { return QDir(tmp.path()).mkdir(name) ? tmp.filePath(name) : QString(); }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<AK>("AK");
        QVERIFY(oldRules.open(CatalogueFiles::oldRules(folder("old"), CatalogueFiles::queriesSql()), true));
        QVERIFY(newRules.open(CatalogueFiles::newRules(folder("new"), CatalogueFiles::queriesSql()), true));
        QVERIFY(bare.open(CatalogueFiles::newRules(folder("bare"), QString()), true));
        QVERIFY(book.open(tmp.filePath(QStringLiteral("melde.ldb")), false) && fillBook(book));
        QVERIFY(plain.open(tmp.filePath(QStringLiteral("melde.ldb")), false));
        event.Datum = eventDay;
        event.Name = QStringLiteral("Pokal");
        QVERIFY(book.insertCompetition(event) > 0);
    }

    // The date text: the validity it gives, the warning on a day, the base score of its rules.
    void dates_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("validity");
        QTest::addColumn<QString>("warning");   // a part of it; empty: none
        QTest::addColumn<int>("baseScore");
        const QString expired = QString::fromUtf8("nicht mehr gültig");
        QTest::newRow("2020 last day") << "01.01.2020" << QDate(2021, 12, 31) << "01.01.2020 - 31.12.2021" << "" << 0;
        QTest::newRow("2020 expired") << "01.01.2020" << QDate(2022, 1, 1) << "01.01.2020 - 31.12.2021" << expired << 0;
        QTest::newRow("2020 in 2019") << "01.01.2020" << QDate(2019, 6, 1) << "01.01.2020 - 31.12.2021" << "" << 0;
        QTest::newRow("2022 last day") << "2022/03/01" << QDate(2024, 12, 31) << "2022/03/01 - 31.12.2024" << "" << 0;
        QTest::newRow("first new rules") << "2008-01-01" << QDate(2008, 12, 31) << "2008-01-01 - 31.12.2008" << "" << 0;
        QTest::newRow("last old rules") << "15.03.2007" << QDate(2007, 6, 1) << "15.03.2007 - 31.12.2007" << "" << 200;
        QTest::newRow("no date") << "kein Datum" << QDate(2026, 1, 1) << "kein Datum - 31.12.0" << expired << 200;
    }

    void dates()
    {
        QFETCH(QString, date);
        QFETCH(QDate, today);
        QFETCH(QString, warning);
        ReglementDB reglement;
        QVERIFY(CatalogueFiles::write(tmp.filePath("dated.ldb"), date) && reglement.open(tmp.filePath("dated.ldb"), true));
        QTEST(reglement.validityText(), "validity");
        const QString shown = reglement.dateWarning(today);
        QVERIFY2(warning.isEmpty() ? shown.isEmpty() : shown.contains(warning), qPrintable(shown));
        QTEST(ReglementDB::getGrundpunktzahl(&reglement), "baseScore");
    }

    // A catalogue opens write-locked, read-only or not; a file of another kind
    // is refused and read no further. Neither file changes.
    void fileCheck()
    {
        const QString path = CatalogueFiles::oldRules(folder("locked")), wrong = CatalogueFiles::wrongMagic(folder("wrong"));
        const auto contents = [](const QString& file) { QFile f(file); return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(); };
        const QByteArray before = contents(path) + contents(wrong);
        for (bool readOnly : { true, false }) {
            ReglementDB reglement;
            MessageCatcher catcher;
            QVERIFY(reglement.open(path, readOnly) && reglement.isWriteLocked() && !reglement.isReadLocked());
            QVERIFY(!reglement.exec(QStringLiteral("DELETE FROM Disziplinen;"))
                    && reglement.lastError() == RuvoDB::errorText(RuvoDB::ErrLocked));
            QVERIFY(!reglement.setMagic(1) && catcher.texts.isEmpty());
        }
        ReglementDB reglement;
        MessageCatcher catcher;
        QVERIFY(!reglement.open(wrong, true) && !reglement.isOpen());
        QCOMPARE(catcher.texts, QStringList{ wrong + QStringLiteral("<br>") + RuvoDB::errorText(RuvoDB::ErrWrongType) });
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
        const QString path = CatalogueFiles::newRules(folder("nine"), CatalogueFiles::disciplinesSql() + QStringLiteral("INSERT INTO Disziplinen VALUES ( 9, 'Neun' );"));
        QVERIFY(reglement.open(path, true) && reglement.isNewReglement());
        QCOMPARE(codes(reglement), QStringLiteral("1 2 3 4 5 6 7 0"));
        QCOMPARE(reglement.getDisziplinName(0) + reglement.getDisziplinName(3), QStringLiteral("Neun1er Einrad"));
        RuvoDB writer;
        QVERIFY(writer.open(path, false) && writer.exec(QStringLiteral("DELETE FROM Disziplinen WHERE art > 2;")));
        QVERIFY(reglement.open(path, true));
        QCOMPARE(codes(reglement), QStringLiteral("1 2"));
        QVERIFY(reglement.open(CatalogueFiles::oldRules(folder("empty"), "CREATE TABLE Disziplinen ( art INTEGER, name TEXT );"), true)
                && reglement.getDisziplinen().isEmpty());
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
        QTest::newRow("new 2 young") << 2 << "Figures 2 5" << "20 12 4";
        QTest::newRow("none 3") << 1 << "Figures 3 6" << "-1 0 0";
        QTest::newRow("turns 1") << 1 << "Standdrehungen 1" << "3: 1201,1202 | 3: 1201 1202";
        QTest::newRow("separate 1") << 1 << "einzeln 1" << "0:  1101a | 0: 1234 1101a";
        QTest::newRow("passages 1") << 1 << "Folgeuebungen 1"
                                    << "0: 1101a>1102,1103,0,0,0,70000,99 | 1: 1101a>1102,1103,0,0,0,4464 1101aXY>1,2,3,4,5,6";
        QTest::newRow("age 4") << 1 << "Altersklassen 4" << "3:11-12 5:13-14/1:15-15 6:15-18 | 3/0 5/0 5/1 6/0:Elite mit einem sehr langen Nam";
        QTest::newRow("young off 3") << 4 << "Altersklassen 3" << "3:11-12 5:13-14/1:15-15 | 3/0 5/0 5/1";
        QTest::newRow("young off 4") << 4 << "Altersklassen 4" << "5:13-14/1:15-15 6:15-18 | 5/0 5/1 6/0:Elite mit einem sehr langen Nam";
        QTest::newRow("no turns") << 2 << "Standdrehungen 1" << "-1:  | -1: ";
        QTest::newRow("tactics") << 1 << "taktisch 1101a" << "1: 1101a | 1: 30,50";
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
        ReglementDB* db[] = { &oldRules, &newRules, &bare, &closed, &newRules };
        newRules.allAgeClasses = catalogue != 4;
        const QString got = readOut(*db[catalogue], query);
        newRules.allAgeClasses = true;
        QTEST(got, "expected");
    }

    // The exercise search; quotes in its patterns are matched as plain text. Values
    // come back with a decimal comma or point as stored.
    void exercises_data()
    {
        QTest::addColumn<UebungFilter>("filter");   // nr, discipline, text, least, most, exact value
        QTest::addColumn<QString>("found");         // codes ("-" for an invalid one) and values
        QTest::newRow("discipline 1") << UebungFilter{ "", 1, "", 0, 0, 0 }
            << "1101a:250 1101b:100 1102a:255 1102b:200 1201a:100 1201b:120 1201c:100 -:100 1301a:300 1301c:400";
        QTest::newRow("quoted text") << UebungFilter{ "1", 0, "O'Brien", 0, 0, 0 } << "1102a:255";
        QTest::newRow("quoted code") << UebungFilter{ "1' OR '1'='1", 0, "", 0, 0, 0 } << "";
        QTest::newRow("exact") << UebungFilter{ "", 2, "", 1, 2, 3 } << "2101a:300";
        QTest::newRow("least") << UebungFilter{ "1", 0, "", 2.55, 0, 0 } << "1102a:255 1301a:300 1301c:400";
    }

    void exercises()
    {
        QFETCH(UebungFilter, filter);
        QList<Uebung> list{ Uebung() };
        QVERIFY(newRules.getUebungen(list, &filter));
        QTEST(joined(list, [](const Uebung& u) { return (u.nr.isValid() ? u.nr.text() : "-") + ":" + number(qRound(u.ziffer * 100)); }), "found");
        QVERIFY(newRules.getUebungen(list, nullptr) && list.size() == 13 && list.at(2).text == "Steiger O'Brien");
        QVERIFY(!closed.getUebungen(list, nullptr) && list.isEmpty() && !bare.getUebungen(list, nullptr));
    }

    // One check on a start: its message lines, its result and its bits of the
    // start record (the other checks' bits stay), and what it changed.
    void checks_data()
    {
        QTest::addColumn<int>("check");
        QTest::addColumn<QString>("start");    // catalogue (N new, O old, - none), discipline, age class, gender,
                                               // codes, athlete IDs ("-": none); "old": the older team rule
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("after");    // failed, error bit, tested bit; then the given value (checks 2 to 5),
                                               // gender, club and the club signalled (0), age class, classes, the one signalled (1)
        QTest::newRow("gap") << 2 << "N 1 0 0 1101a,,,1102a -" << "02: Übung 2 bis 3 nicht definiert\n" << "111 505";
        QTest::newRow("old base score") << 2 << "O 1 0 0 1101a,1102a -" << "" << "001 20505";
        QTest::newRow("group twice") << 2 << "N 1 0 0 1101a,1101b -" << "02: Übungsgruppe '1101' mehrfach enthalten (1 + 2)\n" << "111 350";
        QTest::newRow("after final") << 2 << "N 1 0 0 1301a,1101a -" << "02: Übung 2 nach der Schlußübung!\n" << "111 550";
        QTest::newRow("one bike first") << 2 << "O 2 0 0 2301a -" << "02: Übung 1 auf einem Rad '2301' vor Übung auf zwei Rädern.\n" << "111 20100";
        QTest::newRow("two bikes after one") << 2 << "O 2 0 0 2101a,2301a,2102a -"
                                             << "02: Übung 3 auf zwei Rädern '2102' nach Übung auf einem Rad.\n" << "111 20500";
        QTest::newRow("gap at the bike change") << 2 << "O 2 0 0 2101a,,2301a -" << "" << "001 20400";
        QTest::newRow("new rules, one bike only") << 2 << "N 2 0 0 2301a -" << "02: weniger als die erforderlichen 4 Übungen auf einem Rad\n"
                                                                               "02: keine Übung auf zwei Rädern\n" << "111 100";
        QTest::newRow("too many") << 2 << "N 1 2 0 1101a,1102a,1201a -" << "02: mehr als die erlaubten 2 Übungen definiert\n" << "111 605";
        QTest::newRow("no maximum known") << 2 << "N 3 0 0 1101a -" << "02: Übung '1101a' von anderer Disziplin\n"
                                                                       "02: Nr 1: Übung '1101a' nicht im Reglement\n" << "111 0";
        QTest::newRow("exercises untested") << 2 << "- 1 0 0 1101a -" << "02: Übungen nicht getestet --- no Reglement-Database\n" << "000 0";
        QTest::newRow("wrong follow-up") << 3 << "N 1 0 0 1101a,1201b -" << "03: Übung 1 '1101a' --- keine/falsche Folgeübung\n" << "111 0";
        QTest::newRow("no follow-up") << 3 << "N 1 0 0 1201b,1101a -" << "03: Übung 2 '1101a' --- keine/falsche Folgeübung\n" << "111 0";
        QTest::newRow("no transition rows") << 3 << "N 4 0 0 4101a -" << "" << "000 0";
        QTest::newRow("turns over") << 4 << "N 1 0 0 1201a,1201b,1201c,1202a -" << "04: mehr als die erlaubten 3 Standdrehungen\n" << "111 0";
        QTest::newRow("turns untested") << 4 << "- 1 0 0 1201a,1201b,1201c -" << "04: Standdrehungen nicht getestet --- no Reglement-Database\n" << "000 0";
        QTest::newRow("separate over") << 5 << "N 2 0 0 2102a,2102b -" << "05: mehr als die erlaubten 1 Einzel Übungen\n" << "111 0";
        QTest::newRow("separate before 2008") << 5 << "O 2 0 0 2102a,2102b -" << "05: 'Einzeln' gibt es erst ab 2008\n" << "000 0";
        QTest::newRow("single rider") << 0 << "- 1 0 0 - 1" << "" << "001 2 1 1";
        QTest::newRow("twice") << 0 << "- 1 0 0 - 1,1" << "00: Anna Berg   --- mehrfach enthalten\n00: zu viele Sportler\n" << "111 2 1 1";
        QTest::newRow("mixed pair, new rule") << 0 << "- 2 0 0 - 1,2" << "" << "001 1 1 1";
        QTest::newRow("wrong gender, old rule") << 0 << "- 1 0 0 - 1,2 old" << "00: Ben Kurz --- hat falsches Geschlecht\n00: zu viele Sportler\n"
                                                << "111 2 1 1";
        QTest::newRow("start group") << 0 << "- 2 0 0 - 1,3" << "" << "001 2 -1 2";
        QTest::newRow("other club") << 0 << "- 1 0 0 - 1,3" << "00: Cara Lang --- ist von anderem Verein\n00: zu viele Sportler\n" << "111 2 1 2";
        QTest::newRow("too few") << 0 << "- 2 0 0 - 1" << "00: zu wenig Sportler\n" << "111 2 1 1";
        QTest::newRow("unknown athlete") << 0 << "- 1 0 0 - 42" << "00: Sportler Nummer 0 nicht in der Datenbank!\n" << "111 0 0 -1";
        QTest::newRow("class fits") << 1 << "N 1 3 1 - 1" << "" << "001 3 1 -1";
        QTest::newRow("corrected for a woman") << 1 << "N 1 0 2 - 1" << "01: Altersklasse korrigiert auf 'Schülerinnen U13'\n" << "001 3 1 3";
        QTest::newRow("pair on the quota") << 1 << "N 2 3 1 - 2,4" << "01: Altersklasse korrigiert auf 'Junioren'\n" << "001 5 1 5";
        QTest::newRow("wrong year") << 1 << "N 1 3 1 - 3" << "01: Cara Lang  --- kein/falscher Jahrgang (Alter=75)\n" << "111 3 0 -1";
        QTest::newRow("no common class") << 1 << "N 2 3 1 - 1,2" << "01: Keine gemeinsame Altersklasse\n" << "111 3 0 -1";
        QTest::newRow("class untested") << 1 << "- 1 3 1 - 1" << "01: Altersklasse nicht getestet --- no Reglement-Database\n" << "000 3 0 -1";
    }

    void checks()
    {
        QFETCH(int, check);
        QFETCH(QString, start);
        const QStringList f = start.split(QLatin1Char(' '));
        const uint bit = 1u << check;
        Starter_t s = makeStart(f[1].toInt(), QString(f[4]).remove(QLatin1Char('-')), f[5]);
        s.ageClass = f[2].toInt();
        s.gender = f[3].toInt();
        s.errorMask = s.testedMask = ~bit;
        Wertungsbogen::setNewSheetFlag(f.value(6) != QLatin1String("old"));
        Wertungsbogen sheet(&book, &s, f[0] == "O" ? &oldRules : f[0] == "N" ? &newRules : nullptr, &event);
        Wertungsbogen::setNewSheetFlag(true);
        QSignalSpy club(&sheet, SIGNAL(VereinChanged(int))), ak(&sheet, SIGNAL(AkChanged(AK)));
        using Check = bool (Wertungsbogen::*)();
        const QVector<Check> checks = { &Wertungsbogen::checkAthletes, &Wertungsbogen::checkAltersklasse, &Wertungsbogen::checkUebungen,
                                 &Wertungsbogen::checkUebergaenge, &Wertungsbogen::checkStanddrehungen, &Wertungsbogen::checkEinzeln };
        const bool passed = (sheet.*checks.at(check))();
        QTEST(sheet.getReport(), "report");
        QString state = QStringLiteral("%1%2%3 ").arg(!passed).arg(s.errorMask >> check & 1).arg(s.testedMask >> check & 1);
        const auto signalled = [](const QSignalSpy& spy) { return spy.isEmpty() ? -1 : spy[0][0].toInt(); };
        if (check == 0)
            state += QStringLiteral("%1 %2 %3").arg(s.gender).arg(s.clubId).arg(signalled(club));
        else if (check == 1)
            state += QStringLiteral("%1 %2 %3").arg(s.ageClass).arg(sheet.getAltersklassen().size()).arg(signalled(ak));
        else
            state += QString::number(s.given);
        QTEST(state, "after");
        QVERIFY((s.errorMask | bit) == ~0u && (s.testedMask | bit) == ~0u);
    }

    // The sheet shares the caller's judges' records, so later changes show and the
    // records stay the caller's; the first one's start number is the sheet's own;
    // its exercise list has a row up to the last code; a pair may fill the gap at
    // the bike change. Without sources, every check passes untested.
    void recordsAndSharedOperations()
    {
        Starter_t empty = makeStart(0, QStringLiteral("1101a"));
        Wertungsbogen unchecked(nullptr, &empty, nullptr, nullptr);
        QVERIFY(unchecked.testAll(false) && empty.disci == 1 && empty.testedMask == 0);
        QVERIFY(unchecked.testAll(true) && !unchecked.getReport().contains(QLatin1String("02: ")));   // the exercises left out
        Starter_t s = makeStart(1, QStringLiteral("1101a,1199a,,,1102a"));
        WertungList records;
        {
            Wertungsbogen sheet(nullptr, &s, &newRules, nullptr);
            addRecords(sheet, records, 2);
            records.at(0)->startNumber = 151;
            sheet.setWertungen(sheet.getWertungen());   // its own list: nothing changes
            QVERIFY(sheet.getWertungen().at(1) == records.at(1) && sheet.getNummer() == 151);
            QList<Uebung> list;
            QVERIFY(sheet.getBogenUebungen(list));
            QCOMPARE(joined(list, [](const Uebung& u) { return QStringLiteral("%1 %2 %3|").arg(u.nr.text(), u.text).arg(u.ziffer); }, ""),
                     QStringLiteral("1101a Reitsitz 2.5|1199a  0|  0|  0|1102a Steiger O'Brien 2.55|"));
        }
        QCOMPARE(records.at(1)->judge, 2);   // still there after the sheet
        Starter_t pair = makeStart(2, QStringLiteral("2101a,").repeated(10) + QStringLiteral(",,") + QStringLiteral("2301a,").repeated(8));
        pair.ageClass = 6;
        QCOMPARE(Wertungsbogen(nullptr, &pair, &newRules, nullptr).getMaxUebungen(), 25 + 2);
    }

    // The header and athletes of a start drawn for a judges' record: the best
    // result, the checksum of the codes, the start number, the club texts and the
    // event, which only a score-list database gives by its ID.
    void kopf_data()
    {
        QTest::addColumn<QString>("start");      // database (S score list, A plain address book, - none), club ID,
                                                 // athlete IDs, best result, its date, code, netInfo
        QTest::addColumn<QString>("texts");      // bestPunkte bestOrt bestDatum pruefsumme nummer verein verband event
        QTest::addColumn<QString>("athletes");   // last name and club name of each entry
        QTest::addColumn<QString>("report");     // of getKopf, then of getAthletes
        QTest::newRow("no best result") << "S 2 3 0 129600 - 0" << "|||00000000||RV Süd|HRV|Pokal Kr=2" << "LANG RV Süd|" << "|";
        QTest::newRow("start group") << "S -1 1,2,1,3 1234 129600 1101a 150"
                                     << "12,34|Halle|02.01.1970|4D4A03F6|150|RSV Nord / RV Süd|BDR|Pokal Kr=2"
                                     << "BERG RSV Nord|KURZ RSV Nord|BERG RSV Nord|LANG RV Süd|" << "|";
        QTest::newRow("leading gap") << "S 1 0,1 5 0 1101aa 99" << "0,05|Halle||58E82976||RSV Nord|BDR|Pokal Kr=2" << " |BERG RSV Nord|" << "|";
        QTest::newRow("no athletes") << "A 1 0 0 0 - 0" << "|||00000000||RSV Nord|BDR|Training" << "" << "|";
        QTest::newRow("missing club in a group") << "S 0 3,4,42 0 0 - 0" << "|||00000000||RV Süd|HRV|Pokal Kr=2" << "LANG RV Süd|MAI |"
                                                 << "Verein ID=99 not found in Melde-Database|Sportler ID=42 not found in Melde-Database";
        QTest::newRow("no entry list") << "- 1 1 0 0 - 0" << "|||00000000||||Training" << "" << "no Melde-Database|no Melde-Database";
    }

    void kopf()
    {
        QFETCH(QString, start);
        const QStringList f = start.split(QLatin1Char(' '));
        Starter_t s = makeStart(1, QString(f[5]).remove(QLatin1Char('-')), f[2], f[1].toInt());
        s.best = uint16_t(f[3].toInt());
        s.bestDate = f[4].toInt();
        s.netInfo = f[6].toInt();
        s.given = 2050;
        qstrcpy(s.bestPlace, "Halle");
        qstrcpy(s.name, "Team Süd");
        AddressDB* db = f[0] == QLatin1String("S") ? &book : f[0] == QLatin1String("A") ? &plain : nullptr;
        Wertungsbogen sheet(db, &s, nullptr, nullptr);
        WertungsbogenKopf kopf;
        Wertung_t record;
        record.startTime = 1700000000;
        record.competitionId = event.ID;
        record.judge = 2;
        QString reports = sheet.getKopf(kopf, &record) ? QString() : sheet.getReport();
        QList<ExpandedAthlete> list;
        reports += QLatin1Char('|') + (sheet.getAthletes(list, 1, true) ? QString() : sheet.getReport());
        QTEST(QStringList({ kopf.bestPunkte, kopf.bestOrt, kopf.bestDatum, kopf.pruefsumme, kopf.nummer, kopf.verein, kopf.verband,
                            kopf.wettkampf.Name }).join(QLatin1Char('|')), "texts");
        QTEST(joined(list, [](const ExpandedAthlete& a) { return a.Nachname + ' ' + a.VereinName + '|'; }, ""), "athletes");
        QTEST(reports, "report");
        QCOMPARE(kopf.aufgestellt + kopf.name, QStringLiteral("20,50Team Süd"));
        const QDateTime at = QDateTime::fromSecsSinceEpoch(1700000000);   // an event of its own: the record's time
        QVERIFY((db && db != &plain) || (kopf.wettkampf.Ort == at.toString(QStringLiteral("hh:mm")) && kopf.wettkampf.Datum == at.date()));
    }

    // One entry per pair of judges, unused kinds of marks counted as agreeing; none for one judge.
    void korrelation()
    {
        Starter_t s = makeStart(1, QStringLiteral("1101a,1102a"));
        Wertungsbogen sheet(nullptr, &s, nullptr, nullptr);
        WertungList three, one;
        addRecords(sheet, three, 3);
        QList<KorrelationEntry> out { KorrelationEntry() };
        sheet.korrelation(out);
        QCOMPARE(out.size(), 3);
        for (const KorrelationEntry& e : out)
            QCOMPARE(e.x + e.w + e.s + e.o + e.p, 5.0);   // 6,0 against 7,0; the other kinds unused
        addRecords(sheet, one, 1);
        sheet.korrelation(out);
        QVERIFY(out.isEmpty());
    }

    void printPdf_data()
    {
        QTest::addColumn<int>("device");   // 0 portrait printer, 1 landscape printer; our own through the dialog:
                                           // 2 accepted, 3 cancelled, 4 accepted but unusable
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
        QTest::newRow("dialog cancelled") << 3 << false << 1 << 0 << 0 << QStringList();
        QTest::newRow("printer unusable") << 4 << false << 1 << 0 << 0 << QStringList();
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
        qstrcpy(s.name, "Team Süd");
        s.given = 150;
        WertungList list;
        Wertungsbogen sheet(nullptr, &s, withCatalogue ? &newRules : nullptr, nullptr);
        addRecords(sheet, list, records);

        const QString path = tmp.filePath(QStringLiteral("%1%2.pdf").arg(device == 4 ? "missing/" : "", QTest::currentDataTag()));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(path);
        printer.setPageOrientation(device == 1 ? QPageLayout::Landscape : QPageLayout::Portrait);
        printer.setFromTo(to ? 2 : 0, to);
        RuvoPrint::setPrintDialogHook([&](QPrinter* own) { own->setOutputFileName(path); return device != 3; });
        QPainter painter;
        if (device < 2)
            painter.begin(&printer);
        int page = 0;
        sheet.print(&painter, page);
        RuvoPrint::setPrintDialogHook({});
        QCOMPARE(painter.isActive() && painter.end(), device < 2);   // our own printer ends with the job

        const QString text = pdfText(path);
        QCOMPARE(int(text.count(QLatin1Char('\f'))), pages);
        QCOMPARE(sheet.getWertungen().isEmpty(), pages > 0);
        for (const QString& t : texts)
            QVERIFY2(text.contains(t.startsWith(QLatin1Char('-')) ? t.mid(1) : t) != t.startsWith(QLatin1Char('-')), qPrintable(t));
    }

    // Sheets of three juries with the widest values and long texts, read back from the PDF file:
    // every word stays clear of the lines and of every other word; the totals stand as words of
    // their own. A sheet drawn for judge 2 or 3 alone sums its own result.
    void sheetLayout_data()
    {
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<QStringList>("pages");   // words each page must show; a word listed twice must be there twice
        // Juries j = 1, 2, 3: given 145,50 + tactical 9 x 0,50j - deductions 21,11 + 3,07 | 22,22 + 3,14 | 23,33 + 3,30.
        const QString results = "125,82 129,14 132,37";
        // 32 rows of the marks X 10+j, ~ 15+j, | 20+j, O 25+j.
        const QString marks[] = { " 352 512 672 832", " 384 544 704 864", " 416 576 736 896" };
        // Jury 1: 145,50 + 4,50 = 150,00, deductions 24,18; the three results 387,33, (38733 + 1) / 3 = 129,11;
        // 352 x 0,2, 512 x 0,5, 672 x 1,0, 832 x 2,0; 100 % of 12,5, and of 12,5 + 0,50 in rows 1 to 9.
        QTest::newRow("portrait") << false << QStringList{
            results + marks[0] + " 145,50 4,50 150,00 24,18 387,33 129,11 70,40 256,00 672,00 1664,00 21,11 3,07 12,50 13,00 Takt- Punkte Lfd. Nr.",
            "129,14 129,14" + marks[1], "132,37 132,37" + marks[2] };
        QTest::newRow("landscape") << true << QStringList{
            results + marks[0] + marks[1] + marks[2] + " 3,07 3,14 3,30 21,11 22,22 23,33 4,50 9,00 13,50 2:05 Ausführung Zeichen" };
    }

    void sheetLayout()
    {
        QFETCH(bool, landscape);
        QFETCH(QStringList, pages);
        QVERIFY2(!QStandardPaths::findExecutable("pdftotext").isEmpty() && !QStandardPaths::findExecutable("pdftoppm").isEmpty(),
                 "pdftotext and pdftoppm are missing: scripts/install-deps test installs poppler-utils");
        Starter_t s = makeStart(1, QString(), "5,1,5,2,5,3", 1);
        s.given = 14550;
        qstrcpy(s.name, "Radsportgemeinschaft Oberhausen-Rheinhausen Mannschaft");
        QString sql = CatalogueFiles::disciplinesSql() + "CREATE TABLE uebungen ( Nr TEXT, Text TEXT, Ziffer TEXT );";
        for (int i = 0; i < 30; ++i) {
            qsnprintf(s.codes[i], Starter_t::CodeSize, "1%03dwa", 101 + i);
            sql += QStringLiteral("INSERT INTO uebungen VALUES ( '%1', 'Sattelstand Lenkerstand rückwärts Übergang beidseitig Nr. %2', '12,5' );")
                       .arg(s.codes[i]).arg(i);
        }
        ReglementDB reglement;
        QVERIFY(reglement.open(CatalogueFiles::newRules(folder(QTest::currentDataTag()), sql), true));
        Competition longEvent;
        longEvent.Datum = eventDay;
        longEvent.Name = longEvent.Ort = longEvent.Veranstalter = QStringLiteral("Landesmeisterschaft Kunstradsport Nordrhein-Westfalen");
        QVERIFY(book.insertCompetition(longEvent) > 0);
        Wertung_t records[3];
        WertungList list;
        for (int j = 1; j <= 3; ++j) {
            Wertung_t& r = records[j - 1];
            r.judge = j;
            r.competitionId = longEvent.ID;
            r.startNumber = 150;
            qstrcpy(r.announcer, "Maximilian Obermüller-Kunz");
            const quint8 marks[] = { quint8(10 + j), quint8(15 + j), quint8(20 + j), quint8(25 + j), 100 };
            for (quint8* row : { r.extra1, r.extra2 })
                std::copy_n(marks, 5, row);
            for (auto& row : r.exercises)
                std::copy_n(marks, 5, row);
            for (int t = 0; t < 9; ++t)
                r.tactical[t] = { quint32(50 * j), quint8(t + 1), 0 };
            r.deduction1 = 2000 + 111 * j;
            r.deduction2 = j == 3 ? 330 : 300 + 7 * j;
            r.ausgefahren = j == 2 ? 125 : 0;
            r.ausgefahrenRows[0] = 3;
            list.append(&r);
        }
        Wertungsbogen sheet(&book, &s, &reglement, nullptr);
        sheet.setWertungen(list);
        const QString path = tmp.filePath(QStringLiteral("layout.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(path);
        printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        QPainter painter(&printer);
        int page = 0;
        sheet.print(&painter, page);
        QVERIFY(painter.end());

        const QList<Words> words = pdfWords(path);
        QCOMPARE(words.size(), pages.size());
        const int dpi = 150;
        QProcess::execute(QStringLiteral("pdftoppm"), { "-r", QString::number(dpi), "-gray", "-png", path, tmp.filePath("layout") });
        for (int n = 0; n < words.size(); ++n) {
            const QImage image(tmp.filePath(QStringLiteral("layout-%1.png").arg(n + 1)));
            QStringList texts;
            for (int i = 0; i < words[n].size(); ++i) {
                const QString& text = words[n][i].first;
                const QRectF& box = words[n][i].second;
                texts << text;
                QVERIFY2(!lineThrough(image, QRectF(box.topLeft() * dpi / 72, box.bottomRight() * dpi / 72).toRect()),
                         qPrintable(QStringLiteral("a line through '%1' on page %2").arg(text).arg(n + 1)));
                for (int k = i + 1; k < words[n].size(); ++k)
                    QVERIFY2(!box.adjusted(0.1, 0.1, -0.1, -0.1).intersects(words[n][k].second),
                             qPrintable(QStringLiteral("'%1' over '%2' on page %3").arg(text, words[n][k].first).arg(n + 1)));
            }
            const QStringList expected = pages[n].split(QLatin1Char(' '));
            for (const QString& e : expected)
                QVERIFY2(texts.count(e) >= expected.count(e), qPrintable(QStringLiteral("'%1' missing on page %2").arg(e).arg(n + 1)));
        }
    }

    // The drawable area of printer pages, at least a quarter inch from the paper's edges;
    // every page after the first starts a new sheet, from the printer's first page on;
    // printPage paints one page with a painter of its own. Nothing without a painter or printer.
    void printerSheets_data()
    {
        QTest::addColumn<QMarginsF>("margins");   // inch
        QTest::addColumn<QRect>("rect");          // 1200 dpi, on 8 x 10 inch paper
        QTest::addColumn<int>("fromPage");
        QTest::addColumn<int>("calls");
        QTest::addColumn<int>("sheets");
        QTest::newRow("wide margins, no range") << QMarginsF(0.5, 0.5, 0.5, 0.5) << QRect(0, 0, 8400, 10800) << 0 << 3 << 3;
        QTest::newRow("narrow left, before the range") << QMarginsF(0.1, 0.5, 0.5, 0.5) << QRect(180, 0, 8700, 10800) << 5 << 5 << 1;
        QTest::newRow("none, into the range") << QMarginsF(0, 0, 0, 0) << QRect(300, 300, 9000, 11400) << 5 << 6 << 2;
        QTest::newRow("narrow bottom") << QMarginsF(1, 1, 0.25, 0.2) << QRect(0, 0, 8100, 10500) << 0 << 1 << 1;
    }

    void printerSheets()
    {
        QFETCH(QMarginsF, margins);
        QFETCH(QRect, rect);
        QFETCH(int, fromPage);
        QFETCH(int, calls);
        const QString path = tmp.filePath(QStringLiteral("sheets.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(path);
        printer.setResolution(1200);
        printer.setPageLayout(QPageLayout(QPageSize(QSizeF(8, 10), QPageSize::Inch), QPageLayout::Portrait, margins, QPageLayout::Inch));
        printer.setFromTo(fromPage, fromPage ? 9 : 0);
        QPainter painter(&printer);
        PageRecorder sheet;
        for (int page = 0; page < calls;)
            sheet.print(&painter, page);
        QVERIFY(painter.isActive() && painter.end());
        QCOMPARE(sheet.pages, QVector<QRect>(calls, rect).toList());
        QTEST(int(pdfText(path).count(QLatin1Char('\f'))), "sheets");
        int next = 0;
        sheet.printPage(&printer, next);
        QVERIFY(next == 1 && sheet.pages.size() == calls + 1 && sheet.pages.last() == rect);
        QCOMPARE(int(pdfText(path).count(QLatin1Char('\f'))), 1);
        sheet.print(nullptr, next);
        sheet.printPage(nullptr, next);
        QVERIFY(next == 1 && !PageRecorder().newPage(next, rect) && RuvoPrint::viewPort(nullptr).isNull());
    }
};

QTEST_MAIN(TestRules)
#include "tst_rules.moc"
