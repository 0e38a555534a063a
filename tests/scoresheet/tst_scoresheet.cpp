// The score sheet's own records and shared operations, its header texts, the
// judges' correlation, and printing: pages of PDF files counted with pdfinfo,
// their texts read back with pdftotext, pen widths on images.
#include "records/Starter_t.h"
#include "rules/PearsonCorrelation.h"
#include "rules/ReglementDB.h"
#include "rules/ScoreSheetPainter.h"
#include "rules/Wertungsbogen.h"
#include "tests/rules/CatalogueFiles.h"
#include "tests/support/DebugCapture.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

namespace {

Starter_t startWith(int disci, const QStringList& codes)
{
    Starter_t s;
    s.disci = disci;
    for (int i = 0; i < codes.size(); ++i)
        std::strncpy(s.codes[i], codes[i].toLatin1().constData(), Starter_t::CodeSize - 1);
    return s;
}

// Records of judges 1, 2, ... with their names and a start number.
void addRecords(WertungList& list, int count)
{
    list.autoDelete = true;
    for (int i = 1; i <= count; ++i) {
        auto* w = new Wertung_t;
        w->judge = i;
        w->startNumber = 150;
        std::snprintf(w->announcer, sizeof w->announcer, "Ansager%d", i);
        w->exercises[0][0] = quint8(i);
        w->deduction1 = 40;
        list.append(w);
    }
}

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

private slots:
    void initTestCase()
    {
        const QString sql = CatalogueFiles::disciplinesSql() + QStringLiteral(
            "CREATE TABLE uebungen ( Nr TEXT, Text TEXT, Ziffer TEXT );"
            "INSERT INTO uebungen VALUES ( '1101a', 'Reitsitz', '1,5' ), ( '1102a', 'Steiger', '2.25' );");
        QVERIFY(catalogue.open(CatalogueFiles::newRules(dir.path(), sql), true));
    }

    void keepsCopiesOfRecords()
    {
        Starter_t start;
        start.netInfo = 100;
        Wertungsbogen sheet(nullptr, &start, nullptr, nullptr);
        QCOMPARE(sheet.getNummer(), 100);
        start.netInfo = 99;
        QCOMPARE(sheet.getNummer(), 0);
        {
            WertungList caller;
            addRecords(caller, 2);
            sheet.setWertungen(caller);
        }   // the caller's records are gone; the sheet reads its own
        QCOMPARE(sheet.getWertungen().size(), 2);
        QCOMPARE(sheet.getWertungen().at(1)->judge, 2);
        QCOMPARE(sheet.getNummer(), 150);
        sheet.setWertungen(sheet.getWertungen());
        QCOMPARE(sheet.getWertungen().size(), 2);
    }

    void sharedOperations()
    {
        QStringList codes;
        for (int i = 0; i < 20; ++i)
            codes << (i < 10 ? QStringLiteral("2101a") : i < 12 ? QString() : QStringLiteral("2301a"));
        Starter_t start = startWith(2, codes);
        start.ageClass = 6;
        Wertungsbogen sheet(nullptr, &start, &catalogue, nullptr);
        QCOMPARE(sheet.getMaxUebungen(), 27);   // 25 of the catalogue and the two empty slots
        start.ageClass = 0;
        QCOMPARE(sheet.getMaxUebungen(), 22);

        Starter_t gaps = startWith(1, { "1101a", "1199a", "", "", "1102a" });
        Wertungsbogen other(nullptr, &gaps, &catalogue, nullptr);
        QList<Uebung> list;
        QVERIFY(other.getBogenUebungen(list));
        QCOMPARE(list.size(), 5);
        QCOMPARE(list[0].text, QStringLiteral("Reitsitz"));
        QCOMPARE(list[1].nr.text(), QStringLiteral("1199a"));
        QVERIFY(!list[2].nr.isValid() && !list[3].nr.isValid());
        QCOMPARE(list[4].ziffer, 2.25);
    }

    void defaultEvent()
    {
        Starter_t start;
        QVERIFY(!Wertungsbogen(nullptr, &start, nullptr, nullptr).getWettkampf());
        Competition event;
        event.Datum = QDate(2024, 5, 4);
        Wertungsbogen::setWettkampf(&event);
        QCOMPARE(Wertungsbogen(nullptr, &start, nullptr, nullptr).getWettkampf()->Datum, event.Datum);
        Wertungsbogen::setWettkampf(nullptr);
        QVERIFY(!Wertungsbogen(nullptr, &start, nullptr, nullptr).getWettkampf());
    }

