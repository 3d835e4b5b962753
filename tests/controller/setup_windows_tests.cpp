// The information, clock, remote-opening and older lock-settings windows
// against the simulated controller at address 5.
#include "frmcdt.h"
#include "frmdoor.h"
#include "frmspe.h"
#include "frmsysinf.h"
#include "look.h"
#include "operator.h"
#include "windowline.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>
#include <QTreeWidget>

namespace {

QStringList linesOf(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// ---- controller information ----

class InformationWindow : public WindowLine {
protected:
    std::unique_ptr<FrmSysInf> open() {
        auto w = std::make_unique<FrmSysInf>();
        return w;
    }
    QTreeWidgetItem* node(FrmSysInf& w, const QString& text) {
        for (int i = 0; i < w.root()->childCount(); ++i)
            if (w.root()->child(i)->text(0) == text)
                return w.root()->child(i);
        return nullptr;
    }
};

TEST_F(InformationWindow, ShowsTheBlockDecoded) {
    for (int a : {0, 5, 7})
        exec(QStringLiteral("insert into doors (地址,dtype1) values ('%1','玻')").arg(a));
    sim->edit(5, [](ctlsim::Controller& c) {
        c.records.resize(300);
        c.delay[0] = 7;
        c.weekday = 3;
        c.date = QDate(2026, 12, 9);
        c.time = QTime(23, 59, 58);
        c.version[0] = 1;
        c.version[1] = 0x0A;
        c.version[2] = 0;
    });
    auto w = open();
    EXPECT_TRUE(w->Comm.PortOpen());
    EXPECT_EQ(w->root()->childCount(), 3);
    EXPECT_EQ(w->root()->child(1)->data(0, Qt::UserRole).toString(), QStringLiteral("Root2"));
    w->AdrView_NodeClick(node(*w, QStringLiteral("5")));
    const QStringList lines = linesOf(w->ListView1);
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines[0], QStringLiteral(" 地址：  5"));
    EXPECT_EQ(lines[1], QStringLiteral(" 打卡記錄數： 300 "));
    EXPECT_EQ(lines[2], QStringLiteral(" 鎖一延時： 0.5 "));
    EXPECT_EQ(lines[4], QStringLiteral(" 日    期：2026-12-09"));
    EXPECT_TRUE(lines[5].startsWith(QStringLiteral(" 時    間：23:59:5")));
    EXPECT_EQ(lines[6], QStringLiteral(" 星    期：Wednesday"));
    EXPECT_EQ(lines[7], QStringLiteral(" 版 本 號：1.10"));
    EXPECT_EQ(w->pictureOf(node(*w, QStringLiteral("5"))), QStringLiteral("ok"));
}

TEST_F(InformationWindow, SundayShowsItsNumberAndFailuresShowNoLines) {
    for (int a : {5, 6})
        exec(QStringLiteral("insert into doors (地址,dtype1) values ('%1','玻')").arg(a));
    sim->edit(5, [](ctlsim::Controller& c) { c.weekday = 0; });
    auto w = open();
    w->AdrView_NodeClick(node(*w, QStringLiteral("6")));  // nobody at 6
    EXPECT_EQ(linesOf(w->ListView1), QStringList{QStringLiteral("通信不通")});
    EXPECT_EQ(w->pictureOf(node(*w, QStringLiteral("6"))), QStringLiteral("failed"));
    w->AdrView_NodeClick(node(*w, QStringLiteral("5")));
    EXPECT_EQ(w->pictureOf(node(*w, QStringLiteral("6"))), QStringLiteral("info1"));
    EXPECT_EQ(linesOf(w->ListView1)[6], QStringLiteral(" 星    期： 0 "));
    w->root()->setExpanded(true);
    EXPECT_EQ(w->pictureOf(w->root()), QStringLiteral("opened"));
    w->root()->setExpanded(false);
    EXPECT_EQ(w->pictureOf(w->root()), QStringLiteral("closed"));
    EXPECT_EQ(w->ListView1->count(), 0);
}

TEST_F(InformationWindow, ClickedAddressShowsEveryLineWhole) {
    ui::applyProgramLook();
    for (int a : {17, 5, 2})
        exec(QStringLiteral("insert into doors (地址,dtype1) values ('%1','玻')").arg(a));
    sim->edit(5, [](ctlsim::Controller& c) { c.records.resize(65535); });
    auto w = open();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->root()->setExpanded(true);
    QStringList shown;
    for (int i = 0; i < w->root()->childCount(); ++i)
        shown << w->root()->child(i)->text(0);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("2"), QStringLiteral("5"), QStringLiteral("17")}));
    const QRect at = w->AdrView->visualItemRect(node(*w, QStringLiteral("5")));
    QTest::mouseClick(w->AdrView->viewport(), Qt::LeftButton, {}, at.center());
    ASSERT_EQ(w->ListView1->count(), 8);
    const QRect room = w->ListView1->viewport()->rect();
    for (int i = 0; i < 8; ++i) {
        QListWidgetItem* line = w->ListView1->item(i);
        const int needed = w->ListView1->fontMetrics().horizontalAdvance(line->text());
        EXPECT_TRUE(room.contains(w->ListView1->visualItemRect(line))) << line->text().toStdString();
        EXPECT_LE(needed, w->ListView1->visualItemRect(line).width()) << line->text().toStdString();
    }
}

