// The page framework: print devices, page rectangles and new pages.
#include "rules/RuvoPrint.h"

#include <QDebug>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <cmath>

namespace {

const double mmPerInch = 25.4;
const double leastPaperMargin = 0.25;   // inch, between the drawable area and every paper edge

// Page margins on a device that is no printer, in millimetres.
const double narrowMargin = 9;
const double wideMargin = 14;

RuvoPrint::PrintDialogHook& printDialogHook()
{
    static RuvoPrint::PrintDialogHook hook;
    return hook;
}

bool runPrintDialog(QPrinter* printer)
{
    if (printDialogHook())
        return printDialogHook()(printer);
    QPrintDialog dialog(printer);
    return dialog.exec() == QDialog::Accepted;
}

int toPixels(double mm, double dotsPerMm)
{
    return int(mm * dotsPerMm);
}

} // namespace

void RuvoPrint::setPrintDialogHook(PrintDialogHook hook)
{
    printDialogHook() = std::move(hook);
}

RuvoPrint::RuvoPrint() = default;

RuvoPrint::~RuvoPrint()
{
    if (ownsPrinter)
        endPainting();
}

void RuvoPrint::print(QPainter* p, int& page)
{
    if (!p) {
        qWarning("RuvoPrint::print: no painter");
        return;
    }
    QRect rect;
    painter = p;
    if (newPage(page, rect)) {
        // Only an active painter keeps render hints, so they follow the start of the page.
        painter->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        drawPage(rect);
    }
    if (ownsPrinter)
        endPainting();
}

void RuvoPrint::printPage(QPrinter* device, int& page)
{
    if (!device) {
        qWarning("RuvoPrint::printPage: no printer");
        return;
    }
    QPainter own;
    if (!own.begin(device)) {
        qWarning("RuvoPrint::printPage: cannot begin painting on the printer");
        return;
    }
    currentPainter = &own;
    const QPrinter* range = printer ? printer : device;
    if (page != 0 && page >= range->fromPage())
        device->newPage();
    drawPage(viewPort(device));
    ++page;
    own.end();
    currentPainter = nullptr;
}

void RuvoPrint::drawPage(const QRect& rect)
{
    if (currentPainter)
        currentPainter->drawRects(&rect, 1);
}

bool RuvoPrint::newPage(QPainter* p, int& page, QRect& rect)
{
    if (!painter)
        painter = p;
    return newPage(page, rect);
}

bool RuvoPrint::newPage(int& page, QRect& rect)
{
    if (!painter) {
        qWarning("RuvoPrint::newPage: no painter");
        return false;
    }
    QPaintDevice* device = painter->device();
    QPaintEngine* engine = painter->paintEngine();
    qDebug("RuvoPrint::newPage( page=%d device=%p PaintEngine=%p type=%d)", page, static_cast<void*>(device),
           static_cast<void*>(engine), engine ? int(engine->type()) : -1);
    currentPainter = painter;
    if (!device)
        return startOwnPrinter(page, rect);
    if (device->devType() == QInternal::Printer) {
        if (device != printer) {
            dropPrinter();
            printer = static_cast<QPrinter*>(device);
        }
        return printerPage(page, rect);
    }
    dropPrinter();
    return devicePage(device, page, rect);
}

bool RuvoPrint::startOwnPrinter(int& page, QRect& rect)
{
    dropPrinter();
    ownsPrinter = true;
    qDebug("creating PDF- device");
    printer = new QPrinter(QPrinter::HighResolution);
    if (!runPrintDialog(printer)) {
        qDebug("unable to setup the printer");
        dropPrinter();
        ++page;
        return false;
    }
    const bool portrait = (rect.right() - rect.left()) < (rect.bottom() - rect.top());
    printer->setPageOrientation(portrait ? QPageLayout::Portrait : QPageLayout::Landscape);
    if (!painter->begin(printer)) {
        qWarning("RuvoPrint::newPage: cannot begin painting on the printer");
        dropPrinter();
        ++page;
        return false;
    }
    page = 0;
    return printerPage(page, rect);
}

