// The print of the swipe query window at sizes up to a year of a 1 000-card
// site: from 打印報表 (the long-print question answered yes) through the
// rows staged to the preview shown, then 另存為PDF of every page, then the
// preview closed. Each size prints in a process of its own, so its peak
// memory is that print's alone. Run with --swipes=N to print from a smaller
// file made the same way (see scaledata.h); --swipes=1000000 holds exactly
// the 1 000 000 rows of the largest print.
#include "app.h"
#include "boundgrid.h"
#include "frmque.h"
#include "msgbox.h"
#include "reportpreview.h"
#include "scaledata.h"
#include "swipelist.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

qint64 swipes = benchdata::fullSwipes;
qint64 childRows = 0;  // set in a child: the rows it prints
using benchdata::millisecondsSince;

// From /proc/self/status, in megabytes: "VmRSS" now, "VmHWM" the peak.
double statusMegabytes(const char* item)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(item))
            return line.mid(int(qstrlen(item)) + 1).trimmed().split(' ').value(0).toDouble() / 1024;
    return -1;
}

// One print, as the operator makes it, its figures on one line of stdout.
int printInThisProcess()
{
    const QString folder = benchdata::openScaleSite(swipes);
    const QDir templates(QStringLiteral(KESTROM_REPORT_TEMPLATES));
    for (const QString& name : templates.entryList({QStringLiteral("*.rpt")}))
        QFile::copy(templates.filePath(name), QDir(folder).filePath(name));
    const QString pdf = QDir(folder).filePath(QStringLiteral("print-%1.pdf").arg(childRows));
    ui::setMessageHandler([](const ui::MessageCall&) { return int(ui::vbYes); });
    ui::setFileHandler([&pdf](const ui::FileDialogRequest&) { return pdf; });

    Frmque w;
    benchdata::listFirstSwipes(w, childRows, swipes);

    const double before = statusMegabytes("VmRSS:");
    const auto start = std::chrono::steady_clock::now();
    double preview = -1, saved = -1;
    int pages = 0;
    // The longest the window took no events, before the preview showed
    // and while it saved: how long the operator saw nothing move.
    double stalledBefore = 0, stalledSaving = 0;
    auto lastTick = std::chrono::steady_clock::now();
    QTimer ticking;
    QObject::connect(&ticking, &QTimer::timeout, [&] {
        const double gap = millisecondsSince(lastTick);
        lastTick = std::chrono::steady_clock::now();
        double& stalled = preview < 0 ? stalledBefore : stalledSaving;
        stalled = std::max(stalled, gap);
    });
    ticking.start(10);
    QTimer driving;
    QObject::connect(&driving, &QTimer::timeout, [&] {
        auto* shown = qobject_cast<report::PreviewDialog*>(QApplication::activeModalWidget());
        if (!shown || preview >= 0)
            return;
        preview = millisecondsSince(start);
        pages = shown->pages()->pageCount();
        const auto saving = std::chrono::steady_clock::now();
        for (QAction* action : shown->findChild<QToolBar*>()->actions())
            if (action->text() == QStringLiteral("另存為PDF"))
                action->trigger();
        saved = millisecondsSince(saving);
        shown->reject();
    });
    driving.start(10);
    w.Command2->click();
    driving.stop();
    ticking.stop();
    QCoreApplication::processEvents();
    const double after = statusMegabytes("VmRSS:");
    std::printf("%lld %d %.0f %.0f %.1f %.1f %.1f %lld %.0f %.0f\n", static_cast<long long>(w.DBGrid1->RecordCount()),
                pages, preview, saved, statusMegabytes("VmHWM:"), before, after,
                static_cast<long long>(QFile(pdf).size()), stalledBefore, stalledSaving);
    QFile::remove(pdf);
    return preview >= 0 && saved >= 0 ? 0 : 1;
}

// The print of so many rows, in a child process.
void printSwipes(benchmark::State& state)
{
    for (auto _ : state) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--print=%1").arg(state.range(0)), QStringLiteral("--swipes=%1").arg(swipes)});
        child.waitForFinished(-1);
        const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
        if (child.exitCode() != 0 || f.size() < 10) {
            state.SkipWithError("the print did not finish");
            return;
        }
        const double preview = f[2].toDouble(), pdf = f[3].toDouble();
        state.SetIterationTime((preview + pdf) / 1000);
        state.counters["rows"] = f[0].toDouble();
        state.counters["pages"] = f[1].toDouble();
        state.counters["preview_ms"] = preview;
        state.counters["pdf_ms"] = pdf;
        state.counters["peak_MB"] = f[4].toDouble();
        state.counters["before_MB"] = f[5].toDouble();
        state.counters["after_close_MB"] = f[6].toDouble();
        state.counters["pdf_MB"] = f[7].toDouble() / 1e6;
        state.counters["stall_before_preview_ms"] = f[8].toDouble();
        state.counters["stall_saving_ms"] = f[9].toDouble();
    }
}
BENCHMARK(printSwipes)
    ->Arg(20000)
    ->Arg(40000)
    ->Arg(200000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchdata::takeSizeOption(argc, argv, "--swipes=", swipes);
    benchdata::takeSizeOption(argc, argv, "--print=", childRows);
    if (childRows > 0) {
        const int result = printInThisProcess();
        app::db.Close();
        return result;
    }
    benchdata::scaleDatabase(swipes);  // made once, before any child
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
