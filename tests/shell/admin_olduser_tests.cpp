// The older operator window, on the table layout it was written for.
#include "app.h"
#include "frmuser.h"
#include "recordset.h"
#include "sqlvalue.h"
#include "testsupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

using testsupport::ProgramFolderTest;

namespace {

using LiveSchema = ProgramFolderTest;

TEST_F(LiveSchema, TheOlderOperatorWindowSaysWhyItCannotOpen)
{
    openSharedDb();
    Frmuser w;
    EXPECT_FALSE(w.Form_Load());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.last(), "用戶表沒有用戶名、口令和權限三欄，不能在此維護用戶。");
    EXPECT_EQ(dialogs.messages[0].style, 48);
    EXPECT_EQ(count("user"), 1);
}

class OlderOperators : public ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        jet::ExecuteScript(file("kestrom.mdb"),
                           "drop table user;"
                           "create table user (用戶名 text collate nocase, 口令 text collate nocase, 權限 integer);"
                           "insert into user values ('zoe', 'z1', 3);"
                           "insert into user values ('amy', 'a1', 1);");
        openSharedDb();
        ASSERT_TRUE(w.Form_Load());
    }
    QStringList listed() const
    {
        QStringList names;
        for (int i = 0; i < w.Cuser->count(); ++i)
            names << w.Cuser->itemText(i);
        return names;
    }
    QString row(const QString& name) const
    {
        jet::Database db = openDb();
        jet::Recordset rs = db.OpenRecordset("select * from user where 用戶名=" + sql::text(name), jet::dbOpenSnapshot);
        if (rs.Eof())
            return "<none>";
        return rs.Field("用戶名").toString() + "/" + rs.Field("口令").toString() + "/" + rs.Field("權限").toString();
    }
    void typeName(const QString& name)
    {
        w.Cuser->setEditText(QString());
        QTest::keyClicks(w.Cuser, name);
    }
    Frmuser w;
};

TEST_F(OlderOperators, ListsTheNamesInTableOrderAndShowsTheTypedOne)
{
    EXPECT_EQ(listed(), QStringList({"zoe", "amy"}));
    EXPECT_EQ(w.Tpasswd->echoMode(), QLineEdit::Password);
    typeName("amy");
    EXPECT_EQ(w.Tpasswd->text(), "a1");
    EXPECT_TRUE(w.Option1[0]->isChecked());
    typeName("zoe ");
    EXPECT_EQ(w.Tpasswd->text(), "z1");
    EXPECT_TRUE(w.Option1[1]->isChecked());
    typeName("zo");
    EXPECT_EQ(w.Tpasswd->text(), "");
}

TEST_F(OlderOperators, NamesStopGrowingPastTenCharacters)
{
    typeName("abcdefghijklmn");
    EXPECT_EQ(w.Cuser->currentText(), "abcdefghijk");
    QTest::keyClick(w.Cuser, Qt::Key_Backspace);
    EXPECT_EQ(w.Cuser->currentText(), "abcdefghij");
}

TEST_F(OlderOperators, AddChecksInTheirOrderAndStoresThePasswordAsTyped)
{
    const struct {
        const char* name;
        const char* password;
        int option;  // -1 none
        std::vector<int> answers;
        std::vector<QString> messages;
        const char* stored;
    } cases[] = {
        {"  ", "x", 0, {}, {"請輸入用戶名!"}, nullptr},
        {"bob", "", 0, {ui::vbNo}, {"确信不要口令嗎?"}, nullptr},
        {"bob", "12345678901", 0, {ui::vbYes}, {"口令長度應小于等于10!"}, nullptr},
        {"bob", "x", -1, {}, {"請選擇權限!"}, nullptr},
        {"AMY", "x", 1, {}, {"用戶已存在,不能添加!"}, nullptr},
        {" bob ", "1234567890", 1, {}, {"恭喜！添加成功！"}, "bob/1234567890/3"},
        {"cat", "   ", 0, {ui::vbYes}, {"确信不要口令嗎?", "恭喜！添加成功！"}, "cat/   /1"},
        {"o'hara", "it's", 0, {}, {"恭喜！添加成功！"}, "o'hara/it's/1"},
        {"O'HARA", "x", 0, {}, {"用戶已存在,不能添加!"}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.messages.clear();
        w.Cuser->setEditText(c.name);
        w.Tpasswd->setText(c.password);
        w.Option1[0]->setAutoExclusive(false);
        w.Option1[1]->setAutoExclusive(false);
        w.Option1[0]->setChecked(c.option == 0);
        w.Option1[1]->setChecked(c.option == 1);
        for (int a : c.answers)
            dialogs.answer(a);
        w.Cmdadd_Click();
        EXPECT_EQ(dialogs.texts(), c.messages);
        if (c.stored) {
            EXPECT_EQ(row(QString(c.name).trimmed()), c.stored);
            EXPECT_EQ(dialogs.messages.back().style, 0);
        }
    }
    EXPECT_EQ(listed(), QStringList({"zoe", "amy", " bob ", "cat", "o'hara"}));
}

TEST_F(OlderOperators, ModifyAndDeleteAskFirst)
{
    w.Cuser->setEditText("nobody");
    w.Tpasswd->setText("p");
    w.Option1[0]->setChecked(true);
    w.Cmdchg_Click();
    EXPECT_EQ(dialogs.last(), "無此用戶");

    w.Cuser->setEditText("zoe");
    dialogs.answer(ui::vbNo);
    w.Cmdchg_Click();
    EXPECT_EQ(row("zoe"), "zoe/z1/3");
    dialogs.answer(ui::vbYes);
    w.Cmdchg_Click();
    EXPECT_EQ(row("zoe"), "zoe/p/1");
    EXPECT_EQ(dialogs.last(), "修改完畢");

    dialogs.messages.clear();
    dialogs.answer(ui::vbNo);
    w.Cmddel_Click();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{"确信要刪除嗎?"});
    EXPECT_EQ(dialogs.messages[0].style, 4 + 32);
    EXPECT_EQ(row("zoe"), "zoe/p/1");
    dialogs.answer(ui::vbYes);
    w.Cmddel_Click();
    EXPECT_EQ(row("zoe"), "<none>");
    EXPECT_EQ(dialogs.last(), "此用戶已被刪除");
    EXPECT_EQ(listed(), QStringList({"amy"}));
    EXPECT_EQ(w.Tpasswd->text(), "");

    w.Cuser->setEditText("amy");
    dialogs.answer(ui::vbYes);
    w.Cmddel_Click();
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_EQ(count("user"), 0);

    dialogs.messages.clear();
    w.Cuser->setEditText("");
    w.Cmddel_Click();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{"請輸入用戶名!"});
}

}  // namespace
