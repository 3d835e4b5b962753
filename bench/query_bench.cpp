// The swipe query window over a file of real-site size: 10 000 000 swipes
// and 200 000 people (see scaledata.h). Run with --swipes=N to measure a
// smaller file made the same way.
#include "app.h"
#include "boundgrid.h"
#include "frmque.h"
#include "msgbox.h"
#include "reportcontrol.h"
#include "reportpreview.h"
#include "scaledata.h"
#include "swipelist.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <chrono>

namespace {

qint64 swipes = benchdata::fullSwipes;
QString folder;
using benchdata::millisecondsSince;

void paint(QWidget& w)
{
    w.repaint();
    QCoreApplication::processEvents();
}

// The scale site with the report templates beside the database.
void useScaleDatabase()
{
    folder = benchdata::openScaleSite(swipes);
    const QDir templates(QStringLiteral(KESTROM_REPORT_TEMPLATES));
    for (const QString& name : templates.entryList({QStringLiteral("*.rpt")}))
        QFile::copy(templates.filePath(name), QDir(folder).filePath(name));
    ui::setMessageHandler([](const ui::MessageCall& call) { return ui::defaultButton(call.style); });
}

// Construction to the first screen of every joined swipe, lists filled.
void queryWindowOpens(benchmark::State& state)
{
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        auto* w = new Frmque;
        w->resize(800, 600);
        w->show();
        paint(*w);
        state.SetIterationTime(millisecondsSince(start) / 1000);
        delete w;
        QCoreApplication::processEvents();
    }
}
BENCHMARK(queryWindowOpens)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// One card over a month, clicked as the operator does, to its first screen.
void queryByCardAndDays(benchmark::State& state)
{
    Frmque w;
    w.resize(800, 600);
    w.show();
    paint(w);
    w.Cck[0]->setChecked(true);
    w.Cck[2]->setChecked(true);
    w.t1s->setDate(QDate(2025, 6, 1));
    w.t1e->setDate(QDate(2025, 6, 30));
    int n = 0;
    for (auto _ : state) {
        w.Cka->setEditText(QStringLiteral("%1").arg(++n * 97 % 1000 + 1, 6, 10, QLatin1Char('0')));
        const auto start = std::chrono::steady_clock::now();
        w.Ccx->click();
        paint(w);
        state.SetIterationTime(millisecondsSince(start) / 1000);
        if (w.DBGrid1->RecordCount() == 0)
            state.SkipWithError("nothing listed");
    }
}
BENCHMARK(queryByCardAndDays)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

// From the first screen to the last row, once every row is counted.
void scrollToTheEnd(benchmark::State& state)
{
    for (auto _ : state) {
        Frmque w;
        w.resize(800, 600);
        w.show();
        paint(w);
        while (w.DBGrid1->isCounting())
            QCoreApplication::processEvents();
        const auto start = std::chrono::steady_clock::now();
        w.DBGrid1->setFocus();
        w.DBGrid1->setRow(w.DBGrid1->RecordCount() - 1);
        paint(w);
        state.SetIterationTime(millisecondsSince(start) / 1000);
        if (w.DBGrid1->RecordCount() < swipes)
            state.SkipWithError("rows missing");
    }
}
BENCHMARK(scrollToTheEnd)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// One address over 37 days, about 10 000 swipes: staged and written as a
// PDF, the question before a long print answered yes.
void printTenThousandRows(benchmark::State& state)
{
    Frmque w;
    w.resize(800, 600);
    w.show();
    paint(w);
    w.Cck[0]->setChecked(true);
    w.t1s->setDate(QDate(2025, 3, 1));
    w.t1e->setDate(QDate(2025, 4, 6));
    w.Cck[1]->setChecked(true);
    w.Cdoor->setEditText(QStringLiteral("7"));
    w.Ccx->click();
    while (w.DBGrid1->isCounting())
        QCoreApplication::processEvents();
    ui::setMessageHandler([](const ui::MessageCall&) { return int(ui::vbYes); });
    report::setPreviewHandler(
        [](const report::ReportControl& control) { control.writePdf(QDir(folder).filePath(QStringLiteral("out.pdf"))); });
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        w.Command2->click();
        state.SetIterationTime(millisecondsSince(start) / 1000);
    }
    state.counters["rows"] = w.DBGrid1->RecordCount();
    report::setPreviewHandler({});
    ui::setMessageHandler([](const ui::MessageCall& call) { return ui::defaultButton(call.style); });
}
BENCHMARK(printTenThousandRows)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void listFirstSwipes(Frmque& w, qint64 rows) { benchdata::listFirstSwipes(w, rows, swipes); }

// From the print button to the report handed over, every listed row staged,
// the question before a long print answered yes.
void stageSwipes(benchmark::State& state)
{
    Frmque w;
    listFirstSwipes(w, state.range(0));
    ui::setMessageHandler([](const ui::MessageCall&) { return int(ui::vbYes); });
    std::chrono::steady_clock::time_point start;
    double staged = 0;
    report::setPreviewHandler([&](const report::ReportControl&) { staged = millisecondsSince(start); });
    for (auto _ : state) {
        start = std::chrono::steady_clock::now();
        w.Command2->click();
        state.SetIterationTime(staged / 1000);
    }
    state.counters["rows"] = w.DBGrid1->RecordCount();
    report::setPreviewHandler({});
    ui::setMessageHandler([](const ui::MessageCall& call) { return ui::defaultButton(call.style); });
}
BENCHMARK(stageSwipes)->Arg(40000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

// The staged rows read and laid out on the preview's pages, to the preview
// shown.
void previewSwipes(benchmark::State& state)
{
    Frmque w;
    listFirstSwipes(w, state.range(0));
    ui::setMessageHandler([](const ui::MessageCall&) { return int(ui::vbYes); });
    report::setPreviewHandler([](const report::ReportControl&) {});
    w.Command2->click();  // staged once
    report::setPreviewHandler({});
    report::ReportControl control;
    control.setDataFiles(0, app::databaseFile());
    control.setReportFileName(QDir(folder).filePath(QStringLiteral("drda2.rpt")));
    int pages = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        double shown = 0;
        QTimer closing;
        QObject::connect(&closing, &QTimer::timeout, [&] {
            auto* preview = qobject_cast<report::PreviewDialog*>(QApplication::activeModalWidget());
            if (!preview)
                return;
            pages = preview->pages()->pageCount();
            shown = millisecondsSince(start);
            preview->reject();
        });
        closing.start(10);
        control.PrintReport();
        state.SetIterationTime(shown / 1000);
    }
    state.counters["rows"] = w.DBGrid1->RecordCount();
    state.counters["pages"] = pages;
    ui::setMessageHandler([](const ui::MessageCall& call) { return ui::defaultButton(call.style); });
}
BENCHMARK(previewSwipes)->Arg(40000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);
BENCHMARK(previewSwipes)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchdata::takeSizeOption(argc, argv, "--swipes=", swipes);
    benchmark::Initialize(&argc, argv);
    const auto start = std::chrono::steady_clock::now();
    useScaleDatabase();
    std::fprintf(stderr, "database ready after %.0f ms\n", millisecondsSince(start));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    app::db.Close();
    return 0;
}
