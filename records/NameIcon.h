// A short name, a long name and an icon, stored in a table whose name the
// record carries, with the statements that write, read and delete its rows.
//
// Columns, in this order: ID INTEGER PRIMARY KEY, Name, LongName, Icon (the
// icon's bytes compressed and in Base64).
#pragma once

#include "db/RuvoDBList.h"

#include <QByteArray>
#include <QString>

class RuvoDB;

class NameIcon
{
public:
    NameIcon();
    virtual ~NameIcon() = default;

    // Clears icon, names and ID; the table name and the statement stay.
    virtual void clear();
    // A record with a short or a long name.
    virtual bool isValid() const;
    virtual bool createTable(RuvoDB& db);

    void setName(const QString& text);
    void setLongName(const QString& text);

    // ID, names and icon bytes; the table name and the statement are not compared.
    bool operator==(const NameIcon& other) const;
    bool operator!=(const NameIcon& other) const { return !(*this == other); }
    bool sameTable(const NameIcon& other) const { return table == other.table; }

    // Creates the table when it is missing.
    bool checkTable(RuvoDB& db);
    // The insert statement of this record, kept in the record.
    QString& sqlText();
    // The new row ID (also stored as ID), -1 on failure.
    int insert(RuvoDB& db);
    bool update(RuvoDB& db);
    // Deletes the row and clears the record.
    bool remove(RuvoDB& db);
    // The rows of this record's table; a filter's ID, or else its name, selects.
    bool getNameIcons(RuvoDB& db, RuvoDBList<NameIcon>& out, const NameIcon* filter) const;
    // True only when exactly one row has this ID; out then holds it,
    // otherwise it stays as it was.
    bool getById(RuvoDB& db, NameIcon& out, int id) const;
    void dump() const;

    QByteArray icon;    // as stored; the record does not read the image
    QString table;      // set by the user of the record
    int ID = 0;         // 0 or less: no row
    QString sqlBuffer;  // the last statement sqlText built
    QString Name;       // simplified
    QString LongName;   // simplified
};
