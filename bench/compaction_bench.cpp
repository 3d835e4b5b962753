// The close's compaction of the database file at real-site size (see
// scaledata.h; --swipes=N for a smaller file made the same way): a file with
// nothing to give back, files whose oldest days of swipes were purged (37
// days, a tenth of the swipes; 90 days, a quarter), and, to compare,
// compacting the unchanged file anyway. Each run works on a copy
// of its own, so the shared file stays as described.
#include "compaction.h"
#include "database.h"
#include "programfolder.h"
#include "scaledata.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <sqlite3.h>
#include <stdexcept>

namespace {

qint64 swipes = benchdata::fullSwipes;
using benchdata::millisecondsSince;

// A program folder of its own with a copy of the scale file.
class Site {
public:
    Site()
    {
        live = folder.filePath(QStringLiteral("kestrom.mdb"));
        if (!QFile::copy(benchdata::scaleDatabase(swipes), live))
            throw std::runtime_error("could not copy the scale file");
        platform::setProgramFolder(folder.path());
    }
    // Deletes the swipes of the year's first days: free pages inside the
    // file, as the purge leaves them.
    void purgeOldest(int days) const
    {
        const QByteArray statement = "delete from data where 日期 < '"
                                     + QDate(2025, 1, 1).addDays(days).toString(Qt::ISODate).toLatin1() + "'";
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(live).constData(), &db);
        char* error = nullptr;
        const int rc = sqlite3_exec(db, statement.constData(), nullptr, nullptr, &error);
        const std::string why = error ? error : "";
        sqlite3_free(error);
        sqlite3_close(db);
        if (rc != SQLITE_OK)
            throw std::runtime_error("purge failed: " + why);
    }
    qint64 size() const { return QFileInfo(live).size(); }
    QString live;

private:
    QTemporaryDir folder;
};

void report(benchmark::State& state, const jet::PageUse& use, qint64 before, qint64 after)
{
    state.counters["free_pct"] = 100.0 * static_cast<double>(use.free) / static_cast<double>(use.pages);
    state.counters["file_MB_before"] = static_cast<double>(before) / (1024.0 * 1024.0);
    state.counters["file_MB_after"] = static_cast<double>(after) / (1024.0 * 1024.0);
}

void closeCompaction(benchmark::State& state)
{
    const int days = static_cast<int>(state.range(0));
    for (auto _ : state) {
        Site site;
        if (days > 0)
            site.purgeOldest(days);
        const jet::PageUse use = jet::PagesOf(site.live);
        const qint64 before = site.size();
        const auto start = std::chrono::steady_clock::now();
        const QString failure = compaction::compactLiveDatabase();
        state.SetIterationTime(millisecondsSince(start) / 1000);
        if (!failure.isEmpty())
            state.SkipWithError(failure.toStdString().c_str());
        report(state, use, before, site.size());
    }
}
BENCHMARK(closeCompaction)->ArgName("days_purged")->Arg(0)->Arg(37)->Arg(90)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// What every close cost before it looked for free space first.
void compactingAnUnchangedFileAnyway(benchmark::State& state)
{
    for (auto _ : state) {
        Site site;
        const jet::PageUse use = jet::PagesOf(site.live);
        const qint64 before = site.size();
        const auto start = std::chrono::steady_clock::now();
        jet::CompactInPlace(site.live);
        state.SetIterationTime(millisecondsSince(start) / 1000);
        report(state, use, before, site.size());
    }
}
BENCHMARK(compactingAnUnchangedFileAnyway)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);  // the close shows its notice
    benchdata::takeSizeOption(argc, argv, "--swipes=", swipes);
    benchmark::Initialize(&argc, argv);
    const auto start = std::chrono::steady_clock::now();
    benchdata::scaleDatabase(swipes);
    std::fprintf(stderr, "database ready after %.0f ms\n", millisecondsSince(start));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
