// The lock-settings window: its rows in doors and its exchanges with the
// simulated controller at address 5.
#include "frmdoors.h"
#include "operator.h"
#include "windowline.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

class LockSettings : public WindowLine {
protected:
    void SetUp() override {
        WindowLine::SetUp();
        window = std::make_unique<Frmdoors>();
    }
    void TearDown() override {
        window.reset();
        WindowLine::TearDown();
    }
    void address(const QString& text) { window->Cdoor->setEditText(text); }
    void pick(const QString& text) {
        address(text);
        window->Cdoor_Click();
    }
    QVariant field(const QString& column, int addr) {
        return scalar(QStringLiteral("select %1 from doors where 地址=%2").arg(column).arg(addr));
    }
    QStringList lines() const {
        QStringList out;
        for (int i = 0; i < window->ListView1->count(); ++i)
            out << window->ListView1->item(i)->text();
        return out;
    }
    std::unique_ptr<Frmdoors> window;
};

TEST_F(LockSettings, AddressChecksOfEveryButton) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {{"", "請輸入地址!"}, {"  ", "請輸入地址!"}, {"100", "地址<=99，請重輸"},
                 {"99999999999999999999999", "地址<=99，請重輸"}};
    void (Frmdoors::*buttons[])() = {&Frmdoors::Cmdadd_Click, &Frmdoors::Command4_Click, &Frmdoors::Cmdtest_Click,
                                     &Frmdoors::Command1_Click};
    for (const auto& c : cases) {
        for (auto button : buttons) {
            address(QString::fromLatin1(c.text));
            (window.get()->*button)();
            EXPECT_EQ(dialogs.last(), QString::fromUtf8(c.message)) << c.text;
        }
    }
    EXPECT_EQ(count(QStringLiteral("doors")), 0);
    EXPECT_TRUE(sim->received().empty());
}

TEST_F(LockSettings, AddOneLockOfIronWithTheDefaultDelay) {
    address(QStringLiteral("3"));
    window->Clkn1[1]->setChecked(false);
    window->Opt[2]->setChecked(true);
    window->second2[0]->clear();
    window->drnam[0]->setText(QStringLiteral("O'Brien's door"));
    window->Cmdadd_Click();
    EXPECT_EQ(dialogs.last(), QStringLiteral("已經添加完畢"));
    EXPECT_EQ(window->second2[0]->text(), QStringLiteral("0.5"));
    EXPECT_EQ(field(QStringLiteral("delay1"), 3).toDouble(), 0.5);
    EXPECT_EQ(field(QStringLiteral("dtype1"), 3).toString(), QStringLiteral("鐵"));
    EXPECT_EQ(field(QStringLiteral("namedr1"), 3).toString(), QStringLiteral("O'Brien's door"));
    for (const char* column : {"namedr2", "delay2", "dtype2"})
        EXPECT_FALSE(field(QString::fromLatin1(column), 3).isValid()) << column;
    EXPECT_EQ(window->Cdoor->findText(QStringLiteral("3")), 0);
}

TEST_F(LockSettings, AddEachLockTypeOnEitherLock) {
    const char* types[] = {"玻", "木", "鐵"};
    for (int t = 0; t < 3; ++t) {
        address(QString::number(10 + t));
        window->Clkn1[0]->setChecked(true);
        window->Clkn1[1]->setChecked(true);
        window->Opt[t]->setChecked(true);
        window->Opt[3 + (2 - t)]->setChecked(true);
        window->second2[0]->setText(QStringLiteral("1"));
        window->second2[1]->setText(QStringLiteral("2"));
        window->Cmdadd_Click();
        EXPECT_EQ(field(QStringLiteral("dtype1"), 10 + t).toString(), QString::fromUtf8(types[t]));
        EXPECT_EQ(field(QStringLiteral("dtype2"), 10 + t).toString(), QString::fromUtf8(types[2 - t]));
    }
    address(QStringLiteral("0"));
    window->Clkn1[0]->setChecked(false);
    window->Cmdadd_Click();
    EXPECT_FALSE(field(QStringLiteral("dtype1"), 0).isValid());
    EXPECT_EQ(field(QStringLiteral("delay2"), 0).toDouble(), 2);
    EXPECT_EQ(count(QStringLiteral("doors")), 4);
}

