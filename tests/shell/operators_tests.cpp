// The operators window: operators, their flags and rights, and who may change them.
#include "app.h"
#include "frmrigs.h"
#include "login.h"
#include "mainwindowtest.h"
#include "menu.h"
#include "rights.h"
#include "sqlvalue.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <memory>

namespace {

QStringList listed(const FrmRigS& w)
{
    QStringList names;
    for (int i = 0; i < w.List1->count(); ++i)
        names << w.List1->item(i)->text();
    return names;
}

class Operators : public shelltest::MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        app::db.Execute("insert into cjtype values (0, '0')");
        addOperator("setonly", "usersetting=true");
        addOperator("manageonly", "usermanage=true");
        addOperator("ann", "usersetting=false");
        app::curuser = "brivel";
    }
    void addOperator(const QString& name, const QString& flags)
    {
        app::db.Execute("insert into user (sysname,syspword) values ('" + name + "','pw')");
        app::db.Execute("update user set " + flags + " where sysname='" + name + "'");
    }
    std::unique_ptr<FrmRigS> open() { return std::make_unique<FrmRigS>(); }
    QString field(const QString& column, const QString& name) const
    {
        return scalar("select " + column + " from user where sysname='" + name + "'").toString();
    }
};

TEST_F(Operators, OpeningListsTheNamesInOrderAndGatesByTheOperatorsOwnFlags)
{
    const struct {
        const char* curuser;
        bool setUsers;
        bool manage;
    } cases[] = {
        {"brivel", true, true},      {"setonly", true, false}, {"manageonly", false, true},
        {"ann", false, false},       {"ghost", false, false},  {"", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.curuser);
        app::curuser = c.curuser;
        auto w = open();
        EXPECT_EQ(listed(*w), QStringList({"ann", "brivel", "manageonly", "setonly"}));
        for (QPushButton* b : {w->Cmdadd, w->Cmdmodify, w->Cmddelete})
            EXPECT_EQ(b->isEnabled(), c.setUsers) << b->objectName().toStdString();
        EXPECT_EQ(w->Cmdok->isEnabled(), c.manage);
        EXPECT_EQ(w->Che1->isEnabled(), c.manage);
        EXPECT_EQ(w->Che2->isEnabled(), c.manage);
        EXPECT_TRUE(w->Cmdall->isEnabled());
        EXPECT_EQ(w->Text1->text(), "");
        EXPECT_EQ(w->Cmdall->text(), "全選");
        EXPECT_EQ(w->SSTab1->currentIndex(), 0);
    }
}

TEST_F(Operators, TypingAnExistingNameShowsItsRow)
{
    app::db.Execute("update user set r3=true, r24=true where sysname='setonly'");
    auto w = open();
    w->Text1->setText(" setonly ");
    EXPECT_EQ(w->Text2->text(), "pw");
    EXPECT_TRUE(w->Che1->isChecked());
    EXPECT_FALSE(w->Che2->isChecked());
    for (int i = 0; i < 25; ++i)
        EXPECT_EQ(w->Ch[i]->isChecked(), i == 3 || i == 24) << i;
    w->Text1->setText("setonlyx");
    EXPECT_EQ(w->Text2->text(), "");
    EXPECT_FALSE(w->Che1->isChecked());
    EXPECT_FALSE(w->Ch[3]->isChecked());

    w->List1->setCurrentRow(1);
    EXPECT_EQ(w->Text1->text(), "brivel");
    EXPECT_TRUE(w->Ch[0]->isChecked());

    // The same name picked again after the box was changed.
    w->Text1->setText("someone else");
    emit w->List1->itemClicked(w->List1->currentItem());
    EXPECT_EQ(w->Text1->text(), "brivel");
    EXPECT_TRUE(w->Ch[0]->isChecked());
}

TEST_F(Operators, AddStoresTheTrimmedNameAndFlagsButNoRights)
{
    auto w = open();
    w->Text1->setText("  o'neil ");
    w->Text2->setText(" a'b ");
    w->Che1->setChecked(true);
    w->Cmdall_Click();  // every right ticked: still not stored by adding
    w->Cmdadd_Click();
    EXPECT_EQ(count("user", "sysname='o''neil'"), 1);
    EXPECT_EQ(field("syspword", "o''neil"), "a'b");
    EXPECT_EQ(field("usersetting", "o''neil"), "true");
    EXPECT_EQ(field("usermanage", "o''neil"), "false");
    EXPECT_EQ(count("user", "sysname='o''neil' and (r0=true or r24=true)"), 0);
    EXPECT_EQ(listed(*w).last(), "o'neil");  // at the end, not sorted in
    EXPECT_TRUE(dialogs.messages.empty());

    w->Text1->setText("ANN");
    w->Cmdadd_Click();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>({"該用戶已經存在！"}));
    EXPECT_EQ(dialogs.messages[0].style, 0);
    EXPECT_EQ(count("user"), 5);

    w->Text1->setText("   ");
    w->Cmdadd_Click();
    EXPECT_EQ(count("user"), 5);
    EXPECT_EQ(dialogs.messages.size(), 1u);

}

