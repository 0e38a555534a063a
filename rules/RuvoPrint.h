// The page framework through which the suite prints: it finds or creates the
// print device, works out each page's drawable rectangle in device pixels,
// starts new pages and hands each page to drawPage. A subclass draws its pages
// by overriding drawPage and, for several pages, print.
#pragma once

#include <QObject>
#include <QRect>
#include <QRectF>

#include <functional>

class QPainter;
class QPaintDevice;
class QPrinter;

class RuvoPrint : public QObject
{
public:
    RuvoPrint();
    ~RuvoPrint() override;

    // One page on painter; an inactive painter starts a run on a printer of
    // our own that the user chooses in the print dialog.
    virtual void print(QPainter* painter, int& page);
    // One page on device with a painter of its own.
    virtual void printPage(QPrinter* device, int& page);
    // The default draws the outline of rect.
    virtual void drawPage(const QRect& rect);

    // Prepares the next page, sets rect to its drawable rectangle and counts
    // page up; false when there is nothing to draw on.
    bool newPage(int& page, QRect& rect);
    // The same; painter is taken when the object has none yet.
    bool newPage(QPainter* painter, int& page, QRect& rect);

    // The drawable rectangle of the printer's page in device pixels, relative
    // to the printable area: at least a quarter inch from every paper edge.
    static QRectF viewPortF(QPrinter* printer);
    static QRect viewPort(QPrinter* printer);

    // Ends the painting and lets go of the printer (deleted when our own).
    void endPainting();
    void endPaintingIfOwner();

    // While a hook is set, it answers the print dialog for the printer (true:
    // accepted) instead of showing it. Pass an empty function to remove it.
    using PrintDialogHook = std::function<bool(QPrinter* printer)>;
    static void setPrintDialogHook(PrintDialogHook hook);

protected:
    QPainter* currentPainter = nullptr;  // the painter drawPage paints with; not owned
    bool ownsPrinter = false;             // printer was created here and ends with the run
    QPainter* painter = nullptr;          // the painter given to print; not owned
    QPrinter* printer = nullptr;          // the device under painter, or our own printer

private:
    bool startOwnPrinter(int& page, QRect& rect);
    bool printerPage(int& page, QRect& rect);
    bool devicePage(QPaintDevice* device, int& page, QRect& rect);
    void dropPrinter();
};
