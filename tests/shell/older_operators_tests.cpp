// The older operator window, on a table user of its own layout and on the live one.
#include "app.h"
#include "frmuser.h"
#include "testsupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

namespace {

class OlderOperators : public testsupport::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        openSharedDb();
        app::db.Execute("drop table user");
        app::db.Execute("create table user (用戶名 text, 口令 text, 權限 integer)");
        app::db.Execute("insert into user values ('zed','z',3)");
        app::db.Execute("insert into user values ('amy','a',1)");
        ASSERT_TRUE(w.Form_Load());
    }
    QStringList listed() const
    {
        QStringList names;
        for (int i = 0; i < w.Cuser->count(); ++i)
            names << w.Cuser->itemText(i);
        return names;
    }
    void type(const QString& name, const QString& password, int option)
    {
        w.Cuser->setEditText(name);
        w.Tpasswd->setText(password);
        if (option >= 0)
            w.Option1[option]->setChecked(true);
    }
    // Neither rank chosen, as when the window opens.
    void clearRank()
    {
        for (QRadioButton* option : w.Option1) {
            option->setAutoExclusive(false);
            option->setChecked(false);
            option->setAutoExclusive(true);
        }
    }
    Frmuser w;
};

TEST_F(OlderOperators, TypingStopsPastTenCharactersButTheNameCanBeShortened)
{
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.Cuser->setEditText(QString());
    w.Cuser->setFocus();
    // The keyboard's keys go to the focus widget, the combo box itself.
    QWidget* box = QApplication::focusWidget();
    ASSERT_EQ(box, w.Cuser);
    QTest::keyClicks(box, "abcdefghijklm");
    EXPECT_EQ(w.Cuser->currentText(), "abcdefghijk");
    QTest::keyClick(box, Qt::Key_Backspace);
    EXPECT_EQ(w.Cuser->currentText(), "abcdefghij");
}

TEST_F(OlderOperators, OpensOnlyOnATableWithItsColumns)
{
    EXPECT_EQ(listed(), QStringList({"zed", "amy"}));  // table order
    freshDatabase();
    openSharedDb();
    Frmuser live;
    EXPECT_FALSE(live.Form_Load());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.last().contains("用戶名")) << dialogs.last().toStdString();
    EXPECT_EQ(dialogs.messages[0].style, 48);
}

TEST_F(OlderOperators, TypingANameShowsItsPasswordAndRank)
{
    w.Cuser->setEditText("amy ");
    EXPECT_EQ(w.Tpasswd->text(), "a");
    EXPECT_TRUE(w.Option1[0]->isChecked());
    w.Cuser->setEditText("zed");
    EXPECT_TRUE(w.Option1[1]->isChecked());
    w.Cuser->setEditText("zedd");
    EXPECT_EQ(w.Tpasswd->text(), "");
}

TEST_F(OlderOperators, AddChecksInOrderAndStoresThePasswordAsTyped)
{
    const struct {
        const char* name;
        const char* password;
        int option;
        std::vector<int> answers;
        std::vector<QString> messages;
        bool added;
    } cases[] = {
        {"  ", "pw", 0, {}, {"請輸入用戶名!"}, false},
        {"bob", "   ", 0, {ui::vbNo}, {"确信不要口令嗎?"}, false},
        {"bob", "12345678901", 0, {}, {"口令長度應小于等于10!"}, false},
        {"bob", "pw", -1, {}, {"請選擇權限!"}, false},
        {"amy", "pw", 1, {}, {"用戶已存在,不能添加!"}, false},
        {"bob", "   ", 1, {ui::vbYes}, {"确信不要口令嗎?", "恭喜！添加成功！"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + std::string("/") + c.password);
        dialogs.messages.clear();
        for (int a : c.answers)
            dialogs.answer(a);
        clearRank();
        type(c.name, c.password, c.option);
        w.Cmdadd_Click();
        EXPECT_EQ(dialogs.texts(), c.messages);
        EXPECT_EQ(count("user", "用戶名='bob'"), c.added ? 1 : 0);
    }
    EXPECT_EQ(scalar("select 口令 from user where 用戶名='bob'").toString(), "   ");
    EXPECT_EQ(scalar("select 權限 from user where 用戶名='bob'").toInt(), 3);
    EXPECT_EQ(listed().last(), "bob");

    // The list takes the name box's text as it stands.
    type(" cy ", "pw", 0);
    w.Cmdadd_Click();
    EXPECT_EQ(listed().last(), " cy ");
    EXPECT_EQ(count("user", "用戶名='cy'"), 1);
}

TEST_F(OlderOperators, ATenCharacterPasswordIsAcceptedAndApostrophesAreStored)
{
    type("o'hara", "1234567'90", 0);
    w.Cmdadd_Click();
    EXPECT_EQ(dialogs.last(), "恭喜！添加成功！");
    EXPECT_EQ(scalar("select 口令 from user where 用戶名='o''hara'").toString(), "1234567'90");
    EXPECT_EQ(scalar("select 權限 from user where 用戶名='o''hara'").toInt(), 1);
}

TEST_F(OlderOperators, ModifyAndDeleteAskFirst)
{
    type("nobody", "pw", 0);
    w.Cmdchange_Click();
    EXPECT_EQ(dialogs.last(), "無此用戶");

    type("zed", "new", 0);
    dialogs.answer(ui::vbNo);
    w.Cmdchange_Click();
    EXPECT_EQ(dialogs.last(), "确信要修改嗎?");
    EXPECT_EQ(scalar("select 口令 from user where 用戶名='zed'").toString(), "z");
    type("zed", "new", 0);
    dialogs.answer(ui::vbYes);
    w.Cmdchange_Click();
    EXPECT_EQ(dialogs.last(), "修改完畢");
    EXPECT_EQ(scalar("select 口令 from user where 用戶名='zed'").toString(), "new");
    EXPECT_EQ(scalar("select 權限 from user where 用戶名='zed'").toInt(), 1);

    dialogs.messages.clear();
    w.Cuser->setEditText("zed");
    w.Cmddelete_Click();  // the question left at its default, as Enter answers it
    EXPECT_EQ(dialogs.messages.back().style, 4 + 32 + 256);
    EXPECT_EQ(count("user"), 2);
    dialogs.answer(ui::vbYes);
    w.Cmddelete_Click();
    w.Cuser->setEditText("amy");
    dialogs.answer(ui::vbYes);
    w.Cmddelete_Click();
    EXPECT_EQ(count("user"), 0);
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_EQ(w.Tpasswd->text(), "");
    EXPECT_EQ(dialogs.texts(), std::vector<QString>({"确信要刪除嗎?", "确信要刪除嗎?", "此用戶已被刪除",
                                                     "确信要刪除嗎?", "此用戶已被刪除"}));
    w.Cuser->setEditText("");
    w.Cmddelete_Click();
    EXPECT_EQ(dialogs.last(), "請輸入用戶名!");
}

}  // namespace
