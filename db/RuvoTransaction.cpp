// Savepoints named by a process-wide counter, so nested guards never clash.
#include "db/RuvoTransaction.h"

#include "db/RuvoDB.h"

#include <atomic>

namespace {
std::atomic<unsigned> savepointCounter{0};
}

RuvoTransaction::RuvoTransaction(RuvoDB* db)
    : db(db), name(QStringLiteral("ruvo_%1").arg(++savepointCounter))
{
    // exec refuses it on a locked file, so nothing can be written in it.
    outermost = db && !db->inTransaction();
    active = db && db->exec(QStringLiteral("SAVEPOINT %1;").arg(name));
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
    if (db->exec(QStringLiteral("RELEASE SAVEPOINT %1;").arg(name))) {
        active = false;
        return true;
    }
    rollback();
    return false;
}

// Runs even when the file was locked meanwhile, and keeps the failing
// statement's error text for the caller.
void RuvoTransaction::rollback()
{
    active = false;
    const QString error = db->lastError();
    if (!db->rollbackTo(name, outermost))
        qWarning("RuvoTransaction: rollback failed: %s", qPrintable(db->lastError()));
    db->setLastError(error);
}
