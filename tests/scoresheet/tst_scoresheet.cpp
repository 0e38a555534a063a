// The score sheet's own records and shared operations, its header texts and
// athletes on an address book built here, the judges' correlation, and
// printing: pages of PDF files counted with pdfinfo and read back with
// pdftotext, pen widths on images.
#include "rules/PearsonCorrelation.h"
#include "rules/ReglementDB.h"
#include "rules/ScoreSheetPainter.h"
#include "tests/scoresheet/SheetData.h"
#include "tests/support/DebugCapture.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace SheetData;

// Only a database of this class gives events by ID.
class WertungListeDB : public AddressDB
{
    Q_OBJECT
};

namespace {

// pdftotext writes to "-", standard output.
QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const QString& path)
{
    const QString info = run(QStringLiteral("pdfinfo"), { path });
    const int at = info.indexOf(QLatin1String("Pages:"));
    return at < 0 ? 0 : info.mid(at + 6, info.indexOf(QLatin1Char('\n'), at) - at - 6).trimmed().toInt();
}

} // namespace

class TestScoreSheet : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    ReglementDB catalogue;
    WertungListeDB book;

private slots:
    void initTestCase()
    {
        QVERIFY(catalogue.open(CatalogueFiles::newRules(dir.path(), catalogueSql()), true));
        QVERIFY(book.open(dir.filePath(QStringLiteral("melde.ldb")), false) && fillBook(book));
    }

    void recordsAndSharedOperations()
    {
        Starter_t s = start(1, QStringLiteral("1101a,1199a,,,1102a"));
        s.netInfo = 99;
        Wertungsbogen sheet(nullptr, &s, &catalogue, nullptr);
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

        Starter_t pair = start(2, QStringLiteral("2101a,").repeated(10) + QStringLiteral(",,") + QStringLiteral("2301a,").repeated(8));
        pair.ageClass = 6;
        QCOMPARE(Wertungsbogen(nullptr, &pair, &catalogue, nullptr).getMaxUebungen(), 25 + 2);

        Competition event;
        event.Datum = eventDay;
        Wertungsbogen::setWettkampf(&event);
        QCOMPARE(Wertungsbogen(nullptr, &s, nullptr, nullptr).getWettkampf()->Datum, eventDay);
        Wertungsbogen::setWettkampf(nullptr);
        QVERIFY(!Wertungsbogen(nullptr, &s, nullptr, nullptr).getWettkampf());
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
        Starter_t s = SheetData::start(1, f[2]);
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
        Starter_t s = SheetData::start(1, QString(), start.section(QLatin1Char(' '), 1), start.section(QLatin1Char(' '), 0, 0).toInt());
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
            Starter_t s = start(1, QString(), QStringLiteral("1"), 1);
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
        QTest::newRow("three judges") << "1101a,1102a" << 3;
        QTest::newRow("one judge") << "1101a" << 1;
        QTest::newRow("no exercises") << "" << 2;
    }

    void korrelation()
    {
        QFETCH(QString, codes);
        QFETCH(int, records);
        Starter_t s = start(1, codes);
        Wertungsbogen sheet(nullptr, &s, nullptr, nullptr);
        WertungList list;
        addRecords(list, records);
        for (Wertung_t* w : list)
            w->extra2[0] = 5;   // counted with the first exercise, when there is one
        sheet.setWertungen(list);
        DebugCapture log;
        QList<KorrelationEntry> out { KorrelationEntry() };
        sheet.korrelation(out);
        QCOMPARE(out.size(), codes.isEmpty() ? 0 : records * (records - 1) / 2);
        QCOMPARE(log.contains(QStringLiteral("keine Uebungen --> keine Korrelation")), codes.isEmpty());
        for (const KorrelationEntry& e : out)   // 6,0 against 7,0; the other kinds unused
            QCOMPARE(e.x + e.w + e.s + e.o + e.p, 5.0);
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

    void pens()
    {
        for (auto dpiAndWidth : { qMakePair(600, 4), qMakePair(72, 1) }) {
            QImage image(100, 100, QImage::Format_RGB32);
            image.setDotsPerMeterX(qRound(dpiAndWidth.first / 0.0254));
            QPainter painter(&image);
            Starter_t s;
            Wertungsbogen sheet(nullptr, &s, nullptr, nullptr);
            ScoreSheetPainter drawing(sheet, painter);
            QCOMPARE(qMakePair(drawing.thinPenWidth(), drawing.thickPenWidth()), qMakePair(dpiAndWidth.second, 2 * dpiAndWidth.second));
        }
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
        Starter_t s = start(1, QStringLiteral("1101a"));
        std::strcpy(s.name, "Team Süd");
        s.given = 150;
        Wertungsbogen sheet(nullptr, &s, withCatalogue ? &catalogue : nullptr, nullptr);
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

        QCOMPARE(pdfPages(path), pages);
        QVERIFY(sheet.getWertungen().isEmpty());
        const QString text = run(QStringLiteral("pdftotext"), { path, QStringLiteral("-") });
        for (const QString& t : texts)
            QVERIFY2(text.contains(t.startsWith(QLatin1Char('-')) ? t.mid(1) : t) != t.startsWith(QLatin1Char('-')), qPrintable(t));
    }
};

QTEST_MAIN(TestScoreSheet)
#include "tst_scoresheet.moc"
