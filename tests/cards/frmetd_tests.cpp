// The card extension window against the controller simulator: by card, by
// source address and by department, with the operator's answers to a
// controller that does not answer. After every run what the simulated
// controllers hold equals the issued-card store.
#include "cardline.h"
#include "dispatch.h"
#include "frmetd.h"
#include "menuwindows.h"
#include "sqlvalue.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTimer>

namespace {

class Extension : public CardLineTest {
protected:
    void SetUp() override
    {
        CardLineTest::SetUp();
        app::db.Execute("insert into department (部門) values ('O''Hara Court')");
        app::db.Execute("insert into department (部門) values ('東座')");
        app::db.Execute("insert into people (卡號,姓名,部門) values ('000002','乙','O''Hara Court')");
        app::db.Execute("insert into people (卡號,姓名,部門) values ('000003','丙','東座')");
    }
    void TearDown() override
    {
        delete window.data();
        CardLineTest::TearDown();
    }
    void open()
    {
        window = new FrmEtD();
        window->show();
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    // Opens the box's list and clicks the entry.
    static void pick(QComboBox* box, const QString& entry)
    {
        box->setFocus();
        box->showPopup();
        const int at = box->findText(entry);
        ASSERT_GE(at, 0) << entry.toStdString();
        QAbstractItemView* view = box->view();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(at, 0)).center());
        QTest::qWait(20);
        // The window system gives the window back its activation when the list closes.
        QApplication::setActiveWindow(box->window());
    }
    static QStringList entries(QComboBox* box)
    {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }
    void clickTargets(std::initializer_list<int> addresses) { clickEntries(window->Ldr, addresses); }
    std::set<int> targets() const { return selectedEntries(window->Ldr); }
    ctlsim::Script lost() const
    {
        ctlsim::Script s;
        s.lost = true;
        return s;
    }

    QPointer<FrmEtD> window;
};

TEST_F(Extension, MenuEntry32OpensItModal)
{
    installMenuWindows();
    const dispatch::Row* row = dispatch::find(32);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->shown, dispatch::Shown::Modal);
    QPointer<QWidget> w = row->open();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->objectName(), "FrmEtD");
    EXPECT_EQ(w->windowTitle(), "增擴卡机");
    delete w.data();
    dispatch::setTable({});
}

