// The table "starter" beside raw sqlite3 doing the same SQL in the same run:
// 10,000 start entries stored inside one transaction guard, and read back
// with a filter into entries. The counter "ratio" is the records' time over raw.
#include "bench/RawSqlite.h"
#include "db/RuvoDB.h"
#include "db/RuvoTransaction.h"
#include "records/ACCompetitorData.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QTemporaryDir>

#include <chrono>
#include <vector>

namespace {

constexpr int entryCount = 10000;

using raw::Clock;
using raw::secondsSince;

// Singles and fours of two disciplines with a dozen codes each, as an entry list holds them.
std::vector<ACCompetitorData> sampleEntries()
{
    std::vector<ACCompetitorData> entries(entryCount);
    for (int i = 0; i < entryCount; ++i) {
        ACCompetitorData& e = entries[size_t(i)];
        const bool four = i % 2;
        e.Verein = i % 40 + 1;
        e.setName(QStringLiteral("Starterin %1 vom \"Verein\" %2").arg(i).arg(i % 40));
        for (int k = 0; k < (four ? 4 : 1); ++k)
            e.setAthleteId(k, 4 * i + k + 1);
        for (int k = 0; k < 12; ++k)
            e.setFigure(k, QStringLiteral("%1%2%3").arg(four ? 4 : 1).arg(100 + k).arg(QChar('a' + k % 3)));
        e.setGender(i % 3 == 0 ? 1 : 2);
        e.setAgeClass(i % 7 + 1);
        e.setGiven(i % 1000 * 10);
        e.setBestOrt(QStringLiteral("Halle %1").arg(i % 50));
        e.team.BestDatum = QDate(2020, 1, 1).addDays(i % 365);
        e.team.Best = quint16(i % 3000);
    }
    return entries;
}

// The database file as the records make it, empty.
void createFile(const QString& path)
{
    RuvoDB db;
    db.open(path, false);
    ACCompetitorData::createTable(&db);
}

double recordInserts(const QString& path, std::vector<ACCompetitorData>& entries)
{
    createFile(path);
    RuvoDB db;
    db.open(path, false);
    const auto start = Clock::now();
    RuvoTransaction guard(&db);
    for (ACCompetitorData& e : entries)
        e.insert(&db);
    guard.commit();
    return secondsSince(start);
}

void BM_InsertEntries(benchmark::State& state)
{
    QTemporaryDir dir;
    std::vector<ACCompetitorData> entries = sampleEntries();
    std::vector<QByteArray> statements;
    for (ACCompetitorData& e : entries)
        statements.push_back(e.insertSql().toUtf8());
    double rawTotal = 0, recordTotal = 0;
    int round = 0;
    for (auto _ : state) {
        const QString rawPath = dir.filePath(QStringLiteral("raw%1.ldb").arg(round));
        createFile(rawPath);
        rawTotal += raw::insert(rawPath, statements);
        recordTotal += recordInserts(dir.filePath(QStringLiteral("records%1.ldb").arg(round)), entries);
        ++round;
    }
    state.counters["raw_ms"] = 1000 * rawTotal / round;
    state.counters["records_ms"] = 1000 * recordTotal / round;
    state.counters["ratio"] = rawTotal > 0 ? recordTotal / rawTotal : 0;
}

void BM_ReadEntries(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("read.ldb"));
    std::vector<ACCompetitorData> entries = sampleEntries();
    recordInserts(path, entries);

    ACCompetitorData filter;   // the singles of one gender, by given points
    filter.setDisci(1, false);
    filter.setGender(2);
    const int order = ACCompetitorData::ByGiven;
    const QByteArray sql = ACCompetitorData::selectText(&filter, order).toUtf8();

    sqlite3* rawDb = raw::open(path);
    RuvoDB db;
    db.open(path, false);
    RuvoDBList<ACCompetitorData> list;
    QList<QStringList> rawRows;
    double rawTotal = 0, recordTotal = 0;
    int rounds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        raw::read(rawDb, sql, rawRows);
        rawTotal += secondsSince(start);
        start = Clock::now();
        ACCompetitorData::getACCompetitors(&db, list, &filter, order);
        recordTotal += secondsSince(start);
        ++rounds;
    }
    sqlite3_close(rawDb);
    if (rawRows.isEmpty() || rawRows.size() != list.size())
        state.SkipWithError("row count differs");
    state.counters["rows"] = list.size();
    state.counters["raw_ms"] = 1000 * rawTotal / rounds;
    state.counters["records_ms"] = 1000 * recordTotal / rounds;
    state.counters["ratio"] = rawTotal > 0 ? recordTotal / rawTotal : 0;
}

} // namespace

BENCHMARK(BM_InsertEntries)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadEntries)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
