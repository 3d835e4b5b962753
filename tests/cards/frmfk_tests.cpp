// The card operations window against the controller simulator, driven as an
// operator does: typed numbers, clicks on addresses and buttons. After every
// case what the simulated controllers hold equals the issued-card store.
#include "cardline.h"
#include "dispatch.h"
#include "frmfk.h"
#include "menuwindows.h"
#include "operator.h"
#include "sqlvalue.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <functional>
#include <map>
#include <set>

namespace {

// An entry the operation refuses, with its message and the message's style.
struct Refusal {
    const char* why;
    std::function<void(FrmFK&)> enter;
    const char* text;
    int style;
};

// The card operations window on the test line.
class CardWindow : public CardLineTest {
protected:
    void TearDown() override
    {
        delete window.data();
        CardLineTest::TearDown();
    }

    void open()
    {
        window = new FrmFK();
        window->show();
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    void clickAddresses(std::initializer_list<int> addresses) { clickEntries(window->dooraddr, addresses); }
    std::set<int> selectedAddresses() const { return selectedEntries(window->dooraddr); }
    // The card number and the physical number typed; the lookup runs on the sixth digit.
    void enterCard(const QString& card, const QString& physical)
    {
        window->Tkh->setEditText(QString());
        type(window->Tkh, card);
        window->tcard->clear();
        type(window->tcard, physical);
    }
    // The window order checks issue and change share.
    static std::vector<Refusal> windowRefusals()
    {
        return {
            {"time from 00:00",
             [](FrmFK& w) {
                 tick(w.Ch[2], true);
                 w.dtime[1]->setTime(QTime(8, 0));
             },
             "時間限制的開始和截止時間不能為00:00！", 48},
            {"weekday order",
             [](FrmFK& w) {
                 tick(w.Ch[1], true);
                 w.tweek[0]->setCurrentIndex(6);
                 w.tweek[1]->setCurrentIndex(5);
             },
             "星期輸入錯誤", 48},
            {"date order",
             [](FrmFK& w) {
                 tick(w.Ch[0], true);
                 w.ddate[0]->setDate(QDate(2026, 5, 10));
                 w.ddate[1]->setDate(QDate(2026, 5, 1));
             },
             "日期有錯", 48},
        };
    }
    // Each case starts from card 000001 with its physical number, no window
    // ticked and address 1 selected, makes its one wrong entry and presses.
    void expectRefusals(QPushButton* button, const std::vector<Refusal>& cases)
    {
        for (const Refusal& r : cases) {
            SCOPED_TRACE(r.why);
            enterCard("000001", "0000000001");
            clickAddresses({1});
            for (QCheckBox* box : window->Ch)
                tick(box, false);
            window->dtime[0]->setTime(QTime(0, 0));
            window->dtime[1]->setTime(QTime(0, 0));
            r.enter(*window);
            press(button);
            ASSERT_EQ(dialogs.texts(), Texts{QString::fromUtf8(r.text)});
            EXPECT_EQ(dialogs.messages[0].style, r.style);
            EXPECT_TRUE(sim->received().empty());
        }
    }

    QPointer<FrmFK> window;
};

// ---- the window and its entry ----

TEST_F(CardWindow, MenuEntry17OpensItModeless)
{
    installMenuWindows();
    const dispatch::Row* row = dispatch::find(17);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->shown, dispatch::Shown::Modeless);
    QPointer<QWidget> w = row->open();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->objectName(), "FrmFK");
    EXPECT_EQ(w->windowTitle(), "卡操作");
    delete w.data();
    dispatch::setTable({});
}

TEST_F(CardWindow, OpensWithTheAddressesAndItsDefaults)
{
    open();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(window->dooraddr->count(), 4);
    EXPECT_EQ(window->Cdk->count(), 4);
    EXPECT_TRUE(window->Frame3->isEnabled());
    EXPECT_TRUE(window->Option1[0]->isChecked());
    EXPECT_FALSE(window->Command1->isVisible());
    EXPECT_TRUE(window->Op[0]->isChecked());
    EXPECT_TRUE(window->Opp[0]->isChecked());
    for (QCheckBox* box : window->Ch)
        EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(window->ddate[0]->date(), QDate::currentDate());
    EXPECT_EQ(window->dtime[1]->time(), QTime(0, 0));
    EXPECT_EQ(window->tweek[0]->count(), 7);
    EXPECT_EQ(window->tweek[1]->itemText(6), "星期日");
    EXPECT_TRUE(window->tweek[0]->currentText().isEmpty());
    for (QLineEdit* box : {window->Tname, window->Tzhiwu, window->tsfz, window->Cdw})
        EXPECT_TRUE(box->isReadOnly());
    EXPECT_LE(window->width(), 800);
    EXPECT_LE(window->height(), 600);
}

TEST_F(CardWindow, WithoutControllersItSaysSoAndLeavesTheTermsShut)
{
    app::db.Execute("delete * from doors");
    open();
    ASSERT_EQ(dialogs.texts(), Texts{"請先對門鎖進行設置"});
    EXPECT_EQ(dialogs.messages[0].style, 48);
    EXPECT_EQ(window->dooraddr->count(), 0);
    EXPECT_FALSE(window->Frame3->isEnabled());
    enterCard("000001", "0000000001");
    press(window->Cmdadd);
    EXPECT_EQ(dialogs.texts(), Texts{"請先在門鎖設置處設置門鎖地址"});
    EXPECT_TRUE(sim->received().empty());
}

