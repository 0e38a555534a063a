// The catalogue's exercise search as the score sheet runs it (one discipline
// of a full catalogue) beside the same rows read with raw sqlite3 calls and
// turned into the same records in the same run; "ratio" is the search's time
// over raw.
#include "db/Conversions.h"
#include "db/RuvoDB.h"
#include "rules/CatalogueSql.h"
#include "rules/ReglementDB.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QTemporaryDir>

#include <chrono>

namespace {

constexpr int exercisesPerDiscipline = 400;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Six disciplines of exercises, "1001a" up, each with a text and a value.
bool writeCatalogue(const QString& path)
{
    RuvoDB db;
    if (!db.open(path, false) || !db.exec(QStringLiteral("CREATE TABLE uebungen ( Nr TEXT, Text TEXT, Ziffer TEXT );BEGIN;")))
        return false;
    for (int disci : { 1, 2, 4, 5, 6, 7 })
        for (int i = 0; i < exercisesPerDiscipline; ++i)
            db.exec(QStringLiteral("INSERT INTO uebungen VALUES ( '%1%2%3', 'Übung %1 %2', '%4,%5' );")
                        .arg(disci).arg(i / 26 + 1, 3, 10, QLatin1Char('0')).arg(QChar('a' + i % 26))
                        .arg(i % 9).arg(i % 100, 2, 10, QLatin1Char('0')));
    return db.exec(QStringLiteral("COMMIT;")) && db.setMagic(ReglementDB::Magic);
}

// The rows of the same statement, every cell as text, made into the same records.
double rawSearch(sqlite3* db, const QByteArray& sql, QList<Uebung>& list)
{
    const auto start = Clock::now();
    list.clear();
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        auto cell = [statement](int i) {
            return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, i)),
                                     sqlite3_column_bytes(statement, i));
        };
        Uebung uebung;
        uebung.nr = Figure(cell(0));
        uebung.text = cell(1);
        uebung.ziffer = parsePoints(cell(2)) / 100.0;
        list.append(uebung);
    }
    sqlite3_finalize(statement);
    return secondsSince(start);
}

void BM_ExerciseSearch(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Reglement.ldb"));
    if (!writeCatalogue(path)) {
        state.SkipWithError("no catalogue");
        return;
    }
    ReglementDB reglement;
    reglement.open(path, true);
    sqlite3* raw = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    UebungFilter filter;
    filter.disziplin = 4;
    const QByteArray sql = CatalogueSql::uebungen(&filter).toUtf8();
    QList<Uebung> rawList, list;
    double rawTotal = 0, ruvoTotal = 0;
    int rounds = 0;
    for (auto _ : state) {
        rawTotal += rawSearch(raw, sql, rawList);
        const auto start = Clock::now();
        reglement.getUebungen(list, &filter);
        ruvoTotal += secondsSince(start);
        ++rounds;
    }
    sqlite3_close(raw);
    if (list.size() != exercisesPerDiscipline || rawList.size() != list.size())
        state.SkipWithError("row count differs");
    state.counters["raw_ms"] = 1000 * rawTotal / rounds;
    state.counters["ruvo_ms"] = 1000 * ruvoTotal / rounds;
    state.counters["ratio"] = rawTotal > 0 ? ruvoTotal / rawTotal : 0;
}

} // namespace

BENCHMARK(BM_ExerciseSearch)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
