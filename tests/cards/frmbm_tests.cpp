// Departments: the register, renames carried into people, and deletion with
// the people's issued cards going into the returned-card history.
#include "app.h"
#include "frmbm.h"
#include "cardfixture.h"
#include "simulator.h"
#include "sqlvalue.h"
#include "operator.h"
#include "testsupport.h"
#include "pointer.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <atomic>
#include <chrono>
#include <thread>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using testsupport::ProgramFolderTest;

namespace {

class Departments : public ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        openSharedDb();
        for (const char* name : {"東座", "O'Hara Court", "西座"})
            app::db.Execute(QStringLiteral("insert into department values ('%1')").arg(QString(name).replace("'", "''")));
        window = new Frmbm();
    }
    void TearDown() override
    {
        delete window.data();
        ProgramFolderTest::TearDown();
    }
    QStringList listed() const
    {
        QStringList names;
        for (int i = 0; i < window->List1->count(); ++i)
            names << window->List1->item(i)->text();
        return names;
    }
    void select(const QString& name)
    {
        const auto found = window->List1->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        window->List1->setCurrentItem(found[0]);
    }
    void person(const char* card, const QString& name, const QString& department)
    {
        app::db.Execute(QStringLiteral("insert into people (卡號,姓名,部門) values ('%1',%2,%3)")
                            .arg(card, sql::text(name), sql::text(department)));
    }
    void issue(int address, const char* card) { cardstore::insertIssued(app::db, testCard(address, card)); }

    QPointer<Frmbm> window;
};

TEST_F(Departments, AddTrimsAndRefusesEmptyAndDuplicateNames)
{
    window->Tbm->setText("  北座  ");
    window->Cmdadd_Click();
    EXPECT_EQ(count("department", "部門='北座'"), 1);
    EXPECT_TRUE(listed().contains("北座"));
    EXPECT_EQ(window->Tbm->text(), "  北座  ");
    EXPECT_TRUE(dialogs.messages.empty());

    for (const char* again : {"北座", " 北座 ", "o'hara court"}) {
        SCOPED_TRACE(again);
        window->Tbm->setText(again);
        window->Cmdadd_Click();
        EXPECT_EQ(dialogs.last(), "該部門已存在");
        EXPECT_EQ(dialogs.messages.back().style, 0);
    }
    window->Tbm->setText("   ");
    window->Cmdadd_Click();
    EXPECT_EQ(dialogs.last(), "請輸入部門");
    EXPECT_EQ(dialogs.messages.back().style, 48);
    EXPECT_EQ(count("department"), 4);
}

TEST_F(Departments, ListIsInNameOrderWithNothingSelected)
{
    EXPECT_EQ(listed(), QStringList({"O'Hara Court", "東座", "西座"}));
    EXPECT_EQ(window->List1->selectedItems().size(), 0);
    window->List1->setCurrentRow(1);
    emit window->List1->itemClicked(window->List1->item(1));
    EXPECT_EQ(window->Tbm->text(), "東座");
}

TEST_F(Departments, RenameCarriesTheNewNameIntoEveryPerson)
{
    person("000001", "甲", "O'Hara Court");
    person("000002", "乙", "O'Hara Court");
    person("000003", "丙", "東座");
    app::db.Execute("insert into dfaka (地址,卡號,部門) values (1,'000001','O''Hara Court')");

    select("O'Hara Court");
    window->Tbm->setText(" Hara's Tower ");
    window->Cmdch_Click();

    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(count("department", "部門='Hara''s Tower'"), 1);
    EXPECT_EQ(count("department", "部門='O''Hara Court'"), 0);
    EXPECT_EQ(count("people", "部門='Hara''s Tower'"), 2);
    EXPECT_EQ(count("people", "部門='東座'"), 1);
    EXPECT_EQ(count("dfaka", "部門='O''Hara Court'"), 1);  // the history keeps the old name
    EXPECT_TRUE(listed().contains("Hara's Tower"));
}

TEST_F(Departments, RenameRefusals)
{
    window->Tbm->setText("新名");
    window->Cmdch_Click();
    EXPECT_EQ(dialogs.last(), "請選擇要修改的部門");

    select("東座");
    window->Tbm->setText("東座");
    window->Cmdch_Click();
    EXPECT_EQ(dialogs.last(), "該部門已存在");

    window->Tbm->setText("西座");
    window->Cmdch_Click();
    EXPECT_EQ(dialogs.last(), "該部門已存在");

    window->Tbm->setText("");
    window->Cmdch_Click();
    EXPECT_EQ(dialogs.last(), "請輸入部門");
    EXPECT_EQ(count("department"), 3);
}

