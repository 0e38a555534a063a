// The name-icon record and its table: creation, the insert statement, update,
// delete and the reads by filter and by ID.
#include "records/NameIcon.h"

#include "db/Conversions.h"
#include "db/RuvoDB.h"
#include "db/SqlLiteral.h"
#include "records/TableLayout.h"

#include <QDebug>

namespace {

enum { ColId, ColName, ColLongName, ColIcon };

} // namespace

NameIcon::NameIcon()
{
    clear();
}

void NameIcon::clear()
{
    icon.clear();
    Name.clear();
    LongName.clear();
    ID = 0;
}

bool NameIcon::isValid() const
{
    return !Name.isEmpty() || !LongName.isEmpty();
}

bool NameIcon::createTable(RuvoDB& db)
{
    if (table.isEmpty())
        return false;
    return db.exec(QStringLiteral("CREATE TABLE %1 ( ID INTEGER PRIMARY KEY,Name     VARCHAR(32),"
                                  "LongName VARCHAR(32),Icon     BLOB ) ;").arg(table));
}

void NameIcon::setName(const QString& text)
{
    Name = text.simplified();
}

void NameIcon::setLongName(const QString& text)
{
    LongName = text.simplified();
}

bool NameIcon::operator==(const NameIcon& o) const
{
    return ID == o.ID && Name == o.Name && LongName == o.LongName && icon == o.icon;
}

bool NameIcon::checkTable(RuvoDB& db)
{
    if (table.isEmpty())
        return false;
    return db.hasTable(table) || createTable(db);
}

QString& NameIcon::sqlText()
{
    sqlBuffer = QStringLiteral("INSERT OR REPLACE INTO ") + table + QStringLiteral(" VALUES ( ")
        + (ID > 0 ? QString::number(ID) : QStringLiteral("NULL")) + QStringLiteral(", ")
        + TableLayout::text(Name) + QStringLiteral(", ") + TableLayout::text(LongName) + QStringLiteral(", ")
        + ::sqlText(compressToBase64(icon)) + QStringLiteral(" );");
    qDebug().noquote() << sqlBuffer;
    return sqlBuffer;
}

int NameIcon::insert(RuvoDB& db)
{
    ID = 0;
    ID = db.execInsert(sqlText());
    return ID;
}

bool NameIcon::update(RuvoDB& db)
{
    return ID >= 1 && db.exec(sqlText());
}

bool NameIcon::remove(RuvoDB& db)
{
    if (ID < 1 || !db.exec(QStringLiteral("DELETE FROM %1 WHERE ID = %2;").arg(table).arg(ID)))
        return false;
    clear();
    return true;
}

bool NameIcon::getNameIcons(RuvoDB& db, RuvoDBList<NameIcon>& out, const NameIcon* filter) const
{
    out.clear();
    QString s = QStringLiteral("SELECT * FROM ") + table;
    if (filter && filter->ID >= 1)
        s += QStringLiteral(" WHERE  ID = %1").arg(filter->ID);
    else if (filter && !filter->Name.isEmpty())
        s += QStringLiteral(" WHERE  Name = ") + TableLayout::text(filter->Name);   // compared as stored
    s += QLatin1Char(';');

    RuvoDBResult result;
    const bool ok = db.query(s, &result);
    for (const QStringList& row : qAsConst(result.rows)) {
        NameIcon n;
        n.table = table;
        n.ID = toInt(row.value(ColId));
        n.Name = row.value(ColName);
        n.LongName = row.value(ColLongName);
        n.icon = uncompressFromBase64(row.value(ColIcon));
        out.append(n);
    }
    return ok;
}

bool NameIcon::getById(RuvoDB& db, NameIcon& out, int id) const
{
    // An ID below 1 would make a filter without condition.
    if (id < 1)
        return false;
    NameIcon filter;
    filter.ID = id;
    RuvoDBList<NameIcon> found;
    if (!getNameIcons(db, found, &filter) || found.size() != 1)
        return false;
    out = found.first();
    return true;
}

void NameIcon::dump() const
{
    qDebug() << "NameIcon(" << table << "): " << ID << Name << LongName;
}
