// Card removal against the controller simulator: by card, by address and by
// department; the controller first, the history and the issued-card row only
// after its echo.
#include "app.h"
#include "frmdec.h"
#include "cardfixture.h"
#include "simulator.h"
#include "testsupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

class Removal : public LineTest {
protected:
    void SetUp() override
    {
        LineTest::SetUp();
        app::db.Execute("insert into people (卡號,姓名,部門) values ('000001','Kay O''Brien','O''Hara Court')");
        app::db.Execute("insert into people (卡號,姓名,部門) values ('000002','','O''Hara Court')");
        app::db.Execute("insert into people (卡號,姓名,部門) values ('000003','丙','東座')");
    }
    void TearDown() override
    {
        delete window.data();
        LineTest::TearDown();
    }
    // A card issued at an address: in faka and in the controller's list.
    void issue(int address, const char* card)
    {
        const cardstore::IssuedCard c = testCard(address, card);
        cardstore::insertIssued(app::db, c);
        if (sim->hasController(address))
            sim->edit(address, [&](ctlsim::Controller& k) { k.cards[c.card] = ctlsim::Card{c.physical, 0, 0, {}}; });
    }
    void open()
    {
        window = new FrmDec();
        window->show();
        QApplication::setActiveWindow(window);
    }
    void selectTargets(std::initializer_list<const char*> addresses)
    {
        window->Ldr->clearSelection();
        for (const char* a : addresses) {
            const auto found = window->Ldr->findItems(a, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << a;
            found[0]->setSelected(true);
        }
    }
    bool controllerHolds(int address, const char* card) { return sim->controller(address).cards.count(card) == 1; }
    QString today() const { return QDate::currentDate().toString("yyyy-MM-dd"); }

    QPointer<FrmDec> window;
};

TEST_F(Removal, ListsAndTheAddressPreselectionOfAChosenCard)
{
    sim->addController(3);
    app::db.Execute("insert into doors (地址) values (3)");
    issue(3, "000001");
    issue(7, "000001");
    issue(7, "000003");
    open();
    EXPECT_EQ(window->windowTitle(), "壓縮卡机");
    EXPECT_TRUE(window->Option1->isChecked());
    EXPECT_EQ(window->kh->count(), 2);
    EXPECT_EQ(window->dz->count(), 2);
    EXPECT_EQ(window->Ldr->count(), 2);
    EXPECT_EQ(window->bm->count(), 2);

    selectTargets({"7"});
    window->kh->setCurrentIndex(window->kh->findText("000001"));
    window->kh_Click();
    ASSERT_EQ(window->Ldr->selectedItems().size(), 1);
    EXPECT_EQ(window->Ldr->selectedItems()[0]->text(), "3");  // 7 is not registered in doors
}

TEST_F(Removal, ByCardAsksTheControllerFirstAndArchivesOnlyAfterItsEcho)
{
    sim->addController(7);
    issue(3, "000003");  // nobody answers at 3
    issue(7, "000001");
    issue(7, "000003");
    open();
    window->kh->setEditText("000001");
    selectTargets({"3", "7"});
    window->Command1_Click();
    ASSERT_EQ(dialogs.texts(), (std::vector<QString>{"此卡沒有該門的發卡記錄！", "000001已從地址為7的門中刪除"}));
    EXPECT_EQ(dialogs.messages[0].style, 0);
    EXPECT_EQ(dialogs.messages[1].style, 48);
    EXPECT_FALSE(controllerHolds(7, "000001"));
    EXPECT_EQ(count("faka", "卡號='000001'"), 0);
    EXPECT_EQ(count("dfaka", "地址=7 and 卡號='000001' and 姓名='Kay O''Brien' and 日期=#" + today() + "#"), 1);

    dialogs.messages.clear();
    window->kh->setEditText("000003");
    window->Command1_Click();
    ASSERT_EQ(dialogs.texts(), (std::vector<QString>{"通訊出錯，刪除失敗！", "000003已從地址為7的門中刪除"}));
    EXPECT_EQ(count("faka", "地址=3 and 卡號='000003'"), 1);  // the silent controller keeps its row
    EXPECT_EQ(count("dfaka", "地址=3"), 0);
    EXPECT_EQ(count("dfaka", "地址=7 and 卡號='000003'"), 1);
}

// The controller let the card go and the database refused the history and
// the delete: the operator learns which card at which address is now listed
// but no longer held, and the run goes on as after a failed exchange.
TEST_F(Removal, ARemovalTheDatabaseRefusesIsNamedAndTheRunGoesOn)
{
    sim->addController(3);
    sim->addController(7);
    issue(3, "000001");
    issue(7, "000001");
    openDb().Execute("create trigger refuse before insert on dfaka when new.地址 = 3 "
                     "begin select raise(abort, 'disk I/O error'); end");
    open();
    window->kh->setEditText("000001");
    selectTargets({"3", "7"});
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.messages[0].prompt.startsWith("地址 3 的控制器已刪除卡 000001，但數據庫操作失敗："
                                                      "控制器中已沒有此卡，數據庫卻仍記錄它發到此地址。\ndisk I/O error"));
    EXPECT_EQ(dialogs.messages[0].style, 48);
    EXPECT_EQ(dialogs.messages[1].prompt, "000001已從地址為7的門中刪除");
    EXPECT_FALSE(controllerHolds(3, "000001"));
    EXPECT_EQ(count("faka", "地址=3 and 卡號='000001'"), 1);  // taken back whole: no history without the delete
    EXPECT_EQ(count("dfaka", "地址=3"), 0);
    EXPECT_EQ(count("faka", "地址=7"), 0);