TEST_F(LockSettings, AddWithNoLockTickedIsRefused) {
    address(QStringLiteral("4"));
    window->Clkn1[0]->setChecked(false);
    window->Clkn1[1]->setChecked(false);
    window->Cmdadd_Click();
    EXPECT_EQ(dialogs.last(), QStringLiteral("請選擇鎖號!"));
    EXPECT_EQ(count(QStringLiteral("doors")), 0);
}

TEST_F(LockSettings, AddTwiceAndModifyMissing) {
    address(QStringLiteral("7"));
    window->Cmdadd_Click();
    window->Cmdadd_Click();
    EXPECT_EQ(dialogs.last(), QStringLiteral("地址重复,請重設"));
    EXPECT_EQ(count(QStringLiteral("doors")), 1);
    address(QStringLiteral("8"));
    window->Command4_Click();
    EXPECT_EQ(dialogs.last(), QStringLiteral("地址不存在,請重設"));
    EXPECT_EQ(count(QStringLiteral("doors")), 1);
}

TEST_F(LockSettings, ModifyReplacesTheRow) {
    exec(QStringLiteral("insert into doors (地址,namedr1,delay1,dtype1,namedr2,delay2,dtype2) values "
                        "('6','old','5','玻','two','5','木')"));
    address(QStringLiteral("6"));
    window->Clkn1[1]->setChecked(false);
    window->drnam[0]->setText(QStringLiteral("new 'front'"));
    window->second2[0]->setText(QStringLiteral("12.5"));
    window->Command4_Click();
    EXPECT_EQ(dialogs.last(), QStringLiteral("已經修改完畢"));
    EXPECT_EQ(count(QStringLiteral("doors")), 1);
    EXPECT_EQ(field(QStringLiteral("namedr1"), 6).toString(), QStringLiteral("new 'front'"));
    EXPECT_EQ(field(QStringLiteral("delay1"), 6).toDouble(), 12.5);
    EXPECT_FALSE(field(QStringLiteral("dtype2"), 6).isValid());
}

TEST_F(LockSettings, ModifyThatFailsKeepsTheOldRow) {
    exec(QStringLiteral("insert into doors (地址,namedr1,delay1,dtype1) values ('6','old','5','玻')"));
    rawSql("create trigger refuse before insert on doors when new.namedr1 = 'boom' "
           "begin select raise(abort, 'refused'); end");
    address(QStringLiteral("6"));
    window->Clkn1[1]->setChecked(false);
    window->drnam[0]->setText(QStringLiteral("boom"));
    window->Command4_Click();
    EXPECT_TRUE(dialogs.last().startsWith(QStringLiteral("修改失敗"))) << dialogs.last().toStdString();
    EXPECT_EQ(count(QStringLiteral("doors")), 1);
    EXPECT_EQ(field(QStringLiteral("namedr1"), 6).toString(), QStringLiteral("old"));
}