// The card box lists the card numbers of people, a new holder's too once a
// card was issued to him; a card picked from it is looked up.
TEST_F(CardWindow, CardListHoldsThePeopleCards)
{
    for (const char* card : {"120001", "120002"})
        app::db.Execute(QStringLiteral("insert into people (卡號,姓名) values ('%1','%1')").arg(card));
    open();
    EXPECT_TRUE(window->Tkh->currentText().isEmpty());
    EXPECT_EQ(window->Tkh->count(), 3);
    enterCard("000005", "0000000005");
    clickAddresses({1});
    press(window->Cmdadd);
    ASSERT_EQ(dialogs.texts(), Texts{"卡號 000005 已經添加,它能開 1 號門"});
    EXPECT_EQ(window->Tkh->count(), 4);
    EXPECT_EQ(window->Tkh->currentText(), "000005");  // the boxes keep their texts

    window->Tkh->setFocus();
    window->Tkh->showPopup();
    QAbstractItemView* view = window->Tkh->view();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(3, 0)).center());
    QTest::qWait(20);
    EXPECT_EQ(window->Tkh->currentText(), "120002");
    EXPECT_EQ(window->Tname->text(), "120002");
}

// ---- issue ----

struct Terms {
    const char* name;
    std::function<void(FrmFK&)> enter;
    int lock1, lock2;
    const char* window;  // bytes 11..21 of the add-card frame
};

TEST_F(CardWindow, IssueDownloadsEachKindOfWindowAndPassModeToEveryAddress)
{
    const Terms cases[] = {
        {"none", [](FrmFK&) {}, 0, 0, "00 00 00 00 00 00 00 00 00 00 00"},
        {"date",
         [](FrmFK& w) {
             tick(w.Ch[0], true);
             w.ddate[0]->setDate(QDate(2026, 3, 1));
             w.ddate[1]->setDate(QDate(2027, 12, 31));
         },
         1, 2, "26 27 23 52 01 31 00 00 00 00 00"},
        {"weekday",
         [](FrmFK& w) {
             tick(w.Ch[1], true);
             w.tweek[0]->setCurrentIndex(0);
             w.tweek[1]->setCurrentIndex(4);
         },
         3, 0, "00 00 60 00 00 00 00 00 00 00 15"},
        {"time",
         [](FrmFK& w) {
             tick(w.Ch[2], true);
             w.dtime[0]->setTime(QTime(8, 30));
             w.dtime[1]->setTime(QTime(17, 45));
         },
         0, 3, "00 00 00 60 00 00 08 17 30 45 00"},
        {"all",
         [](FrmFK& w) {
             for (QCheckBox* box : w.Ch)
                 tick(box, true);
             w.ddate[0]->setDate(QDate(2026, 1, 5));
             w.ddate[1]->setDate(QDate(2026, 6, 30));
             w.tweek[0]->setCurrentIndex(5);
             w.tweek[1]->setCurrentIndex(6);
             w.dtime[0]->setTime(QTime(6, 0));
             w.dtime[1]->setTime(QTime(23, 59));
         },
         2, 1, "26 26 41 26 05 30 06 23 00 59 67"},
    };
    open();
    int n = 0;
    for (const Terms& t : cases) {
        SCOPED_TRACE(t.name);
        const QString card = QStringLiteral("10000%1").arg(++n);
        const QString physical = QStringLiteral("12345678%1%1").arg(n);
        enterCard(card, physical);
        // A click on an address shows what is stored there: the terms come after.
        clickAddresses({1, 2, 3});
        t.enter(*window);
        click(window->Op[t.lock1]);
        click(window->Opp[t.lock2]);
        press(window->Cmdadd);
        EXPECT_EQ(dialogs.texts(), (Texts{"卡號 " + card + " 已經添加,它能開 1 號門", "卡號 " + card + " 已經添加,它能開 2 號門",
                                          "卡號 " + card + " 已經添加,它能開 3 號門"}));
        for (int a : {1, 2, 3}) {
            const auto held = sim->controller(a).cards;
            ASSERT_EQ(held.count(card), 1u) << a;
            EXPECT_EQ(held.at(card).window.toHex(' '), QByteArray(t.window));
            EXPECT_EQ(held.at(card).physical, physical);
        }
        EXPECT_EQ(count("faka", "卡號='" + card + "' and 物理卡號='" + physical + "'"), 3);
        EXPECT_EQ(count("people", "卡號='" + card + "' and 姓名=''"), 1);  // a new holder
        // The last entry, 4, was not selected: the boxes keep what they hold.
        EXPECT_EQ(window->Tkh->currentText(), card);
        expectInStep();
    }
    const auto row = rowsAt(2).at("100005");
    EXPECT_EQ(row.startDate, QDate(2026, 1, 5));
    EXPECT_EQ(row.endWeekday, 7);
    EXPECT_EQ(row.endTime, QTime(23, 59));
    EXPECT_EQ(count("faka", "卡號='100001' and 開始日期 is null and 開始星期=0 and 開始時間 is null"), 3);
}

TEST_F(CardWindow, IssueToAKnownHolderKeepsHisRowAndWritesHisData)
{
    open();
    enterCard("000001", "0000000001");
    EXPECT_EQ(window->Tname->text(), "Kay O'Brien");
    EXPECT_EQ(window->Cdw->text(), "O'Hara Court");
    clickAddresses({1});
    press(window->Cmdadd);
    EXPECT_EQ(dialogs.texts(), Texts{"卡號 000001 已經添加,它能開 1 號門"});
    EXPECT_EQ(count("people"), 1);
    EXPECT_EQ(count("people", "卡號='000001' and 姓名='Kay O''Brien' and 部門='O''Hara Court' and 職務='Warden' "
                              "and 身份證號='A123456(7)' and rmno='12B'"),
              1);
    expectInStep();
}

