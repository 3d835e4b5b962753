// The card windows' database work at a large site's size: 200 000 people in
// 50 buildings, 1 000 cards each issued at all of 100 controllers (100 000
// faka rows), and the card extension window on a new site where most
// people have no card yet. What the operator waits for: opening each window, a card's
// lookup, the change checks over the whole store, and an extension run by
// building whose pairs are all there already (every pair looked up, none
// sent).
#include "app.h"
#include "dbfile.h"
#include "frmetd.h"
#include "frmfk.h"
#include "msgbox.h"
#include "programfolder.h"
#include "scaledata.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

namespace {

constexpr int people = 200000, cards = 1000, addresses = 100, buildings = 50;

QString card(int i) { return QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')); }
QString building(int i) { return QStringLiteral("大廈%1").arg(i % buildings); }

// Made once per run of the program; each call makes it the program's site.
void largeSite()
{
    static std::unique_ptr<QTemporaryDir> folder;
    if (folder) {
        if (!app::db.isOpen() || app::db.path() != folder->filePath(QStringLiteral("kestrom.mdb"))) {
            platform::setProgramFolder(folder->path());
            app::db = jet::OpenDatabase(app::databaseFile());
        }
        return;
    }
    folder = std::make_unique<QTemporaryDir>();
    platform::setProgramFolder(folder->path());
    const QString file = folder->filePath(QStringLiteral("kestrom.mdb"));
    dbfile::createDatabaseFile(file);
    app::db = jet::OpenDatabase(file);
    app::db.BeginTrans();
    for (int b = 0; b < buildings; ++b)
        app::db.Execute(QStringLiteral("insert into department (部門) values ('%1')").arg(building(b)));
    for (int a = 1; a <= addresses; ++a)
        app::db.Execute(QStringLiteral("insert into doors (地址) values (%1)").arg(a));
    for (int p = 0; p < people; ++p)
        app::db.Execute(QStringLiteral("insert into people (卡號,姓名,部門) values ('%1','人%1','%2')")
                            .arg(card(p), building(p)));
    for (int c = 0; c < cards; ++c)
        for (int a = 1; a <= addresses; ++a)
            app::db.Execute(QStringLiteral("insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2) "
                                           "values (%1,'%2','0000%2',0,0)")
                                .arg(a)
                                .arg(card(c)));
    app::db.CommitTrans();
    ui::setMessageHandler([](const ui::MessageCall&) { return int(ui::vbOK); });
}

void openCardOperations(benchmark::State& state)
{
    largeSite();
    for (auto _ : state) {
        FrmFK window;
        benchmark::DoNotOptimize(window.Tkh->count());
    }
}
BENCHMARK(openCardOperations)->Unit(benchmark::kMillisecond);

// A card issued at every address: the holder, the terms and 100 selected addresses.
void lookUpACard(benchmark::State& state)
{
    largeSite();
    FrmFK window;
    window.Tkh->setEditText(card(500));
    for (auto _ : state) {
        window.Tkh_Click();
        benchmark::DoNotOptimize(window.dooraddr->selectedItems().size());
    }
}
BENCHMARK(lookUpACard)->Unit(benchmark::kMillisecond);

// Every check of a change, the physical number's among all rows included,
// up to the refusal of a card that is not issued.
void changeChecks(benchmark::State& state)
{
    largeSite();
    FrmFK window;
    window.Tkh->setEditText(card(people - 1));
    window.tcard->setText(QStringLiteral("9999999999"));
    window.dooraddr->item(0)->setSelected(true);
    for (auto _ : state)
        window.cmdchg_Click();
}
BENCHMARK(changeChecks)->Unit(benchmark::kMillisecond);

void openCardExtension(benchmark::State& state)
{
    largeSite();
    for (auto _ : state) {
        FrmEtD window;
        benchmark::DoNotOptimize(window.bm->count());
    }
}
BENCHMARK(openCardExtension)->Unit(benchmark::kMillisecond);

// A new site: the large site's 200 000 people in 20 buildings (see
// scaledata.h), 1 000 of them with a card issued at one controller, 50 in
// each building. In all buildings but the first, the cards went to their
// last people, so their first people have none. Shown to its first paint.
void openCardExtensionOnANewSite(benchmark::State& state)
{
    benchdata::openScaleSite(0, benchdata::fullPeople);
    app::db.BeginTrans();
    app::db.Execute(QStringLiteral("delete * from faka"));
    for (int b = 0; b < 20; ++b)
        for (int k = 0; k < 50; ++k) {
            const int holder = b == 0 ? 20 * (k + 1) : benchdata::fullPeople - 20 * k - (20 - b);
            app::db.Execute(QStringLiteral("insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2) "
                                           "values (%1,'%2','0000%2',0,0)")
                                .arg(k % 4 + 1)
                                .arg(holder, 6, 10, QLatin1Char('0')));
        }
    app::db.CommitTrans();
    qsizetype buildings = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        auto* window = new FrmEtD;
        window->show();
        window->repaint();
        QCoreApplication::processEvents();
        state.SetIterationTime(benchdata::millisecondsSince(start) / 1000);
        buildings = window->bm->count();
        delete window;
        QCoreApplication::processEvents();
    }
    state.counters["buildings"] = double(buildings);
    if (buildings != 20)
        state.SkipWithError("buildings missing from the list");
    app::db.Execute(QStringLiteral("delete * from faka"));
}
BENCHMARK(openCardExtensionOnANewSite)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

// A building's 20 cards, each at 100 addresses: 2 000 rows, each pair found
// at the target and passed over.
void extendABuildingAlreadyThere(benchmark::State& state)
{
    largeSite();
    FrmEtD window;
    window.Option5->setChecked(true);
    window.bm->setEditText(building(7));
    window.Ldr->item(0)->setSelected(true);
    for (auto _ : state)
        window.Command1_Click();
}
BENCHMARK(extendABuildingAlreadyThere)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
