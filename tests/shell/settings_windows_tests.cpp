// The card-issuer address and the collection schedule windows.
#include "app.h"
#include "frmfkj.h"
#include "frmsjcjsz.h"
#include "mainwindowtest.h"
#include "menu.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

namespace {

class IssuerAddress : public testsupport::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        openSharedDb();
    }
    QVariant storedAddress() const { return scalar("select zhi from system where name='發卡机'"); }
};

TEST_F(IssuerAddress, ListsTheControllerAddressesAndSelectsTheFirst)
{
    for (int a : {7, 3, 7, 12})
        app::db.Execute(QStringLiteral("insert into doors (地址) values (%1)").arg(a));
    frmfkj w;
    QStringList items;
    for (int i = 0; i < w.fkjaddr->count(); ++i)
        items << w.fkjaddr->itemText(i);
    EXPECT_EQ(items, QStringList({"3", "7", "12"}));  // ascending, whatever the order of the rows
    EXPECT_EQ(w.fkjaddr->currentIndex(), 0);
    EXPECT_EQ(w.windowTitle(), "發卡机設置");
}

TEST_F(IssuerAddress, WithoutControllersTheListIsEmptyAndTheAddressIsTyped)
{
    QPointer<frmfkj> w = new frmfkj();
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->show();
    EXPECT_EQ(w->fkjaddr->count(), 0);
    w->fkjaddr->setCurrentText("42");
    w->Command1_Click();
    EXPECT_EQ(storedAddress().toInt(), 42);
    EXPECT_EQ(app::fkjdz, 42);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>({"發卡机設置成功！"}));
    EXPECT_EQ(dialogs.messages[0].style, 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.isNull());  // the window closed
}

TEST_F(IssuerAddress, AMissingRowIsAdded)
{
    app::db.Execute("delete * from system where name='發卡机'");
    frmfkj w;
    w.fkjaddr->setCurrentText("0");
    w.Command1_Click();
    EXPECT_EQ(count("system", "name='發卡机'"), 1);
    EXPECT_EQ(storedAddress().toInt(), 0);
    EXPECT_EQ(count("system"), 5);
}

TEST_F(IssuerAddress, OutsideZeroToNinetyNineNothingIsStored)
{
    for (const char* text : {"100", "", "999"}) {
        SCOPED_TRACE(text);
        dialogs.messages.clear();
        app::fkjdz = 5;
        frmfkj w;
        w.show();
        w.fkjaddr->setCurrentText(text);
        w.Command1_Click();
        EXPECT_EQ(dialogs.texts(), std::vector<QString>({"請輸入一個發卡机地址（為0-99的整數）"}));
        EXPECT_EQ(storedAddress().toInt(), 1);
        EXPECT_EQ(app::fkjdz, 5);
        EXPECT_TRUE(w.isVisible());
    }
}

TEST_F(IssuerAddress, OnlyDigitsCanBeTypedAndEnterMovesOn)
{
    frmfkj w;
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.fkjaddr->setFocus();
    // The keyboard's keys go to the focus widget, the combo box itself.
    QWidget* box = QApplication::focusWidget();
    ASSERT_EQ(box, w.fkjaddr);
    QTest::keyClicks(box, "1a-2 .3");
    EXPECT_EQ(w.fkjaddr->currentText(), "123");
    QTest::keyClick(box, Qt::Key_Backspace);
    EXPECT_EQ(w.fkjaddr->currentText(), "123");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(w.fkjaddr->currentText(), "123");
    EXPECT_EQ(QApplication::focusWidget(), w.Command1);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(IssuerAddress, TabAndShiftTabMoveOnFromTheAddress)
{
    frmfkj w;
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.fkjaddr->setFocus();
    QTest::keyClicks(QApplication::focusWidget(), "12");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.Command1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.fkjaddr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), w.Command1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(QApplication::focusWidget(), w.fkjaddr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), w.Command1);
    EXPECT_EQ(w.fkjaddr->currentText(), "12");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(IssuerAddress, LeavingTheEmptyBoxAsksForAnAddress)
{
    frmfkj w;
    w.show();
    QComboBox* box = w.fkjaddr;  // where focus changes arrive
    const auto leave = [box](Qt::FocusReason reason) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(box, &out);
    };
    box->setEditText("5");
    leave(Qt::TabFocusReason);
    EXPECT_TRUE(dialogs.messages.empty());
    box->setEditText("");
    leave(Qt::ActiveWindowFocusReason);  // another window came up: not leaving the box
    EXPECT_TRUE(dialogs.messages.empty());
    leave(Qt::TabFocusReason);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>({"請輸入一個發卡机地址（為0-99的整數）"}));
    EXPECT_EQ(dialogs.messages[0].style, 0);
}