bool RuvoPrint::printerPage(int& page, QRect& rect)
{
    if (page != 0 && page >= printer->fromPage())
        printer->newPage();
    rect = viewPort(printer);
    ++page;
    return true;
}

bool RuvoPrint::devicePage(QPaintDevice* device, int& page, QRect& rect)
{
    const double dx = device->logicalDpiX() / mmPerInch;
    const double dy = device->logicalDpiY() / mmPerInch;
    const int w = device->width();
    const int h = device->height();
    int left, top, right, bottom;
    if (h > w) {
        left = toPixels(narrowMargin, dx);
        top = toPixels(narrowMargin, dy);
        right = left + (w - toPixels(2 * narrowMargin, dx)) - 1;
        bottom = top + (h - toPixels(narrowMargin + wideMargin, dy)) - 1;
    } else {
        // Turned paper: the vertical margins follow the horizontal resolution and the other way round.
        top = toPixels(narrowMargin, dx);
        left = toPixels(wideMargin, dy);
        bottom = top + (h - toPixels(2 * narrowMargin, dy)) - 1;
        right = left + (w - toPixels(narrowMargin + wideMargin, dx)) - 1;
    }
    rect = QRect(QPoint(left, top), QPoint(right, bottom));

    // Cut marks at the top and bottom edge of the sheet.
    QPen pen = painter->pen();
    pen.setWidth(qMax(3, pen.width() * 3));
    pen.setStyle(Qt::DashDotLine);
    painter->setPen(pen);
    const int topMark = top - toPixels(narrowMargin, dx);
    const int bottomMark = bottom + toPixels(wideMargin, dy);
    painter->drawLine(0, topMark, 1, topMark);
    painter->drawLine(0, bottomMark, right + toPixels(narrowMargin, dx), bottomMark);
    pen.setWidth(pen.width() / 3);
    pen.setStyle(Qt::SolidLine);
    painter->setPen(pen);

    qDebug("VIEWPORT: margin= %d / %d   size=%d / %d dpmi: %f / %f", left, top, rect.width(), rect.height(), dx, dy);
    ++page;
    return true;
}

QRectF RuvoPrint::viewPortF(QPrinter* printer)
{
    if (!printer) {
        qWarning("RuvoPrint::viewPortF: no printer");
        return QRectF();
    }
    const QPageLayout layout = printer->pageLayout();
    QRectF paper = layout.fullRect(QPageLayout::Inch);
    const QRectF paint = layout.paintRect(QPageLayout::Inch);
    if (paint.width() > paint.height() && paper.height() > paper.width())
        paper = QRectF(paper.x(), paper.y(), paper.height(), paper.width());

    auto inset = [](double margin) { return margin < leastPaperMargin ? leastPaperMargin - margin : 0.0; };
    const double left = inset(paint.left());
    const double top = inset(paint.top());
    const double right = inset(paper.right() - paint.right());
    const double bottom = inset(paper.bottom() - paint.bottom());

    const double r = printer->resolution();
    const QRectF view(r * left, r * top, r * (paint.width() - left - right), r * (paint.height() - top - bottom));
    qDebug() << "RuvoPrint::viewPortF insets" << left << top << right << bottom;
    qDebug() << "RuvoPrint::viewPortF" << view << printer->pageLayout().paintRectPixels(printer->resolution()) << paint
             << paper;
    return view;
}

QRect RuvoPrint::viewPort(QPrinter* printer)
{
    const QRectF f = viewPortF(printer);
    // Halves go to the even neighbour.
    return QRect(int(std::nearbyint(f.x())), int(std::nearbyint(f.y())), int(std::nearbyint(f.width())),
                 int(std::nearbyint(f.height())));
}

void RuvoPrint::endPainting()
{
    if (painter && painter->isActive())
        painter->end();
    dropPrinter();
}

void RuvoPrint::endPaintingIfOwner()
{
    if (ownsPrinter)
        endPainting();
}

void RuvoPrint::dropPrinter()
{
    // A borrowed printer belongs to the caller; only our own is deleted.
    if (ownsPrinter)
        delete printer;
    printer = nullptr;
    ownsPrinter = false;
}
