// Creation and add-missing-columns upgrade of a designed table layout.
#include "records/TableLayout.h"

#include "db/Conversions.h"
#include "db/RuvoDB.h"
#include "db/RuvoTransaction.h"
#include "db/SqlLiteral.h"

#include <QDebug>

TableLayout::TableLayout(const char* table, QVector<Column> columns) : name(table), columns(std::move(columns))
{
}

QString TableLayout::text(const QString& value)
{
    return sqlText(cleanSqlText(value));
}

QString TableLayout::where(const QStringList& conditions)
{
    return conditions.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
}

QString TableLayout::columnList(int count) const
{
    QStringList names;
    for (int i = 0; i < columns.size() && (count < 0 || i < count); ++i)
        names << QString::fromLatin1(columns.at(i).name);
    return names.join(QLatin1Char(','));
}

bool TableLayout::create(RuvoDB* db) const
{
    if (!db)
        return false;
    if (db->hasTable(table()))
        return upgrade(db);
    QStringList defs;
    for (const Column& c : columns)
        defs << QString::fromLatin1(c.name) + QLatin1Char(' ') + QString::fromLatin1(c.type);
    return db->exec(QStringLiteral("CREATE TABLE %1 ( %2 ) ;").arg(table(), defs.join(QLatin1Char(','))));
}

bool TableLayout::upgrade(RuvoDB* db) const
{
    if (!db || !db->hasTable(table()))
        return false;
    RuvoDBResult present;
    if (!db->columns(name, &present) || present.columns.isEmpty())
        return false;
    QVector<Column> missing;
    for (const Column& c : columns)
        if (!present.columns.contains(QString::fromLatin1(c.name)))
            missing << c;
    if (missing.isEmpty())
        return true;
    RuvoTransaction t(db);
    for (const Column& c : qAsConst(missing)) {
        qDebug() << "upgrade table" << name << "ADD COLUMN" << c.name;
        if (!db->exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3;")
                          .arg(table(), QString::fromLatin1(c.name), QString::fromLatin1(c.type))))
            return false;
    }
    return t.commit();
}
