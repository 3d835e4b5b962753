// Swipe-record collection at the sizes real sites reach:
//
// - storing 100 000 collected records, duplicate check included, into a
//   data table that already holds the scale file's 10 000 000 rows, against
//   the look-up without an index measured in the same run on a smaller table;
// - the unattended run over simulated controllers paced at 9600 baud (the
//   simulator as its own program, so the CPU measured is this program's),
//   against the time the line itself needs.
//
//   build/bench/kestrom_collection_bench [--swipes=N] [--benchmark_filter=...]
#include "app.h"
#include "dbfile.h"
#include "frmzdcj.h"
#include "programfolder.h"
#include "recordset.h"
#include "scaledata.h"
#include "swipestore.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <sys/resource.h>

namespace {

qint64 swipeCount = benchdata::fullSwipes;
QTemporaryDir* folder = nullptr;
jet::Database scaled;

// Records of a day the scale file has none of (it holds 2025), so every one is new.
std::vector<swipes::SwipeRow> collectedRows(int n) {
    std::vector<swipes::SwipeRow> rows;
    rows.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i)
        rows.push_back({QStringLiteral("%1").arg(i % 1000 + 1, 6, 10, QLatin1Char('0')),
                        QDate(2026, 1, 1).addDays(i / 10000), QTime((i / 60) % 24, i % 60), i % 100, i % 4 + 1});
    return rows;
}

void takeBack(jet::Database& db) { db.Execute(QStringLiteral("delete * from data where 日期 >= #2026-01-01#")); }

void storeIntoScaleFile(benchmark::State& state) {
    const auto rows = collectedRows(int(state.range(0)));
    const bool alreadyThere = state.range(1) != 0;
    if (alreadyThere)
        swipes::storeRows(scaled, rows);
    swipes::StoreResult result;
    for (auto _ : state) {
        result = swipes::storeRows(scaled, rows);
        state.PauseTiming();
        if (!alreadyThere)
            takeBack(scaled);
        state.ResumeTiming();
    }
    takeBack(scaled);
    state.counters["stored"] = result.stored;
    state.counters["already"] = result.already;
    state.counters["failed"] = result.failed();
}
BENCHMARK(storeIntoScaleFile)->Args({100000, 0})->Args({100000, 1})->Unit(benchmark::kMillisecond)->Iterations(1);

// One look-up at a time: with the index on the scale file, and as the
// literal statement runs on a table without any index.
void lookUp(benchmark::State& state, jet::Database& db) {
    const auto rows = collectedRows(1000);
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(swipes::isStored(db, rows[i++ % rows.size()]));
}

void indexedLookUp(benchmark::State& state) {
    lookUp(state, scaled);
    state.counters["table_rows"] = double(swipeCount);
}
BENCHMARK(indexedLookUp)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

void unindexedLookUp(benchmark::State& state) {
    const QString path = folder->filePath(QStringLiteral("unindexed-%1.mdb").arg(state.range(0)));
    if (!QFile::exists(path)) {
        jet::ExecuteScript(path, QStringLiteral("create table data (卡號 text collate nocase, 日期 datetime, 時間 datetime, "
                                                "地址 integer, flagIO text collate nocase, flag integer);"));
        jet::Database db = jet::OpenDatabase(path);
        jet::Transaction all(db);
        for (const auto& row : collectedRows(int(state.range(0))))
            swipes::insertRow(db, {row.card, row.date.addYears(-1), row.time, row.address, row.flag});
        all.Commit();
    }
    jet::Database db = jet::OpenDatabase(path);
    lookUp(state, db);
    state.counters["table_rows"] = double(state.range(0));
}
BENCHMARK(unindexedLookUp)->Arg(100000)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// ---- the unattended run ----

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void unattendedRun(benchmark::State& state) {
    const int controllers = int(state.range(0));
    const int records = int(state.range(1));
    QTemporaryDir programFolder;
    platform::setProgramFolder(programFolder.path());
    if (!dbfile::createDatabaseFile(app::databaseFile())) {
        state.SkipWithError("no database");
        return;
    }
    app::db = jet::OpenDatabase(app::databaseFile());
    for (int a = 0; a < controllers; ++a)
        app::db.Execute(QStringLiteral("insert into doors (地址) values (%1)").arg(a));
    const QString list = QStringLiteral("0-%1").arg(controllers - 1);
    QProcess sim;
    sim.start(QStringLiteral(KESTROM_BIN_DIR "/kestrom-ctlsim"),
              {QStringLiteral("--folder"), programFolder.path(), QStringLiteral("--controllers"), list,
               QStringLiteral("--records"), list + QStringLiteral(":%1").arg(records), QStringLiteral("--pace")});
    while (sim.waitForReadyRead(10000) && !sim.readAllStandardOutput().contains("Serving")) {
    }
    const double bound = controllers * (6.0 + 11.0 * records) / 960.0;
    double seconds = 0, cpu = 0;
    for (auto _ : state) {
        app::db.Execute(QStringLiteral("delete * from data"));
        const double cpuBefore = cpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        {
            FrmZDCJ window;
            window.show();
            window.activateWindow();
            while (window.isVisible() || !window.LabDoor->text().size())
                QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
        }
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpu = cpuSeconds() - cpuBefore;
    }
    const int stored = app::db.OpenRecordset(QStringLiteral("select count(*) from data"), jet::dbOpenSnapshot).Field(0).toInt();
    sim.terminate();
    sim.waitForFinished();
    app::db.Close();
    state.counters["line_bound_s"] = bound;
    state.counters["run_s"] = seconds;
    state.counters["ratio"] = seconds / bound;
    state.counters["cpu_pct"] = 100 * cpu / seconds;
    state.counters["rows"] = stored;
}
BENCHMARK(unattendedRun)->Args({10, 500})->Args({100, 500})->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--swipes=", 9) == 0) {
            swipeCount = std::atoll(argv[i] + 9);
            std::memmove(argv + i, argv + i + 1, sizeof(char*) * static_cast<size_t>(argc - i));
            --argc;
            --i;
        }
    }
    benchmark::Initialize(&argc, argv);
    folder = new QTemporaryDir;
    scaled = jet::OpenDatabase(benchdata::scaleDatabase(swipeCount, benchdata::fullPeople));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    scaled.Close();
    delete folder;
    return 0;
}
