// The card-issuer address and the collection schedule.
#include "frmfkj.h"
#include "frmsjcjsz.h"
#include "mainwindowtest.h"
#include "recordset.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

using shelltest::MainWindowTest;
using testsupport::ProgramFolderTest;

namespace {

const QString AddressPrompt = QStringLiteral("請輸入一個發卡机地址（為0-99的整數）");

class IssuerAddress : public ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        openSharedDb();
    }
    QVariant storedAddress() const { return scalar("select zhi from system where name='發卡机'"); }
};

TEST_F(IssuerAddress, StoredInTheSettingsRowAndForTheRunOnlyWithinZeroToNinetyNine)
{
    const struct {
        const char* typed;
        bool stored;
    } cases[] = {{"0", true}, {"99", true}, {"7", true}, {"100", false}, {"", false}, {"123456", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        app::db.Execute("update system set zhi=1 where name='發卡机'");
        app::fkjdz = 1;
        dialogs.messages.clear();
        auto* w = new frmfkj();
        w->show();
        w->fkjaddr->setEditText(c.typed);
        w->Command1_Click();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].style, 0);
        if (c.stored) {
            EXPECT_EQ(dialogs.last(), "發卡机設置成功！");
            EXPECT_EQ(storedAddress().toInt(), QString(c.typed).toInt());
            EXPECT_EQ(app::fkjdz, QString(c.typed).toInt());
            EXPECT_FALSE(w->isVisible());
        } else {
            EXPECT_EQ(dialogs.last(), AddressPrompt);
            EXPECT_EQ(storedAddress().toInt(), 1);
            EXPECT_EQ(app::fkjdz, 1);
            EXPECT_TRUE(w->isVisible());
        }
        delete w;
    }
}

TEST_F(IssuerAddress, AMissingSettingsRowIsAdded)
{
    app::db.Execute("delete * from system where name='發卡机'");
    frmfkj w;
    w.fkjaddr->setEditText("12");
    w.Command1_Click();
    EXPECT_EQ(count("system", "name='發卡机'"), 1);
    EXPECT_EQ(storedAddress().toInt(), 12);
    EXPECT_EQ(count("system"), 5);
}

TEST_F(IssuerAddress, TheListHoldsEachControllerAddressOnceAndStartsOnTheFirst)
{
    {
        frmfkj none;
        EXPECT_EQ(none.fkjaddr->count(), 0);  // no controllers: the address is typed
        EXPECT_EQ(none.fkjaddr->currentText(), "");
    }
    for (int a : {5, 12, 5, 40})
        app::db.Execute(QStringLiteral("insert into doors (地址) values (%1)").arg(a));
    frmfkj w;
    QStringList items;
    for (int i = 0; i < w.fkjaddr->count(); ++i)
        items << w.fkjaddr->itemText(i);
    items.sort();
    EXPECT_EQ(items, QStringList({"12", "40", "5"}));
    EXPECT_EQ(w.fkjaddr->currentIndex(), 0);
    EXPECT_EQ(w.fkjaddr->currentText(), w.fkjaddr->itemText(0));
}

TEST_F(IssuerAddress, OnlyDigitsAreTypedAndEnterMovesOn)
{
    frmfkj w;
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.fkjaddr->setFocus();
    QTest::keyClicks(w.fkjaddr, "4a-2 ");
    EXPECT_EQ(w.fkjaddr->currentText(), "42");
    QTest::keyClick(w.fkjaddr, Qt::Key_Backspace);  // dropped like every other key
    EXPECT_EQ(w.fkjaddr->currentText(), "42");
    QTest::keyClick(w.fkjaddr, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), w.Command1);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(IssuerAddress, LeavingTheEmptyBoxAsksForAnAddressAndComesBack)
{
    frmfkj w;
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.fkjaddr->setFocus();
    w.fkjaddr->setEditText("");
    QTest::keyClick(w.fkjaddr, Qt::Key_Tab);
    ASSERT_EQ(dialogs.texts(), std::vector<QString>{AddressPrompt});
    EXPECT_TRUE(w.fkjaddr->hasFocus());
    // With an address typed the box is left without a word.
    QTest::keyClicks(w.fkjaddr, "3");
    QTest::keyClick(w.fkjaddr, Qt::Key_Tab);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(w.Command1->hasFocus());
}

