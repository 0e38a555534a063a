// Removing a record's row, or all of its table's rows.
#include "records/RecordWrites.h"

#include "db/RuvoTransaction.h"

#include <QDebug>

bool RecordWrites::remove(RuvoDB* db, const QString& table, int id)
{
    if (!db || id == 0)
        return false;
    return db->exec(QStringLiteral("DELETE FROM %1 WHERE ID = %2;").arg(table).arg(id));
}

// A savepoint, so that inside a caller's transaction it neither fails nor
// ends that transaction.
bool RecordWrites::removeAll(RuvoDB* db, const QString& table, const char* operation)
{
    RuvoTransaction t(db);
    if (!t.isActive() || !db->exec(QStringLiteral("DELETE FROM %1;").arg(table)) || !t.commit())
        return false;
    // Only gives the space back (and cannot run inside a caller's transaction);
    // the rows are already gone for good.
    if (!db->exec(QStringLiteral("VACUUM;")))
        qDebug() << operation << "VACUUM failed:" << db->lastError();
    return true;
}