TEST_F(Departments, DeleteAnsweredNoKeepsThePeople)
{
    person("000001", "甲", "東座");
    issue(1, "000001");
    select("東座");
    dialogs.answer(ui::vbNo);
    window->cmddel_Click();

    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.messages[0].prompt.startsWith("是否要同時刪除該部門的所有人員？"));
    EXPECT_EQ(dialogs.messages[0].style, 4 + 256);  // Enter answers No
    EXPECT_EQ(dialogs.messages[0].title, "提示");
    EXPECT_EQ(dialogs.messages[1].prompt, "沒有刪除該部門的人員！");
    EXPECT_EQ(count("department", "部門='東座'"), 0);
    EXPECT_EQ(count("people", "部門='東座'"), 1);
    EXPECT_EQ(count("faka"), 1);
    EXPECT_EQ(count("dfaka"), 0);
    EXPECT_FALSE(listed().contains("東座"));
    EXPECT_TRUE(window->Tbm->text().isEmpty());
}

TEST_F(Departments, DeleteAnsweredYesArchivesAndRemovesCardsPeopleAndDepartment)
{
    person("000001", "Kay O'Brien", "O'Hara Court");
    person("000002", "", "O'Hara Court");
    person("000003", "丙", "東座");
    person("000004", "丁", "O'Hara Court");  // holds no card
    ctlsim::Simulator sim(folder(), 3);
    app::comport = 3;
    sim.addController(1);
    sim.addController(2);
    issue(1, "000001");
    issue(2, "000001");
    issue(1, "000002");
    issue(1, "000003");

    select("O'Hara Court");
    dialogs.answer(ui::vbYes);
    window->cmddel_Click();

    // The operator is told before and after that the controllers keep the cards.
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].prompt, "是否要同時刪除該部門的所有人員？\n\n該部門人員的 2 張卡仍在控制器中："
                                          "地址 1 有 2 張，地址 2 有 1 張。刪除人員不會從控制器中刪除這些卡。");
    EXPECT_EQ(dialogs.messages[1].prompt, "該部門的人員已刪除。地址 1、2 的控制器仍保留這些卡：在對這些地址做"
                                          "「發卡信息重整」之前，這些卡仍可開門！");
    EXPECT_EQ(dialogs.messages[1].style, 48);
    EXPECT_EQ(count("dfaka"), 3);
    EXPECT_EQ(count("dfaka", "卡號='000001' and 姓名='Kay O''Brien' and 部門='O''Hara Court'"), 2);
    EXPECT_EQ(count("dfaka", "卡號='000002' and 姓名 is null"), 1);
    EXPECT_EQ(count("dfaka", "日期=#" + QDate::currentDate().toString("yyyy-MM-dd") + "#"), 3);
    EXPECT_EQ(count("faka"), 1);
    EXPECT_EQ(count("faka", "卡號='000003'"), 1);
    EXPECT_EQ(count("people"), 1);
    EXPECT_EQ(count("department", "部門='O''Hara Court'"), 0);
    EXPECT_EQ(count("department"), 2);
    EXPECT_TRUE(window->Tbm->text().isEmpty());
    EXPECT_TRUE(sim.received().empty());  // the controllers keep the cards: a rebuild leaves them out
}

// The warning counts each card once, however many controllers hold it, and
// gives the cards held at each address.
TEST_F(Departments, DeleteWarningCountsCardsAndTheCardsAtEachAddress)
{
    for (const char* card : {"000001", "000002", "000003"}) {
        person(card, "甲", "西座");
        issue(1, card);
        issue(2, card);
    }
    person("000004", "乙", "西座");
    issue(2, "000004");
    issue(3, "000009");  // someone else's card
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    const auto found = window->List1->findItems("西座", Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    QTest::mouseClick(window->List1->viewport(), Qt::LeftButton, {}, window->List1->visualItemRect(found[0]).center());
    testsupport::click(window->cmddel);  // answered No: the people stay
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].prompt, "是否要同時刪除該部門的所有人員？\n\n該部門人員的 4 張卡仍在控制器中："
                                          "地址 1 有 3 張，地址 2 有 4 張。刪除人員不會從控制器中刪除這些卡。");
    EXPECT_EQ(count("faka"), 8);
}

