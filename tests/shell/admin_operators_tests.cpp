// Operators and their rights, and what the operator logged in may change.
#include "frmrigs.h"
#include "login.h"
#include "mainwindowtest.h"
#include "recordset.h"
#include "rights.h"
#include "sqlvalue.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

using shelltest::MainWindowTest;

namespace {

QStringList listed(const FrmRigS& w)
{
    QStringList names;
    for (int i = 0; i < w.List1->count(); ++i)
        names << w.List1->item(i)->text();
    return names;
}

class Operators : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        app::db.Execute("insert into cjtype values (0, '0')");
        app::curuser = "brivel";
    }
    void addOperator(const QString& name, bool setting, bool manage, const QString& password = "pw")
    {
        app::db.Execute(QStringLiteral("insert into user (sysname,syspword,usersetting,usermanage) values (%1,%2,%3,%4)")
                            .arg(sql::text(name), sql::text(password), sql::boolean(setting), sql::boolean(manage)));
    }
    QString row(const QString& name) const
    {
        jet::Database db = openDb();
        jet::Recordset rs = db.OpenRecordset("select * from user where sysname=" + sql::text(name), jet::dbOpenSnapshot);
        if (rs.Eof())
            return "<none>";
        QString s = rs.Field("sysname").toString() + "/" + rs.Field("syspword").toString() + " ";
        s += rs.Field("usersetting").toBool() ? "S" : "-";
        s += rs.Field("usermanage").toBool() ? "M " : "- ";
        for (int i = 0; i < 25; ++i)
            s += rs.Field(QStringLiteral("r%1").arg(i)).toBool() ? "1" : "0";
        return s;
    }
    static QString none() { return QString(25, '0'); }
};

TEST_F(Operators, TheLoggedInOperatorsFlagsGateTheButtonsAndAMissingRowGatesAll)
{
    addOperator("set", true, false);
    addOperator("manage", false, true);
    addOperator("plain", false, false);
    const struct {
        const char* who;
        bool editing;  // 添加, 修改, 刪除
        bool rights;   // 确定, and the two flag boxes
    } cases[] = {{"brivel", true, true}, {"set", true, false}, {"manage", false, true}, {"plain", false, false},
                 {"gone", false, false}, {"", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.who);
        app::curuser = c.who;
        FrmRigS w;
        EXPECT_EQ(w.Cmdadd->isEnabled(), c.editing);
        EXPECT_EQ(w.Cmdmodify->isEnabled(), c.editing);
        EXPECT_EQ(w.Cmddel->isEnabled(), c.editing);
        EXPECT_EQ(w.Cmdok->isEnabled(), c.rights);
        EXPECT_EQ(w.Che1->isEnabled(), c.rights);
        EXPECT_EQ(w.Che2->isEnabled(), c.rights);
        EXPECT_TRUE(w.Cmdall->isEnabled());
        EXPECT_TRUE(w.List1->isEnabled());
    }
}

TEST_F(Operators, OpensOnTheSortedListWithEverythingClear)
{
    addOperator("zoe", false, false);
    addOperator("Anna", false, false);
    addOperator("mike", false, false);
    FrmRigS w;
    EXPECT_EQ(listed(w), QStringList({"Anna", "brivel", "mike", "zoe"}));
    EXPECT_EQ(w.SSTab1->currentIndex(), 0);
    EXPECT_EQ(w.SSTab1->tabText(0), "用戶設置");
    EXPECT_EQ(w.SSTab1->tabText(1), "用戶權限");
    EXPECT_EQ(w.windowTitle(), "用戶設置及權限");
    EXPECT_EQ(w.Text1->text(), "");
    EXPECT_EQ(w.Text2->echoMode(), QLineEdit::Password);
    EXPECT_EQ(w.Cmdall->text(), "全選");
    for (QCheckBox* c : w.Ch)
        EXPECT_FALSE(c->isChecked());
    for (int i = 25; i < 28; ++i) {
        EXPECT_TRUE(w.Ch[i]->isHidden());
        EXPECT_FALSE(w.Ch[i]->isEnabled());
    }
}

