// The live monitors at a large site: 100 controllers with two locks each on
// the simulated line (replies paced at 9600 baud), 200 000 people, each
// card issued at a controller (200 000 faka rows). What a full round of the
// 100 ms poll takes, and the CPU the window's thread uses meanwhile, with
// every lock closed and with a swipe waiting at every controller; and one
// holder's lookup by physical number.
#include "app.h"
#include "dbfile.h"
#include "frames.h"
#include "frmssjsn.h"
#include "frmssxx.h"
#include "issuedcards.h"
#include "msgbox.h"
#include "programfolder.h"
#include "simulator.h"

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <ctime>
#include <memory>

namespace {

constexpr int controllers = 100, people = 200000;

QString card(int i) { return QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')); }
QString physical(int i) { return QStringLiteral("0000") + card(i); }

struct Site {
    QTemporaryDir folder;
    std::unique_ptr<ctlsim::Simulator> sim;
};

// Made once per run of the program.
Site& largeSite() {
    static std::unique_ptr<Site> site;
    if (site)
        return *site;
    site = std::make_unique<Site>();
    platform::setProgramFolder(site->folder.path());
    const QString file = site->folder.filePath(QStringLiteral("kestrom.mdb"));
    dbfile::createDatabaseFile(file);
    app::db = jet::OpenDatabase(file);
    app::db.BeginTrans();
    for (int a = 0; a < controllers; ++a)
        app::db.Execute(QStringLiteral("insert into doors (地址,namedr1,dtype1,namedr2,dtype2) "
                                       "values (%1,'大堂入口%1','玻','後門%1','鐵')").arg(a));
    for (int p = 0; p < people; ++p) {
        app::db.Execute(QStringLiteral("insert into people (卡號,姓名,部門,職務) values ('%1','人%1','大廈%2','職員')")
                            .arg(card(p))
                            .arg(p % 50));
        app::db.Execute(QStringLiteral("insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2) "
                                       "values (%1,'%2','%3',0,0)")
                            .arg(p % controllers)
                            .arg(card(p), physical(p)));
    }
    app::db.CommitTrans();
    ui::setMessageHandler([](const ui::MessageCall&) { return int(ui::vbOK); });
    site->sim = std::make_unique<ctlsim::Simulator>(site->folder.path(), 1);
    for (int a = 0; a < controllers; ++a)
        site->sim->addController(a);
    site->sim->setPacing(true);
    return *site;
}

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Lets the window's events run until the line has seen `frames` frames of
// the command, as the program's own event loop would (a look every 50 ms).
void runUntil(ctlsim::Simulator& sim, std::uint8_t command, std::size_t frames) {
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        std::size_t n = 0;
        for (const QByteArray& f : sim.received())
            n += std::uint8_t(f[2]) == command;
        if (n >= frames)
            loop.quit();
    });
    look.start(50);
    loop.exec();
}

void pendingSwipes(ctlsim::Simulator& sim, bool on) {
    for (int a = 0; a < controllers; ++a)
        sim.edit(a, [&](ctlsim::Controller& c) {
            c.swipes.clear();
            c.lockStateOverride = on ? 0x24 : 0x22;
            if (on)
                c.swipes.push_back(ctlsim::Swipe{physical((a * 1999) % people), 1});
        });
}

// One full round per iteration: every controller asked once.
template <class Window>
void round(benchmark::State& state, std::uint8_t command, bool swipes) {
    Site& site = largeSite();
    Window window;
    if constexpr (std::is_same_v<Window, FrmssjsN>)
        window.Form_Load();
    window.show();
    double wall = 0, cpu = 0;
    for (auto _ : state) {
        pendingSwipes(*site.sim, swipes);
        site.sim->clearReceived();
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadCpuSeconds();
        runUntil(*site.sim, command, controllers);
        cpu += threadCpuSeconds() - cpuStart;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    window.close();
    state.counters["round_s"] = wall / double(state.iterations());
    state.counters["cpu_percent"] = 100 * cpu / wall;
}

void lockMonitorRoundAllClosed(benchmark::State& state) { round<FrmssjsN>(state, frames::cmdReadLockState, false); }
BENCHMARK(lockMonitorRoundAllClosed)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

void lockMonitorRoundASwipeEverywhere(benchmark::State& state) {
    round<FrmssjsN>(state, frames::cmdReadLockState, true);
}
BENCHMARK(lockMonitorRoundASwipeEverywhere)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

void swipeDisplayRoundNoSwipes(benchmark::State& state) { round<FrmSSXX>(state, frames::cmdReadSwipe, false); }
BENCHMARK(swipeDisplayRoundNoSwipes)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

void swipeDisplayRoundASwipeEverywhere(benchmark::State& state) {
    round<FrmSSXX>(state, frames::cmdReadSwipe, true);
}
BENCHMARK(swipeDisplayRoundASwipeEverywhere)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

void holderLookup(benchmark::State& state) {
    largeSite();
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(cardstore::holderByPhysical(app::db, physical((i += 7919) % people)));
}
BENCHMARK(holderLookup)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
