// Owns one prepared SQLite statement and finalizes it when it goes out of
// scope, on every path out of the code that stepped it.
#pragma once

struct sqlite3;
struct sqlite3_stmt;

class SqliteStatement
{
public:
    // Prepares the first statement of sql (UTF-8); *tail then points behind it.
    SqliteStatement(sqlite3* db, const char* sql, const char** tail = nullptr);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // False when SQLite refused the text; the connection holds the reason.
    bool isPrepared() const { return prepared; }
    // Only white space or comments: nothing to run.
    bool isEmpty() const { return statement == nullptr; }
    // Whether running it could change the file (SQLite decides from the plan).
    bool writes() const;
    // Whether it hands out rows (a SELECT, a PRAGMA that reads), as against
    // statements that change the connection (BEGIN, ATTACH, settings).
    bool returnsRows() const;
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();

    sqlite3_stmt* handle() const { return statement; }

private:
    sqlite3_stmt* statement = nullptr;
    bool prepared = false;
};
