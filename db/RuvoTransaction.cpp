// Savepoints named by a process-wide counter, so nested guards never clash.
#include "db/RuvoTransaction.h"

#include "db/RuvoDB.h"

#include <atomic>

namespace {
std::atomic<unsigned> savepointCounter{0};
}

RuvoTransaction::RuvoTransaction(RuvoDB* db)
    : db(db), name("ruvo_" + QByteArray::number(++savepointCounter))
{
    active = db && db->exec(QStringLiteral("SAVEPOINT %1;").arg(QLatin1String(name)));
}

RuvoTransaction::~RuvoTransaction()
{
    if (active)
        rollback();
}

bool RuvoTransaction::commit()
{
    if (!active)
        return false;
    if (db->exec(QStringLiteral("RELEASE SAVEPOINT %1;").arg(QLatin1String(name)))) {
        active = false;
        return true;
    }
    rollback();
    return false;
}

// Keeps the failing statement's error text for the caller.
void RuvoTransaction::rollback()
{
    active = false;
    const QString error = db->lastError();
    db->exec(QStringLiteral("ROLLBACK TO SAVEPOINT %1;RELEASE SAVEPOINT %1;").arg(QLatin1String(name)));
    db->setLastError(error);
}
