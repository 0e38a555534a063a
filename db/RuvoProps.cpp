// The key/value properties in the table "RuvoProps" of the main database.
#include "db/RuvoProps.h"

#include "db/Conversions.h"
#include "db/RuvoDB.h"
#include "db/RuvoTransaction.h"
#include "db/SqlLiteral.h"

#include <QCoreApplication>

RuvoProps* RuvoProps::instance()
{
    static RuvoProps props;
    return &props;
}

void RuvoProps::setDatabase(RuvoDB* database)
{
    db = database;
    if (layout() == Foreign)
        reportForeignLayout();
}

// Asks for the columns rather than the rows, so neither a missing table nor
// one of another layout overwrites the database's last error text, which
// its owner may still be about to show.
RuvoProps::Layout RuvoProps::layout() const
{
    RuvoDBResult result;
    if (!db || !db->isOpen() || db->isReadLocked()
        || !db->query("SELECT name FROM pragma_table_info('RuvoProps');", &result) || result.rows.isEmpty())
        return Missing;
    QStringList names;
    for (const QStringList& row : qAsConst(result.rows))
        names << row.value(0).toLower();
    return names.contains(QLatin1String("key")) && names.contains(QLatin1String("value")) ? Ours : Foreign;
}

void RuvoProps::reportForeignLayout() const
{
    const QString text = QCoreApplication::translate(
        "RuvoProps", "Die Tabelle RuvoProps hat nicht die Spalten key und value; die Einstellungen werden"
                     " nur mit ihren Vorgaben gelesen und nicht gespeichert.");
    qWarning("RuvoProps: %s", qPrintable(text));
    db->setLastError(text);
}

bool RuvoProps::find(const QString& key, QString* value) const
{
    if (layout() != Ours)
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

// Delete and insert rather than INSERT OR REPLACE: a key stays one row even
// in a table whose key column is not its primary key.
bool RuvoProps::set(const QString& key, const QString& value)
{
    if (!db)
        return false;
    if (layout() == Foreign) {
        reportForeignLayout();
        return false;
    }
    RuvoTransaction transaction(db);
    return db->exec(QStringLiteral("CREATE TABLE IF NOT EXISTS RuvoProps (key TEXT PRIMARY KEY, value TEXT);"
                                   "DELETE FROM RuvoProps WHERE key = %1;"
                                   "INSERT INTO RuvoProps (key, value) VALUES (%1, %2);")
                        .arg(sqlText(key), sqlText(value)))
        && transaction.commit();
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