TEST_F(Departments, DeleteOfADepartmentWithoutIssuedCardsAsksPlainly)
{
    person("000001", "甲", "西座");
    issue(1, "000009");  // someone else's card
    select("西座");
    dialogs.answer(ui::vbYes);
    window->cmddel_Click();
    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{"是否要同時刪除該部門的所有人員？"}));
    EXPECT_EQ(count("people"), 0);
    EXPECT_EQ(count("faka"), 1);
}

// A delete that the database refuses takes nothing away and says nothing
// about the controllers.
TEST_F(Departments, RefusedDeleteKeepsEverythingAndClaimsNothing)
{
    person("000001", "甲", "西座");
    issue(1, "000001");
    openDb().Execute("create trigger refuse before delete on people begin select raise(abort, 'refused'); end");
    select("西座");
    dialogs.answer(ui::vbYes);
    window->cmddel_Click();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.messages[1].prompt.startsWith("數據庫操作失敗"));
    EXPECT_EQ(count("faka"), 1);
    EXPECT_EQ(count("dfaka"), 0);
    EXPECT_EQ(count("department", "部門='西座'"), 1);
}

// Another program holds the file exclusively: an addition waits for it one
// busy time in all, under the hourglass, and says so in the system's words;
// what the operator types meanwhile reaches the box once the wait is over.
TEST_F(Departments, AnotherProgramsLockHoldsAnAdditionOneBusyTimeUnderTheHourglass)
{
    testsupport::OtherProgram other(file("kestrom.mdb"), "begin exclusive");
    ASSERT_EQ(other.started(), QString());
    window->show();
    window->Tbm->setFocus();
    QTest::keyClicks(window->Tbm, "Block L");
    std::atomic<int> hourglassWhileWaiting{-1};
    std::thread typist([&] {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        hourglassWhileWaiting = ui::hourglassCount();
        QCoreApplication::postEvent(window->Tbm, new QKeyEvent(QEvent::KeyPress, Qt::Key_2, Qt::NoModifier, "2"));
        QCoreApplication::postEvent(window->Tbm, new QKeyEvent(QEvent::KeyRelease, Qt::Key_2, Qt::NoModifier, "2"));
    });
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(window->Cmdadd, Qt::LeftButton);
    const qint64 waited = clock.elapsed();
    typist.join();
    EXPECT_GE(hourglassWhileWaiting, 1);
    EXPECT_GE(waited, 4500);
    EXPECT_LT(waited, 8000);  // one busy time, not one a statement
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.last(), "數據庫操作失敗：\n數據庫文件正被另一程序使用，請稍後再試。");
    QCoreApplication::processEvents();
    EXPECT_EQ(ui::hourglassCount(), 0);
    EXPECT_EQ(window->Tbm->text(), "Block L2");

    EXPECT_EQ(other.then("rollback"), QString());
    dialogs.messages.clear();
    QTest::mouseClick(window->Cmdadd, Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
    EXPECT_EQ(count("department", "部門='Block L2'"), 1);
}

// A register that can't be read is told in the window's own message.
TEST_F(Departments, AListThatCantBeReadIsTold)
{
    openDb().Execute("drop table department");
    QPointer<Frmbm> second = new Frmbm();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].prompt.startsWith("數據庫操作失敗"));
    EXPECT_EQ(second->List1->count(), 0);
    delete second.data();
}

TEST_F(Departments, DeleteWithoutSelectionOrOfAVanishedName)
{
    window->cmddel_Click();
    EXPECT_EQ(dialogs.last(), "請選擇要刪除的部門");

    select("西座");
    window->Tbm->setText("x");
    openDb().Execute("delete * from department where 部門='西座'");
    window->cmddel_Click();
    EXPECT_EQ(dialogs.messages.size(), 1u);  // no question for a name no longer registered
    EXPECT_FALSE(listed().contains("西座"));
    EXPECT_TRUE(window->Tbm->text().isEmpty());
}

// A name pasted from another program with a NUL in it: the box takes it
// without the NUL, and the department is stored as the operator sees it.
TEST_F(Departments, APastedNulIsDroppedAndTheNameStored)
{
    window->show();
    window->activateWindow();
    QApplication::clipboard()->setText(QStringLiteral("北") + QChar(0) + QStringLiteral("座"));
    window->Tbm->setFocus();
    QTest::keySequence(window->Tbm, QKeySequence::Paste);
    EXPECT_EQ(window->Tbm->text(), "北座");
    QTest::mouseClick(window->Cmdadd, Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
    EXPECT_EQ(count("department", "部門='北座'"), 1);
}

}  // namespace