class Schedule : public shelltest::MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        app::db.Execute("insert into cjtype values (0, '0')");
        load();
        dialogs.messages.clear();
    }
    void store(int option, QTime time = QTime())
    {
        FrmSJCJSZ w;
        if (option >= 0)
            w.Opt1[option]->click();
        if (time.isValid())
            w.DTP1->setTime(time);
        w.Command1_Click();
    }
    QString row() const
    {
        return scalar("select 采集類型 from cjtype").toString() + "|" + scalar("select 采集時間 from cjtype").toString();
    }
};

TEST_F(Schedule, AutomaticStoresTheTimeAndStartsTheTimerAtOnce)
{
    store(0, QTime(8, 30));
    EXPECT_EQ(row(), "1|08:30");
    EXPECT_EQ(count("cjtype"), 1);
    EXPECT_EQ(app::cjmode, 1);
    EXPECT_EQ(app::cjtime, "08:30");
    EXPECT_TRUE(menu::instance()->Timer1->isActive());

    store(1, QTime(9, 0));
    EXPECT_EQ(row(), "0|0");
    EXPECT_EQ(app::cjmode, 0);
    EXPECT_EQ(app::cjtime, "0");
    EXPECT_FALSE(menu::instance()->Timer1->isActive());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Schedule, FirstUseWithNothingChosenStoresManual)
{
    app::db.Execute("delete * from cjtype");
    {
        FrmSJCJSZ w;
        EXPECT_FALSE(w.Opt1[0]->isChecked());
        EXPECT_FALSE(w.Opt1[1]->isChecked());
        EXPECT_TRUE(w.Label2->isHidden());
        EXPECT_TRUE(w.Label3->isHidden());
    }
    menu::instance()->Timer1->start();
    store(-1);
    EXPECT_EQ(row(), "0|0");
    EXPECT_EQ(count("cjtype"), 1);
    EXPECT_FALSE(menu::instance()->Timer1->isActive());
}

TEST_F(Schedule, ReopeningShowsTheStoredSchedule)
{
    store(0, QTime(8, 5));
    {
        FrmSJCJSZ w;
        EXPECT_FALSE(w.Label2->isHidden());
        EXPECT_EQ(w.Label2->text(), "上次設定的時間：  08:05:00");
        EXPECT_TRUE(w.Opt1[0]->isChecked());
        EXPECT_TRUE(w.DTP1->isEnabled());
        w.Opt1[1]->click();
        EXPECT_FALSE(w.DTP1->isEnabled());
    }
    store(1);
    FrmSJCJSZ w;
    EXPECT_EQ(w.Label2->text(), "上次設定的時間：  0:00");
    EXPECT_TRUE(w.Opt1[1]->isChecked());
    EXPECT_FALSE(w.DTP1->isEnabled());
}

TEST_F(Schedule, CancelChangesNothing)
{
    menu::instance()->Timer1->stop();
    {
        FrmSJCJSZ w;
        w.Opt1[0]->click();
        w.Command2_Click();
    }
    EXPECT_EQ(row(), "0|0");
    EXPECT_FALSE(menu::instance()->Timer1->isActive());
    EXPECT_EQ(app::cjmode, 0);
}

}  // namespace
