// Owns one SQLite connection handle and closes it on every path: when the
// owner closes it, opens another file or is destroyed.
#pragma once

#include <QString>

struct sqlite3;

class SqliteConnection
{
public:
    SqliteConnection() = default;
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    // Opens the file with sqlite3_open_v2's flags; on failure the connection
    // stays closed and *error holds SQLite's reason.
    bool open(const QString& path, int flags, QString* error);
    void close();

    bool isOpen() const { return db != nullptr; }
    sqlite3* handle() const { return db; }
    // SQLite's text for the last failure on this connection.
    QString errorMessage() const;

private:
    sqlite3* db = nullptr;
};
