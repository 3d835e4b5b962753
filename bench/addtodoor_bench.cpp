// One card download against the simulator on a pseudo-terminal: the round
// trip from frame out to echo judged, and the CPU the wait costs.
#include "exchanges.h"
#include "programfolder.h"
#include "simulator.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <vector>

namespace {

void addtodoorRoundTrip(benchmark::State& state) {
    QTemporaryDir folder;
    platform::setProgramFolder(folder.path());
    ctlsim::Simulator sim(folder.path(), 1);
    sim.addController(5);
    serial::SerialPort port;
    controller::configurePort(port);

    frames::CardEntry entry;
    entry.address = 5;
    entry.physical = QStringLiteral("0001234567");
    entry.card = QStringLiteral("012345");
    std::vector<double> micros;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const bool ok = controller::addtodoor(port, entry, controller::rebuildAdd);
        micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        if (!ok) {
            state.SkipWithError("no echo");
            break;
        }
    }
    if (micros.empty())
        return;
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
}
BENCHMARK(addtodoorRoundTrip)->Unit(benchmark::kMicrosecond)->Iterations(2000);

// A controller that stays silent: the whole 2 s wait, to show what waiting
// costs the CPU.
void silentControllerWait(benchmark::State& state) {
    QTemporaryDir folder;
    platform::setProgramFolder(folder.path());
    ctlsim::Simulator sim(folder.path(), 1);
    serial::SerialPort port;
    controller::configurePort(port);
    frames::CardEntry entry;
    entry.address = 5;  // nobody answers at 5
    entry.physical = QStringLiteral("0001234567");
    entry.card = QStringLiteral("012345");
    for (auto _ : state)
        benchmark::DoNotOptimize(controller::addtodoor(port, entry, controller::rebuildAdd));
}
BENCHMARK(silentControllerWait)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