// The arrow keys that move onto an address read it, as Enter and Space read
// the current one: a keyboard-only operator reads every controller.
TEST_F(InformationWindow, AnAddressChosenByKeyboardIsReadAsAClickedOne) {
    exec(QStringLiteral("insert into doors (地址,dtype1) values ('5','玻')"));
    auto w = open();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->AdrView->setFocus();
    QTest::keyClick(w->AdrView, Qt::Key_Home);
    QTest::keyClick(w->AdrView, Qt::Key_Right);  // opens the root
    EXPECT_TRUE(sim->received().empty());
    QTest::keyClick(w->AdrView, Qt::Key_Down);
    ASSERT_EQ(w->AdrView->currentItem(), node(*w, QStringLiteral("5")));
    EXPECT_EQ(linesOf(w->ListView1).value(0), QStringLiteral(" 地址：  5"));
    EXPECT_EQ(w->pictureOf(node(*w, QStringLiteral("5"))), QStringLiteral("ok"));
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
        w->ListView1->clear();
        QTest::keyClick(w->AdrView, key);
        EXPECT_EQ(w->ListView1->count(), 8) << key;
    }
    EXPECT_EQ(sim->received().size(), 3u);
    EXPECT_TRUE(w->isVisible());
}

TEST_F(InformationWindow, RootAndAddressZeroDoNothing) {
    exec(QStringLiteral("insert into doors (地址,dtype1) values ('0','玻')"));
    auto w = open();
    w->AdrView_NodeClick(w->root());
    w->AdrView_NodeClick(node(*w, QStringLiteral("0")));
    EXPECT_EQ(w->ListView1->count(), 0);
    EXPECT_TRUE(sim->received().empty());
}

TEST_F(InformationWindow, PortHeldWhileShownAndReleasedWhenClosed) {
    auto w = open();
    w->show();
    serial::SerialPort other;
    controller::configurePort(other);
    EXPECT_THROW(other.setPortOpen(true), serial::PortError);
    w->close();
    EXPECT_FALSE(w->Comm.PortOpen());
    EXPECT_NO_THROW(other.setPortOpen(true));
}

// ---- clock ----

class ClockWindow : public WindowLine {
protected:
    void waitForMessage(std::size_t n) {
        QElapsedTimer t;
        t.start();
        while (dialogs.messages.size() < n && t.elapsed() < 2000)
            runEvents(5);
    }
};