TEST_F(CardWindow, IssueReportsASilentAndAWrongControllerAndGoesOn)
{
    open();
    enterCard("000001", "0000000001");
    sim->scriptNext(frames::cmdAddCard, {});  // 1 answers
    ctlsim::Script wrong;
    wrong.replyAddress = 7;
    sim->scriptNext(frames::cmdAddCard, wrong);  // 2 echoes another address
    clickAddresses({1, 2, 3, 4});
    press(window->Cmdadd);
    EXPECT_EQ(dialogs.texts(), (Texts{"卡號 000001 已經添加,它能開 1 號門", "2號門通訊出錯", "卡號 000001 已經添加,它能開 3 號門",
                                      "4號門通訊出錯"}));
    EXPECT_EQ(dialogs.messages[1].style, 0);
    EXPECT_EQ(count("faka"), 2);
    EXPECT_EQ(count("faka", "地址 in (1,3)"), 2);
    EXPECT_EQ(count("people"), 1);
    // The last entry failed: the boxes stay for another try.
    EXPECT_EQ(window->Tkh->currentText(), "000001");
    expectInStep({2});  // what a wrongly echoing controller did is not known

    // The same press again skips the pairs done and tries the others.
    press(window->Cmdadd);
    EXPECT_EQ(dialogs.texts(), (Texts{"000001可以開地址為1的門!", "卡號 000001 已經添加,它能開 2 號門", "000001可以開地址為3的門!",
                                      "4號門通訊出錯"}));
    EXPECT_EQ(sim->received().size(), 2u);
    expectInStep();
}

TEST_F(CardWindow, IssueThatSucceedsAtTheLastEntryEmptiesTheBoxes)
{
    sim->addController(4);
    open();
    enterCard("000001", "0000000001");
    clickAddresses({4});
    press(window->Cmdadd);
    EXPECT_EQ(dialogs.texts(), Texts{"卡號 000001 已經添加,它能開 4 號門"});
    for (QLineEdit* box : {window->Tname, window->Tzhiwu, window->tsfz, window->Cdw, window->tcard})
        EXPECT_TRUE(box->text().isEmpty());
    EXPECT_TRUE(window->Tkh->currentText().isEmpty());
}

// A physical number typed short is stored as the controller holds it, so the
// duplicate check, the lookups and the delete see the same ten digits.
TEST_F(CardWindow, ShortPhysicalNumberIsStoredPaddedAndCountsAsTheSameCard)
{
    open();
    enterCard("000002", "1234567");
    clickAddresses({1});
    press(window->Cmdadd);
    EXPECT_EQ(dialogs.texts(), Texts{"卡號 000002 已經添加,它能開 1 號門"});
    EXPECT_EQ(count("faka", "卡號='000002' and 物理卡號='0001234567'"), 1);
    EXPECT_EQ(sim->controller(1).cards.at("000002").physical, "0001234567");
    expectInStep();

    enterCard("000003", "001234567");
    clickAddresses({2});
    press(window->Cmdadd);
    EXPECT_EQ(dialogs.texts(), Texts{"物理卡號已經存在！"});
    EXPECT_TRUE(sim->received().empty());

    // The card's own rows pass, and its lookup shows the ten digits.
    window->Tkh->setEditText(QString());
    type(window->Tkh, "000002");
    EXPECT_EQ(window->tcard->text(), "0001234567");
    EXPECT_EQ(selectedAddresses(), std::set<int>{1});
    clickAddresses({1, 2});
    press(window->Cmdadd);
    EXPECT_EQ(dialogs.texts(), (Texts{"000002可以開地址為1的門!", "卡號 000002 已經添加,它能開 2 號門"}));
    expectInStep();
}

// ---- checks ----

TEST_F(CardWindow, IssueChecksRefuseInTheirOrderAndSendNothing)
{
    issued(testCard(3, "000009"));  // holds 0000000009
    const std::vector<Refusal> cases = {
        {"no card", [](FrmFK& w) { w.Tkh->setEditText(""); }, "請輸入卡號！", 0},
        {"five digits", [](FrmFK& w) { w.Tkh->setEditText("00001"); }, "卡號必須是6位自然數！", 0},
        {"seven digits", [](FrmFK& w) { w.Tkh->setEditText("0000011"); }, "卡號必須是6位自然數！", 0},
        {"no physical", [](FrmFK& w) { w.tcard->clear(); }, "請刷卡后，按讀卡讀入卡號", 48},
        {"eleven digits", [](FrmFK& w) { w.tcard->setText("12345678901"); },
         "物理卡號應為10位整數，如'0000000001'", 48},
        {"no address", [](FrmFK& w) { w.dooraddr->clearSelection(); }, "請選擇門鎖地址", 0},
        {"another card's physical", [](FrmFK& w) { w.tcard->setText("9"); }, "物理卡號已經存在！", 0},
        {"time order",
         [](FrmFK& w) {
             tick(w.Ch[2], true);
             w.dtime[0]->setTime(QTime(17, 0));
             w.dtime[1]->setTime(QTime(8, 0));
         },
         "時間輸入錯誤", 48},
        {"time until 00:00 with a date window",
         [](FrmFK& w) {
             tick(w.Ch[0], true);
             tick(w.Ch[2], true);
             w.dtime[0]->setTime(QTime(17, 0));
         },
         "時間限制的開始和截止時間不能為00:00！", 48},
    };
    open();
    expectRefusals(window->Cmdadd, cases);
    expectRefusals(window->Cmdadd, windowRefusals());
    EXPECT_EQ(count("faka"), 1);
    EXPECT_EQ(window->ddate[0]->date(), QDate(2026, 5, 1));  // the date check set the first day to the last
}

