// The menu's entries and the main window's collection timer open the
// collection windows, which collect from the simulator into data.
#include "collectionline.h"
#include "form2.h"
#include "frmzdcj.h"
#include "mainwindowtest.h"
#include "menuwindows.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

class CollectionEntries : public shelltest::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        serial::setWaitClock(serial::scaledClock(4));
        sim = std::make_unique<ctlsim::Simulator>(folder(), 1);
        for (int a : {3, 8}) {
            sim->addController(a);
            sim->edit(a, [a](ctlsim::Controller& c) { c.records = ctlsim::sampleRecords(a, 30); });
            app::db.Execute(QStringLiteral("insert into doors (地址) values (%1)").arg(a));
        }
        installMenuWindows();
    }
    void TearDown() override {
        sim.reset();
        serial::setWaitClock(nullptr);
        MainWindowTest::TearDown();
    }
    std::unique_ptr<ctlsim::Simulator> sim;
};

TEST_F(CollectionEntries, TheTimerOpensTheUnattendedRunAtTheSetMinute) {
    app::db.Execute("insert into cjtype values (1, '09:30')");
    menu* m = load();
    setTime(QDateTime(QDate(2026, 12, 10), QTime(9, 29, 40)));
    m->Timer1_Timer();
    EXPECT_TRUE(sim->received().empty());
    setTime(QDateTime(QDate(2026, 12, 10), QTime(9, 30, 20)));
    m->Timer1_Timer();  // returns once the run has closed its window
    EXPECT_EQ(sim->received().size(), 2u);
    EXPECT_EQ(count(QStringLiteral("data")), 60);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(CollectionEntries, TheStatusBarKeepsWhatTheRunLeftUndoneUntilTheNextRun) {
    app::db.Execute("insert into cjtype values (1, '09:30')");
    menu* m = load();
    const QString company = m->Panel1->text();
    sim->scriptNext(0x11, ctlsim::Script{});
    ctlsim::Script silent;
    silent.silent = true;
    sim->scriptNext(0x11, silent);  // address 8
    setTime(QDateTime(QDate(2026, 12, 10), QTime(9, 30, 5)));
    m->Timer1_Timer();
    EXPECT_EQ(count(QStringLiteral("data")), 30);
    const QString text = m->Panel1->text();
    EXPECT_TRUE(text.startsWith(company)) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral(" 自動采集: 1/2 台未能全部采集"))) << text.toStdString();
    EXPECT_TRUE(m->Panel1->toolTip().endsWith(QStringLiteral(" 自動采集: 門禁控制器 8: 沒有數据輸出!")))
        << m->Panel1->toolTip().toStdString();
    // Still there after another window came and went.
    m->setEntryEnabled(20, true);
    QTimer::singleShot(0, m, [] {
        if (auto* w = qobject_cast<Form2*>(QApplication::activeModalWidget()))
            QTest::mouseClick(w->cdexit, Qt::LeftButton);
    });
    m->entry(20)->trigger();
    EXPECT_EQ(m->Panel1->text(), text);

    setTime(QDateTime(QDate(2026, 12, 11), QTime(9, 30, 5)));
    m->Timer1_Timer();
    EXPECT_EQ(count(QStringLiteral("data")), 60);
    EXPECT_TRUE(m->Panel1->text().startsWith(company));
    EXPECT_TRUE(m->Panel1->text().endsWith(QStringLiteral(" 自動采集: 2 台門禁控制器已全部采集")))
        << m->Panel1->text().toStdString();
}

// On the smallest screen the program is made for, the outcome stands whole
// between the company name and the date; the tooltip has every controller.
TEST_F(CollectionEntries, TheStatusBarsOutcomeFitsBesideTheDate) {
    app::db.Execute("insert into cjtype values (1, '09:30')");
    menu* m = load();
    m->show();  // on the test's screen of 800 x 600
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m));
    ctlsim::Script silent;
    silent.silent = true;
    sim->scriptNext(0x11, silent);
    sim->scriptNext(0x11, silent);
    setTime(QDateTime(QDate(2026, 12, 10), QTime(9, 30, 5)));
    m->Timer1_Timer();
    QCoreApplication::processEvents();
    const QString text = m->Panel1->text();
    EXPECT_LE(m->Panel1->fontMetrics().horizontalAdvance(text), m->Panel1->contentsRect().width())
        << text.toStdString();
    EXPECT_LE(m->Panel1->geometry().right(), m->Panel2->geometry().left());
    EXPECT_TRUE(m->Panel1->toolTip().endsWith(
        QStringLiteral(" 自動采集: 門禁控制器 3: 沒有數据輸出!; 門禁控制器 8: 沒有數据輸出!")))
        << m->Panel1->toolTip().toStdString();
}

TEST_F(CollectionEntries, MenuEntriesOpenBothCollections) {
    menu* m = load();
    EXPECT_FALSE(m->isEntryEnabled(24));  // built switched off
    m->setEntryEnabled(20, true);
    m->setEntryEnabled(24, true);
    bool inside = false;
    QTimer::singleShot(0, m, [&] {
        auto* w = qobject_cast<Form2*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        w->ctext->setCurrentText(QStringLiteral("8"));
        QTest::mouseClick(w->cdok, Qt::LeftButton);
        QTest::mouseClick(w->cdexit, Qt::LeftButton);
        inside = true;
    });
    m->entry(20)->trigger();
    EXPECT_TRUE(inside);
    EXPECT_EQ(count(QStringLiteral("data"), QStringLiteral("地址=8")), 30);
    m->entry(24)->trigger();
    EXPECT_EQ(count(QStringLiteral("data")), 60);
}

}  // namespace
