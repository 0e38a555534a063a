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

    // Widths of the exercise table's columns in device units, and where they start.
    struct Columns
    {
        int nr, code, text, takt, value;
        int pct, pkt, mark;   // the parts of a marks group
        int group, groups;
        int textX() const { return nr + code; }
        int taktX() const { return textX() + text; }
        int valueX() const { return taktX() + takt; }
        int groupX(int g) const { return valueX() + value + g * group; }
        int marksX(int g) const { return groupX(g) + pct + pkt; }
    };
    // As wide as the widest value (10 pt) and head line (8 pt) of each column.
    Columns tableColumns(int w, bool landscape);
    int columnWidth(const QString& widestValue, const QString& head, bool bold = false);
    void drawTableHead(const Columns& c, int head, bool withChecksum);
    void drawGroupHead(const Columns& c, int g, int head, int row, int tableBottom, bool landscape);
    void drawExerciseRow(const Columns& c, int i, int y, int row, const QList<Uebung>& exercises);
    void drawSumRows(const Columns& c, int tableBottom, int row);

    // The marks of a table row: an exercise slot, or an extra record (-1, 30).
    static const quint8* marksOf(const Wertung_t& r, int slot);
    static int markTotal(const Wertung_t& r, int kind);
    static int tacticalSum(const Wertung_t& r);
    static int tacticalOfRow(const Wertung_t& r, int row);
    int resultOf(const Wertung_t& r) const;
    QString groupDate(const Wertung_t& r);
    // Up to three points smaller until s fits the cell's width.
    void fitText(const QRect& cell, const QString& s, Qt::Alignment align);
    // The width a text may take in cell: a gap stays to either side.
    int room(const QRect& cell) const;

    Wertungsbogen& sheet;
    QPainter& p;
    QFont baseFont;
    double dotsPerMmX;
    double dotsPerMmY;
    QPen thin;
    QPen thick;
    int gap;      // text() keeps it between a text and its cell's lines
    int indent;   // with the gap, left-aligned values start 1.5 mm after their line
    bool keepPens;               // a picture keeps the painter's own pens
    bool newRules;
    QList<const Wertung_t*> records;
    WertungsbogenKopf kopf;
};
