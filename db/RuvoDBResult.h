// The result of a query: column names, declared column types and the rows,
// every cell read as text.
#pragma once

#include <QList>
#include <QStringList>

struct RuvoDBResult
{
    QStringList columns;
    QStringList types;
    QList<QStringList> rows;

    void clear()
    {
        columns.clear();
        types.clear();
        rows.clear();
    }
};
