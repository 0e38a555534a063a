// The one place that prepares and finalizes SQLite statements.
#include "db/SqliteStatement.h"

#include <sqlite3.h>

SqliteStatement::SqliteStatement(sqlite3* db, const char* sql, const char** tail)
{
    prepared = sqlite3_prepare_v2(db, sql, -1, &statement, tail) == SQLITE_OK;
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(statement);
}

bool SqliteStatement::writes() const
{
    return statement && !sqlite3_stmt_readonly(statement);
}

bool SqliteStatement::returnsRows() const
{
    return statement && sqlite3_column_count(statement) > 0;
}

int SqliteStatement::step()
{
    return sqlite3_step(statement);
}