// The personnel records may hold card numbers of six characters that are
// not six digits (an older file, typed with full-width digits or a letter).
// Picked from the list they pass the box's rules; no frame can carry them.
TEST_F(CardWindow, IssueRefusesAPickedCardNumberThatIsNotSixDigits)
{
    const char* stored[] = {"A00001", "１２３４５６", "000 01", "00001 "};
    for (const char* card : stored)
        app::db.Execute(QStringLiteral("insert into people (卡號,姓名) values (%1,'甲')").arg(sql::text(QString::fromUtf8(card))));
    open();
    for (const char* card : stored) {
        const QString number = QString::fromUtf8(card);
        SCOPED_TRACE(number.toStdString());
        window->tcard->clear();
        testsupport::pickFromList(window->Tkh, number);
        ASSERT_EQ(window->Tkh->currentText(), number);
        type(window->tcard, "0000000077");
        clickAddresses({1});
        press(window->Cmdadd);
        ASSERT_EQ(dialogs.texts(), Texts{"卡號必須是6位自然數！"});
        EXPECT_EQ(dialogs.messages[0].style, 0);
        EXPECT_TRUE(sim->received().empty());
    }
    EXPECT_EQ(count("faka"), 0);
    expectInStep();
}

// An older file may also list such numbers as issued cards. Picked from
// the list, the card is looked up with its physical number and addresses;
// each operation refuses it before a frame or a row, as issue does.
TEST_F(CardWindow, OperationsRefuseAnIssuedCardNumberThatIsNotSixDigits)
{
    const std::pair<const char*, const char*> stored[] = {
        {"A00001", "0000000071"}, {"１２３４５６", "0000000072"}, {"000 01", "0000000073"}};
    for (const auto& [card, physical] : stored) {
        const QString number = sql::text(QString::fromUtf8(card));
        app::db.Execute(QStringLiteral("insert into people (卡號,姓名) values (%1,'甲')").arg(number));
        app::db.Execute(QStringLiteral("insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values (1,%1,'%2',0,0)")
                            .arg(number, QString::fromLatin1(physical)));
    }
    struct Operation {
        const char* name;
        QPushButton* FrmFK::*button;
        std::set<int> addresses;  // clicked; none: those the lookup selected
    };
    const Operation operations[] = {
        {"issue at another address", &FrmFK::Cmdadd, {3}},
        {"change", &FrmFK::cmdchg, {}},
        {"delete", &FrmFK::cmddel, {}},
    };
    open();
    for (const Operation& op : operations) {
        for (const auto& [card, physical] : stored) {
            const QString number = QString::fromUtf8(card);
            SCOPED_TRACE(std::string(op.name) + " " + card);
            testsupport::pickFromList(window->Tkh, number);
            ASSERT_EQ(window->Tkh->currentText(), number);
            ASSERT_EQ(window->tcard->text(), QString::fromLatin1(physical));
            ASSERT_EQ(selectedAddresses(), std::set<int>{1});
            for (int a : op.addresses)
                clickAddresses({a});
            press(window->*op.button);
            ASSERT_EQ(dialogs.texts(), Texts{"卡號必須是6位自然數！"});
            EXPECT_EQ(dialogs.messages[0].style, 0);
            EXPECT_TRUE(sim->received().empty());
        }
    }
    EXPECT_EQ(count("faka"), 3);
    EXPECT_EQ(count("faka", "地址=1"), 3);
    EXPECT_EQ(count("dfaka"), 0);
    expectInStep({1});
}

TEST_F(CardWindow, IssueTestsTheTimeOrderOnlyWithoutADateWindow)
{
    open();
    enterCard("000001", "0000000001");
    clickAddresses({1});
    tick(window->Ch[0], true);
    tick(window->Ch[2], true);
    window->dtime[0]->setTime(QTime(17, 0));
    window->dtime[1]->setTime(QTime(8, 0));
    press(window->Cmdadd);
    EXPECT_EQ(dialogs.texts(), Texts{"卡號 000001 已經添加,它能開 1 號門"});
    EXPECT_EQ(sim->controller(1).cards.at("000001").window.mid(6, 4).toHex(' '), "17 08 00 00");
    expectInStep();
}