    // Over many cards the run stops there, as after a failed exchange.
    issue(3, "000002");
    issue(3, "000003");
    dialogs.messages.clear();
    window->Option2->setChecked(true);
    window->dz->setEditText("3");
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].prompt.startsWith("地址 3 的控制器已刪除卡 000001，"));
    EXPECT_TRUE(controllerHolds(3, "000002"));
    EXPECT_EQ(count("faka", "地址=3"), 3);
}

TEST_F(Removal, ByCardRefusesWhatCantBeSent)
{
    sim->addController(7);
    issue(7, "000001");
    open();
    window->Command1_Click();
    EXPECT_EQ(dialogs.last(), "請選擇卡號！");
    window->kh->setEditText("00001");
    selectTargets({"7"});
    window->Command1_Click();
    EXPECT_EQ(dialogs.last(), "卡號應為6位數字！");
    window->kh->setEditText("000001");
    window->Ldr->clearSelection();
    window->Command1_Click();
    EXPECT_EQ(dialogs.last(), "請選擇目標門號！");
    EXPECT_EQ(dialogs.messages.back().style, 48);
    EXPECT_TRUE(sim->received().empty());
    EXPECT_EQ(count("faka"), 1);
}

TEST_F(Removal, CardBoxTakesSixDigitsThenMovesOn)
{
    open();
    window->kh->setFocus();
    QTest::keyClicks(window->kh->lineEdit(), "12a b-3456");
    EXPECT_EQ(window->kh->currentText(), "123456");
    EXPECT_TRUE(window->Command1->hasFocus());
    window->kh->setFocus();
    QTest::keyClick(window->kh->lineEdit(), Qt::Key_7);
    EXPECT_EQ(window->kh->currentText(), "123456");
    EXPECT_TRUE(window->Command1->hasFocus());
    window->kh->setFocus();
    QTest::keyClick(window->kh->lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(window->kh->currentText(), "12345");
    QTest::keyClick(window->kh->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(window->Command1->hasFocus());
    window->bm->setFocus();
    EXPECT_TRUE(window->Option3->isChecked());
    window->dz->setFocus();
    EXPECT_TRUE(window->Option2->isChecked());
}

TEST_F(Removal, ByAddressStopsAtTheFirstFailedExchange)
{
    sim->addController(5);
    issue(5, "000001");
    issue(5, "000002");
    issue(5, "000003");
    sim->scriptNext(0x0D, {});
    ctlsim::Script silent;
    silent.silent = true;
    sim->scriptNext(0x0D, silent);
    open();
    window->Option2->setChecked(true);
    window->dz->setEditText("5");
    window->Command1_Click();

    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{"通訊出錯，刪除失敗！"}));
    EXPECT_EQ(window->Label1->text(), "000001已從地址為 5 的門上刪除!");
    EXPECT_EQ(count("faka", "地址=5"), 2);
    EXPECT_EQ(count("dfaka"), 1);
    EXPECT_EQ(count("dfaka", "卡號='000001'"), 1);
    EXPECT_TRUE(controllerHolds(5, "000003"));
    EXPECT_EQ(sim->received().size(), 2u);
}

TEST_F(Removal, ByAddressEmptiesTheAddress)
{
    sim->addController(5);
    issue(5, "000001");
    issue(5, "000002");
    issue(6, "000002");
    open();
    window->Option2->setChecked(true);
    window->dz->setEditText("5");
    window->Command1_Click();
    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{"刪除完畢！"}));
    EXPECT_EQ(window->Label1->text(), "000002已從地址為 5 的門上刪除!");
    EXPECT_EQ(count("faka"), 1);
    EXPECT_EQ(count("dfaka", "地址=5 and 日期=#" + today() + "#"), 2);
    EXPECT_EQ(count("dfaka", "卡號='000002' and 姓名 is null"), 1);  // an empty name is not carried
    EXPECT_TRUE(sim->controller(5).cards.empty());

    dialogs.messages.clear();
    window->dz->setEditText("9");  // no card there: nothing happens and nothing is said
    window->Command1_Click();
    EXPECT_TRUE(dialogs.messages.empty());
    window->dz->setEditText("");
    window->Command1_Click();
    EXPECT_EQ(dialogs.last(), "請選擇地址！");
}

