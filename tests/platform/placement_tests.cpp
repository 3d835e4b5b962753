// Where a window opens: centred on the main window's working area, inside
// the screen, unless it placed itself; and hidden controls that keep their
// room.
#include "placement.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

class Placement : public ::testing::Test {
protected:
    void SetUp() override
    {
        main.menuBar()->addMenu(QStringLiteral("系統設置"));
        main.setCentralWidget(new QWidget(&main));
        main.statusBar()->showMessage(QStringLiteral("Valdren"));
    }
    void showMain(const QRect& geometry)
    {
        main.setGeometry(geometry);
        main.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    }
    QRect workingArea() const
    {
        const QWidget* area = main.centralWidget();
        return QRect(area->mapToGlobal(QPoint(0, 0)), area->size());
    }
    static void open(QWidget& w)
    {
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }
    static QRect screenArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

    QMainWindow main;
};

TEST_F(Placement, CentredOnTheMainWindowBelowItsMenuBar)
{
    showMain(QRect(0, 0, 800, 600));
    QWidget w;
    w.resize(300, 200);
    ui::placeWhenShown(&w);
    open(w);
    EXPECT_LE((w.geometry().center() - workingArea().center()).manhattanLength(), 2);
    EXPECT_GE(w.y(), main.menuBar()->mapToGlobal(QPoint(0, main.menuBar()->height())).y());
}

TEST_F(Placement, AWindowSizedByItsLayoutIsCentredAtItsRealSize)
{
    showMain(QRect(0, 0, 800, 600));
    QDialog w;
    auto* box = new QVBoxLayout(&w);
    for (int i = 0; i < 8; ++i)
        box->addWidget(new QLabel(QStringLiteral("請輸入一個門禁地址：%1").arg(i), &w));
    ui::placeWhenShown(&w);
    open(w);
    EXPECT_LE((w.geometry().center() - workingArea().center()).manhattanLength(), 2);
}

TEST_F(Placement, KeptInsideTheScreen)
{
    const QRect screen = screenArea();
    showMain(QRect(screen.right() - 400, screen.bottom() - 300, 400, 300));
    QWidget w;
    w.resize(600, 400);
    ui::placeWhenShown(&w);
    open(w);
    EXPECT_TRUE(screen.contains(w.frameGeometry())) << w.x() << "," << w.y();
}

TEST_F(Placement, OnTheScreenWhenAskedOrWithoutAMainWindow)
{
    QWidget alone;
    alone.resize(300, 200);
    ui::placeWhenShown(&alone);
    open(alone);
    EXPECT_LE((alone.geometry().center() - screenArea().center()).manhattanLength(), 2);

    showMain(QRect(0, 0, 400, 300));
    QWidget onScreen;
    onScreen.resize(300, 200);
    ui::placeWhenShown(&onScreen, ui::PlaceOn::Screen);
    ui::placeWhenShown(&onScreen);  // the first placement holds
    open(onScreen);
    EXPECT_LE((onScreen.geometry().center() - screenArea().center()).manhattanLength(), 2);
}

TEST_F(Placement, AWindowThatPlacedItselfStays)
{
    showMain(QRect(0, 0, 800, 600));
    QWidget w;
    w.setGeometry(40, 60, 300, 200);
    ui::placeWhenShown(&w);
    open(w);
    EXPECT_EQ(w.geometry().topLeft(), QPoint(40, 60));
}

TEST_F(Placement, AHiddenControlKeepsItsRoom)
{
    QWidget w;
    auto* box = new QVBoxLayout(&w);
    auto* label = new QLabel(QStringLiteral("通訊設置:"), &w);
    auto* panel = new QLabel(QStringLiteral("請輸入一個門禁地址：\n\n\n\n"), &w);
    auto* button = new QPushButton(QStringLiteral("應用"), &w);
    box->addWidget(label);
    box->addWidget(panel);
    box->addWidget(button);
    ui::keepRoomWhenHidden(panel);
    panel->hide();
    open(w);
    const QSize size = w.size();
    const QPoint place = button->pos();
    panel->show();
    QApplication::processEvents();
    EXPECT_EQ(w.size(), size);
    EXPECT_EQ(button->pos(), place);
}

}  // namespace