TEST_F(Extension, ListsWhatCanBeExtendedAndWhereTo)
{
    open();
    EXPECT_EQ(window->Ldr->count(), 4);
    EXPECT_EQ(window->dz->count(), 0);
    EXPECT_EQ(window->bm->count(), 0);
    EXPECT_EQ(window->Ckh->count(), 0);
    for (QRadioButton* option : {window->Option1, window->Option2, window->Option5})
        EXPECT_FALSE(option->isChecked());
    EXPECT_TRUE(window->Op[0]->isChecked());
    EXPECT_TRUE(window->Opp[0]->isChecked());
    EXPECT_EQ(window->dtime[0]->time(), QTime(0, 0));
    EXPECT_LE(window->sizeHint().width(), 800);
    EXPECT_LE(window->sizeHint().height(), 600);
    delete window.data();

    issued(testCard(1, "000001"), {1, 3});
    issued(testCard(2, "000003"));
    app::db.Execute("insert into people (卡號) values ('000004')");  // no department
    issued(testCard(2, "000004"));
    open();
    EXPECT_EQ(entries(window->dz), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(entries(window->bm), (QStringList{"O'Hara Court", "東座"}));
    EXPECT_EQ(entries(window->Ckh), (QStringList{"000001", "000003", "000004"}));
}

TEST_F(Extension, ChoosingACardShowsItsTermsAndWhereItIs)
{
    cardstore::IssuedCard c = testCard(2, "000001", 2, 1);
    c.startWeekday = 1;
    c.endWeekday = 5;
    c.startTime = QTime(7, 0);
    c.endTime = QTime(19, 30);
    issued(c, {2, 3});
    open();
    pick(window->Ckh, "000001");
    EXPECT_TRUE(window->Option1->isChecked());
    EXPECT_EQ(targets(), (std::set<int>{2, 3}));
    EXPECT_TRUE(window->Ch[1]->isChecked());
    EXPECT_EQ(window->tweek[1]->currentText(), "星期五");
    EXPECT_TRUE(window->Ch[2]->isChecked());
    EXPECT_EQ(window->dtime[1]->time(), QTime(19, 30));
    EXPECT_FALSE(window->Ch[0]->isChecked());
    EXPECT_TRUE(window->Op[2]->isChecked());
    EXPECT_TRUE(window->Opp[1]->isChecked());

    // A target where the card is not: nothing to take as the pattern.
    clickTargets({1});
    for (QCheckBox* box : window->Ch)
        EXPECT_FALSE(box->isChecked());
    for (QRadioButton* b : window->Op)
        EXPECT_FALSE(b->isChecked());
    clickTargets({3});
    EXPECT_TRUE(window->Op[2]->isChecked());

    // Choosing a source address starts from a blank form; a target click then changes nothing.
    window->dz->setFocus();
    EXPECT_TRUE(window->Option2->isChecked());
    pick(window->dz, "2");
    EXPECT_TRUE(targets().empty());
    EXPECT_FALSE(window->Ch[1]->isChecked());
    EXPECT_TRUE(window->tweek[0]->currentText().isEmpty());
    for (QRadioButton* b : window->Opp)
        EXPECT_FALSE(b->isChecked());
    clickTargets({3});
    EXPECT_FALSE(window->Op[2]->isChecked());
}

TEST_F(Extension, ByCardSendsTheWindowsTermsToEachTargetWithoutTheCard)
{
    issued(testCard(1, "000001"));
    open();
    pick(window->Ckh, "000001");
    ASSERT_EQ(targets(), std::set<int>{1});
    clickTargets({1, 2, 3});
    tick(window->Ch[0], true);
    window->ddate[0]->setDate(QDate(2026, 7, 1));
    window->ddate[1]->setDate(QDate(2026, 8, 31));
    click(window->Op[3]);
    click(window->Opp[1]);
    press(window->Command1);
    EXPECT_EQ(dialogs.texts(), (Texts{"該卡號在1已經發卡記錄！", "該卡號在地址2添加成功！", "該卡號在地址3添加成功！",
                                      "添加完畢！\n成功添加 2 次，失敗 0 次。"}));
    EXPECT_EQ(sim->received().size(), 2u);
    EXPECT_EQ(sim->controller(3).cards.at("000001").window.toHex(' '), "26 26 67 28 01 31 00 00 00 00 00");
    EXPECT_EQ(rowsAt(2).at("000001").endDate, QDate(2026, 8, 31));
    EXPECT_EQ(rowsAt(2).at("000001").physical, "0000000001");
    EXPECT_EQ(count("people"), 3);
    expectInStep();
}

TEST_F(Extension, BySourceAddressTriesEveryCardAtEveryTarget)
{
    for (const char* card : {"000001", "000002", "000003"})
        issued(testCard(1, card));
    issued(testCard(3, "000002"));
    open();
    type(window->dz, "1");
    EXPECT_TRUE(window->Option2->isChecked());
    clickTargets({2, 3});
    tick(window->Ch[2], true);
    window->dtime[0]->setTime(QTime(8, 0));
    window->dtime[1]->setTime(QTime(18, 0));
    press(window->Command1);
    EXPECT_EQ(dialogs.texts(), Texts{"添加完畢！\n成功添加 5 次，失敗 0 次。"});  // the pair already there passed without a word
    EXPECT_EQ(sim->received().size(), 5u);
    EXPECT_TRUE(window->Label1->text().isEmpty());
    EXPECT_EQ(count("faka", "開始時間 is not null"), 5);
    EXPECT_EQ(count("faka", "地址 in (2,3) and ctrl_state1=0 and ctrl_state2=0"), 6);
    EXPECT_FALSE(window->Progress->isVisible());
    expectInStep();

    // A source address without cards ends silently.
    type(window->dz, "\b5");
    press(window->Command1);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Extension, ByDepartmentSendsEachCardOnceEvenWhenItHoldsSeveralAddresses)
{
    issued(testCard(1, "000001"), {1, 2});
    issued(testCard(2, "000002"));
    issued(testCard(2, "000003"));  // 東座
    open();
    type(window->bm, "O'Hara Court");
    EXPECT_TRUE(window->Option5->isChecked());
    clickTargets({3});
    press(window->Command1);
    EXPECT_EQ(dialogs.texts(), Texts{"添加完畢！\n成功添加 2 次，失敗 0 次。"});
    EXPECT_EQ(sim->received().size(), 2u);
    EXPECT_EQ(count("faka", "地址=3"), 2);
    EXPECT_EQ(count("faka", "地址=3 and 卡號='000003'"), 0);
    expectInStep();
}

TEST_F(Extension, ASilentTargetIsIgnoredOrEndsTheRunAsTheOperatorAnswers)
{
    issued(testCard(1, "000001"));
    issued(testCard(1, "000002"));
    open();
    type(window->dz, "1");
    clickTargets({2, 4});
    dialogs.answer(ui::vbIgnore);
    dialogs.answer(ui::vbAbort);
    press(window->Command1);
    ASSERT_EQ(dialogs.texts(), (Texts{"地址4通訊出錯！!", "地址4通訊出錯！!"}));
    EXPECT_EQ(dialogs.messages[0].style, 2);
    // Aborted: no closing message, the last success still shown.
    EXPECT_EQ(window->Label1->text(), "卡號000002在地址2添加成功！");
    EXPECT_EQ(count("faka", "地址=2"), 2);
    EXPECT_EQ(count("faka", "地址=4"), 0);
    EXPECT_TRUE(window->Command1->isEnabled());
    expectInStep();
}

// A run in one of the modes, the operator's answer to each box in turn, and
// what the run ends with: its boxes, and the bar's pairs in place at their
// target (added, or there already) of all pairs.
struct RunCase {
    const char* why;
    std::function<void()> issue;
    std::function<void(FrmEtD&)> choose;
    std::vector<int> answers;
    Texts shown;
    int inPlace, pairs;
};

TEST_F(Extension, EveryRunEndsWithThePairsAddedAndThoseThatFailed)
{
    const auto atSource = [this] {
        for (const char* card : {"000001", "000002", "000003"})
            issued(testCard(1, card));
    };
    const QString silent4 = "地址4通訊出錯！!";
    const RunCase cases[] = {
        {"three cards to a silent controller", atSource,
         [this](FrmEtD& w) {
             type(w.dz, "1");
             clickTargets({4});
         },
         {ui::vbIgnore, ui::vbIgnore, ui::vbIgnore},
         {silent4, silent4, silent4, "添加完畢！\n成功添加 0 次，失敗 3 次：地址 4 有 3 次。"},
         0, 3},
        {"by address, one pair there already",
         [&] {
             atSource();
             issued(testCard(3, "000002"));
         },
         [this](FrmEtD& w) {
             type(w.dz, "1");
             clickTargets({2, 3, 4});
         },
         {ui::vbIgnore, ui::vbIgnore, ui::vbIgnore},
         {silent4, silent4, silent4, "添加完畢！\n成功添加 5 次，失敗 3 次：地址 4 有 3 次。"},
         6, 9},
        {"by department, failures at two addresses",
         [this] {
             for (const char* card : {"000001", "000002", "000003"})
                 issued(testCard(1, card));
             sim->scriptNext(frames::cmdAddCard, lost());
         },
         [this](FrmEtD& w) {
             type(w.bm, "O'Hara Court");
             clickTargets({2, 4});
         },
         {ui::vbIgnore, ui::vbIgnore, ui::vbIgnore},
         {"地址2通訊出錯！!", silent4, silent4, "添加完畢！\n成功添加 1 次，失敗 3 次：地址 2 有 1 次，地址 4 有 2 次。"},
         1, 4},
        {"by card", [this] { issued(testCard(1, "000001")); },
         [this](FrmEtD& w) {
             pick(w.Ckh, "000001");
             clickTargets({1, 2, 4});
         },
         {ui::vbOK, ui::vbOK, ui::vbIgnore},
         {"該卡號在1已經發卡記錄！", "該卡號在地址2添加成功！", silent4,
          "添加完畢！\n成功添加 1 次，失敗 1 次：地址 4 有 1 次。"},
         2, 3},
        {"by department, a card held twice, the target answering its second frame",
         [this] {
             issued(testCard(1, "000002"), {1, 2});
             sim->scriptNext(frames::cmdAddCard, lost());
         },
         [this](FrmEtD& w) {
             type(w.bm, "O'Hara Court");
             clickTargets({3});
         },
         {ui::vbIgnore}, {"地址3通訊出錯！!", "添加完畢！\n成功添加 1 次，失敗 0 次。"}, 1, 1},
        {"by address, every pair added", atSource,
         [this](FrmEtD& w) {
             type(w.dz, "1");
             clickTargets({3});
         },
         {}, {"添加完畢！\n成功添加 3 次，失敗 0 次。"}, 3, 3},
    };
    for (const RunCase& c : cases) {
        SCOPED_TRACE(c.why);
        app::db.Execute("delete * from faka");
        for (int a : {1, 2, 3})
            sim->edit(a, [](ctlsim::Controller& k) { k.cards.clear(); });
        c.issue();
        delete window.data();
        open();
        c.choose(*window);
        for (int answer : c.answers)
            dialogs.answer(answer);
        press(window->Command1);
        EXPECT_EQ(dialogs.texts(), c.shown);
        EXPECT_EQ(dialogs.messages.back().style, 0);
        EXPECT_EQ(window->Progress->value(), c.inPlace);
        EXPECT_EQ(window->Progress->maximum(), c.pairs);
        EXPECT_TRUE(window->Label1->text().isEmpty());
        expectInStep();
    }
}

// A stored card number no frame carries is named as the reason before
// anything is sent, and the run goes on without it when the operator agrees.
TEST_F(Extension, ByAddressACardNoFrameCarriesIsNamedBeforeAnythingIsSent)
{
    issued(testCard(1, "000001"));
    issued(testCard(1, "000002"));
    app::db.Execute("insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values (1,'12345','0000012345',0,0)");
    const QString asked = "以下卡無法下載到控制器：\n12345：卡號不是6位數字\n\n是否不下載這些卡，繼續擴展？";
    for (int answer : {ui::vbNo, ui::vbYes}) {
        SCOPED_TRACE(answer);
        dialogs.messages.clear();
        delete window.data();
        open();
        type(window->dz, "1");
        clickTargets({2});
        dialogs.answer(answer);
        press(window->Command1);
        ASSERT_FALSE(dialogs.messages.empty());
        EXPECT_EQ(dialogs.messages[0].prompt, asked);
        EXPECT_EQ(dialogs.messages[0].style, 4 + 48 + 256);
    }
    EXPECT_EQ(dialogs.texts(), (Texts{asked, "添加完畢！\n成功添加 2 次，失敗 0 次。"}));
    EXPECT_EQ(window->Progress->maximum(), 2);
    EXPECT_EQ(count("faka", "地址=2"), 2);
    EXPECT_EQ(sim->received().size(), 2u);
    expectInStep({1});
}

TEST_F(Extension, RetryRepeatsThePair)
{
    issued(testCard(1, "000001"));
    open();
    pick(window->Ckh, "000001");
    clickTargets({2});
    sim->scriptNext(frames::cmdAddCard, lost());
    dialogs.answer(ui::vbRetry);
    press(window->Command1);
    EXPECT_EQ(dialogs.texts(), (Texts{"地址2通訊出錯！!", "該卡號在地址2添加成功！", "添加完畢！\n成功添加 1 次，失敗 0 次。"}));
    EXPECT_EQ(sim->received().size(), 2u);
    expectInStep();
}

TEST_F(Extension, FramesKeepTheirPausesOnTheLine)
{
    serial::setWaitClock(nullptr);  // the pauses in real time
    issued(testCard(1, "000001"));
    issued(testCard(1, "000002"));
    open();
    type(window->dz, "1");
    clickTargets({2, 3});
    press(window->Command1);
    const std::vector<qint64> at = sim->receivedTimes();
    ASSERT_EQ(at.size(), 4u);
    // 100 ms after each echo and 100 ms before each frame.
    for (std::size_t i = 1; i < at.size(); ++i)
        EXPECT_GE(at[i] - at[i - 1], 195) << i;
    expectInStep();
}

struct Refusal {
    const char* why;
    std::function<void(FrmEtD&)> enter;
    const char* text;
};

TEST_F(Extension, ChecksRefuseBeforeAnythingIsSent)
{
    issued(testCard(1, "000001"));
    const Refusal cases[] = {
        {"date order",
         [](FrmEtD& w) {
             tick(w.Ch[0], true);
             w.ddate[0]->setDate(QDate(2026, 9, 2));
             w.ddate[1]->setDate(QDate(2026, 9, 1));
         },
         "日期選擇錯誤！"},
        {"weekday order",
         [](FrmEtD& w) {
             tick(w.Ch[1], true);
             w.tweek[0]->setCurrentIndex(2);
             w.tweek[1]->setCurrentIndex(1);
         },
         "星期選擇錯誤！"},
        {"time order",
         [](FrmEtD& w) {
             tick(w.Ch[2], true);
             w.dtime[0]->setTime(QTime(18, 0));
             w.dtime[1]->setTime(QTime(8, 0));
         },
         "時間選擇錯誤!"},
        {"time until 00:00",
         [](FrmEtD& w) {
             tick(w.Ch[2], true);
             w.dtime[0]->setTime(QTime(18, 0));
             w.dtime[1]->setTime(QTime(0, 0));
             tick(w.Ch[1], true);
         },
         "時間限制的開始和截止時間不能為00:00！"},
        {"no card", [](FrmEtD& w) { w.Ckh->setEditText(""); }, "請選擇要擴展的卡號!"},
        {"no target", [](FrmEtD& w) { w.Ldr->clearSelection(); }, "請選擇目的門號地址!"},
        {"a card not issued", [](FrmEtD& w) { w.Ckh->setEditText("00001"); }, "此卡沒有發卡！"},
        {"no source address",
         [](FrmEtD& w) {
             w.dz->setFocus();
             w.dz->setEditText("");
         },
         "請選擇要擴展的地址!"},
        {"no department",
         [](FrmEtD& w) {
             w.bm->setFocus();
             w.bm->setEditText("");
         },
         "請選擇要擴展的部門!"},
    };
    open();
    for (const Refusal& r : cases) {
        SCOPED_TRACE(r.why);
        window->Ckh->setFocus();
        window->Ckh->setEditText("000001");
        clickTargets({2});
        for (QCheckBox* box : window->Ch)
            tick(box, false);
        r.enter(*window);
        press(window->Command1);
        ASSERT_EQ(dialogs.texts(), Texts{QString::fromUtf8(r.text)});
        EXPECT_EQ(dialogs.messages[0].style, 0);
        EXPECT_TRUE(sim->received().empty());
    }
    // Typed source addresses and card numbers take digits only.
    type(window->dz, "1' or 1=1");
    EXPECT_EQ(window->dz->currentText(), "11");
    window->Ckh->setEditText(QString());
    type(window->Ckh, "00x0001");
    EXPECT_EQ(window->Ckh->currentText(), "000001");
    EXPECT_EQ(count("faka"), 1);
}

// An older file may list issued cards whose numbers are six characters but
// not six digits. Chosen from the list, such a card is refused before the
// run: no frame can carry it, and no target is tried.
TEST_F(Extension, ByCardRefusesAnIssuedCardNumberThatIsNotSixDigits)
{
    const char* stored[] = {"A00001", "１２３４５６", "000 01"};
    for (const char* card : stored) {
        const QString number = sql::text(QString::fromUtf8(card));
        app::db.Execute(QStringLiteral("insert into people (卡號,姓名) values (%1,'甲')").arg(number));
        app::db.Execute(
            QStringLiteral("insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values (1,%1,'0000000071',0,0)")
                .arg(number));
    }
    open();
    for (const char* card : stored) {
        const QString number = QString::fromUtf8(card);
        SCOPED_TRACE(card);
        pick(window->Ckh, number);
        ASSERT_EQ(window->Ckh->currentText(), number);
        ASSERT_EQ(targets(), std::set<int>{1});
        clickTargets({2, 3});
        press(window->Command1);
        ASSERT_EQ(dialogs.texts(), Texts{"卡號必須是6位自然數！"});
        EXPECT_EQ(dialogs.messages[0].style, 0);
        EXPECT_TRUE(sim->received().empty());
    }
    EXPECT_EQ(count("faka"), 3);
    EXPECT_EQ(count("faka", "地址=1"), 3);
    expectInStep({1});
}

TEST_F(Extension, WithAWeekdayWindowANightTimeWindowIsAccepted)
{
    issued(testCard(1, "000001"));
    open();
    pick(window->Ckh, "000001");
    clickTargets({2});
    tick(window->Ch[1], true);  // no weekday chosen: stored and sent as none
    tick(window->Ch[2], true);
    window->dtime[0]->setTime(QTime(18, 0));
    window->dtime[1]->setTime(QTime(8, 0));
    press(window->Command1);
    EXPECT_EQ(dialogs.texts(), (Texts{"該卡號在地址2添加成功！", "添加完畢！\n成功添加 1 次，失敗 0 次。"}));
    EXPECT_EQ(sim->controller(2).cards.at("000001").window.toHex(' '), "00 00 00 00 00 00 18 08 00 00 00");
    expectInStep();
}

TEST_F(Extension, ARowTheDatabaseRefusesTakesTheCardOutOfTheControllerAgain)
{
    issued(testCard(1, "000001"));
    rawSql("create trigger refuse before insert on faka when new.地址 = 3 begin select raise(abort, 'refused'); end");
    open();
    pick(window->Ckh, "000001");
    clickTargets({2, 3});
    press(window->Command1);
    const Texts shown = dialogs.texts();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0], "該卡號在地址2添加成功！");
    EXPECT_TRUE(shown[1].startsWith("數據庫操作失敗"));
    EXPECT_EQ(shown[2], "卡號 000001 未能存入數據庫，已從 3 號門刪除！");
    EXPECT_EQ(shown[3], "添加完畢！\n成功添加 1 次，失敗 1 次：地址 3 有 1 次。");  // not stored: not added
    expectInStep();
}

TEST_F(Extension, TheRunHoldsItsButtonsAndAClosingEndsItAtTheNextPair)
{
    for (const char* card : {"000001", "000002"})
        issued(testCard(1, card));
    open();
    type(window->dz, "1");
    clickTargets({2});
    ctlsim::Script slow;
    slow.delayMs = 200;
    sim->scriptNext(frames::cmdAddCard, slow);
    bool held = false;
    int shownOf = 0;
    QTimer::singleShot(100, [&] {
        held = !window->Command1->isEnabled() && !window->Command2->isEnabled() && window->busy();
        shownOf = window->Progress->maximum();
        window->Command1_Click();  // starts nothing
        window->reject();          // ends the run at the next pair
        held = held && window->isVisible();
    });
    press(window->Command1);
    EXPECT_TRUE(held);
    EXPECT_EQ(shownOf, 2);
    EXPECT_EQ(sim->received().size(), 1u);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(window.isNull() || !window->isVisible());
    expectInStep();
}

}  // namespace