TEST_F(Removal, ByDepartmentGoesCardByCardOverTheChosenAddresses)
{
    sim->addController(1);
    sim->addController(2);
    issue(1, "000001");
    issue(2, "000001");
    issue(2, "000002");
    issue(1, "000003");  // another department
    open();
    window->Option3->setChecked(true);
    window->bm->setEditText("O'Hara Court");
    selectTargets({"1", "2"});
    window->Command1_Click();

    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{"部門刪除完畢！"}));
    EXPECT_EQ(window->Label1->text(), "000002已從 2 號門上刪除！");
    EXPECT_EQ(count("faka"), 1);
    EXPECT_EQ(count("faka", "卡號='000003'"), 1);
    EXPECT_EQ(count("dfaka", "部門='O''Hara Court'"), 3);
    const auto frames = sim->received();
    ASSERT_EQ(frames.size(), 3u);  // 000002 is not issued at 1: skipped
    EXPECT_EQ(frames[0].toHex(), "01050d000001");
    EXPECT_EQ(frames[1].toHex(), "02050d000001");
    EXPECT_EQ(frames[2].toHex(), "02050d000002");
    EXPECT_TRUE(controllerHolds(1, "000003"));

    dialogs.messages.clear();
    window->Ldr->clearSelection();
    window->Command1_Click();
    EXPECT_EQ(dialogs.last(), "請選擇刪除門號!");
    window->bm->setEditText("");
    window->Command1_Click();
    EXPECT_EQ(dialogs.last(), "請選擇部門!");
}

TEST_F(Removal, CardWithoutHolderIsStillArchived)
{
    sim->addController(4);
    app::db.Execute("delete * from people where 卡號='000003'");
    issue(4, "000003");
    open();
    window->kh->setEditText("000003");
    selectTargets({"4"});
    window->Command1_Click();
    EXPECT_EQ(dialogs.last(), "000003已從地址為4的門中刪除");
    EXPECT_EQ(count("faka"), 0);
    EXPECT_EQ(count("dfaka", "卡號='000003' and 姓名 is null and 物理卡號='0000000003'"), 1);
}

// Closing, Escape and a second press while an exchange waits change nothing:
// the window can't go from under the exchange, and no second one starts.
TEST_F(Removal, WindowStaysWhileAnExchangeWaits)
{
    issue(3, "000001");  // nobody answers at 3
    open();
    window->kh->setEditText("000001");
    selectTargets({"3"});
    QTimer::singleShot(300, window, [this] {
        window->close();
        window->reject();
        window->Command1_Click();
    });
    window->Command1_Click();
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{"通訊出錯，刪除失敗！"}));
    EXPECT_EQ(sim->received().size(), 1u);
}

// Typing a beginning of a listed card takes what is typed, nothing more:
// the box completes nothing on its own.
TEST_F(Removal, TypedTextIsNotCompletedFromTheList)
{
    issue(7, "000001");
    open();
    window->kh->setFocus();
    QTest::keyClicks(window->kh->lineEdit(), "00000");
    EXPECT_EQ(window->kh->currentText(), "00000");
    EXPECT_TRUE(window->kh->lineEdit()->hasFocus());
    window->bm->setFocus();
    QTest::keyClicks(window->bm->lineEdit(), "O'Hara");
    EXPECT_EQ(window->bm->currentText(), "O'Hara");
}

// Only a card chosen from the list preselects its addresses; a typed one
// leaves the operator's selection alone.
TEST_F(Removal, TypedCardPreselectsNothing)
{
    app::db.Execute("insert into doors (地址) values (3)");
    issue(3, "000001");
    issue(7, "000003");
    open();
    selectTargets({"7"});
    window->kh->setFocus();
    QTest::keyClicks(window->kh->lineEdit(), "000001");
    EXPECT_TRUE(window->Command1->hasFocus());
    ASSERT_EQ(window->Ldr->selectedItems().size(), 1);
    EXPECT_EQ(window->Ldr->selectedItems()[0]->text(), "7");

    // The same card chosen from the opened list does preselect.
    window->kh->setFocus();
    window->kh->showPopup();
    QAbstractItemView* list = window->kh->view();
    list->setCurrentIndex(list->model()->index(window->kh->findText("000001"), 0));
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_EQ(window->Ldr->selectedItems().size(), 1);
    EXPECT_EQ(window->Ldr->selectedItems()[0]->text(), "3");
}

}  // namespace