TEST_F(Operators, TheNameBoxShowsTheOperatorExactlyWhileItNamesOne)
{
    app::db.Execute("insert into user (sysname,syspword,usermanage,r3,r24) values ('anna','secret',true,true,true)");
    FrmRigS w;
    w.Text1->setText(" ann");
    EXPECT_EQ(w.Text2->text(), "");
    w.Text1->setText(" anna ");  // blanks around the name are not part of it
    EXPECT_EQ(w.Text2->text(), "secret");
    EXPECT_FALSE(w.Che1->isChecked());
    EXPECT_TRUE(w.Che2->isChecked());
    for (int i = 0; i < 25; ++i)
        EXPECT_EQ(w.Ch[i]->isChecked(), i == 3 || i == 24) << i;
    w.Text1->setText(" annab");
    EXPECT_EQ(w.Text2->text(), "");
    EXPECT_FALSE(w.Che2->isChecked());
    EXPECT_FALSE(w.Ch[3]->isChecked());

    w.List1->setCurrentRow(0);  // "anna"
    w.List1_Click();
    EXPECT_EQ(w.Text1->text(), "anna");
    EXPECT_EQ(w.Text2->text(), "secret");
}

TEST_F(Operators, AddStoresTheTrimmedNameAndFlagsWithNoRightsYet)
{
    FrmRigS w;
    w.Text1->setText("   ");
    w.Cmdadd_Click();
    EXPECT_EQ(count("user"), 1);

    w.Text1->setText(" O'Neil ");
    w.Text2->setText(" it's ");
    w.Che1->setChecked(true);
    w.Cmdall_Click();  // every right ticked, but rights are stored only by 确定
    w.Cmdadd_Click();
    EXPECT_EQ(row("O'Neil"), "O'Neil/it's S- " + none());
    EXPECT_EQ(listed(w).last(), "O'Neil");  // at the end, not sorted in
    EXPECT_TRUE(dialogs.messages.empty());

    w.Text1->setText("o'neil");
    w.Cmdadd_Click();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{"該用戶已經存在！"});
    EXPECT_EQ(count("user"), 2);
}

TEST_F(Operators, ModifyChangesPasswordAndFlagsOnlyOfAnOperatorThatExists)
{
    app::db.Execute("insert into user (sysname,syspword,r7) values ('anna','old',true)");
    FrmRigS w;
    w.Text1->setText("nobody");
    w.Cmdmodify_Click();
    EXPECT_EQ(dialogs.last(), "請先添加該用戶！");

    w.Text1->setText("anna");
    w.Text2->setText("new");
    w.Che1->setChecked(true);
    w.Che2->setChecked(true);
    w.Ch[0]->setChecked(true);  // not a right that 修改 stores
    w.Cmdmodify_Click();
    EXPECT_EQ(row("anna"), "anna/new SM 0000000100000000000000000");
    EXPECT_EQ(listed(w), QStringList({"anna", "brivel"}));
}

TEST_F(Operators, WithoutUsermanageTheFlagsOfNoOneChange)
{
    addOperator("clerk", true, false);
    addOperator("anna", true, true, "old");
    app::curuser = "clerk";
    FrmRigS w;
    w.Text1->setText("anna");
    w.Che1->setChecked(false);  // as a stray click would, were the boxes enabled
    w.Che2->setChecked(false);
    w.Text2->setText("new");
    w.Cmdmodify_Click();
    EXPECT_EQ(row("anna"), "anna/new SM " + none());
    w.Text1->setText("temp");
    w.Che1->setChecked(true);
    w.Che2->setChecked(true);
    w.Cmdadd_Click();
    EXPECT_EQ(row("temp"), "temp/ -- " + none());
}

