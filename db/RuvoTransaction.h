// A transaction as an object: a savepoint begun on construction, released by
// commit(), rolled back when the guard goes out of scope uncommitted. Being a
// savepoint, it nests inside a caller's transaction (BEGIN or another guard)
// without ending it. The database must outlive the guard.
#pragma once

#include <QString>

class RuvoDB;

class RuvoTransaction
{
public:
    explicit RuvoTransaction(RuvoDB* db);
    ~RuvoTransaction();
    RuvoTransaction(const RuvoTransaction&) = delete;
    RuvoTransaction& operator=(const RuvoTransaction&) = delete;

    // False when the savepoint could not be begun (no database, locked file),
    // and after commit() or a failed commit.
    bool isActive() const { return active; }
    // Makes the work since construction part of the enclosing transaction, or
    // of the file when there is none. False (and rolled back, SQLite's text
    // left in the database's last error) on failure.
    bool commit();

private:
    void rollback();

    RuvoDB* db;
    QString name;
    bool outermost = false;   // began the file's transaction, not nested in one
    bool active = false;
};
