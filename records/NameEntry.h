// One row of the address book's plain list of names (table "namen").
#pragma once

#include <QString>

class NameEntry
{
public:
    NameEntry() = default;
    // A negative id counts as no row.
    NameEntry(const QString& name, int id);

    // Stores the name simplified and cleaned for SQL literals.
    void setName(const QString& text);

    QString name;
    int ID = 0;   // 0: no row yet
};
