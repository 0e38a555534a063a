// The raw baseline of the database benchmarks: sqlite3 called directly, the
// way the database layer calls it, so a benchmark's ratio shows only what the
// layer and the records add.
#pragma once

#include <sqlite3.h>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <vector>

namespace raw {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Opened with the layer's flags and its "PRAGMA synchronous=OFF".
inline sqlite3* open(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db,
                    SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_PRIVATECACHE,
                    nullptr);
    sqlite3_exec(db, "PRAGMA synchronous=OFF;", nullptr, nullptr, nullptr);
    return db;
}

// Every cell as text into QStrings, as the database layer reads a result.
inline void read(sqlite3* db, const QByteArray& sql, QList<QStringList>& rows)
{
    rows.clear();
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr);
    const int columns = sqlite3_column_count(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        QStringList row;
        row.reserve(columns);
        for (int i = 0; i < columns; ++i)
            row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, i)),
                                     sqlite3_column_bytes(statement, i));
        rows << row;
    }
    sqlite3_finalize(statement);
}

// The statements in one transaction; the seconds they took.
inline double insert(const QString& path, const std::vector<QByteArray>& statements)
{
    sqlite3* db = open(path);
    const auto start = Clock::now();
    sqlite3_exec(db, "BEGIN;", nullptr, nullptr, nullptr);
    for (const QByteArray& sql : statements)
        sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
    const double seconds = secondsSince(start);
    sqlite3_close(db);
    return seconds;
}

} // namespace raw
