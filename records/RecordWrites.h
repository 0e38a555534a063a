// The two writes every record class with its own table shares: storing a new
// record (INSERT OR REPLACE, giving the new row id) and storing a changed one,
// which needs a stored record. Failures leave the record's error code as its
// callers read it: 1 without a database, 9 for an update without an ID.
#pragma once

#include "db/RuvoDB.h"

namespace RecordWrites {

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
