// Menu choices by entry ID, the collection timer and the exit entry.
#include "mainwindowtest.h"
#include "program.h"

#include <QApplication>
#include <QFile>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

using shelltest::MainWindowTest;
using shelltest::opened;
using shelltest::StandIn;
using dispatch::Shown;

namespace {

// Every window of the menu, as the program's table lists them.
std::vector<dispatch::Row> everyWindow()
{
    using shelltest::standIn;
    return {
        {6, Shown::Modal, standIn<6>},     {8, Shown::Modal, standIn<8>},     {9, Shown::Modal, standIn<9>},
        {10, Shown::Modal, standIn<10>},   {12, Shown::Modal, standIn<12>},   {15, Shown::Modeless, standIn<15>},
        {16, Shown::Modal, standIn<16>},   {17, Shown::Modeless, standIn<17>}, {18, Shown::Modal, standIn<18>},
        {19, Shown::Modeless, standIn<19>}, {20, Shown::Modal, standIn<20>},  {21, Shown::Modal, standIn<21>},
        {22, Shown::Modal, standIn<22>},   {23, Shown::Modal, standIn<23>},   {24, Shown::Modal, standIn<24>},
        {25, Shown::Modal, standIn<25>},   {26, Shown::Modal, standIn<26>},   {27, Shown::Modal, standIn<27>},
        {28, Shown::Modal, standIn<28>},   {29, Shown::Modal, standIn<29>},   {30, Shown::Modal, standIn<30>},
        {31, Shown::Modal, standIn<31>},   {32, Shown::Modal, standIn<32>},   {33, Shown::Modal, standIn<33>},
        {34, Shown::Modal, standIn<34>},   {35, Shown::Modal, standIn<35>},   {36, Shown::Modal, standIn<36>},
        {37, Shown::Modal, standIn<37>},   {99, Shown::Modal, standIn<99>},
    };
}

class Dispatch : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        app::db.Execute("insert into cjtype values (0, '0')");
        app::db.Execute("insert into doors (地址) values (1)");
        dispatch::setTable(everyWindow());
        m = load();
        m->show();
    }
    menu* m = nullptr;
};

TEST_F(Dispatch, EachEntryOpensItsWindowModalOrModeless)
{
    const std::vector<int> modal = {6, 8, 9, 10, 12, 16, 18, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 31, 32, 33, 34, 35, 36, 37};
    for (int id : modal) {
        SCOPED_TRACE(id);
        bool modalInside = false;
        shelltest::onShown = [&](QWidget* w) {
            modalInside = QApplication::activeModalWidget() == w;
            return false;
        };
        m->ActiveBar1_ToolClick(id);  // returns once the window has closed
        EXPECT_EQ(opened[id].made, 1);
        EXPECT_TRUE(modalInside);
        EXPECT_TRUE(opened[id].last.isNull());  // gone once closed
    }
    for (int id : {15, 17, 19}) {
        SCOPED_TRACE(id);
        m->ActiveBar1_ToolClick(id);
        ASSERT_EQ(opened[id].made, 1);
        QWidget* w = opened[id].last;
        ASSERT_TRUE(w);
        EXPECT_TRUE(w->isVisible());
        EXPECT_FALSE(w->isModal());
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

// Windows open over the middle of the main window's working area, below its
// menu bar, modal or modeless.
TEST_F(Dispatch, WindowsOpenCentredOnTheMainWindow)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m));
    const QWidget* area = m->centralWidget();
    const QPoint middle = area->mapToGlobal(area->rect().center());
    const int menuBottom = m->menuBar()->mapToGlobal(QPoint(0, m->menuBar()->height())).y();
    const auto expectCentred = [&](QWidget* w) {
        EXPECT_LE((w->frameGeometry().center() - middle).manhattanLength(), 2) << w->objectName().toStdString();
        EXPECT_GE(w->frameGeometry().top(), menuBottom) << w->objectName().toStdString();
    };
    shelltest::onShown = [&](QWidget* w) {
        expectCentred(w);
        return false;
    };
    m->ActiveBar1_ToolClick(8);
    m->ActiveBar1_ToolClick(15);
    ASSERT_TRUE(opened[15].last);
    expectCentred(opened[15].last);
    EXPECT_EQ(opened[8].made, 1);
}

TEST_F(Dispatch, AModelessWindowChosenAgainIsBroughtForwardNotCopied)
{
    m->ActiveBar1_ToolClick(17);
    QPointer<QWidget> first = opened[17].last;
    ASSERT_TRUE(first);
    first->showMinimized();
    m->ActiveBar1_ToolClick(17);
    EXPECT_EQ(opened[17].made, 1);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(first->isMinimized());

    // A modal window opened later leaves it open beside it.
    m->ActiveBar1_ToolClick(8);
    EXPECT_TRUE(first && first->isVisible());

    first->close();
    QApplication::processEvents();  // its deferred deletion
    m->ActiveBar1_ToolClick(17);
    EXPECT_EQ(opened[17].made, 2);  // closed, so a new one
}

TEST_F(Dispatch, LockMonitorNeedsADoor)
{
    app::db.Execute("delete * from doors");
    m->ActiveBar1_ToolClick(21);
    EXPECT_EQ(opened[21].made, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.last(), "請先設置門號地址！");
    EXPECT_EQ(dialogs.messages[0].style, 0);
}