TEST_F(LockSettings, DelayChecks) {
    struct Case {
        int type;  // 0 glass, 1 wood, 2 iron
        const char* delay;
        const char* refusal;  // empty: accepted
    } cases[] = {
        {2, "2", ""},     {2, "2.5", "鐵門鎖延遲時間建議在0到2之間!"},     {0, "25", ""},
        {1, "25.1", "門鎖延遲時間建議在0到25之間!"}, {0, ".", "門鎖延遲時間建議在0到25之間!"},
        {0, "1.2.3", "門鎖延遲時間建議在0到25之間!"}, {2, "0", ""},        {0, ".5", ""},
    };
    int next = 20;
    for (const auto& c : cases) {
        address(QString::number(next));
        window->Clkn1[1]->setChecked(false);
        window->Opt[c.type]->setChecked(true);
        window->second2[0]->setText(QString::fromLatin1(c.delay));
        window->second2[1]->setText(QStringLiteral("not checked"));
        window->Cmdadd_Click();
        const bool stored = count(QStringLiteral("doors"), QStringLiteral("地址=%1").arg(next)) == 1;
        if (*c.refusal) {
            EXPECT_EQ(dialogs.last(), QString::fromUtf8(c.refusal)) << c.delay;
            EXPECT_FALSE(stored) << c.delay;
        } else {
            EXPECT_TRUE(stored) << c.delay;
        }
        ++next;
    }
}

TEST_F(LockSettings, TypeButtonPutsItsDefaultDelay) {
    window->second2[1]->setText(QStringLiteral("12"));
    window->Opt[4]->click();
    EXPECT_EQ(window->second2[1]->text(), QStringLiteral("5"));
    window->Opt[2]->click();
    EXPECT_EQ(window->second2[0]->text(), QStringLiteral("0.5"));
}

