// Card-list rebuild against the controller simulator: the list erased, every
// issued card of the address downloaded again with its windows, and the
// retry box for a card that gets no echo.
#include "app.h"
#include "frmfkzl.h"
#include "cardfixture.h"
#include "serialport.h"
#include "simulator.h"
#include "fit.h"
#include "operator.h"
#include "testsupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace {

class Rebuild : public LineTest {
protected:
    void SetUp() override
    {
        LineTest::SetUp();
        sim->addController(4);
        for (int a : {4, 9})
            app::db.Execute(QStringLiteral("insert into doors (地址) values (%1)").arg(a));
    }
    void TearDown() override
    {
        delete window.data();
        LineTest::TearDown();
    }
    void issue(const cardstore::IssuedCard& c) { cardstore::insertIssued(app::db, c); }
    void open(int address)
    {
        window = new FrmFKZL();
        window->show();
        window->Combo1->setCurrentIndex(window->Combo1->findText(QString::number(address)));
    }
    bool portOpen() const { return window->findChild<serial::SerialPort*>()->PortOpen(); }

    QPointer<FrmFKZL> window;
};

TEST_F(Rebuild, ControllerListEndsEqualToTheIssuedCards)
{
    cardstore::IssuedCard windowed = testCard(4, "000300", 1, 3);
    windowed.startDate = QDate(2026, 1, 5);
    windowed.endDate = QDate(2027, 12, 31);
    windowed.startWeekday = 1;
    windowed.endWeekday = 5;
    windowed.startTime = QTime(8, 30);
    windowed.endTime = QTime(18, 0);
    issue(windowed);
    issue(testCard(4, "000100", 0, 2));
    issue(testCard(4, "000200"));
    issue(testCard(9, "000400"));
    // Stored as "no window": weekdays 0 and 0, times 00:00 to 00:00.
    app::db.Execute("update faka set 開始時間=#00:00:00#,截止時間=#00:00:00# where 卡號='000200'");
    sim->edit(4, [](ctlsim::Controller& c) { c.cards["999999"] = ctlsim::Card{"0000999999", 0, 0, {}}; });

    open(4);
    window->Command1_Click();

    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{"重整成功！"}));
    EXPECT_EQ(window->Text1->text(), "3");
    EXPECT_EQ(window->cardCount(), 0);
    EXPECT_FALSE(window->PrgBar->isVisible());
    EXPECT_FALSE(portOpen());

    const auto frames = sim->received();
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].toHex(), "04020c");
    EXPECT_EQ(frames[1].mid(8, 3).toHex(), "000100");  // in card-number order
    EXPECT_EQ(frames[2].mid(8, 3).toHex(), "000200");
    EXPECT_EQ(frames[3].mid(8, 3).toHex(), "000300");

    const ctlsim::Controller c = sim->controller(4);
    ASSERT_EQ(c.cards.size(), 3u);
    EXPECT_EQ(c.cards.at("000300").physical, "0000000300");
    EXPECT_EQ(c.cards.at("000300").window.toHex(), "2627217205310818300015");
    EXPECT_EQ(c.cards.at("000100").passMode2, 2);
    EXPECT_EQ(c.cards.at("000100").window.toHex(), "0000004000000000000000");
    EXPECT_EQ(c.cards.at("000200").window.toHex(), "0000000000000000000000");
}

TEST_F(Rebuild, RetryRepeatsTheCardThatGotNoEcho)
{
    issue(testCard(4, "000001"));
    issue(testCard(4, "000002"));
    issue(testCard(4, "000003"));
    sim->scriptNext(0x0A, {});
    ctlsim::Script silent;
    silent.silent = true;
    sim->scriptNext(0x0A, silent);
    dialogs.answer(ui::vbRetry);
    open(4);
    window->Command1_Click();

    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].prompt, "   通信故障!");
    EXPECT_EQ(dialogs.messages[0].style, 5);
    EXPECT_EQ(dialogs.messages[0].title, "出錯");
    EXPECT_EQ(dialogs.messages[1].prompt, "重整成功！");
    EXPECT_EQ(sim->controller(4).cards.size(), 3u);
    const auto frames = sim->received();
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(frames[2], frames[3]);  // the same card again
}

TEST_F(Rebuild, CancelEndsTheRunWithTheListPartlyRebuilt)
{
    issue(testCard(4, "000001"));
    issue(testCard(4, "000002"));
    sim->scriptNext(0x0A, {});
    ctlsim::Script silent;
    silent.silent = true;
    sim->scriptNext(0x0A, silent);
    dialogs.answer(ui::vbCancel);
    open(4);
    window->Command1_Click();
    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{"   通信故障!"}));
    EXPECT_EQ(window->cardCount(), 1);
    EXPECT_EQ(window->Text1->text(), "1");
    EXPECT_EQ(sim->received().size(), 3u);
}

