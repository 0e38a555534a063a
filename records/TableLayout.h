// The column layout of a record table that this code designed itself: the
// CREATE statement, the column lists of statements, and the upgrade that brings
// an older file to the current layout by adding the columns it lacks. New
// columns are only ever appended, so the order stays the same in every file.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

class RuvoDB;

class TableLayout
{
public:
    struct Column
    {
        const char* name;
        const char* type;
    };

    TableLayout(const char* table, QVector<Column> columns);

    // A stored text as an SQL literal, cleaned as every stored text is.
    static QString text(const QString& value);
    // " WHERE a AND b ...", or nothing for no condition.
    static QString where(const QStringList& conditions);

    QString table() const { return QString::fromLatin1(name); }
    // "ID,Name,..." of the first count columns (all for -1).
    QString columnList(int count = -1) const;

    // Creates the table when it is missing, else upgrades it.
    bool create(RuvoDB* db) const;
    // Adds every missing column, in layout order, all or none; false when the
    // table is missing or its columns cannot be read.
    bool upgrade(RuvoDB* db) const;

private:
    const char* name;
    QVector<Column> columns;
};