TEST_F(CardWindow, ChangeAndDeleteChecksRefuseInTheirOrder)
{
    issued(testCard(1, "000001"));  // 0000000001
    issued(testCard(2, "000009"));  // 0000000009
    const std::vector<Refusal> change = {
        {"another card's physical, before all else",
         [](FrmFK& w) {
             w.Tkh->setEditText("");
             w.tcard->setText("0000000009");
         },
         "物理卡號已經存在！", 0},
        {"no card",
         [](FrmFK& w) {
             w.Tkh->setEditText("");
             w.tcard->setText("0000000005");
         },
         "請輸入卡號", 48},
        {"no physical", [](FrmFK& w) { w.tcard->clear(); }, "請輸入物理卡號", 48},
        {"eight digits", [](FrmFK& w) { w.tcard->setText("00000001"); }, "請按'讀卡'按扭讀入卡號", 48},
        {"a letter", [](FrmFK& w) { w.tcard->setText("00000000x1"); }, "物理卡號應為10位整數，如'0000000001'",
         48},
        {"no address", [](FrmFK& w) { w.dooraddr->clearSelection(); }, "請選擇要修改的地址！", 0},
        {"time order, with a date window too",
         [](FrmFK& w) {
             tick(w.Ch[0], true);
             tick(w.Ch[2], true);
             w.dtime[0]->setTime(QTime(17, 0));
             w.dtime[1]->setTime(QTime(8, 0));
         },
         "時間輸入錯誤", 48},
        {"not issued",
         [](FrmFK& w) {
             w.Tkh->setEditText("123");
             w.tcard->setText("0000000005");
         },
         "該卡號沒有發卡記錄!", 0},
    };
    const std::vector<Refusal> remove = {
        {"no card", [](FrmFK& w) { w.Tkh->setEditText(""); }, "請輸入卡號", 48},
        {"no physical", [](FrmFK& w) { w.tcard->clear(); }, "請輸入卡號", 48},
        {"nine digits", [](FrmFK& w) { w.tcard->setText("000000001"); }, "請按'讀卡'按扭讀入卡號", 48},
        {"a letter", [](FrmFK& w) { w.tcard->setText("x000000001"); }, "卡號應為10位整數，如'0000000001'",
         48},
        {"not issued, before the addresses",
         [](FrmFK& w) {
             w.Tkh->setEditText("000005");  // looked up: the boxes empty
             w.tcard->setText("0000000005");
             w.dooraddr->clearSelection();
         },
         "找不到該卡號對應的門號", 0},
        {"no address", [](FrmFK& w) { w.dooraddr->clearSelection(); }, "請選擇從哪個門刪除", 48},
    };
    open();
    expectRefusals(window->cmdchg, change);
    expectRefusals(window->cmddel, remove);
    expectRefusals(window->cmdchg, windowRefusals());
    EXPECT_EQ(count("faka"), 2);
    EXPECT_EQ(count("dfaka"), 0);
    expectInStep();
}

// ---- change ----

TEST_F(CardWindow, ChangeReplacesTheRowAtTheSelectedAddressOnly)
{
    issued(testCard(1, "000001"), {1, 2});
    open();
    enterCard("000001", "0000000001");
    EXPECT_EQ(selectedAddresses(), (std::set<int>{1, 2}));
    clickAddresses({2, 3});
    tick(window->Ch[2], true);
    window->dtime[0]->setTime(QTime(7, 15));
    window->dtime[1]->setTime(QTime(19, 0));
    click(window->Op[2]);
    press(window->cmdchg);
    EXPECT_EQ(dialogs.texts(), (Texts{"卡號 000001 已經在2 號門修改成功！", "該卡在門3沒有發卡記錄"}));
    ASSERT_EQ(sim->received().size(), 2u);
    EXPECT_EQ(sim->received()[0].toHex(' '), "02 05 0d 00 00 01");
    EXPECT_EQ(sim->received()[1][0], 2);
    EXPECT_EQ(rowsAt(2).at("000001").startTime, QTime(7, 15));
    EXPECT_EQ(rowsAt(2).at("000001").lock1Mode, 2);
    EXPECT_FALSE(rowsAt(1).at("000001").hasTimeWindow());
    EXPECT_EQ(count("people", "卡號='000001' and 姓名='Kay O''Brien'"), 1);
    // The list's last entry exists: the boxes are emptied after the run.
    EXPECT_TRUE(window->Tkh->currentText().isEmpty());
    EXPECT_TRUE(window->tcard->text().isEmpty());
    expectInStep();
}

TEST_F(CardWindow, ChangeOfWindowsAtTwoAddressesLeavesNoOldWindowBehind)
{
    cardstore::IssuedCard c = testCard(1, "000001");
    c.startWeekday = 1;
    c.endWeekday = 5;
    c.startDate = QDate(2026, 1, 1);
    c.endDate = QDate(2026, 12, 31);
    issued(c, {1, 3});
    open();
    enterCard("000001", "0000000001");
    EXPECT_TRUE(window->Ch[1]->isChecked());
    clickAddresses({1, 3});
    tick(window->Ch[0], false);
    tick(window->Ch[1], false);
    tick(window->Ch[2], true);
    window->dtime[0]->setTime(QTime(9, 0));
    window->dtime[1]->setTime(QTime(18, 0));
    press(window->cmdchg);
    EXPECT_EQ(dialogs.texts(), (Texts{"卡號 000001 已經在1 號門修改成功！", "卡號 000001 已經在3 號門修改成功！"}));
    EXPECT_EQ(count("faka", "開始日期 is null and (開始星期 is null or 開始星期=0) and 開始時間 is not null"), 2);
    expectInStep();
}

