// Draws one score sheet into a page rectangle: on a portrait page the judges'
// form of one start (title, athletes, start data, exercise table, score box),
// on a landscape page a compact exercise table with room for four judges.
// Lengths are millimetres turned into device units.
#pragma once

#include "records/ExpandedAthlete.h"
#include "records/Wertung_t.h"
#include "rules/Uebung.h"
#include "rules/WertungsbogenKopf.h"

#include <QFont>
#include <QList>
#include <QPen>
#include <QRect>

#include <functional>

class QPainter;
class Wertungsbogen;

class ScoreSheetPainter
{
public:
    ScoreSheetPainter(Wertungsbogen& sheet, QPainter& painter);

    void drawPage(const QRect& page);

    // 0.2 mm, at least one unit; the thick pen is twice as wide.
    int thinPenWidth() const { return thin.width(); }
    int thickPenWidth() const { return thick.width(); }

private:
    int mmX(double mm) const;
    int mmY(double mm) const;
    void usePen(const QPen& pen);
    void useFont(int points, bool bold = false, bool underline = false);
    void text(const QRect& cell, int flags, const QString& s);
    // Draws with the painter moved to (x, y).
    void at(int x, int y, const std::function<void()>& draw);

    void drawPortrait(const QRect& body);
    void drawLandscape(const QRect& body);
    void drawFooter(const QRect& strip);
    void drawSportler(int w, int h);
    void drawDaten(int w, int h);
    void drawUebungen(int w, int h, bool landscape);
    void drawWertung(int w, int h);

    // The marks of a table row: an exercise slot, or an extra record (-1, 30).
    static const quint8* marksOf(const Wertung_t& r, int slot);
    static int markTotal(const Wertung_t& r, int kind);
    static int tacticalSum(const Wertung_t& r);
    static int tacticalOfRow(const Wertung_t& r, int row);
    int resultOf(const Wertung_t& r) const;
    QString groupDate(const Wertung_t& r);
    // Up to three points smaller until s fits the cell's width.
    void fitText(const QRect& cell, const QString& s, Qt::Alignment align);

    Wertungsbogen& sheet;
    QPainter& p;
    QFont baseFont;
    double dotsPerMmX;
    double dotsPerMmY;
    QPen thin;
    QPen thick;
    bool keepPens;               // a picture keeps the painter's own pens
    bool newRules;
    QList<const Wertung_t*> records;
    WertungsbogenKopf kopf;
};
