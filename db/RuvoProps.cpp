// The key/value properties in the table "RuvoProps" of the main database.
#include "db/RuvoProps.h"

#include "db/Conversions.h"
#include "db/RuvoDB.h"
#include "db/SqlLiteral.h"

RuvoProps* RuvoProps::instance()
{
    static RuvoProps props;
    return &props;
}

void RuvoProps::setDatabase(RuvoDB* database)
{
    db = database;
}

bool RuvoProps::find(const QString& key, QString* value) const
{
    // Looking first keeps a missing table from overwriting the database's
    // last error text, which its owner may still be about to show.
    if (!db || !db->isOpen() || db->isReadLocked() || !db->hasTable(QStringLiteral("RuvoProps")))
        return false;
    RuvoDBResult result;
    if (!db->query(QStringLiteral("SELECT value FROM RuvoProps WHERE key = %1;").arg(sqlText(key)), &result)
        || result.rows.isEmpty() || result.rows.first().isEmpty())
        return false;
    *value = result.rows.first().first();
    return true;
}

QString RuvoProps::get(const QString& key, const QString& defaultValue) const
{
    QString value;
    return find(key, &value) ? value : defaultValue;
}

bool RuvoProps::set(const QString& key, const QString& value)
{
    if (!db)
        return false;
    return db->exec(QStringLiteral("CREATE TABLE IF NOT EXISTS RuvoProps (key TEXT PRIMARY KEY, value TEXT);"
                                   "INSERT OR REPLACE INTO RuvoProps (key, value) VALUES (%1, %2);")
                        .arg(sqlText(key), sqlText(value)));
}

char RuvoProps::decimalSeparator()
{
    const QString text = instance()->get(QStringLiteral("DEZIMALSEPARATION"), QStringLiteral(","));
    const char c = text.isEmpty() ? '\0' : text.at(0).toLatin1();
    return c ? c : ',';
}

bool RuvoProps::nameFormat()
{
    return toInt(instance()->get(QStringLiteral("NAMEFORMAT"))) == 1;
}

bool RuvoProps::startGemeinschaft(int diszi)
{
    QString value;
    if (!instance()->find(QStringLiteral("STARTGEMEINSCHAFT_%1").arg(diszi), &value))
        return diszi >= 2;
    return toInt(value) > 0;
}