TEST_F(LockSettings, KeyFiltersOfAddressAndDelay) {
    // Typed as a keyboard does: into the combo box, which has the focus.
    QTest::keyClicks(window->Cdoor, QStringLiteral("1a2."));
    EXPECT_EQ(window->Cdoor->currentText(), QStringLiteral("12"));
    window->second2[0]->clear();
    QTest::keyClicks(window->second2[0], QStringLiteral("0x.5s"));
    QTest::keyClick(window->second2[0], Qt::Key_Return);
    EXPECT_EQ(window->second2[0]->text(), QStringLiteral("0.5"));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(LockSettings, DeleteTakesTheFakaRowsOfTheAddress) {
    exec(QStringLiteral("insert into doors (地址,dtype1) values ('4','玻')"));
    exec(QStringLiteral("insert into doors (地址,dtype1) values ('9','玻')"));
    exec(QStringLiteral("insert into faka (卡號,地址) values ('000001',4)"));
    exec(QStringLiteral("insert into faka (卡號,地址) values ('000002',9)"));
    address(QStringLiteral("4"));
    window->cmddel_Click();  // the question left at its default, as Enter answers it
    EXPECT_EQ(count(QStringLiteral("doors")), 2);
    EXPECT_EQ(count(QStringLiteral("faka")), 2);
    dialogs.answer(ui::vbYes);
    window->cmddel_Click();
    EXPECT_EQ(dialogs.last(), QStringLiteral("确信要刪除地址為4的門及其相應的發卡記錄嗎?"));
    EXPECT_EQ(dialogs.messages.back().style, 36 + 256);  // Enter answers No
    EXPECT_EQ(count(QStringLiteral("doors"), QStringLiteral("地址=4")), 0);
    EXPECT_EQ(count(QStringLiteral("faka"), QStringLiteral("地址=4")), 0);
    EXPECT_EQ(count(QStringLiteral("faka"), QStringLiteral("地址=9")), 1);
    EXPECT_EQ(window->Cdoor->count(), 1);
    EXPECT_TRUE(sim->received().empty());
    address(QString());
    window->cmddel_Click();
    EXPECT_EQ(dialogs.last(), QStringLiteral("請輸入要刪除的地址!"));
}

// Only a choice from the open list shows a stored row: a typed address that
// matches a listed one keeps what the operator put in the boxes.
TEST_F(LockSettings, TypedAddressesKeepTheEditedBoxes) {
    exec(QStringLiteral("insert into doors (地址,namedr1,delay1,dtype1,namedr2,delay2,dtype2) values "
                        "('5','front','5','玻','back','5','木')"));
    exec(QStringLiteral("insert into doors (地址,namedr1,delay1,dtype1) values ('1','side','5','木')"));
    window->close();
    window = std::make_unique<Frmdoors>();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    testsupport::pickFromList(window->Cdoor, QStringLiteral("5"));
    EXPECT_EQ(window->drnam[0]->text(), QStringLiteral("front"));
    const auto readsSoFar = sim->received().size();
    EXPECT_GT(readsSoFar, 0u);  // the pick read the controller's information

    testsupport::typeOver(window->drnam[0], QStringLiteral("new front"));
    testsupport::click(window->Opt[2]);  // 鐵門鎖
    testsupport::click(window->Clkn1[1]);
    testsupport::typeOver(window->Cdoor, QStringLiteral("1"));
    testsupport::click(window->Command4);
    EXPECT_EQ(dialogs.last(), QStringLiteral("已經修改完畢"));
    EXPECT_EQ(field(QStringLiteral("namedr1"), 1).toString(), QStringLiteral("new front"));
    EXPECT_EQ(field(QStringLiteral("dtype1"), 1).toString(), QStringLiteral("鐵"));
    EXPECT_EQ(field(QStringLiteral("delay1"), 1).toDouble(), 0.5);
    EXPECT_FALSE(field(QStringLiteral("dtype2"), 1).isValid());
    EXPECT_EQ(field(QStringLiteral("namedr1"), 5).toString(), QStringLiteral("front"));
    EXPECT_EQ(sim->received().size(), readsSoFar);

    testsupport::typeOver(window->Cdoor, QStringLiteral("5"));
    testsupport::click(window->Cmdadd);
    EXPECT_EQ(dialogs.last(), QStringLiteral("地址重复,請重設"));
    EXPECT_EQ(window->drnam[0]->text(), QStringLiteral("new front"));
    EXPECT_EQ(count(QStringLiteral("doors")), 2);
}

TEST_F(LockSettings, ATypedAddressIsNotCompletedFromTheList) {
    exec(QStringLiteral("insert into doors (地址,namedr1,delay1,dtype1) values ('12','gate','5','玻')"));
    window = std::make_unique<Frmdoors>();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    testsupport::typeOver(window->Cdoor, QStringLiteral("1"));
    testsupport::click(window->Cmdadd);
    EXPECT_EQ(dialogs.last(), QStringLiteral("已經添加完畢"));
    EXPECT_EQ(count(QStringLiteral("doors"), QStringLiteral("地址=1")), 1);
    EXPECT_EQ(field(QStringLiteral("namedr1"), 12).toString(), QStringLiteral("gate"));
}

TEST_F(LockSettings, AddressesListedInAscendingOrder) {
    for (int a : {7, 3, 12, 5})
        exec(QStringLiteral("insert into doors (地址,dtype1) values ('%1','玻')").arg(a));
    const auto listed = [this] {
        QStringList out;
        for (int i = 0; i < window->Cdoor->count(); ++i)
            out << window->Cdoor->itemText(i);
        return out;
    };
    window = std::make_unique<Frmdoors>();
    EXPECT_EQ(listed(), (QStringList{"3", "5", "7", "12"}));
    address(QStringLiteral("5"));
    dialogs.answer(ui::vbYes);
    window->cmddel_Click();
    EXPECT_EQ(listed(), (QStringList{"3", "7", "12"}));
}

TEST_F(LockSettings, PickingAnAddressShowsTheRowAndTheControllerInformation) {
    exec(QStringLiteral("insert into doors (地址,namedr1,delay1,dtype1,delay2) values ('5','front','0.5','鐵','7')"));
    sim->edit(5, [](ctlsim::Controller& c) {
        c.records.resize(12);
        c.weekday = 0;
        c.date = QDate(2026, 12, 13);
        c.time = QTime(9, 0, 0);
    });
    window->Opt[3]->setChecked(true);
    pick(QStringLiteral("5"));
    EXPECT_TRUE(window->Clkn1[0]->isChecked());
    EXPECT_TRUE(window->Opt[2]->isChecked());
    EXPECT_EQ(window->drnam[0]->text(), QStringLiteral("front"));
    EXPECT_EQ(window->second2[0]->text(), QStringLiteral("0.5"));
    EXPECT_FALSE(window->Clkn1[1]->isChecked());  // no type: no lock 2, whatever its delay
    EXPECT_EQ(window->second2[1]->text(), QStringLiteral("5"));
    const QStringList shown = lines();
    ASSERT_EQ(shown.size(), 8);
    EXPECT_EQ(shown[0], QStringLiteral(" 地  址:5"));
    EXPECT_EQ(shown[1], QStringLiteral(" 打卡記錄數: 12 "));
    EXPECT_EQ(shown[2], QStringLiteral(" 鎖一延時: 5 秒"));
    EXPECT_EQ(shown[4], QStringLiteral(" 日期:2026-12-13"));
    EXPECT_EQ(shown[6], QStringLiteral(" 星期:Sunday"));
    EXPECT_EQ(shown[7], QStringLiteral(" 版本號:1.23"));
    EXPECT_TRUE(window->Comm.PortOpen());
}

TEST_F(LockSettings, PickingAnAddressWithoutRowOrAnswer) {
    window->drnam[0]->setText(QStringLiteral("left over"));
    pick(QStringLiteral("8"));
    EXPECT_FALSE(window->Clkn1[0]->isChecked());
    EXPECT_TRUE(window->drnam[0]->text().isEmpty());
    EXPECT_TRUE(window->Opt[0]->isChecked() && window->Opt[3]->isChecked());
    exec(QStringLiteral("insert into doors (地址,dtype1) values ('8','木')"));
    pick(QStringLiteral("8"));  // nobody answers at 8
    EXPECT_EQ(window->ListView1->count(), 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

// ---- initialisation and delays ----

TEST_F(LockSettings, InitialiseErasesRecordsThenCards) {
    sim->edit(5, [](ctlsim::Controller& c) {
        c.records.resize(4);
        c.cards[QStringLiteral("000001")] = {};
    });
    address(QStringLiteral("5"));
    window->Opt[0]->setChecked(true);
    window->second2[0]->setText(QStringLiteral("30"));
    window->Cmdtest_Click();
    EXPECT_EQ(dialogs.last(), QStringLiteral("初始化成功"));
    EXPECT_EQ(window->second2[0]->text(), QStringLiteral("5"));
    const auto frames = sim->received();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], QByteArray::fromHex("050206"));
    EXPECT_EQ(frames[1], QByteArray::fromHex("05020c"));
    EXPECT_TRUE(sim->controller(5).records.empty());
    EXPECT_TRUE(sim->controller(5).cards.empty());
    EXPECT_FALSE(window->Comm.PortOpen());
    EXPECT_TRUE(window->Cmdadd->isEnabled() && window->cmddel->isEnabled() && window->Command4->isEnabled());
}

TEST_F(LockSettings, InitialiseStopsAtAWrongFirstEcho) {
    sim->edit(5, [](ctlsim::Controller& c) { c.cards[QStringLiteral("000001")] = {}; });
    sim->scriptNext(frames::cmdClearMemory, fromAddress(6));
    address(QStringLiteral("5"));
    window->Cmdtest_Click();
    EXPECT_EQ(dialogs.last(), QStringLiteral("初始化出錯..."));
    EXPECT_EQ(sim->received().size(), 1u);
    EXPECT_FALSE(sim->controller(5).cards.empty());
    EXPECT_TRUE(window->Cmdadd->isEnabled());
}

TEST_F(LockSettings, InitialiseNeedsALockAndAPort) {
    address(QStringLiteral("5"));
    window->Clkn1[0]->setChecked(false);
    window->Clkn1[1]->setChecked(false);
    window->Cmdtest_Click();
    EXPECT_EQ(dialogs.last(), QStringLiteral("請選擇鎖號!"));
    window->Clkn1[0]->setChecked(true);
    brokenPort(5);
    window->Cmdtest_Click();
    EXPECT_EQ(dialogs.last(), QStringLiteral("串口通信端口沒有打開"));
    EXPECT_TRUE(sim->received().empty());
}

TEST_F(LockSettings, DelaysSentLockByLockAndStoredAfterEachEcho) {
    exec(QStringLiteral("insert into doors (地址,delay1,dtype1,delay2,dtype2) values ('5','5','玻','5','木')"));
    address(QStringLiteral("5"));
    window->second2[0]->setText(QStringLiteral("0.75"));
    window->second2[1]->setText(QStringLiteral("2"));
    sim->scriptNext(frames::cmdDelayLock2, silence());
    window->Command1_Click();
    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{QStringLiteral("鎖一修改完畢"), QStringLiteral(" 鎖二通訊出錯")}));
    EXPECT_EQ(sim->controller(5).delay[0], 10);
    EXPECT_EQ(field(QStringLiteral("delay1"), 5).toDouble(), 0.75);
    EXPECT_EQ(field(QStringLiteral("delay2"), 5).toDouble(), 5);
    EXPECT_FALSE(window->Comm.PortOpen());
}