TEST_F(Rebuild, LateErasureEchoIsNoEcho)
{
    issue(testCard(4, "000001"));
    open(4);
    ctlsim::Script late;
    late.delayMs = 3500;
    sim->scriptNext(0x0C, late);
    window->Command1_Click();
    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{"通信故障！"}));
    EXPECT_FALSE(portOpen());
    EXPECT_EQ(sim->received().size(), 1u);  // nothing downloaded
}

// The erasure answered by another address: the operator is told, and the
// port is closed for the next try.
TEST_F(Rebuild, WrongErasureEchoIsToldAndClosesThePort)
{
    issue(testCard(4, "000001"));
    open(4);
    ctlsim::Script wrong;
    wrong.replyAddress = 5;
    sim->scriptNext(0x0C, wrong);
    window->Command1_Click();
    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{"控制器應答出錯，名單可能已部分清除，請重新重整！"}));
    EXPECT_FALSE(portOpen());
    EXPECT_EQ(sim->received().size(), 1u);
}

// Rows that no frame can carry: each is named with its reason before the
// controller's list is touched, and the operator chooses.
class UnsendableRows : public Rebuild {
protected:
    void SetUp() override
    {
        Rebuild::SetUp();
        issue(testCard(4, "000001"));
        issue(testCard(4, "000002"));
        cardstore::IssuedCard longNumber = testCard(4, "000003");
        longNumber.physical = "12345678901";
        issue(longNumber);
        issue(testCard(4, "000004"));
        issue(testCard(4, "000005"));
        issue(testCard(4, "000006"));
        app::db.Execute("update faka set ctrl_state1=null where 卡號='000002'");
        app::db.Execute("update faka set ctrl_state2=7 where 卡號='000004'");
        app::db.Execute("update faka set 開始星期=1,截止星期=9 where 卡號='000005'");
        sim->edit(4, [](ctlsim::Controller& c) { c.cards["999999"] = ctlsim::Card{"0000999999", 0, 0, {}}; });
        open(4);
    }
    static QString named()
    {
        return "以下卡無法下載到控制器：\n000002：鎖一沒有選定通行方式\n000003：物理卡號不是1到10位數字\n"
               "000004：鎖二沒有選定通行方式\n000005：星期範圍不正確\n\n是否不下載這些卡，繼續重整？";
    }
};

TEST_F(UnsendableRows, StoppingLeavesTheControllerAsItWas)
{
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].prompt, named());
    EXPECT_EQ(dialogs.messages[0].style, 4 + 48 + 256);  // No, the default, stops
    EXPECT_TRUE(sim->received().empty());
    EXPECT_EQ(sim->controller(4).cards.size(), 1u);
}

TEST_F(UnsendableRows, GoingOnSendsEveryOtherCard)
{
    dialogs.answer(ui::vbYes);
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].prompt, named());
    EXPECT_EQ(dialogs.messages[1].prompt, "重整完畢！已下載 2 張卡；4 張卡無法下載，控制器中沒有這些卡。");
    const ctlsim::Controller c = sim->controller(4);
    ASSERT_EQ(c.cards.size(), 2u);
    EXPECT_EQ(c.cards.count("000001"), 1u);
    EXPECT_EQ(c.cards.count("000006"), 1u);
    EXPECT_EQ(sim->received().size(), 3u);  // the erasure and two cards: no retry box
    EXPECT_EQ(window->Text1->text(), "2");
}

// A window column that holds something no reader takes as a date, a
// weekday or a time would go out as no window at all: the card would open
// the door at any day and hour. Such a row is named like any other.
TEST_F(Rebuild, RowsWithUnreadableWindowsAreNamedAndNotSent)
{
    struct Unreadable {
        const char* card;
        const char* column;
        const char* stored;
        const char* reason;
    };
    const Unreadable rows[] = {
        {"000011", "開始時間", "'25:99:00'", "000011：開始時間「25:99:00」無法識別"},
        {"000012", "開始日期", "'garbage'", "000012：開始日期「garbage」無法識別"},
        {"000013", "截止日期", "'2026-02-30'", "000013：截止日期「2026-02-30」無法識別"},
        {"000014", "截止星期", "'Fri'", "000014：截止星期「Fri」無法識別"},
        {"000015", "開始時間", "''", "000015：開始時間「」無法識別"},
    };
    cardstore::IssuedCard windowed = testCard(4, "000010");
    windowed.startDate = QDate(2026, 1, 1);
    windowed.endDate = QDate(2026, 12, 31);
    windowed.startWeekday = 1;
    windowed.endWeekday = 5;
    windowed.startTime = QTime(8, 0);
    windowed.endTime = QTime(18, 0);
    QStringList named;
    for (const Unreadable& r : rows) {
        windowed.card = r.card;
        windowed.physical = QStringLiteral("0000") + r.card;
        issue(windowed);
        rawSql(QStringLiteral("update faka set %1=%2 where 卡號='%3'")
                   .arg(QString::fromUtf8(r.column), QString::fromUtf8(r.stored), QString::fromUtf8(r.card))
                   .toUtf8()
                   .constData());
        named << QString::fromUtf8(r.reason);
    }
    windowed.card = "000016";
    windowed.physical = "0000000016";
    issue(windowed);  // every window readable: it goes
    window = new FrmFKZL();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    testsupport::pickFromList(window->Combo1, "4");
    dialogs.answer(ui::vbYes);
    testsupport::click(window->Command1);

    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].prompt, "以下卡無法下載到控制器：\n" + named.join('\n') + "\n\n是否不下載這些卡，繼續重整？");
    EXPECT_EQ(dialogs.messages[1].prompt, "重整完畢！已下載 1 張卡；5 張卡無法下載，控制器中沒有這些卡。");
    const ctlsim::Controller c = sim->controller(4);
    ASSERT_EQ(c.cards.size(), 1u);
    EXPECT_EQ(c.cards.count("000016"), 1u);
    EXPECT_EQ(sim->received().size(), 2u);  // the erasure and the one card
}