// The controller let the card go but refused the new one: its row goes too,
// into the history, so the database never lists a card the controller lacks.
TEST_F(CardWindow, ChangeWhoseReAddFailsRemovesTheRowAndSaysToIssueAgain)
{
    issued(testCard(1, "000001"), {1, 2});
    open();
    enterCard("000001", "0000000001");
    ctlsim::Script lost;
    lost.lost = true;
    sim->scriptNext(frames::cmdAddCard, {});
    sim->scriptNext(frames::cmdAddCard, lost);
    press(window->cmdchg);
    EXPECT_EQ(dialogs.texts(), (Texts{"卡號 000001 已經在1 號門修改成功！", "2號門通訊出錯，卡號 000001 已從該門刪除，請重新發卡！"}));
    EXPECT_EQ(count("faka", "地址=2"), 0);
    EXPECT_EQ(count("dfaka", "地址=2 and 卡號='000001' and 姓名='Kay O''Brien' and 日期=#" + today() + "#"), 1);
    EXPECT_EQ(sim->controller(2).cards.count("000001"), 0u);
    expectInStep();
}

TEST_F(CardWindow, ChangeWhoseDeleteFailsKeepsTheCardAsItWas)
{
    issued(testCard(3, "000001", 1, 1));
    open();
    enterCard("000001", "0000000001");
    ctlsim::Script lost;
    lost.lost = true;
    sim->scriptNext(frames::cmdDeleteCard, lost);
    click(window->Op[0]);
    press(window->cmdchg);
    EXPECT_EQ(dialogs.texts(), Texts{"3號門通訊出錯"});
    EXPECT_EQ(rowsAt(3).at("000001").lock1Mode, 1);
    expectInStep();
}

// ---- delete ----

TEST_F(CardWindow, DeleteArchivesEachRemovedPairDatedToday)
{
    for (int a : {1, 2, 3}) {
        cardstore::IssuedCard c = testCard(a, "000001", 2, 3);
        c.startDate = QDate(2026, 2, 1);
        c.endDate = QDate(2026, 2, 28);
        issued(c);
    }
    open();
    enterCard("000001", "0000000001");
    clickAddresses({1, 3, 4});
    tick(window->Ch[1], true);
    press(window->cmddel);
    EXPECT_EQ(dialogs.texts(), (Texts{"0000000001已從地址為1的門中刪除", "0000000001已從地址為3的門中刪除"}));
    EXPECT_EQ(sim->received().size(), 2u);  // 4 holds no row: no frame, no message
    EXPECT_EQ(count("faka"), 1);
    EXPECT_EQ(count("faka", "地址=2"), 1);
    EXPECT_EQ(count("dfaka", "卡號='000001' and 物理卡號='0000000001' and ctrl_state1=2 and ctrl_state2=3 and "
                             "開始日期=#2026-02-01# and 截止時間 is null and 姓名='Kay O''Brien' and "
                             "部門='O''Hara Court' and 日期=#" + today() + "#"),
              2);
    EXPECT_EQ(count("people"), 1);
    // Reset: the boxes and the values, but not the ticks.
    EXPECT_TRUE(window->Tkh->currentText().isEmpty());
    EXPECT_TRUE(window->tcard->text().isEmpty());
    EXPECT_EQ(window->ddate[0]->date(), QDate::currentDate());
    EXPECT_TRUE(window->Ch[1]->isChecked());
    expectInStep();
}

TEST_F(CardWindow, DeleteFromASilentControllerKeepsItsRow)
{
    issued(testCard(3, "000001"));
    issued(testCard(4, "000001"));
    open();
    enterCard("000001", "0000000001");
    clickAddresses({3, 4});
    press(window->cmddel);
    EXPECT_EQ(dialogs.texts(), (Texts{"0000000001已從地址為3的門中刪除", "通信出錯!\n未能從地址為4的門中刪除"}));
    EXPECT_EQ(dialogs.messages[1].style, 48);
    EXPECT_EQ(count("faka", "地址=4"), 1);
    EXPECT_EQ(count("dfaka", "地址=4"), 0);
    EXPECT_TRUE(window->Tkh->currentText().isEmpty());
    expectInStep();
}

// An echo after the wait is a failure at that address: the operator is told
// which one, to delete the card there again.
TEST_F(CardWindow, DeleteWithALateEchoNamesTheAddressLeftToRetry)
{
    issued(testCard(1, "000107"), {1, 2, 3});
    ctlsim::Script late;
    late.delayMs = 2500;
    sim->scriptNext(frames::cmdDeleteCard, {});
    sim->scriptNext(frames::cmdDeleteCard, {});
    sim->scriptNext(frames::cmdDeleteCard, late);
    open();
    enterCard("000107", "0000000107");
    clickAddresses({1, 2, 3});
    press(window->cmddel);
    EXPECT_EQ(dialogs.texts(), (Texts{"0000000107已從地址為1的門中刪除", "0000000107已從地址為2的門中刪除",
                                      "通信出錯!\n未能從地址為3的門中刪除"}));
    EXPECT_EQ(count("faka", "卡號='000107'"), 1);
    EXPECT_EQ(count("faka", "地址=3 and 卡號='000107'"), 1);
    EXPECT_EQ(count("dfaka", "地址=3"), 0);
}

// ---- lookups ----

