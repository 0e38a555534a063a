// RuvoDB's statement and query paths beside the same work done with raw
// sqlite3 calls in the same run; the counter "ratio" is RuvoDB's time over raw.
#include "db/RuvoDB.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QByteArray>
#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <vector>

namespace {

constexpr int rowCount = 10000;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::vector<QByteArray> insertStatements()
{
    std::vector<QByteArray> statements;
    statements.reserve(rowCount);
    for (int i = 0; i < rowCount; ++i)
        statements.push_back(QStringLiteral("INSERT INTO t (name, score) VALUES ('Starter %1', %2);")
                                 .arg(i)
                                 .arg(i * 7)
                                 .toUtf8());
    return statements;
}

sqlite3* openRaw(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db,
                    SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_PRIVATECACHE,
                    nullptr);
    sqlite3_exec(db, "PRAGMA synchronous=OFF;", nullptr, nullptr, nullptr);
    return db;
}

const char* const createTable = "CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT, score INTEGER);";

// One transaction around the inserts, so the file system does not drown the
// per-call cost that is measured here.
double rawInserts(const QString& path, const std::vector<QByteArray>& statements)
{
    sqlite3* db = openRaw(path);
    sqlite3_exec(db, createTable, nullptr, nullptr, nullptr);
    const auto start = Clock::now();
    sqlite3_exec(db, "BEGIN;", nullptr, nullptr, nullptr);
    for (const QByteArray& sql : statements)
        sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
    const double seconds = secondsSince(start);
    sqlite3_close(db);
    return seconds;
}

double ruvoInserts(const QString& path, const QStringList& statements)
{
    RuvoDB db;
    db.open(path, false);
    db.exec(QString::fromLatin1(createTable));
    const auto start = Clock::now();
    db.exec(QStringLiteral("BEGIN;"));
    for (const QString& sql : statements)
        db.exec(sql);
    db.exec(QStringLiteral("COMMIT;"));
    return secondsSince(start);
}

void BM_ExecInserts(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::vector<QByteArray> raw = insertStatements();
    QStringList statements;
    for (const QByteArray& sql : raw)
        statements << QString::fromUtf8(sql);
    double rawTotal = 0, ruvoTotal = 0;
    int round = 0;
    for (auto _ : state) {
        const QString rawPath = dir.filePath(QStringLiteral("raw%1.ldb").arg(round));
        const QString ruvoPath = dir.filePath(QStringLiteral("ruvo%1.ldb").arg(round));
        ++round;
        rawTotal += rawInserts(rawPath, raw);
        ruvoTotal += ruvoInserts(ruvoPath, statements);
    }
    state.counters["raw_ms"] = 1000 * rawTotal / round;
    state.counters["ruvo_ms"] = 1000 * ruvoTotal / round;
    state.counters["ratio"] = rawTotal > 0 ? ruvoTotal / rawTotal : 0;
}

// Every cell as text, decoded into a row of QStrings, as RuvoDB::query does
// (which also releases the previous result, as this does).
double rawQuery(sqlite3* db, QList<QStringList>& result)
{
    const auto start = Clock::now();
    result.clear();
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT id, name, score FROM t;", -1, &statement, nullptr);
    const int columns = sqlite3_column_count(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        QStringList row;
        row.reserve(columns);
        for (int i = 0; i < columns; ++i)
            row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, i)),
                                     sqlite3_column_bytes(statement, i));
        result << row;
    }
    sqlite3_finalize(statement);
    return secondsSince(start);
}

void BM_QueryRows(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("query.ldb"));
    rawInserts(path, insertStatements());

    sqlite3* raw = openRaw(path);
    RuvoDB db;
    db.open(path, false);
    RuvoDBResult result;
    double rawTotal = 0, ruvoTotal = 0;
    int rounds = 0;
    QList<QStringList> rawRows;
    for (auto _ : state) {
        rawTotal += rawQuery(raw, rawRows);
        const auto start = Clock::now();
        db.query("SELECT id, name, score FROM t;", &result);
        ruvoTotal += secondsSince(start);
        ++rounds;
    }
    sqlite3_close(raw);
    if (rawRows.size() != rowCount || result.rows.size() != rowCount)
        state.SkipWithError("row count differs");
    state.counters["raw_ms"] = 1000 * rawTotal / rounds;
    state.counters["ruvo_ms"] = 1000 * ruvoTotal / rounds;
    state.counters["ratio"] = rawTotal > 0 ? ruvoTotal / rawTotal : 0;
}

} // namespace

BENCHMARK(BM_ExecInserts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QueryRows)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
