// Attendance processing over a file of real-site size (see scaledata.h):
// a month of 1 000 cards' swipes turned into attendance rows, with data
// holding 10 000 000 swipes. On a smaller file made the same way, the run is
// also done by one select per pick (the plain statements), its rows checked
// equal and both times given. Every run is rolled back, so the files stay
// as made. --swipes=N and --small=N choose the two files' sizes.
#include "attendance.h"
#include "pickbyselect.h"
#include "recordset.h"
#include "scaledata.h"
#include "sqlvalue.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

qint64 swipes = benchdata::fullSwipes;
qint64 smallSwipes = 200'000;
const QDate first(2025, 3, 1);
const QDate last(2025, 3, 31);

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A working day of 08:00-12:00 and 13:30-17:30, only for the run.
void setWorkingDay(jet::Database& db)
{
    db.Execute(QStringLiteral("insert into owt (上班時間,下班時間,timeB,timeE) values (") + sql::time(QTime(8, 0)) + ','
               + sql::time(QTime(12, 0)) + ',' + sql::time(QTime(13, 30)) + ',' + sql::time(QTime(17, 30)) + ')');
}

QStringList attendanceRows(jet::Database& db)
{
    QStringList rows;
    for (jet::Recordset rs = db.OpenRecordset(
             QStringLiteral("select 卡號, 日期, 時間1, 時間2, 時間3, 時間4, late, leavee, absent, hrs from datakq "
                            "order by 卡號, 日期"),
             jet::dbOpenSnapshot);
         !rs.Eof(); rs.MoveNext()) {
        QStringList fields;
        for (int i = 0; i < 10; ++i)
            fields << rs.Field(i).toString();
        rows << fields.join(QLatin1Char('|'));
    }
    return rows;
}

// One run of either kind, rolled back; its rows and its time.
template <class Run>
std::pair<QStringList, double> runOnce(jet::Database& db, Run run)
{
    db.BeginTrans();
    setWorkingDay(db);
    const auto start = std::chrono::steady_clock::now();
    run();
    const double seconds = secondsSince(start);
    QStringList rows = attendanceRows(db);
    db.Rollback();
    return {rows, seconds};
}

void indexedRun(jet::Database& db)
{
    attendance::rebuild(db, *attendance::readWorkingHours(db), first, last);
}

void attendanceMonthAtScale(benchmark::State& state)
{
    jet::Database db = jet::OpenDatabase(benchdata::scaleDatabase(swipes, benchdata::fullPeople));
    qsizetype rows = 0;
    for (auto _ : state) {
        auto [made, seconds] = runOnce(db, [&] { indexedRun(db); });
        state.SetIterationTime(seconds);
        rows = made.size();
    }
    state.counters["datakq_rows"] = static_cast<double>(rows);
    db.Close();
}
BENCHMARK(attendanceMonthAtScale)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void attendanceAgainstPlainStatements(benchmark::State& state)
{
    jet::Database db = jet::OpenDatabase(benchdata::scaleDatabase(smallSwipes, 2'000));
    for (auto _ : state) {
        auto [plain, plainSeconds] = runOnce(db, [&] { pickbyselect::run(db, first, last); });
        auto [indexed, indexedSeconds] = runOnce(db, [&] { indexedRun(db); });
        if (plain != indexed || plain.isEmpty())
            state.SkipWithError("the two runs made different rows");
        state.SetIterationTime(indexedSeconds);
        state.counters["plain_s"] = plainSeconds;
        state.counters["indexed_s"] = indexedSeconds;
        state.counters["ratio"] = plainSeconds / indexedSeconds;
        state.counters["datakq_rows"] = static_cast<double>(indexed.size());
    }
    db.Close();
}
BENCHMARK(attendanceAgainstPlainStatements)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchdata::takeSizeOption(argc, argv, "--swipes=", swipes);
    benchdata::takeSizeOption(argc, argv, "--small=", smallSwipes);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
