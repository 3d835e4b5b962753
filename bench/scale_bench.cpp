// The database layer and the bound grid over a file of real-site size:
// 10 000 000 swipes and 200 000 people (see scaledata.h). Run with
// --swipes=N to measure a smaller file made the same way.
#include "app.h"
#include "boundgrid.h"
#include "frmxg.h"
#include "msgbox.h"
#include "recordset.h"
#include "scaledata.h"

#include <QApplication>
#include <QFile>
#include <benchmark/benchmark.h>
#include <chrono>
#include <random>
#include <unistd.h>

namespace {

qint64 swipes = benchdata::fullSwipes;
using benchdata::millisecondsSince;

double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toDouble() * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

QString card(int n) { return QStringLiteral("%1").arg(n, 6, 10, QLatin1Char('0')); }


void dataTableAddNew(benchmark::State& state)
{
    const qint64 before = app::db.OpenRecordset(QStringLiteral("select max(rowid) from data"), jet::dbOpenSnapshot).Field(0).toLongLong();
    int n = 0;
    for (auto _ : state) {
        jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("data"), jet::dbOpenTable);
        rs.AddNew();
        rs.SetField(QStringLiteral("地址"), QStringLiteral("7"));
        rs.SetField(QStringLiteral("卡號"), card(++n % 1000 + 1));
        rs.SetField(QStringLiteral("日期"), QStringLiteral("2026-01-02"));
        rs.SetField(QStringLiteral("時間"), QTime(8, n % 60));
        rs.SetField(QStringLiteral("flag"), 1);
        rs.SetField(QStringLiteral("flagIO"), QStringLiteral("鎖一進"));
        rs.Update();
    }
    // The file stays as made.
    app::db.Execute(QStringLiteral("delete * from data where rowid > %1").arg(before));
}
BENCHMARK(dataTableAddNew)->Unit(benchmark::kMillisecond)->Iterations(50);

void tableSeek(benchmark::State& state, const char* table, const char* index, int cards)
{
    std::mt19937 random(7);
    for (auto _ : state) {
        jet::Recordset rs = app::db.OpenRecordset(QString::fromUtf8(table), jet::dbOpenTable);
        rs.SetIndex(QString::fromUtf8(index));
        rs.Seek(QStringLiteral("="), card(static_cast<int>(random() % cards) + 1));
        if (rs.NoMatch()) {
            state.SkipWithError("no match");
            break;
        }
        benchmark::DoNotOptimize(rs.Field(0));
    }
}
void dataTableSeek(benchmark::State& state) { tableSeek(state, "data", "lookup", 1000); }
BENCHMARK(dataTableSeek)->Unit(benchmark::kMillisecond)->Iterations(200);
void peopleTableSeek(benchmark::State& state) { tableSeek(state, "people", "primarykey", benchdata::fullPeople); }
BENCHMARK(peopleTableSeek)->Unit(benchmark::kMillisecond)->Iterations(200);

void paint(QWidget& w)
{
    w.repaint();
    QCoreApplication::processEvents();
}

// The personnel window from construction to its first screen.
void personnelWindow(benchmark::State& state)
{
    ui::setMessageHandler([](const ui::MessageCall& call) { return ui::defaultButton(call.style); });
    double added = 0;
    for (auto _ : state) {
        const double resident = residentMegabytes();
        const auto start = std::chrono::steady_clock::now();
        auto* window = new Frmxg;
        window->resize(800, 600);
        window->show();
        paint(*window);
        state.SetIterationTime(millisecondsSince(start) / 1000);
        added = std::max(added, residentMegabytes() - resident);
        delete window;
        QCoreApplication::processEvents();
    }
    state.counters["added_MB"] = added;
}
BENCHMARK(personnelWindow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

const QString swipeOrder = QStringLiteral("select * from data order by 日期, 時間");

struct ShownGrid {
    grid::BoundGrid grid;
    ShownGrid()
    {
        grid.resize(800, 600);
        grid.show();
        grid.setDatabaseName(app::databaseFile());
        grid.setRecordSource(swipeOrder);
    }
    void counted()
    {
        while (grid.model()->canFetchMore({}))
            QCoreApplication::processEvents();
    }
    void show(int row)
    {
        grid.setRow(row);
        paint(grid);
    }
};

void gridFirstScreen(benchmark::State& state)
{
    double counting = 0;
    for (auto _ : state) {
        ShownGrid g;
        const auto start = std::chrono::steady_clock::now();
        g.grid.Refresh();
        paint(g.grid);
        state.SetIterationTime(millisecondsSince(start) / 1000);
        g.counted();
        counting = millisecondsSince(start);
        if (g.grid.RecordCount() < swipes)
            state.SkipWithError("rows missing");
    }
    state.counters["all_counted_ms"] = counting;
}
BENCHMARK(gridFirstScreen)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// Each time on a grid just refreshed and counted, so no page it jumps to was read before.
void gridJumps(benchmark::State& state, int jumps)
{
    std::mt19937 random(11);
    for (auto _ : state) {
        ShownGrid g;
        g.grid.Refresh();
        g.counted();
        const int rows = g.grid.RecordCount();
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < jumps; ++i)
            g.show(jumps == 1 ? rows - 1 : static_cast<int>(random() % rows));
        state.SetIterationTime(millisecondsSince(start) / 1000);
        state.counters["resident_MB"] = residentMegabytes();
    }
}
void gridJumpToLastRow(benchmark::State& state) { gridJumps(state, 1); }
BENCHMARK(gridJumpToLastRow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
void gridThirtyRandomJumps(benchmark::State& state) { gridJumps(state, 30); }
BENCHMARK(gridThirtyRandomJumps)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchdata::takeSizeOption(argc, argv, "--swipes=", swipes);
    benchmark::Initialize(&argc, argv);
    const auto start = std::chrono::steady_clock::now();
    benchdata::openScaleSite(swipes);
    std::fprintf(stderr, "database ready after %.0f ms\n", millisecondsSince(start));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    app::db.Close();
    return 0;
}