    void header_data()
    {
        QTest::addColumn<int>("best");
        QTest::addColumn<int>("bestDate");
        QTest::addColumn<QString>("codes");
        QTest::addColumn<int>("netInfo");
        QTest::addColumn<QStringList>("texts");   // bestPunkte, bestOrt, bestDatum, pruefsumme, nummer
        QTest::newRow("no best result") << 0 << 129600 << "" << 0 << QStringList { "", "", "", "00000000", "" };
        QTest::newRow("best result") << 1234 << 129600 << "1101a" << 150
                                     << QStringList { "12,34", "Halle", "02.01.1970", "4D4A03F6", "150" };
        QTest::newRow("best without date") << 5 << 0 << "1101aa" << 99 << QStringList { "0,05", "Halle", "", "58E82976", "" };
    }

    void header()
    {
        QFETCH(int, best);
        QFETCH(int, bestDate);
        QFETCH(QString, codes);
        QFETCH(int, netInfo);
        QFETCH(QStringList, texts);
        Starter_t start = startWith(1, { codes });
        start.best = uint16_t(best);
        start.bestDate = bestDate;
        std::strcpy(start.bestPlace, "Halle");
        std::strcpy(start.name, "Team Süd");
        start.given = 2050;
        start.netInfo = netInfo;
        Wertungsbogen sheet(nullptr, &start, nullptr, nullptr);
        WertungsbogenKopf kopf;
        Wertung_t training;
        training.startTime = 1700000000;
        training.judge = 2;
        QVERIFY(!sheet.getKopf(kopf, &training));
        QCOMPARE(sheet.getReport(), QStringLiteral("no Melde-Database"));
        QCOMPARE(QStringList({ kopf.bestPunkte, kopf.bestOrt, kopf.bestDatum, kopf.pruefsumme, kopf.nummer }), texts);
        QCOMPARE(kopf.aufgestellt, QStringLiteral("20,50"));
        QCOMPARE(kopf.name, QStringLiteral("Team Süd"));
        const QDateTime at = QDateTime::fromSecsSinceEpoch(1700000000);
        QCOMPARE(kopf.wettkampf.Name, QStringLiteral("Training"));
        QCOMPARE(kopf.wettkampf.Datum, at.date());
        QCOMPARE(kopf.wettkampf.Ort, at.toString(QStringLiteral("hh:mm")));
    }

    void pearson_data()
    {
        QTest::addColumn<QList<double>>("x");
        QTest::addColumn<QList<double>>("y");
        QTest::addColumn<double>("r");
        QTest::newRow("same") << QList<double> { 1, 0, 2 } << QList<double> { 1, 0, 2 } << 1.0;
        QTest::newRow("reversed") << QList<double> { 0, 1, 2 } << QList<double> { 2, 1, 0 } << 1.0;
        QTest::newRow("both unused") << QList<double> { 0, 0 } << QList<double> { 0, 0 } << 1.0;
        QTest::newRow("constant, means 0.25 apart") << QList<double> { 1, 1, 1, 1 } << QList<double> { 1, 1, 1, 2 } << 0.75;
        QTest::newRow("constant, means 1.5 apart") << QList<double> { 0, 0 } << QList<double> { 1, 2 } << 0.0;
        QTest::newRow("half") << QList<double> { 1, 2, 3, 4 } << QList<double> { 1, 3, 2, 2 } << 0.31622776601683794;   // 1 / sqrt(10)
    }

    void pearson()
    {
        QFETCH(QList<double>, x);
        QFETCH(QList<double>, y);
        QFETCH(double, r);
        QVERIFY(qAbs(pearsonCorrelation(x.toVector().constData(), y.toVector().constData(), x.size()) - r) < 1e-9);
    }

    void korrelation_data()
    {
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("entries");
        QTest::newRow("three judges") << QStringList { "1101a", "1102a" } << 3 << 3;
        QTest::newRow("one judge") << QStringList { "1101a" } << 1 << 0;
        QTest::newRow("no exercises") << QStringList {} << 2 << 0;
    }