TEST_F(ClockWindow, DateWithItsWeekdayAndTimeReachTheController) {
    exec(QStringLiteral("insert into doors (地址,dtype1) values ('9','玻')"));
    exec(QStringLiteral("insert into doors (地址,dtype1) values ('5','玻')"));
    FrmCDT w;
    EXPECT_EQ(w.Combo1->currentText(), QStringLiteral("5"));  // the lowest address
    w.DTP1->setDate(QDate(2026, 12, 13));                     // a Sunday
    w.Cmddate_Click();
    waitForMessage(1);
    EXPECT_EQ(dialogs.last(), QStringLiteral("修改日期成功！"));
    EXPECT_EQ(sim->controller(5).date, QDate(2026, 12, 13));
    EXPECT_EQ(sim->controller(5).weekday, 0);
    w.DTX2->setTime(QTime(13, 5, 9));
    w.Cmdtime_Click();
    waitForMessage(2);
    EXPECT_EQ(dialogs.last(), QStringLiteral("修改時間成功！"));
    EXPECT_EQ(sim->controller(5).time, QTime(13, 5, 9));
    EXPECT_EQ(sim->received().back(), QByteArray::fromHex("050508130509"));
    EXPECT_TRUE(w.Comm.PortOpen());
    EXPECT_EQ(w.pending(), 0);
}

// The controller holds the years 2000 to 2099 only: no other date is sent.
TEST_F(ClockWindow, ADateOutsideTheYearsAControllerHoldsIsRefusedAndNotSent) {
    exec(QStringLiteral("insert into doors (地址,dtype1) values ('5','玻')"));
    for (const char* typed : {"2100/01/01", "19991231"}) {
        dialogs.messages.clear();
        FrmCDT w;
        w.show();
        auto* text = w.DTP1->findChild<QLineEdit*>(QStringLiteral("qt_spinbox_lineedit"));
        QTest::mouseClick(text, Qt::LeftButton, {}, text->rect().center());
        QTest::keyClick(w.DTP1, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w.DTP1, QString::fromLatin1(typed));
        QTest::mouseClick(w.Cmddate, Qt::LeftButton);
        runEvents(5);
        EXPECT_EQ(w.DTP1->date(), QDate::currentDate()) << typed;
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{QStringLiteral("日期只能在2000/01/01至2099/12/31之間！")}) << typed;
        EXPECT_TRUE(sim->received().empty()) << typed;
    }
}

TEST_F(ClockWindow, WrongReplyKeepsTheRequestAndEmptyListSaysSo) {
    exec(QStringLiteral("insert into doors (地址,dtype1) values ('5','玻')"));
    sim->scriptNext(frames::cmdSetDate, fromAddress(4));
    FrmCDT w;
    w.Cmddate_Click();
    waitForMessage(1);
    EXPECT_EQ(dialogs.last(), QStringLiteral("通信失敗!請重試！"));
    EXPECT_EQ(w.pending(), 1);

    w.Combo1->clear();
    w.Combo1->setEditText(QString());
    w.Cmddate_Click();
    w.Cmdtime_Click();
    EXPECT_EQ(dialogs.texts().at(1), QStringLiteral("請選擇地址 ！"));
    EXPECT_EQ(dialogs.texts().at(2), QStringLiteral("請選擇地址！"));
}

