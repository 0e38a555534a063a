// The page framework: page rectangles and cut marks on images, the drawable
// area of printers, new sheets on a PDF printer read back with pdfinfo, and
// runs on a printer of its own with the print dialog answered by a hook.
#include "rules/RuvoPrint.h"
#include "tests/support/DebugCapture.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(QMarginsF)

class PageRecorder : public RuvoPrint
{
public:
    void drawPage(const QRect& rect) override
    {
        pages << rect;
        RuvoPrint::drawPage(rect);
    }
    bool hasPrinter() const { return printer; }

    QList<QRect> pages;
};

// The number of pages of a PDF file, 0 when pdfinfo cannot read it.
static int pdfPages(const QString& path)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), { path });
    info.waitForFinished();
    return QRegularExpression("Pages: *(\\d+)").match(info.readAllStandardOutput()).captured(1).toInt();
}

class TestRuvoPrint : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void imagePages_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("dpi");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<int>("markRow");   // the row of the bottom cut mark, -1 below the image
        QTest::newRow("portrait 300") << QSize(2480, 3508) << QSize(300, 300) << QRect(QPoint(106, 106), QPoint(2373, 3342)) << 3507;
        QTest::newRow("landscape 300") << QSize(3508, 2480) << QSize(300, 300) << QRect(QPoint(165, 106), QPoint(3401, 2373)) << -1;
        QTest::newRow("landscape 300x150") << QSize(3508, 2480) << QSize(300, 150) << QRect(QPoint(82, 106), QPoint(3318, 2479)) << -1;
    }

    void imagePages()
    {
        QFETCH(QSize, size);
        QFETCH(QSize, dpi);
        QFETCH(QRect, rect);
        QFETCH(int, markRow);
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        image.setDotsPerMeterX(qRound(dpi.width() / 0.0254));
        image.setDotsPerMeterY(qRound(dpi.height() / 0.0254));
        QPainter painter(&image);
        PageRecorder sheet;
        int page = 4;
        sheet.print(&painter, page);
        painter.end();
        QVERIFY(page == 5 && sheet.pages == QList<QRect>{ rect });
        QCOMPARE(image.pixelColor(rect.left() - 2, rect.bottom()), QColor(Qt::white));
        QVERIFY(image.pixelColor(rect.left(), rect.bottom()) != QColor(Qt::white));   // the outline
        int inked = 0;   // the dash-dot cut mark across the sheet
        for (int x = 0; markRow >= 0 && x < size.width(); ++x)
            inked += image.pixelColor(x, markRow) != QColor(Qt::white);
        QVERIFY(markRow < 0 || (inked > size.width() / 3 && inked < size.width()));
    }

    void viewPorts_data()
    {
        QTest::addColumn<QMarginsF>("margins");   // inch
        QTest::addColumn<QRect>("rect");          // 1200 dpi, on 8 x 10 inch paper
        QTest::newRow("wide margins") << QMarginsF(0.5, 0.5, 0.5, 0.5) << QRect(0, 0, 8400, 10800);
        QTest::newRow("narrow left") << QMarginsF(0.1, 0.5, 0.5, 0.5) << QRect(180, 0, 8700, 10800);
        QTest::newRow("none") << QMarginsF(0, 0, 0, 0) << QRect(300, 300, 9000, 11400);
        QTest::newRow("narrow bottom") << QMarginsF(1, 1, 0.25, 0.2) << QRect(0, 0, 8100, 10500);
    }

    void viewPorts()
    {
        QFETCH(QMarginsF, margins);
        QFETCH(QRect, rect);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setResolution(1200);
        printer.setPageLayout(QPageLayout(QPageSize(QSizeF(8, 10), QPageSize::Inch), QPageLayout::Portrait, margins, QPageLayout::Inch));
        QCOMPARE(RuvoPrint::viewPort(&printer), rect);
    }

    // Every page after the first starts a new sheet, from the printer's first page on;
    // printPage paints one page with a painter of its own.
    void printerSheets_data()
    {
        QTest::addColumn<int>("fromPage");
        QTest::addColumn<int>("calls");
        QTest::addColumn<int>("sheets");
        QTest::newRow("no range") << 0 << 3 << 3;
        QTest::newRow("before the range") << 5 << 5 << 1;
        QTest::newRow("into the range") << 5 << 6 << 2;
    }

    void printerSheets()
    {
        QFETCH(int, fromPage);
        QFETCH(int, calls);
        QFETCH(int, sheets);
        const QString path = dir.filePath(QStringLiteral("sheets.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(path);
        printer.setFromTo(fromPage, fromPage ? 9 : 0);
        QPainter painter(&printer);
        PageRecorder sheet;
        for (int page = 0; page < calls;)
            sheet.print(&painter, page);
        QVERIFY(painter.isActive() && painter.end());
        QCOMPARE(sheet.pages, QVector<QRect>(calls, RuvoPrint::viewPort(&printer)).toList());
        QCOMPARE(pdfPages(path), sheets);
        int next = 0;
        sheet.printPage(&printer, next);
        QVERIFY(next == 1 && sheet.pages.size() == calls + 1);
        QCOMPARE(pdfPages(path), 1);
    }

    // An inactive painter: a run on a printer of its own, ended with the page;
    // none without a painter or printer.
    void ownPrinter_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("pages");
        QTest::newRow("printed") << true << "own.pdf" << 1;
        QTest::newRow("dialog cancelled") << false << "cancelled.pdf" << 0;
        QTest::newRow("printer unusable") << true << "missing/own.pdf" << 0;
    }

    void ownPrinter()
    {
        QFETCH(bool, accept);
        QFETCH(QString, file);
        QFETCH(int, pages);
        RuvoPrint::setPrintDialogHook([&](QPrinter* printer) {
            printer->setOutputFileName(dir.filePath(file));
            return accept;
        });
        DebugCapture capture;
        PageRecorder sheet;   // outlives the painter: once the run has ended it touches it no more
        QPainter painter;
        int page = 7;
        sheet.print(&painter, page);
        sheet.print(nullptr, page);
        sheet.printPage(nullptr, page);
        RuvoPrint::setPrintDialogHook({});
        QVERIFY(page == (pages ? 1 : 8) && sheet.pages.size() == pages);
        QVERIFY(pages == 0 || sheet.pages.first().width() > sheet.pages.first().height());
        QVERIFY(!painter.isActive() && !sheet.hasPrinter());
        QCOMPARE(pdfPages(dir.filePath(file)), pages);
        QCOMPARE(capture.contains(QStringLiteral("cannot begin painting")), file.startsWith(QStringLiteral("missing")));
        QRect rect;
        QVERIFY(!PageRecorder().newPage(page, rect) && RuvoPrint::viewPort(nullptr).isNull());
    }
};

QTEST_MAIN(TestRuvoPrint)
#include "tst_ruvoprint.moc"