TEST_F(LockSettings, DelayBeyondTheControllersByteIsRefusedBeforeSending) {
    exec(QStringLiteral("insert into doors (地址,delay1,dtype1) values ('5','5','玻')"));
    address(QStringLiteral("5"));
    window->Clkn1[1]->setChecked(false);
    window->second2[0]->setText(QStringLiteral("18.3"));
    window->Command1_Click();
    EXPECT_EQ(dialogs.last(), QStringLiteral("門鎖延遲時間不能超過18.2秒，控制器無法設置!"));
    EXPECT_TRUE(sim->received().empty());
    EXPECT_EQ(field(QStringLiteral("delay1"), 5).toDouble(), 5);
    window->second2[0]->setText(QStringLiteral("18.2"));
    window->Command1_Click();
    EXPECT_EQ(sim->controller(5).delay[0], 255);
}

TEST_F(LockSettings, LockOnesLateEchoIsNoEchoOfLockTwo) {
    exec(QStringLiteral("insert into doors (地址,delay1,dtype1,delay2,dtype2) values ('5','5','玻','5','木')"));
    address(QStringLiteral("5"));
    window->second2[0]->setText(QStringLiteral("3"));
    window->second2[1]->setText(QStringLiteral("4"));
    sim->scriptNext(frames::cmdDelayLock1, delayed(2.3));
    sim->scriptNext(frames::cmdDelayLock2, silence());
    window->Command1_Click();
    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{QStringLiteral(" 鎖一通訊出錯"), QStringLiteral(" 鎖二通訊出錯")}));
    EXPECT_EQ(field(QStringLiteral("delay2"), 5).toDouble(), 5);
}

TEST_F(LockSettings, ClosingTheWindowDuringAWaitEndsItSafely) {
    exec(QStringLiteral("insert into doors (地址,delay1,dtype1) values ('5','5','玻')"));
    sim->scriptNext(frames::cmdDelayLock1, silence());
    window->show();
    address(QStringLiteral("5"));
    window->Clkn1[1]->setChecked(false);
    QTimer::singleShot(realMs(0.5), window.get(), [this] { window->close(); });
    window->Command1_Click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->Comm.PortOpen());
    EXPECT_TRUE(dialogs.messages.empty());  // a closed window has nothing more to say
    EXPECT_EQ(field(QStringLiteral("delay1"), 5).toDouble(), 5);
}

TEST_F(LockSettings, SecondPressDuringAWaitStartsNoSecondExchange) {
    sim->scriptNext(frames::cmdClearMemory, delayed(1));
    address(QStringLiteral("5"));
    QTimer::singleShot(realMs(0.3), window.get(), [this] { window->Cmdtest_Click(); });
    window->Cmdtest_Click();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{QStringLiteral("初始化成功")});
    EXPECT_EQ(sim->received().size(), 2u);
}

}  // namespace