// A controller holds years 2000 to 2099 only: a stored date outside them is
// named as unsendable rather than sent as another year.
TEST_F(Rebuild, ARowDatedOutsideTheYearsAControllerHoldsIsNamedUnsendable)
{
    const auto dated = [](const char* card, QDate from, QDate to) {
        cardstore::IssuedCard c = testCard(4, card);
        c.startDate = from;
        c.endDate = to;
        return c;
    };
    issue(dated("000001", QDate(2024, 1, 1), QDate(2099, 12, 31)));
    issue(dated("000002", QDate(2024, 1, 1), QDate(2150, 12, 31)));
    issue(dated("000003", QDate(1999, 12, 31), QDate(2024, 1, 1)));
    open(4);
    dialogs.answer(ui::vbYes);
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].prompt,
              "以下卡無法下載到控制器：\n000002：日期不在2000/01/01至2099/12/31之間\n"
              "000003：日期不在2000/01/01至2099/12/31之間\n\n是否不下載這些卡，繼續重整？");
    const ctlsim::Controller c = sim->controller(4);
    ASSERT_EQ(c.cards.size(), 1u);
    EXPECT_EQ(c.cards.count("000001"), 1u);
}

TEST_F(Rebuild, AddressWithoutCardsStillHasItsListErased)
{
    sim->edit(4, [](ctlsim::Controller& c) { c.cards["999999"] = ctlsim::Card{"0000999999", 0, 0, {}}; });
    open(4);
    window->Command1_Click();
    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{"沒有發卡信息！"}));
    EXPECT_TRUE(sim->controller(4).cards.empty());
}

TEST_F(Rebuild, NothingIsSentWithoutAnAddress)
{
    window = new FrmFKZL();
    EXPECT_EQ(window->windowTitle(), "發卡信息重整");
    EXPECT_EQ(window->Combo1->count(), 2);
    window->Command1_Click();
    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{"請先選擇地址!"}));
    EXPECT_TRUE(sim->received().empty());
}

// Enter in the address box is no press of 開始: the controller's list is
// erased only by the button itself.
TEST_F(Rebuild, EnterInTheAddressBoxStartsNothing)
{
    issue(testCard(4, "000100"));
    open(4);
    QApplication::setActiveWindow(window);
    window->Combo1->setFocus();
    QTest::keyClick(window->Combo1, Qt::Key_Return);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(sim->received().empty());
}

// The addresses stand in ascending order and show whole; the progress bar
// of a run moves none of the window's controls.
TEST_F(Rebuild, ChosenByMouseTheRunMovesNothing)
{
    for (int a : {12, 1})
        app::db.Execute(QStringLiteral("insert into doors (地址) values (%1)").arg(a));
    issue(testCard(4, "000100"));
    issue(testCard(4, "000200"));
    window = new FrmFKZL();
    QStringList listed;
    for (int i = 0; i < window->Combo1->count(); ++i)
        listed << window->Combo1->itemText(i);
    EXPECT_EQ(listed, (QStringList{"1", "4", "9", "12"}));
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    testsupport::pickFromList(window->Combo1, "4");
    EXPECT_EQ(testsupport::fitProblems(window), QStringList());
    const auto places = [this] {
        return testsupport::placesOf(window, {window->Command1, window->Command2, window->Combo1});
    };
    const QList<QRect> at = places();
    QList<QList<QRect>> whileRunning;
    QObject::connect(window->PrgBar, &QProgressBar::valueChanged, window, [&] {
        if (window->PrgBar->isVisible())
            whileRunning << places();
    });
    testsupport::click(window->Command1);
    EXPECT_EQ(dialogs.last(), "重整成功！");
    ASSERT_FALSE(whileRunning.isEmpty());
    EXPECT_EQ(whileRunning.front(), at);
    EXPECT_EQ(places(), at);
}

}  // namespace