TEST_F(Dispatch, HeadingsEntry30AndUnknownIdsDoNothing)
{
    for (int id : {30, 1, 3, 4, 5, 13, 0, 2, 7, 38, 99, -1}) {
        m->ActiveBar1_ToolClick(id);
        EXPECT_EQ(opened[id].made, 0) << id;
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Dispatch, EntriesWithoutAWindowYetOpenNothing)
{
    dispatch::setTable({});
    for (int id : {6, 8, 15, 17, 20, 21, 24, 37})
        m->ActiveBar1_ToolClick(id);
    EXPECT_TRUE(dialogs.messages.empty());
    m->setEntryEnabled(24, true);
    m->entry(24)->trigger();  // through the menu bar's own report
    EXPECT_TRUE(opened.empty());
}

TEST_F(Dispatch, MenuEntryReportsItsId)
{
    m->entry(8)->trigger();
    EXPECT_EQ(opened[8].made, 1);
    m->entry(17)->trigger();
    EXPECT_EQ(opened[17].made, 1);
}

class CollectionTimer : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        app::db.Execute("insert into cjtype values (1, '09:30')");
        dispatch::setTable({{24, Shown::Modal, shelltest::standIn<24>}});
        m = load();
    }
    void tickAt(int h, int min, int s)
    {
        setTime(QDateTime(QDate(2026, 12, 10), QTime(h, min, s)));
        m->Timer1_Timer();
    }
    menu* m = nullptr;
};

TEST_F(CollectionTimer, OpensInTheCollectionMinuteOnly)
{
    ASSERT_TRUE(m->Timer1->isActive());
    const struct {
        int h, m, s;
        int made;  // collection runs so far
    } ticks[] = {
        {9, 29, 59, 0}, {21, 30, 0, 0}, {9, 30, 0, 1}, {9, 30, 50, 2}, {9, 30, 59, 3}, {9, 31, 0, 3}, {10, 30, 0, 3},
    };
    for (const auto& t : ticks) {
        tickAt(t.h, t.m, t.s);
        EXPECT_EQ(opened[24].made, t.made) << t.h << ":" << t.m << ":" << t.s;
    }
}

TEST_F(CollectionTimer, ManualCollectionNeverMatches)
{
    app::cjtime = "0";
    for (int h = 0; h < 24; ++h)
        tickAt(h, 0, 0);
    EXPECT_EQ(opened[24].made, 0);
}

TEST_F(CollectionTimer, AMatchWhileTheRunIsShownOpensNoSecond)
{
    int ticksInside = 0;
    shelltest::onShown = [&](QWidget*) {
        // Still collecting when the next tick and the menu entry come.
        tickAt(9, 30, 50);
        m->ActiveBar1_ToolClick(24);
        ++ticksInside;
        return false;
    };
    tickAt(9, 30, 0);
    EXPECT_EQ(ticksInside, 1);
    EXPECT_EQ(opened[24].made, 1);
    shelltest::onShown = {};
    tickAt(9, 30, 55);  // closed by now: the same minute runs again
    EXPECT_EQ(opened[24].made, 2);
}

TEST_F(CollectionTimer, NoCollectionWindowYetMeansNothingHappens)
{
    dispatch::setTable({});
    tickAt(9, 30, 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

class ExitEntry : public Dispatch {
protected:
    void SetUp() override
    {
        Dispatch::SetUp();
        platform::setEndProgramHandler([this] {
            ended = true;
            exchangesAtEnd = app::exchangesRunning;
        });
    }
    void TearDown() override
    {
        platform::setEndProgramHandler({});
        app::exchangesRunning = 0;
        Dispatch::TearDown();
    }
    // Chooses 退出 and tells whether the program ended.
    bool chooseExit()
    {
        try {
            m->ActiveBar1_ToolClick(14);
        } catch (const platform::ProgramEnded&) {
        }
        return ended;
    }
    bool ended = false;
    int exchangesAtEnd = -1;
};

TEST_F(ExitEntry, AsksAndEndsOnlyOnYesWithoutCompacting)
{
    QFile live(file("kestrom.mdb"));
    ASSERT_TRUE(live.open(QIODevice::ReadOnly));
    const QByteArray before = live.readAll();
    live.close();

    EXPECT_FALSE(chooseExit());  // No is the default
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.last(), "您真要關閉門禁管理系統？");
    EXPECT_EQ(dialogs.messages[0].title, "門禁系統");
    EXPECT_EQ(dialogs.messages[0].style, 4 + 32 + 256);
    EXPECT_TRUE(m->isVisible());

    dialogs.answer(ui::vbYes);
    EXPECT_TRUE(chooseExit());
    EXPECT_TRUE(app::db.isOpen());
    EXPECT_FALSE(QFile::exists(file("dbs.mdb")));
    ASSERT_TRUE(live.open(QIODevice::ReadOnly));
    EXPECT_EQ(live.readAll(), before);
}

TEST_F(ExitEntry, WaitsForAControllerExchangeToFinish)
{
    app::ExchangeScope* exchange = new app::ExchangeScope;  // a card download under way
    QTimer::singleShot(150, [&] { delete exchange; });
    dialogs.answer(ui::vbYes);
    EXPECT_TRUE(chooseExit());
    EXPECT_EQ(exchangesAtEnd, 0);
}

}  // namespace