class Schedule : public MainWindowTest {
protected:
    // A schedule window of its own, stored with the choices given.
    void store(int option, QTime time = QTime())
    {
        FrmSJCJSZ w;
        if (option >= 0)
            w.Opt1[option]->click();
        if (time.isValid())
            w.DTP1->setTime(time);
        w.Command1_Click();
    }
    QString stored() const
    {
        return QStringLiteral("%1 %2").arg(scalar("select 采集類型 from cjtype").toString(),
                                           scalar("select 采集時間 from cjtype").toString());
    }
};

TEST_F(Schedule, AutomaticSwitchesTheTimerOnAtOnceAndManualOff)
{
    menu* m = load();
    ASSERT_FALSE(m->Timer1->isActive());

    store(0, QTime(8, 30));
    EXPECT_EQ(stored(), "1 08:30");  // leading zero before 10:00
    EXPECT_EQ(app::cjmode, 1);
    EXPECT_EQ(app::cjtime, "08:30");
    EXPECT_TRUE(m->Timer1->isActive());

    store(1, QTime(17, 45));
    EXPECT_EQ(stored(), "0 0");
    EXPECT_EQ(app::cjmode, 0);
    EXPECT_EQ(app::cjtime, "0");
    EXPECT_FALSE(m->Timer1->isActive());
    EXPECT_EQ(count("cjtype"), 1);  // the one row is edited
}

TEST_F(Schedule, FirstUseWithNoOptionChosenStoresManual)
{
    app::cjmode = 1;
    app::cjtime = "09:00";
    store(-1, QTime(9, 0));
    EXPECT_EQ(stored(), "0 0");
    EXPECT_EQ(app::cjmode, 0);
    EXPECT_EQ(app::cjtime, "0");
}

TEST_F(Schedule, WithoutAMainWindowTheValuesAreSetForItsLoad)
{
    store(0, QTime(23, 5));
    EXPECT_FALSE(menu::isLoaded());  // not loaded just to switch a timer
    EXPECT_EQ(stored(), "1 23:05");
    // The main window loaded later arms the timer from the stored schedule.
    EXPECT_TRUE(load()->Timer1->isActive());
}

TEST_F(Schedule, ReopeningShowsTheLastStoredTime)
{
    {
        FrmSJCJSZ first;
        EXPECT_TRUE(first.Label2->isHidden());
        EXPECT_TRUE(first.Label3->isHidden());
        EXPECT_FALSE(first.Opt1[0]->isChecked());
        EXPECT_FALSE(first.Opt1[1]->isChecked());
        EXPECT_TRUE(first.DTP1->isEnabled());
        EXPECT_LE(std::abs(first.DTP1->time().secsTo(QTime::currentTime())), 60);
    }
    store(0, QTime(8, 30));
    {
        FrmSJCJSZ automatic;
        EXPECT_FALSE(automatic.Label2->isHidden());
        EXPECT_FALSE(automatic.Label3->isHidden());
        EXPECT_EQ(automatic.Label2->text(), "上次設定的時間：  08:30:00");
        EXPECT_TRUE(automatic.Opt1[0]->isChecked());
        EXPECT_TRUE(automatic.DTP1->isEnabled());
    }
    store(1);
    FrmSJCJSZ manual;
    EXPECT_EQ(manual.Label2->text(), "上次設定的時間：  0:00");
    EXPECT_TRUE(manual.Opt1[1]->isChecked());
    EXPECT_FALSE(manual.DTP1->isEnabled());
    manual.Opt1[0]->click();
    EXPECT_TRUE(manual.DTP1->isEnabled());
    manual.Opt1[1]->click();
    EXPECT_FALSE(manual.DTP1->isEnabled());
}

TEST_F(Schedule, CancelChangesNothing)
{
    menu* m = load();
    store(0, QTime(6, 0));
    FrmSJCJSZ w;
    w.show();
    w.Opt1[1]->click();
    w.Command2->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(stored(), "1 06:00");
    EXPECT_EQ(app::cjtime, "06:00");
    EXPECT_TRUE(m->Timer1->isActive());
}

}  // namespace
