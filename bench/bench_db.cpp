// The database layer as the records use it, beside the same work done with
// raw sqlite3 calls in the same run; the counter "ratio" is ours over raw.
// Writing: 10,000 team rows inserted inside one transaction guard, against
// the same statements in one raw transaction. Reading: getTeams, against
// raw stepping of the same query into the same QStrings.
#include "bench/RawSqlite.h"
#include "db/RuvoDB.h"
#include "db/RuvoTransaction.h"
#include "frame/DebugLog.h"
#include "records/ACTeamData.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <vector>

namespace {

constexpr int rowCount = 10000;

using raw::Clock;
using raw::secondsSince;

ACTeamData team(int i)
{
    ACTeamData t;
    t.members = { i, i + 1, i + 2, i + 3 };
    t.reserves = { i + 4 };
    t.disci = 4;
    t.Name = QStringLiteral("Team %1 RV Musterstadt").arg(i);
    t.UCIName = QStringLiteral("GER");
    t.BestDatum = QDate(2020, 1, 1).addDays(i % 1000);
    t.BestOrt = QStringLiteral("Halle %1").arg(i % 17);
    t.Best = quint16(i % 30000);
    t.gender = 1 + i % 2;
    t.ageClass = i % 8;
    t.Email = QStringLiteral("team%1@example.org").arg(i);
    return t;
}

std::vector<ACTeamData> teams()
{
    std::vector<ACTeamData> all;
    all.reserve(rowCount);
    for (int i = 0; i < rowCount; ++i)
        all.push_back(team(i));
    return all;
}

void createTeams(const QString& path)
{
    RuvoDB db;
    db.open(path, false);
    ACTeamData::createTable(&db);
}

// As a caller does it: every record builds its statement and inserts itself.
double guardedInserts(const QString& path, std::vector<ACTeamData>& all)
{
    createTeams(path);
    RuvoDB db;
    db.open(path, false);
    const auto start = Clock::now();
    RuvoTransaction transaction(&db);
    for (ACTeamData& t : all)
        t.insert(&db);
    transaction.commit();
    return secondsSince(start);
}

void BM_InsertTeams(benchmark::State& state)
{
    QTemporaryDir dir;
    std::vector<ACTeamData> all = teams();
    std::vector<QByteArray> statements;
    for (ACTeamData& t : all)
        statements.push_back(t.sqlReplaceText().toUtf8());
    double rawTotal = 0, ruvoTotal = 0;
    int round = 0;
    for (auto _ : state) {
        const QString rawPath = dir.filePath(QStringLiteral("raw%1.ldb").arg(round));
        createTeams(rawPath);
        rawTotal += raw::insert(rawPath, statements);
        ruvoTotal += guardedInserts(dir.filePath(QStringLiteral("ruvo%1.ldb").arg(round)), all);
        ++round;
    }
    state.counters["raw_ms"] = 1000 * rawTotal / round;
    state.counters["ruvo_ms"] = 1000 * ruvoTotal / round;
    state.counters["ratio"] = rawTotal > 0 ? ruvoTotal / rawTotal : 0;
}

void BM_GetTeams(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("read.ldb"));
    std::vector<ACTeamData> all = teams();
    guardedInserts(path, all);

    sqlite3* rawDb = raw::open(path);
    RuvoDB db;
    db.open(path, false);
    RuvoDBList<ACTeamData> list;
    QList<QStringList> rawRows;
    double rawTotal = 0, ruvoTotal = 0;
    int rounds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        raw::read(rawDb, "SELECT * FROM Teams;", rawRows);
        rawTotal += secondsSince(start);
        start = Clock::now();
        getTeams(&db, list, nullptr);
        ruvoTotal += secondsSince(start);
        ++rounds;
    }
    sqlite3_close(rawDb);
    if (rawRows.size() != rowCount || list.size() != rowCount || list.last() != all.back())
        state.SkipWithError("the teams read back differ");
    state.counters["raw_ms"] = 1000 * rawTotal / rounds;
    state.counters["ruvo_ms"] = 1000 * ruvoTotal / rounds;
    state.counters["ratio"] = rawTotal > 0 ? ruvoTotal / rawTotal : 0;
}

} // namespace

BENCHMARK(BM_InsertTeams)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetTeams)->Unit(benchmark::kMillisecond);

// The records write a debug line per statement: into the debug log, as in the program.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench_db"));
    installDebugLog();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
