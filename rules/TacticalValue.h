// The tactical values of one exercise: how many there are and their values in
// hundredths, in the catalogue's order.
#pragma once

#include <QList>
#include <QString>

struct TacticalValue
{
    QString nr;
    int anzahl = 0;
    QList<int> ziffern;
};