TEST_F(CardWindow, LookupShowsTheStoredWindowsByTheReadingRules)
{
    app::db.Execute("insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2,開始日期,截止日期,開始星期,截止星期,開始時間,截止時間) "
                    "values (3,'000001','0000000001',1,7,null,null,1,5,#00:00#,#17:30#)");
    app::db.Execute("insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2,開始日期,截止日期,開始星期,截止星期,開始時間,截止時間) "
                    "values (1,'000001','0000000001',2,2,#2026-04-01#,#2026-04-30#,0,0,#00:00#,#00:00#)");
    app::db.Execute("insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values (8,'000001','0000000001',0,0)");
    open();
    click(window->Opp[3]);
    type(window->Tkh, "000001");
    EXPECT_EQ(window->Tname->text(), "Kay O'Brien");
    EXPECT_EQ(window->Tzhiwu->text(), "Warden");
    EXPECT_EQ(window->tsfz->text(), "A123456(7)");
    EXPECT_EQ(window->Cdw->text(), "O'Hara Court");
    EXPECT_EQ(window->tcard->text(), "0000000001");
    EXPECT_EQ(selectedAddresses(), (std::set<int>{1, 3}));  // 8 has no doors row

    // Each address shows its own row.
    clickAddresses({3});
    EXPECT_EQ(window->clickedAddress(), "3");
    EXPECT_TRUE(window->Ch[1]->isChecked());
    EXPECT_EQ(window->tweek[0]->currentText(), "星期一");
    EXPECT_EQ(window->tweek[1]->currentText(), "星期五");
    EXPECT_TRUE(window->Ch[2]->isChecked());  // 00:00 to 17:30 is a window
    EXPECT_EQ(window->dtime[1]->time(), QTime(17, 30));
    EXPECT_FALSE(window->Ch[0]->isChecked());
    EXPECT_TRUE(window->Op[1]->isChecked());
    for (QRadioButton* b : window->Opp)
        EXPECT_FALSE(b->isChecked());  // 7 is no pass mode

    clickAddresses({1});
    EXPECT_FALSE(window->Ch[1]->isChecked());  // 0 and 0
    EXPECT_TRUE(window->tweek[0]->currentText().isEmpty());
    EXPECT_FALSE(window->Ch[2]->isChecked());  // 00:00 to 00:00
    EXPECT_TRUE(window->Ch[0]->isChecked());
    EXPECT_EQ(window->ddate[1]->date(), QDate(2026, 4, 30));
    EXPECT_TRUE(window->Opp[2]->isChecked());

    // Where the card is not issued, no pass mode and no window.
    clickAddresses({2});
    for (QRadioButton* b : window->Op)
        EXPECT_FALSE(b->isChecked());
    for (QCheckBox* box : window->Ch)
        EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(window->ddate[1]->date(), QDate::currentDate());
}

TEST_F(CardWindow, LookupOfAHolderWithoutCardsAndOfAnUnknownNumber)
{
    app::db.Execute("insert into people (卡號,姓名) values ('000002','乙')");
    issued(testCard(2, "000001"));
    open();
    type(window->Tkh, "000001");
    ASSERT_EQ(selectedAddresses(), std::set<int>{2});
    window->ddate[0]->setDate(QDate(2020, 1, 1));
    window->tweek[0]->setCurrentIndex(2);
    tick(window->Ch[0], true);
    click(window->Op[3]);

    window->Tkh->setEditText(QString());
    type(window->Tkh, "000002");
    EXPECT_EQ(window->Tname->text(), "乙");
    EXPECT_TRUE(window->Cdw->text().isEmpty());
    EXPECT_TRUE(window->tcard->text().isEmpty());
    EXPECT_EQ(window->ddate[0]->date(), QDate::currentDate());
    EXPECT_TRUE(window->tweek[0]->currentText().isEmpty());
    EXPECT_FALSE(window->Ch[0]->isChecked());
    EXPECT_TRUE(selectedAddresses().empty());
    EXPECT_TRUE(window->Op[3]->isChecked());  // pass modes stay

    window->Tkh->setEditText(QString());
    type(window->Tkh, "999999");
    EXPECT_TRUE(window->Tname->text().isEmpty());
    EXPECT_TRUE(selectedAddresses().empty());

    // A seventh digit runs no lookup; with the box empty a click shows nothing.
    type(window->Tkh, "000001");
    EXPECT_TRUE(window->Tname->text().isEmpty());
    window->Tkh->setEditText(QString());
    click(window->Op[1]);
    clickAddresses({2});
    EXPECT_TRUE(window->Op[1]->isChecked());
}

// ---- keys and focus ----

TEST_F(CardWindow, EntryBoxesTakeDigitsAndMoveOnAsTheirRulesSay)
{
    open();
    type(window->Tkh, "12a-\r3");
    EXPECT_EQ(window->Tkh->currentText(), "123");
    EXPECT_TRUE(window->Tkh->hasFocus());

    type(window->tcard, "12345b6789");
    EXPECT_EQ(window->tcard->text(), "123456789");
    QTest::keyClick(window->tcard, Qt::Key_Return);
    EXPECT_EQ(dialogs.texts(), Texts{"卡號長度應為10"});
    EXPECT_TRUE(window->tcard->hasFocus());
    // The tenth digit moves on to the issuer box, which selects the reader.
    QTest::keyClick(window->tcard, Qt::Key_0);
    EXPECT_TRUE(window->Cdk->hasFocus());
    EXPECT_TRUE(window->Option1[1]->isChecked());
    EXPECT_TRUE(window->Command1->isVisible());
    type(window->tcard, "5");
    EXPECT_EQ(window->tcard->text(), "1234567890");

    // The issuer address: 0 to 99, for the rest of the run.
    window->Cdk->setFocus();
    QTest::keyClick(window->Cdk, Qt::Key_1);
    EXPECT_EQ(app::fkjdz, 1);
    QTest::keyClick(window->Cdk, Qt::Key_2);
    EXPECT_EQ(app::fkjdz, 12);
    QTest::keyClick(window->Cdk, Qt::Key_3);
    EXPECT_EQ(window->Cdk->currentText(), "12");
    QTest::keyClick(window->Cdk, Qt::Key_Backspace);
    QTest::keyClick(window->Cdk, Qt::Key_Backspace);
    EXPECT_EQ(app::fkjdz, 0);
    QTest::keyClick(window->Cdk, Qt::Key_Return);
    EXPECT_TRUE(window->Command1->hasFocus());
}