    void korrelation()
    {
        QFETCH(QStringList, codes);
        QFETCH(int, records);
        QFETCH(int, entries);
        Starter_t start = startWith(1, codes);
        Wertungsbogen sheet(nullptr, &start, nullptr, nullptr);
        WertungList list;
        addRecords(list, records);
        for (Wertung_t* w : list)
            w->extra2[0] = 5;   // counted with the first exercise, when there is one
        sheet.setWertungen(list);
        DebugCapture log;
        QList<KorrelationEntry> out { KorrelationEntry() };
        sheet.korrelation(out);
        QCOMPARE(out.size(), entries);
        QCOMPARE(log.contains(QStringLiteral("keine Uebungen --> keine Korrelation")), codes.isEmpty());
        if (entries) {
            QCOMPARE(out[0].x, 1.0);   // 6,0 against 7,0
            QCOMPARE(out[0].w, 1.0);
        }
    }

    void pens_data()
    {
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("thin");
        QTest::newRow("600 dpi") << 600 << 4;
        QTest::newRow("72 dpi") << 72 << 1;
    }

    void pens()
    {
        QFETCH(int, dpi);
        QFETCH(int, thin);
        QImage image(100, 100, QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(dpi / 0.0254));
        image.setDotsPerMeterY(qRound(dpi / 0.0254));
        QPainter painter(&image);
        Starter_t start;
        Wertungsbogen sheet(nullptr, &start, nullptr, nullptr);
        ScoreSheetPainter drawing(sheet, painter);
        QCOMPARE(drawing.thinPenWidth(), thin);
        QCOMPARE(drawing.thickPenWidth(), 2 * thin);
    }

    void printPdf_data()
    {
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<bool>("withCatalogue");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("portrait, one sheet per record") << false << false << 3 << 0 << 0 << 3
            << QStringList { "WERTUNGSBOGEN", "KEIN Reglement !!!", "Ansager1", "Ansager3", "Grundpunktzahl:", "0,00" }
            << QStringList { "200,00" };
        QTest::newRow("portrait, no record") << false << true << 0 << 0 << 0 << 1
            << QStringList { "2008-01-01", "Reitsitz", "Takt-", "4D4A03F6" } << QStringList { "KEIN Reglement" };
        QTest::newRow("landscape, four to a page") << true << true << 6 << 0 << 0 << 2
            << QStringList { "TRAININGSBOGEN", "Abzug Ausführung:", "Team Süd" } << QStringList {};
        QTest::newRow("page range") << false << false << 3 << 2 << 2 << 1
            << QStringList { "Ansager2" } << QStringList { "Ansager1", "Ansager3" };
    }

    void printPdf()
    {
        QFETCH(bool, landscape);
        QFETCH(bool, withCatalogue);
        QFETCH(int, records);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, pages);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, absent);

        Starter_t start = startWith(1, { "1101a" });
        std::strcpy(start.name, "Team Süd");
        start.given = 150;
        Wertungsbogen sheet(nullptr, &start, withCatalogue ? &catalogue : nullptr, nullptr);
        WertungList list;
        addRecords(list, records);
        sheet.setWertungen(list);

        const QString path = dir.filePath(QStringLiteral("%1.pdf").arg(QTest::currentDataTag()));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        printer.setFromTo(from, to);
        QPainter painter(&printer);
        int page = 0;
        sheet.print(&painter, page);
        painter.end();

        QCOMPARE(pdfPages(path), pages);
        QVERIFY(sheet.getWertungen().isEmpty());
        const QString text = run(QStringLiteral("pdftotext"), { path, QStringLiteral("-") });
        for (const QString& t : texts)
            QVERIFY2(text.contains(t), qPrintable(t));
        for (const QString& t : absent)
            QVERIFY2(!text.contains(t), qPrintable(t));
    }

    void printWithoutPainterIsOneJob()
    {
        const QString path = dir.filePath(QStringLiteral("own.pdf"));
        RuvoPrint::setPrintDialogHook([&](QPrinter* printer) {
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(path);
            return true;
        });
        Starter_t start = startWith(1, { "1101a" });
        Wertungsbogen sheet(nullptr, &start, nullptr, nullptr);
        WertungList list;
        addRecords(list, 6);
        sheet.setWertungen(list);
        QPainter painter;
        int page = 0;
        sheet.print(&painter, page);
        RuvoPrint::setPrintDialogHook({});
        QCOMPARE(pdfPages(path), 2);   // our own printer is landscape: four records to a page
        QVERIFY(!painter.isActive());
    }
};

QTEST_MAIN(TestScoreSheet)
#include "tst_scoresheet.moc"