// Focus starts in the address box, which takes no typing; the keyboard
// still moves on from it, leaves the window and chooses from its list.
TEST_F(ClockWindow, AddressBoxTakesNoTypingButTheKeyboardStillWorks) {
    for (const char* a : {"5", "9", "12"})
        exec(QStringLiteral("insert into doors (地址,dtype1) values ('%1','玻')").arg(QLatin1String(a)));
    QApplication::clipboard()->setText(QStringLiteral("77"));
    FrmCDT w;
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    ASSERT_EQ(QApplication::focusWidget(), w.Combo1);
    const auto press = [](int key, Qt::KeyboardModifiers mod = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), mod);
    };
    const QString first = w.Combo1->currentText();
    const struct {
        int key;
        Qt::KeyboardModifiers mod;
    } typing[] = {{Qt::Key_7, {}},         {Qt::Key_A, {}},      {Qt::Key_Space, {}},
                  {Qt::Key_Backspace, {}}, {Qt::Key_Delete, {}}, {Qt::Key_V, Qt::ControlModifier},
                  {Qt::Key_X, Qt::ControlModifier}, {Qt::Key_Return, {}}};
    for (const auto& k : typing) {
        press(k.key, k.mod);
        EXPECT_EQ(w.Combo1->currentText(), first) << k.key;
        EXPECT_EQ(QApplication::focusWidget(), w.Combo1) << k.key;
    }

    press(Qt::Key_Down);
    EXPECT_EQ(w.Combo1->currentText(), w.Combo1->itemText(1));
    press(Qt::Key_Up);
    EXPECT_EQ(w.Combo1->currentText(), w.Combo1->itemText(0));
    const struct {
        int key;
        Qt::KeyboardModifiers mod;
    } openers[] = {{Qt::Key_F4, {}}, {Qt::Key_Down, Qt::AltModifier}};
    for (const auto& k : openers) {
        press(k.key, k.mod);
        ASSERT_TRUE(w.Combo1->view()->isVisible()) << k.key;
        // Esc in the open list closes the list, not the window.
        QTest::keyClick(w.Combo1->view(), Qt::Key_Escape);
        EXPECT_FALSE(w.Combo1->view()->isVisible());
        EXPECT_TRUE(w.isVisible());
    }

    press(Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), w.Combo1);
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), w.Combo1);
    press(Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(dialogs.messages.empty());
}

// ---- remote opening ----

class RemoteOpening : public WindowLine {
protected:
    void SetUp() override {
        WindowLine::SetUp();
        exec(QStringLiteral("insert into doors (地址,dtype1,dtype2) values ('5','玻','木')"));
        window = std::make_unique<Frmspe>();
    }
    void TearDown() override {
        window.reset();
        WindowLine::TearDown();
    }
    // Lock 2 chosen, unless a test chose otherwise.
    void open(const QString& typed) {
        if (!window->Option1->isChecked())
            window->Option2->setChecked(true);
        window->Cdoor->setEditText(typed);
        window->Copen_Click();
    }
    std::unique_ptr<Frmspe> window;
};

TEST_F(RemoteOpening, EitherLockOpens) {
    window->Option2->setChecked(true);
    open(QStringLiteral("5"));
    EXPECT_EQ(dialogs.last(), QStringLiteral("開門成功"));
    EXPECT_EQ(sim->received().back(), QByteArray::fromHex("050220"));
    window->Option1->setChecked(true);
    open(QStringLiteral("5abc"));
    EXPECT_EQ(sim->received().back(), QByteArray::fromHex("050210"));
    EXPECT_TRUE(sim->controller(5).lockOpenedAt[0].isValid());
    EXPECT_FALSE(window->Comm.PortOpen());
    EXPECT_TRUE(window->Copen->isEnabled());
}

// A door the operator didn't choose never opens: with no lock chosen the
// window asks for one and sends nothing.
TEST_F(RemoteOpening, NoLockChosenOpensNothing) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_FALSE(window->Option1->isChecked() || window->Option2->isChecked());
    testsupport::typeOver(window->Cdoor, QStringLiteral("5"));
    testsupport::click(window->Copen);
    EXPECT_EQ(dialogs.last(), QStringLiteral("請選擇鎖號!"));
    EXPECT_EQ(dialogs.messages.back().style, 48);
    EXPECT_TRUE(sim->received().empty());
    EXPECT_TRUE(window->Copen->isEnabled());
    testsupport::click(window->Option1);
    testsupport::click(window->Copen);
    EXPECT_EQ(dialogs.last(), QStringLiteral("開門成功"));
    EXPECT_EQ(sim->received(), std::vector<QByteArray>{QByteArray::fromHex("050210")});
}

