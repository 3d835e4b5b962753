// The collection minute while the operator is inside another window: a
// print's staging, an attendance run, a lock monitor kept open all day.
// Every record the controllers held is in data afterwards, and the outcome
// says when the run had to wait and for what.
#include "attendancefixture.h"
#include "boundgrid.h"
#include "frames.h"
#include "frmkqzl.h"
#include "frmque.h"
#include "frmssjsn.h"
#include "frmssxx.h"
#include "mainwindowtest.h"
#include "menuwindows.h"
#include "records.h"
#include "reportcontrol.h"
#include "runlog.h"
#include "simulator.h"
#include "sqlvalue.h"
#include "wait.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>

namespace {

class DeferredCollection : public shelltest::MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        serial::setWaitClock(serial::scaledClock(4));
        sim = std::make_unique<ctlsim::Simulator>(folder(), 1);
        for (int a = 1; a <= 4; ++a) {
            sim->addController(a);
            sim->edit(a, [a](ctlsim::Controller& c) { c.records = ctlsim::sampleRecords(a, 200); });
            app::db.Execute(QStringLiteral("insert into doors (地址,dtype1,dtype2) values (%1,'玻','鐵')").arg(a));
        }
        app::db.Execute("insert into cjtype values (1, '09:30')");
        installMenuWindows();
        QFile::copy(QStringLiteral(KESTROM_REPORT_TEMPLATES "/drda2.rpt"), file(QStringLiteral("drda2.rpt")));
        report::setPreviewHandler([](const report::ReportControl&) {});
    }
    void TearDown() override
    {
        report::setPreviewHandler({});
        sim.reset();
        serial::setWaitClock(nullptr);
        MainWindowTest::TearDown();
    }

    // The records the controllers hold, as data keeps them: one row each.
    int heldRecords()
    {
        QSet<QString> distinct;
        for (int a = 1; a <= 4; ++a)
            for (const ctlsim::Record& r : sim->controller(a).records)
                distinct << QStringLiteral("%1 %2 %3 %4").arg(a).arg(r.card, r.when.toString("yyyy-MM-dd HH:mm")).arg(r.flag);
        return int(distinct.size());
    }
    int collected() const { return count("data", "地址 between 1 and 4"); }
    QStringList logLines() const
    {
        QFile f(collection::runLogFile());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    static bool waitUntil(const std::function<bool()>& done, int ms = 60000) { return QTest::qWaitFor(done, ms); }

    // The main window as the log-in loads it, its ticks brought by the test.
    menu* loadWithoutTicks()
    {
        menu* m = load();
        m->Timer1->stop();
        return m;
    }

    std::unique_ptr<ctlsim::Simulator> sim;
};

// Records of a full-length realistic kind for the query to list and stage.
void fillSwipes(jet::Database& db, int swipes)
{
    const QDate first(2026, 11, 1);
    db.BeginTrans();
    for (int p = 0; p < 300; ++p)
        db.Execute(QStringLiteral("insert into people (卡號,姓名,部門,職務) values ('%1','住戶%2','東方廣場第二座','住戶')")
                       .arg(p + 1, 6, 10, QLatin1Char('0'))
                       .arg(p));
    for (int i = 0; i < swipes; ++i)
        db.Execute(QStringLiteral("insert into data (卡號,地址,日期,時間,flagIO,flag) values ('%1',%2,%3,%4,'鎖一進',1)")
                       .arg(i % 300 + 1, 6, 10, QLatin1Char('0'))
                       .arg(20 + i % 20)
                       .arg(sql::date(first.addDays(i % 30)), sql::time(QTime(6, 0).addSecs(i % 50000))));
    db.CommitTrans();
}

TEST_F(DeferredCollection, TheMinuteInsideAPrintsStagingWaitsAndACancelLosesNoRecord)
{
    constexpr int swipes = 40000;
    fillSwipes(app::db, swipes);
    const int held = heldRecords();
    menu* m = loadWithoutTicks();
    setTime(QDateTime(QDate(2026, 12, 10), QTime(9, 30, 5)));

    bool cancelled = false;
    std::size_t controllersAsked = 0;  // while the print stages
    QPointer<Frmque> query;
    QTimer operatorWatching;
    QObject::connect(&operatorWatching, &QTimer::timeout, [&] {
        auto* progress = query ? query->findChild<QProgressDialog*>() : nullptr;
        if (!progress || !progress->isVisible() || cancelled)
            return;
        if (progress->value() < 5000)
            return;
        m->Timer1_Timer();  // the collection minute, at bar 5 000
        controllersAsked = sim->received().size();
        cancelled = true;  // and then the operator changes his mind
        QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    });
    bool inside = false;
    QTimer::singleShot(0, m, [&] {
        auto* w = qobject_cast<Frmque*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        query = w;
        inside = true;
        QTest::mouseClick(w->Ccx, Qt::LeftButton);
        ASSERT_TRUE(waitUntil([&] { return !w->DBGrid1->isCounting(); }));
        operatorWatching.start(10);
        dialogs.answer(ui::vbYes);  // the long-print question
        QTest::mouseClick(w->Command2, Qt::LeftButton);
        operatorWatching.stop();
        // The run comes once the print has ended, above the query window.
        EXPECT_TRUE(waitUntil([&] { return collected() == held && logLines().size() >= 2; }, 20000));
        QTest::mouseClick(w->Command1, Qt::LeftButton);
    });
    m->setEntryEnabled(27, true);
    m->entry(27)->trigger();
    ASSERT_TRUE(inside);
    ASSERT_TRUE(cancelled);
    EXPECT_EQ(controllersAsked, 0u);
    EXPECT_EQ(count("dataPT"), 0);  // the staging was taken back
    EXPECT_EQ(collected(), held);
    EXPECT_EQ(count("data"), swipes + held);

    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].endsWith(" 自動采集: 等待打印報表結束")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains(" 自動采集 (09:30 推遲至打印報表結束後): 4 台門禁控制器已全部采集"))
        << lines[1].toStdString();
    EXPECT_EQ(m->Panel1->toolTip(), lines[1]);
    EXPECT_TRUE(m->Panel1->text().contains("自動采集(推遲): 4 台門禁控制器已全部采集")) << m->Panel1->text().toStdString();

    // Ticks left in the same minute collect nothing more; the next day's do.
    sim->clearReceived();
    m->Timer1_Timer();
    EXPECT_TRUE(sim->received().empty());
    setTime(QDateTime(QDate(2026, 12, 11), QTime(9, 30, 40)));
    m->Timer1_Timer();
    EXPECT_EQ(logLines().size(), 3);
    EXPECT_TRUE(logLines().back().endsWith(" 自動采集: 4 台門禁控制器已全部采集")) << logLines().back().toStdString();
}

