// The writes every record class with its own table shares: storing a new
// record (INSERT OR REPLACE, giving the new row id), storing a changed one,
// which needs a stored record, and removing one row or all. Failures of the
// stores leave the record's error code as its callers read it: 1 without a
// database, 9 for an update without an ID.
#pragma once

#include "db/RuvoDB.h"

namespace RecordWrites {

// The row of that ID; false without a database or for ID 0.
bool remove(RuvoDB* db, const QString& table, int id);
// Every row, all or nothing, then the space given back; operation names the
// caller in the log line of a failed VACUUM.
bool removeAll(RuvoDB* db, const QString& table, const char* operation);

template<class Record>
int insert(Record& record, RuvoDB* db)
{
    record.ID = 0;
    if (!db) {
        record.errorCode = RuvoDB::ErrNotOpen;
        record.ID = -1;
        return record.ID;
    }
    record.ID = db->execInsert(record.sqlReplaceText());
    return record.ID;
}

template<class Record>
bool update(Record& record, RuvoDB* db)
{
    if (record.ID < 1) {
        record.errorCode = RuvoDB::ErrBadIndex;
        return false;
    }
    if (!db) {
        record.errorCode = RuvoDB::ErrNotOpen;
        return false;
    }
    return db->exec(record.sqlReplaceText());
}

} // namespace RecordWrites