TEST_F(Operators, NamesAndPasswordsLongerThanTheirColumnsAreRefused)
{
    auto w = open();
    const struct {
        const char* name;
        const char* password;
        bool stored;
    } cases[] = {
        {"  tenletter ", " 1234567890 ", true},  // ten each once trimmed
        {"elevenchars", "pw", false},
        {"tenchars10", "elevenchar1", false},
        {"十個字的用戶名稱呀呀", "十個字的口令口令口令", true},
        {"十一個字的用戶名稱呀呀", "pw", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.messages.clear();
        w->Text1->setText(QString::fromUtf8(c.name));
        w->Text2->setText(QString::fromUtf8(c.password));
        w->Cmdadd_Click();
        const QString name = QString::fromUtf8(c.name).trimmed();
        EXPECT_EQ(count("user", "sysname=" + sql::text(name)), c.stored ? 1 : 0);
        if (c.stored) {
            EXPECT_TRUE(dialogs.messages.empty());
        } else {
            EXPECT_EQ(dialogs.texts(), std::vector<QString>({"用戶名和口令不能超過10個字符！"}));
        }
    }
    // A password made too long on modify leaves the stored one.
    dialogs.messages.clear();
    w->Text1->setText("ann");
    w->Text2->setText("a password far too long");
    w->Cmdmodify_Click();
    EXPECT_EQ(field("syspword", "ann"), "pw");
    EXPECT_EQ(dialogs.texts(), std::vector<QString>({"用戶名和口令不能超過10個字符！"}));
}

TEST_F(Operators, ModifyChangesPasswordAndFlagsOfAnExistingOperatorOnly)
{
    auto w = open();
    w->Text1->setText("nobody");
    w->Cmdmodify_Click();
    EXPECT_EQ(dialogs.last(), "請先添加該用戶！");
    EXPECT_EQ(count("user", "sysname='nobody'"), 0);

    app::db.Execute("update user set r7=true where sysname='ann'");
    w->Text1->setText("ann");
    w->Text2->setText(" new ");
    w->Che2->setChecked(true);
    w->Ch[7]->setChecked(false);  // rights are not touched by modify
    w->Cmdmodify_Click();
    EXPECT_EQ(field("syspword", "ann"), "new");
    EXPECT_EQ(field("usermanage", "ann"), "true");
    EXPECT_EQ(field("r7", "ann"), "true");
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(Operators, WithoutUsermanageTheFlagsOfNobodyChange)
{
    app::curuser = "setonly";
    auto w = open();
    w->Text1->setText("newbie");
    w->Che1->setChecked(true);
    w->Che2->setChecked(true);
    w->Cmdadd_Click();
    EXPECT_EQ(field("usersetting", "newbie"), "false");
    EXPECT_EQ(field("usermanage", "newbie"), "false");

    w->Text1->setText("manageonly");
    w->Che2->setChecked(false);
    w->Che1->setChecked(true);
    w->Text2->setText("changed");
    w->Cmdmodify_Click();
    EXPECT_EQ(field("syspword", "manageonly"), "changed");
    EXPECT_EQ(field("usermanage", "manageonly"), "true");
    EXPECT_EQ(field("usersetting", "manageonly"), "false");
}

TEST_F(Operators, DeleteAsksFirstThenClearsTheBoxes)
{
    auto w = open();
    w->Text1->setText("ann");
    dialogs.answer(ui::vbNo);
    w->Cmddelete_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].style, 4 + 32 + 256);
    EXPECT_EQ(count("user", "sysname='ann'"), 1);

    dialogs.answer(ui::vbYes);
    w->Cmddelete_Click();
    EXPECT_EQ(count("user", "sysname='ann'"), 0);
    EXPECT_EQ(w->Text1->text(), "");
    EXPECT_EQ(w->Text2->text(), "");
    EXPECT_FALSE(w->Che1->isChecked());
    EXPECT_EQ(listed(*w), QStringList({"brivel", "manageonly", "setonly"}));

    w->Text1->setText("nobody");
    w->Cmddelete_Click();
    EXPECT_EQ(dialogs.messages.size(), 2u);  // nothing to ask about
}