TEST_F(DeferredCollection, TheMinuteDuringAttendanceRunsOnceTheRunHasEnded)
{
    reportstest::setWorkingHours(app::db);
    app::db.BeginTrans();
    for (int i = 0; i < 300; ++i) {
        const QString card = QStringLiteral("%1").arg(i + 1, 6, 10, QLatin1Char('0'));
        reportstest::addPerson(app::db, card);
        reportstest::addSwipe(app::db, card, QDate::currentDate(), QTime(8, 40), 1, 30);
    }
    app::db.CommitTrans();
    const int held = heldRecords();
    menu* m = loadWithoutTicks();
    setTime(QDateTime(QDate(2026, 12, 10), QTime(9, 30, 50)));

    bool ticked = false, ranAfter = false;
    int collectedDuringRun = -1;
    QTimer::singleShot(0, m, [&] {
        auto* w = qobject_cast<Frmkqzl*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        // The minute comes a third of the way through the run.
        QObject::connect(w->Prg, &QProgressBar::valueChanged, m, [&](int value) {
            if (ticked || value < 100)
                return;
            ticked = true;
            m->Timer1_Timer();
            collectedDuringRun = collected();
        });
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        ranAfter = waitUntil([&] { return collected() == held; }, 20000);
        QTest::mouseClick(w->Command2, Qt::LeftButton);
    });
    m->setEntryEnabled(37, true);
    m->entry(37)->trigger();
    ASSERT_TRUE(ticked);
    EXPECT_EQ(collectedDuringRun, 0);
    EXPECT_TRUE(ranAfter);
    EXPECT_EQ(count("datakq"), 300);
    EXPECT_EQ(collected(), held);
    ASSERT_EQ(logLines().size(), 2);
    EXPECT_TRUE(logLines()[1].contains(" 自動采集 (09:30 推遲至考勤數據整理結束後): 4 台門禁控制器已全部采集"))
        << logLines()[1].toStdString();
}

// Both monitors, kept open all day as a security office does.
TEST_F(DeferredCollection, AMonitorLendsTheLineForTheRunAndWatchesOnAfterIt)
{
    struct Monitor {
        int entry;
        std::uint8_t polled;  // the command it asks each controller
        std::function<bool(QWidget*)> watching;
        std::function<void(QWidget*)> close;
    };
    const Monitor monitors[] = {
        {21, frames::cmdReadLockState,
         [](QWidget* w) {
             auto* m = qobject_cast<FrmssjsN*>(w);
             return m && m->Comm.PortOpen() && m->Timer1.isActive();
         },
         [](QWidget* w) { QTest::mouseClick(qobject_cast<FrmssjsN*>(w)->closew, Qt::LeftButton); }},
        {34, frames::cmdReadSwipe,
         [](QWidget* w) {
             auto* m = qobject_cast<FrmSSXX*>(w);
             return m && m->MSComm1.PortOpen() && m->TimerScanTD.isActive();
         },
         [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }},
    };
    menu* m = loadWithoutTicks();
    const int held = heldRecords();
    int day = 10;
    for (const Monitor& monitor : monitors) {
        SCOPED_TRACE(monitor.entry);
        app::db.Execute("delete from data");
        QFile::remove(collection::runLogFile());
        setTime(QDateTime(QDate(2026, 12, day++), QTime(9, 30, 5)));
        const auto polls = [&] {
            int n = 0;
            for (const QByteArray& f : sim->received())
                n += f.size() >= 3 && std::uint8_t(f[2]) == monitor.polled;
            return n;
        };
        bool watchedBefore = false, watchedOn = false, portBack = false;
        QPointer<QWidget> window;
        QTimer::singleShot(0, m, [&] {
            window = QApplication::activeModalWidget();
            ASSERT_NE(window, nullptr);
            watchedBefore = waitUntil([&] { return polls() >= 8; }, 10000);
            m->Timer1_Timer();  // the collection minute; returns once the run is done
            const int before = polls();
            watchedOn = waitUntil([&] { return polls() >= before + 8; }, 10000);
            portBack = monitor.watching(window);
            monitor.close(window);
        });
        sim->clearReceived();
        m->setEntryEnabled(monitor.entry, true);
        m->entry(monitor.entry)->trigger();
        EXPECT_TRUE(watchedBefore);
        EXPECT_EQ(collected(), held);
        EXPECT_TRUE(watchedOn);
        EXPECT_TRUE(portBack);
        EXPECT_TRUE(window.isNull() || !window->isVisible());
        ASSERT_EQ(logLines().size(), 1);
        EXPECT_TRUE(logLines()[0].endsWith(" 自動采集: 4 台門禁控制器已全部采集")) << logLines()[0].toStdString();
    }
}

}  // namespace
