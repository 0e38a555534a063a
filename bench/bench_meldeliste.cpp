// The entry list beside raw sqlite3 running the same SQL in the same run:
// 10,000 start entries stored with insertStarter inside one transaction guard
// (each an INSERT and the read of its stored form), and all of them read back
// with getStarter. The entry list compares every write and read with the
// competitor records' (their statement built, their SELECT run, a debug line
// per record converted), so raw runs both SELECTs too. The counter "ratio" is
// the entry list's time over raw.
#include "bench/RawSqlite.h"
#include "db/RuvoTransaction.h"
#include "frame/DebugLog.h"
#include "records/FigureList.h"
#include "records/MeldeListeDB.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QByteArrayList>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstring>
#include <vector>

namespace {

constexpr int entryCount = 10000;

using raw::Clock;
using raw::secondsSince;

// Singles and fours with a dozen codes each, as an entry list holds them.
std::vector<Starter_t> sampleEntries()
{
    std::vector<Starter_t> entries(entryCount);
    for (int i = 0; i < entryCount; ++i) {
        Starter_t& s = entries[size_t(i)];
        const bool four = i % 2;
        s.clubId = i % 40 + 1;
        qsnprintf(s.name, sizeof s.name, "Starterin %d vom \"Verein\" %d", i, i % 40);
        for (int k = 0; k < (four ? 4 : 1); ++k)
            s.members[k] = 4 * i + k + 1;
        s.disci = four ? 4 : 1;
        FigureList figures;
        for (int k = 0; k < 12; ++k) {
            qsnprintf(s.codes[k], sizeof s.codes[k], "%d%d%c", s.disci, 100 + k, 'a' + k % 3);
            figures.setFigure(k, QLatin1String(s.codes[k]));
        }
        s.checksum = figures.checksum();   // as the score sheet has it: the two routes agree
        s.gender = i % 3 == 0 ? 1 : 2;
        s.ageClass = i % 7 + 1;
        s.given = uint16_t(i % 1000 * 10);
        qsnprintf(s.bestPlace, sizeof s.bestPlace, "Halle %d", i % 50);
        s.bestDate = 1577880000 + 86400 * (i % 365);
        s.best = uint16_t(i % 3000);
    }
    return entries;
}

// An empty entry list as the program makes it.
void createFile(const QString& path)
{
    MeldeListeDB db;
    db.open(path, false);
}

// The two SELECTs of getStarter: its own and the competitor records' beside it.
QByteArrayList getStarterReads(const Starter_t* filter, int order)
{
    const ACCompetitorData competitorFilter = filter ? ACCompetitorData(*filter) : ACCompetitorData();
    return { MeldeListeDB::starterSelectText(filter, order).toUtf8(),
             ACCompetitorData::selectText(filter ? &competitorFilter : nullptr, order).toUtf8() };
}

double rawInserts(const QString& path, const std::vector<QByteArray>& inserts,
                  const std::vector<QByteArrayList>& reads)
{
    createFile(path);
    sqlite3* db = raw::open(path);
    QList<QStringList> rows;
    const auto start = Clock::now();
    sqlite3_exec(db, "BEGIN;", nullptr, nullptr, nullptr);
    for (size_t i = 0; i < inserts.size(); ++i) {
        sqlite3_exec(db, inserts[i].constData(), nullptr, nullptr, nullptr);
        for (const QByteArray& read : reads[i])
            raw::read(db, read, rows);
    }
    sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
    const double seconds = secondsSince(start);
    sqlite3_close(db);
    return seconds;
}

double listInserts(const QString& path, std::vector<Starter_t> entries)
{
    createFile(path);
    MeldeListeDB db;
    db.open(path, false);
    const auto start = Clock::now();
    RuvoTransaction guard(&db);
    for (Starter_t& s : entries)
        db.insertStarter(s);
    guard.commit();
    return secondsSince(start);
}

void BM_InsertStarter(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::vector<Starter_t> entries = sampleEntries();
    std::vector<QByteArray> inserts;
    std::vector<QByteArrayList> reads;
    QString sql;
    Starter_t stored;
    for (size_t i = 0; i < entries.size(); ++i) {
        MeldeListeDB::starterInsertSql(sql, entries[i]);
        inserts.push_back(sql.toUtf8());
        stored.id = int(i) + 1;   // the row ids of a new file
        reads.push_back(getStarterReads(&stored, 0));
    }
    double rawTotal = 0, listTotal = 0;
    int round = 0;
    for (auto _ : state) {
        rawTotal += rawInserts(dir.filePath(QStringLiteral("raw%1.ldb").arg(round)), inserts, reads);
        listTotal += listInserts(dir.filePath(QStringLiteral("list%1.ldb").arg(round)), entries);
        ++round;
    }
    state.counters["raw_ms"] = 1000 * rawTotal / round;
    state.counters["list_ms"] = 1000 * listTotal / round;
    state.counters["ratio"] = rawTotal > 0 ? listTotal / rawTotal : 0;
}

void BM_GetStarter(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("read.ldb"));
    listInserts(path, sampleEntries());
    const int order = ACCompetitorData::ByIdAscending;
    const QByteArrayList reads = getStarterReads(nullptr, order);

    sqlite3* rawDb = raw::open(path);
    MeldeListeDB db;
    db.open(path, false);
    StarterList list;
    QList<QStringList> rawRows;
    double rawTotal = 0, listTotal = 0;
    int rounds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        for (const QByteArray& read : reads)
            raw::read(rawDb, read, rawRows);
        rawTotal += secondsSince(start);
        start = Clock::now();
        db.getStarter(list, nullptr, order);
        listTotal += secondsSince(start);
        ++rounds;
    }
    sqlite3_close(rawDb);
    if (rawRows.size() != entryCount || list.items.size() != entryCount)
        state.SkipWithError("row count differs");
    state.counters["raw_ms"] = 1000 * rawTotal / rounds;
    state.counters["list_ms"] = 1000 * listTotal / rounds;
    state.counters["ratio"] = rawTotal > 0 ? listTotal / rawTotal : 0;
}

} // namespace

BENCHMARK(BM_InsertStarter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetStarter)->Unit(benchmark::kMillisecond);

// The comparison writes a debug line per record converted: into the debug
// log, as in the program.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench_meldeliste"));
    installDebugLog();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
