// The exercise list of one start entry: 30 positions of exercise codes, all of
// one discipline, and the checksum printed on the score sheet.
#pragma once

#include "records/Figure.h"

#include <QVector>
#include <QtGlobal>

class FigureList
{
public:
    enum { Positions = 30 };

    FigureList();

    void clear();
    Figure at(int i) const;
    bool set(int i, const Figure& code);
    bool setFigure(int i, const QString& text);
    void updateDisci();
    bool fits(const Figure& code) const { return disci == 0 || disci == code.disci(); }
    bool isEmpty() const { return disci == 0; }
    quint32 checksum() const;

    bool operator==(const FigureList& other) const;
    bool sameCodes(const FigureList& other) const;

private:
    QVector<Figure> codes;

public:
    int disci = 0;  // the discipline of the lowest code that has one, 0 for none
};