// A typed address is taken as typed, never completed to a listed one: 1
// is not 17, whose lock would open.
TEST_F(RemoteOpening, ATypedAddressIsNotCompletedFromTheList) {
    exec(QStringLiteral("insert into doors (地址,dtype1) values ('17','玻')"));
    window = std::make_unique<Frmspe>();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    testsupport::click(window->Option1);
    testsupport::typeOver(window->Cdoor, QStringLiteral("1"));
    testsupport::click(window->Copen);
    EXPECT_EQ(window->Cdoor->currentText(), QStringLiteral("1"));
    EXPECT_TRUE(sim->received().empty());
}

TEST_F(RemoteOpening, NoReplyThenALateOneDoesNotCount) {
    sim->scriptNext(frames::cmdOpenLock2, delayed(3.5));
    open(QStringLiteral("5"));
    EXPECT_EQ(dialogs.last(), QStringLiteral("連接失敗"));
    EXPECT_TRUE(window->Comm.PortOpen());
    std::this_thread::sleep_for(std::chrono::milliseconds(realMs(1)));
    sim->scriptNext(frames::cmdOpenLock2, silence());
    open(QStringLiteral("5"));
    EXPECT_EQ(dialogs.last(), QStringLiteral("連接失敗"));
}

TEST_F(RemoteOpening, ClosedDuringItsWaitItSaysNothingMore) {
    sim->scriptNext(frames::cmdOpenLock2, silence());
    window->show();
    QTimer::singleShot(realMs(1.5), window.get(), [this] { window->close(); });
    open(QStringLiteral("5"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(window->Comm.PortOpen());
}

TEST_F(RemoteOpening, WrongReplyUnknownAddressAndEmptyBox) {
    sim->scriptNext(frames::cmdOpenLock2, fromAddress(6));
    open(QStringLiteral("5"));
    EXPECT_EQ(dialogs.last(), QStringLiteral("開門失敗"));
    const auto shown = dialogs.messages.size();
    open(QStringLiteral("8"));
    open(QStringLiteral("abc"));  // reads as 0, which has no row
    open(QStringLiteral("5.7"));  // a fraction is no controller's address
    EXPECT_EQ(dialogs.messages.size(), shown);
    open(QStringLiteral(" "));
    EXPECT_EQ(dialogs.last(), QStringLiteral("請選擇門號!"));
    EXPECT_EQ(dialogs.messages.back().style, 48);
    EXPECT_EQ(sim->received().size(), 1u);
}

TEST_F(RemoteOpening, EmptyDoorsTableIsPointedOut) {
    exec(QStringLiteral("delete * from doors"));
    Frmspe w;
    EXPECT_EQ(dialogs.last(), QStringLiteral(" 請先在系統設置里配置門鎖"));
    EXPECT_EQ(w.Cdoor->count(), 0);
}

// ---- the older lock-settings window ----

class OlderLockSettings : public WindowLine {
protected:
    void oldLayout() {
        exec(QStringLiteral("drop table doors"));
        exec(QStringLiteral("create table doors (部門號 text, 門號 text, 地址 integer, 延遲 integer, lockno integer)"));
    }
};

TEST_F(OlderLockSettings, SpinnerStopsAtItsBounds) {
    Frmdoor w;
    w.ttime->setText(QStringLiteral("24"));
    w.UpDown1_UpClick();
    w.UpDown1_UpClick();
    EXPECT_EQ(w.ttime->text(), QStringLiteral("25"));
    w.ttime->setText(QStringLiteral("1"));
    w.UpDown1_DownClick();
    w.UpDown1_DownClick();
    EXPECT_EQ(w.ttime->text(), QStringLiteral("0"));
}

TEST_F(OlderLockSettings, DelaySetInTheControllerAndItsRow) {
    oldLayout();
    exec(QStringLiteral("insert into doors (門號,地址,延遲,lockno) values ('A1',5,12,2)"));
    Frmdoor w;
    w.Taddress->setText(QStringLiteral("5"));
    w.Option1[1]->setChecked(true);
    w.ttime->setText(QStringLiteral("3"));
    w.Command1_Click();
    EXPECT_EQ(dialogs.last(), QStringLiteral("修改完畢"));
    EXPECT_EQ(sim->controller(5).delay[1], 42);
    EXPECT_EQ(scalar(QStringLiteral("select 延遲 from doors where 門號='A1'")).toInt(), 3);
    w.ttime->setText(QStringLiteral("19"));
    w.Command1_Click();
    EXPECT_EQ(dialogs.last(), QStringLiteral("門鎖延遲時間不能超過18.2秒，控制器無法設置!"));
    EXPECT_EQ(sim->received().size(), 1u);
}

TEST_F(OlderLockSettings, AddAndDuplicateDoorOnTheOldLayout) {
    oldLayout();
    Frmdoor w;
    w.Cdoor->setEditText(QStringLiteral("B'2"));
    w.Taddress->setText(QStringLiteral("7"));
    w.Cmdadd_Click();
    EXPECT_EQ(dialogs.last(), QStringLiteral("已經添加完畢"));
    w.Cmdadd_Click();
    EXPECT_EQ(dialogs.last(), QStringLiteral("門號地址重复,請重設"));
    EXPECT_EQ(count(QStringLiteral("doors")), 1);
    EXPECT_EQ(scalar(QStringLiteral("select 延遲 from doors")).toInt(), 12);
}

// Typing a door number empties the address; only a pick from the list loads
// the stored one, so a door can be moved to an address typed after it.
TEST_F(OlderLockSettings, ATypedDoorNumberLoadsNothing) {
    oldLayout();
    exec(QStringLiteral("insert into doors (門號,地址,延遲,lockno) values ('A1',5,12,2)"));
    exec(QStringLiteral("insert into doors (門號,地址,延遲,lockno) values ('B2',6,12,1)"));
    Frmdoor w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    testsupport::pickFromList(w.Cdoor, QStringLiteral("A1"));
    EXPECT_EQ(w.Taddress->text(), QStringLiteral("5"));
    testsupport::typeOver(w.Cdoor, QStringLiteral("B2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(w.Taddress->text().isEmpty());
    testsupport::typeOver(w.Taddress, QStringLiteral("8"));
    dialogs.answer(ui::vbYes);
    testsupport::click(w.Command4);
    EXPECT_EQ(dialogs.texts().front(), QStringLiteral("确信要修改B2號門嗎?"));
    EXPECT_EQ(scalar(QStringLiteral("select 地址 from doors where 門號='B2'")).toInt(), 8);
    EXPECT_EQ(scalar(QStringLiteral("select 地址 from doors where 門號='A1'")).toInt(), 5);
}

TEST_F(OlderLockSettings, InitialiseSendsNoSecondFrameAfterASilentFirst) {
    sim->scriptNext(frames::cmdClearMemory, silence());
    Frmdoor w;
    w.Taddress->setText(QStringLiteral("5"));
    w.Cmdtest_Click();
    EXPECT_EQ(dialogs.last(), QStringLiteral("初始化出錯..."));
    EXPECT_EQ(sim->received().size(), 1u);
    w.Cmdtest_Click();
    EXPECT_EQ(dialogs.last(), QStringLiteral("初始化成功"));
    EXPECT_TRUE(w.mesg->text().isEmpty());
}

TEST_F(OlderLockSettings, LiveLayoutGivesMessagesNotCrashes) {
    Frmdoor w;  // the live doors table has no door numbers
    w.Cdoor->setEditText(QStringLiteral("A1"));
    w.Taddress->setText(QStringLiteral("5"));
    w.Cmdadd_Click();
    EXPECT_FALSE(dialogs.last().isEmpty());
    EXPECT_EQ(count(QStringLiteral("doors")), 0);
}

}  // namespace