TEST_F(CardWindow, ReadButtonFillsThePhysicalNumberFromTheIssuer)
{
    open();
    click(window->Option1[1]);
    ASSERT_TRUE(window->Command1->isVisible());
    window->Cdk->setFocus();
    QTest::keyClick(window->Cdk, Qt::Key_9);
    sim->presentCard("0000123456");
    click(window->Command1);
    EXPECT_EQ(window->tcard->text(), "0000123456");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(window->Cmdadd->isEnabled());

    sim->presentCard(QString());
    click(window->Command1);
    EXPECT_EQ(dialogs.texts(), Texts{"通信出錯"});
    EXPECT_TRUE(window->tcard->text().isEmpty());
    click(window->Option1[0]);
    EXPECT_FALSE(window->Command1->isVisible());
}

// ---- in step at every address ----

// The database refuses the writes of one address after its controller took
// the card: nothing of the address is kept, and the controller loses the
// card again.
TEST_F(CardWindow, IssueTheDatabaseRefusesIsTakenOutOfTheControllerAgain)
{
    rawSql("create trigger refuse before insert on people when new.卡號 = '000007' "
           "begin select raise(abort, 'refused'); end");
    open();
    enterCard("000007", "0000000007");
    clickAddresses({1, 2});
    ctlsim::Script lost;
    lost.lost = true;
    sim->scriptNext(frames::cmdDeleteCard, {});
    sim->scriptNext(frames::cmdDeleteCard, lost);
    press(window->Cmdadd);
    const Texts shown = dialogs.texts();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_TRUE(shown[0].startsWith("數據庫操作失敗"));
    EXPECT_EQ(shown[1], "卡號 000007 未能存入數據庫，已從 1 號門刪除！");
    EXPECT_TRUE(shown[2].startsWith("數據庫操作失敗"));
    EXPECT_EQ(shown[3], "卡號 000007 未能存入數據庫，也未能從 2 號門刪除：該門持有數據庫沒有記錄的卡！");
    EXPECT_EQ(count("faka"), 0);  // the insert before the refused one went back too
    EXPECT_EQ(sim->controller(1).cards.count("000007"), 0u);
    EXPECT_EQ(sim->controller(2).cards.count("000007"), 1u);  // the one the message names
}

TEST_F(CardWindow, ChangeTheDatabaseRefusesLeavesNeitherSideWithTheNewTerms)
{
    issued(testCard(1, "000001"));
    rawSql("create trigger refuse before insert on faka when new.ctrl_state1 = 3 "
           "begin select raise(abort, 'refused'); end");
    open();
    enterCard("000001", "0000000001");
    click(window->Op[3]);
    press(window->cmdchg);
    const Texts shown = dialogs.texts();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[0].startsWith("數據庫操作失敗"));
    EXPECT_EQ(shown[1], "卡號 000001 未能存入數據庫，已從 1 號門刪除，請重新發卡！");
    EXPECT_EQ(count("faka"), 0);
    EXPECT_EQ(count("dfaka", "地址=1 and ctrl_state1=0"), 1);
    expectInStep();
}

TEST_F(CardWindow, DeleteTheDatabaseRefusesGivesTheControllerItsCardBack)
{
    cardstore::IssuedCard c = testCard(2, "000001", 1, 2);
    c.startWeekday = 6;
    c.endWeekday = 7;
    issued(c);
    rawSql("create trigger refuse before delete on faka begin select raise(abort, 'refused'); end");
    open();
    enterCard("000001", "0000000001");
    clickAddresses({2});
    press(window->cmddel);
    const Texts shown = dialogs.texts();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], "卡號 000001 未能從數據庫刪除，已重新加入 2 號門！");
    EXPECT_EQ(count("dfaka"), 0);
    EXPECT_EQ(count("faka"), 1);
    expectInStep();
}

// ---- one operation at a time ----

TEST_F(CardWindow, ButtonsAndCloseAreHeldWhileAnAddressIsUnderWay)
{
    open();
    enterCard("000001", "0000000001");
    clickAddresses({1, 2});
    ctlsim::Script slow;
    slow.delayMs = 300;
    sim->scriptNext(frames::cmdAddCard, slow);
    bool heldDuringTheWait = false;
    QTimer::singleShot(100, [&] {
        heldDuringTheWait = !window->Cmdadd->isEnabled() && !window->Command2->isEnabled() && window->busy();
        window->Cmdadd_Click();  // a second press starts nothing
        window->close();         // waits for the address under way
        heldDuringTheWait = heldDuringTheWait && window->isVisible();
    });
    press(window->Cmdadd);
    EXPECT_TRUE(heldDuringTheWait);
    // The first address finished, the run stopped there and the window closed.
    EXPECT_EQ(dialogs.texts(), Texts{"卡號 000001 已經添加,它能開 1 號門"});
    EXPECT_EQ(sim->received().size(), 1u);
    QTest::qWait(20);
    EXPECT_TRUE(window.isNull() || !window->isVisible());
    expectInStep();
}

}  // namespace