TEST_F(Operators, DeleteAsksFirstAndNeverRemovesTheLoggedInOrLastSettingOperator)
{
    addOperator("anna", true, false);
    addOperator("tom", false, false);
    FrmRigS w;

    w.Text1->setText("tom");
    dialogs.answer(ui::vbNo);
    w.Cmddel_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].prompt, "确信要刪除用戶tom嗎？");
    EXPECT_EQ(dialogs.messages[0].style, 4 + 32 + 256);
    EXPECT_EQ(count("user", "sysname='tom'"), 1);

    dialogs.answer(ui::vbYes);
    w.Cmddel_Click();
    EXPECT_EQ(count("user", "sysname='tom'"), 0);
    EXPECT_EQ(w.Text1->text(), "");
    EXPECT_EQ(w.Text2->text(), "");
    EXPECT_EQ(listed(w), QStringList({"anna", "brivel"}));

    dialogs.messages.clear();
    w.Text1->setText("BRIVEL");
    w.Cmddel_Click();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{"不能刪除當前登錄的用戶！"});
    EXPECT_EQ(count("user", "sysname='brivel'"), 1);

    // brivel gives up managing operators here; anna is then the last who can.
    w.Text1->setText("brivel");
    w.Che1->setChecked(false);
    w.Cmdmodify_Click();
    dialogs.messages.clear();
    w.Text1->setText("anna");
    dialogs.answer(ui::vbYes);
    w.Cmddel_Click();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{"該用戶是最後一個可設置用戶的用戶，不能刪除！"});
    EXPECT_EQ(count("user", "sysname='anna'"), 1);

    dialogs.messages.clear();
    w.Text1->setText("nobody");
    w.Cmddel_Click();
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Operators, RightsSavedHereAreTheMenuEntriesOfTheNextLogIn)
{
    addOperator("anna", false, false, "a'b");
    FrmRigS w;
    w.Text1->setText("ghost");
    w.Cmdok_Click();
    EXPECT_EQ(dialogs.last(), "請先添加或選擇用戶！");
    EXPECT_EQ(count("user", "sysname='ghost'"), 0);

    w.Text1->setText("anna");
    for (int i : {0, 5, 12, 23, 24})
        w.Ch[i]->setChecked(true);
    w.Cmdok_Click();
    EXPECT_EQ(dialogs.last(), "保存完畢！");
    EXPECT_EQ(row("anna"), "anna/a'b -- 1000010000001000000000011");

    login l;
    l.Tuser->setText("anna");
    l.tpasswd->setText("a'b");
    l.checkuser();
    ASSERT_EQ(app::curuser, "anna");
    for (int n = 0; n < 25; ++n)
        EXPECT_EQ(menu::instance()->isEntryEnabled(rights::entryOf[n]), n == 0 || n == 5 || n == 12 || n == 23 || n == 24)
            << n;
}

TEST_F(Operators, SelectAllTogglesTheRightsOnlyAndStoresNothing)
{
    FrmRigS w;
    w.Text1->setText("brivel");
    w.Cmdall_Click();
    EXPECT_EQ(w.Cmdall->text(), "全空");
    w.Cmdall_Click();
    EXPECT_EQ(w.Cmdall->text(), "全選");
    for (int i = 0; i < 28; ++i)
        EXPECT_FALSE(w.Ch[i]->isChecked()) << i;
    EXPECT_EQ(row("brivel"), "brivel/brivel SM " + QString(25, '1'));
    w.Cmdall_Click();
    for (int i = 25; i < 28; ++i)
        EXPECT_FALSE(w.Ch[i]->isChecked()) << i;
}

TEST_F(Operators, OverlongNamesAndPasswordsAreRefused)
{
    FrmRigS w;
    w.Text1->setText("abcdefghijk");
    w.Cmdadd_Click();
    EXPECT_EQ(dialogs.last(), "用戶名和口令不能超過10個字符");
    w.Text1->setText("abcdefghij");
    w.Text2->setText("12345678901");
    w.Cmdadd_Click();
    EXPECT_EQ(count("user"), 1);
    w.Text2->setText(" 1234567890 ");
    w.Cmdadd_Click();
    EXPECT_EQ(row("abcdefghij"), "abcdefghij/1234567890 -- " + none());
}

}  // namespace