TEST_F(Operators, NeitherTheOperatorLoggedInNorTheLastWhoMaySetOperatorsIsLost)
{
    auto w = open();
    w->Text1->setText("BRIVEL");
    w->Cmddelete_Click();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>({"該用戶正在使用本系統，不能刪除！"}));
    EXPECT_EQ(count("user", "sysname='brivel'"), 1);

    // Setting operators takes usersetting and r0, which opens this window.
    // setonly holds both; once brivel lost usersetting elsewhere, setonly is
    // the last, and keeps both through delete, modify and the rights' save.
    app::db.Execute("update user set r0=true where sysname in ('setonly','ann')");
    app::db.Execute("update user set usersetting=false where sysname='brivel'");
    dialogs.messages.clear();
    w->Text1->setText("setonly");
    w->Cmddelete_Click();
    EXPECT_EQ(dialogs.last(), "該用戶是最後一個可以設置用戶的用戶，不能刪除！");
    EXPECT_EQ(count("user", "sysname='setonly'"), 1);

    w->Che1->setChecked(false);
    w->Cmdmodify_Click();
    EXPECT_EQ(dialogs.last(), "該用戶是最後一個可以設置用戶的用戶，不能取消其「設置用戶」！");
    EXPECT_EQ(field("usersetting", "setonly"), "true");

    w->Text1->setText("setonly");
    w->Ch[0]->setChecked(false);
    w->Ch[4]->setChecked(true);
    w->Cmdok_Click();
    EXPECT_EQ(dialogs.last(), "該用戶是最後一個可以設置用戶的用戶，不能取消其「用戶及權限設置」！");
    EXPECT_EQ(field("r0", "setonly"), "true");
    EXPECT_EQ(field("r4", "setonly"), "false");  // nothing of the refused save is stored
    EXPECT_EQ(dialogs.messages.size(), 3u);

    // ann holds r0 without usersetting: not one who may set operators.
    w->Text1->setText("ann");
    dialogs.answer(ui::vbYes);
    w->Cmddelete_Click();
    EXPECT_EQ(count("user", "sysname='ann'"), 0);

    // With a second one, either may go.
    app::db.Execute("update user set usersetting=true where sysname='brivel'");
    dialogs.messages.clear();
    w->Text1->setText("setonly");
    w->Ch[0]->setChecked(false);
    w->Cmdok_Click();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>({"保存完畢！"}));
    EXPECT_EQ(field("r0", "setonly"), "false");
    // Now brivel is the last: his r0 stays whoever saves.
    w->Text1->setText("brivel");
    w->Ch[0]->setChecked(false);
    w->Cmdok_Click();
    EXPECT_EQ(dialogs.last(), "該用戶是最後一個可以設置用戶的用戶，不能取消其「用戶及權限設置」！");
    EXPECT_EQ(field("r0", "brivel"), "true");
}

TEST_F(Operators, SavedRightsAreTheMenuEntriesOfTheNextLogIn)
{
    auto w = open();
    w->Text1->setText("o'neil");
    w->Text2->setText("p'w");
    w->Cmdadd_Click();
    for (int i : {0, 5, 12, 24})
        w->Ch[i]->setChecked(true);
    w->Cmdok_Click();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>({"保存完畢！"}));

    dialogs.messages.clear();
    login door;
    ASSERT_TRUE(door.Form_Load());
    door.Tuser->setText("o'neil");
    door.tpasswd->setText("p'w");
    door.checkuser();
    ASSERT_EQ(app::loginok, 1);
    EXPECT_EQ(app::curuser, "o'neil");
    for (int n = 0; n < 25; ++n)
        EXPECT_EQ(menu::instance()->isEntryEnabled(rights::entryOf[n]), n == 0 || n == 5 || n == 12 || n == 24)
            << n;
}

TEST_F(Operators, SavingRightsNeedsAnOperatorAndTheHiddenBoxesNeverCount)
{
    auto w = open();
    w->Text1->setText("nobody");
    w->Cmdall_Click();
    w->Cmdok_Click();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>({"請先添加或選擇用戶！"}));

    w->Text1->setText("ann");
    w->Cmdall_Click();
    EXPECT_EQ(w->Cmdall->text(), "全選");
    EXPECT_FALSE(w->Ch[0]->isChecked());
    w->Cmdall_Click();
    EXPECT_EQ(w->Cmdall->text(), "全空");
    w->Cmdok_Click();
    EXPECT_EQ(count("user", "sysname='ann' and r0=true and r12=true and r24=true"), 1);
    EXPECT_EQ(count("user", "sysname='ann' and (r25=true or r26=true or r27=true)"), 0);
    for (int i = 25; i < 28; ++i) {
        EXPECT_FALSE(w->Ch[i]->isChecked()) << i;
        EXPECT_TRUE(w->Ch[i]->isHidden()) << i;
        EXPECT_FALSE(w->Ch[i]->isEnabled()) << i;
    }
}

}  // namespace
