// Log-in: the check of name and password, and the rights it switches on.
#include "app.h"
#include "login.h"
#include "menu.h"
#include "program.h"
#include "rights.h"
#include "sqlvalue.h"
#include "testsupport.h"
#include "workwatch.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <grp.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::ProgramFolderTest;

namespace {

class Login : public ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        window = new login();
        ASSERT_TRUE(window->Form_Load());
        // A schedule, so the main window's load has nothing to say.
        app::db.Execute("insert into cjtype values (0, '0')");
    }
    void TearDown() override
    {
        delete window.data();
        ProgramFolderTest::TearDown();
    }
    bool logIn(const QString& name, const QString& password)
    {
        window->Tuser->setText(name);
        window->tpasswd->setText(password);
        window->checkuser();
        return app::loginok == 1;
    }
    void addOperator(const QString& values) { app::db.Execute("insert into user (sysname,syspword" + values); }

    QPointer<login> window;
};

TEST_F(Login, NameAndPasswordMatchTrimmedAndWithoutRegardToCase)
{
    const struct {
        const char* name;
        const char* password;
        bool ok;
    } cases[] = {
        {"  brivel ", " brivel  ", true}, {"BRIVEL", "Brivel", true},  {"brivel", "wrong", false},
        {"", "", false},                  {"' or 'a'='a", "' or 'a'='a", false},
        {"brivel' --", "x", false},       {"brivel", "' or ''='", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        app::loginok = 0;
        dialogs.messages.clear();
        EXPECT_EQ(logIn(c.name, c.password), c.ok);
        if (!c.ok) {
            ASSERT_EQ(dialogs.messages.size(), 1u);
            EXPECT_EQ(dialogs.last(), "用戶名或口令有錯,請重輸");
            EXPECT_EQ(dialogs.messages[0].style, 48);
            EXPECT_EQ(window->Tuser->text(), QString(c.name));  // both boxes keep their text
        } else {
            EXPECT_EQ(app::curuser, "brivel");  // as stored, not as typed
            EXPECT_TRUE(dialogs.messages.empty());
        }
    }
}

TEST_F(Login, RightsSwitchTheirMenuEntries)
{
    addOperator(",r0,r3,r12) values ('mix','pw',true,null,true)");
    addOperator(") values ('none','pw')");
    app::db.Execute("update user set r5=null where sysname='none'");

    ASSERT_TRUE(logIn("mix", "pw"));
    menu* m = menu::instance();
    for (int n = 0; n < 25; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(m->isEntryEnabled(rights::entryOf[n]), n == 0 || n == 12);  // a null right is not held
    }
    EXPECT_EQ(app::curuser, "mix");

    ASSERT_TRUE(logIn("none", "pw"));
    for (int n = 0; n < 25; ++n)
        EXPECT_FALSE(m->isEntryEnabled(rights::entryOf[n]));
    for (int id : {11, 12, 14, 37})
        EXPECT_TRUE(m->isEntryEnabled(id)) << id;  // governed by no right
    EXPECT_FALSE(m->isEntryEnabled(24));
}

TEST_F(Login, EnterMovesOnAndLogsInAtTheButton)
{
    window->show();
    window->activateWindow();
    window->Tuser->setFocus();
    window->Tuser->setText("brivel");
    QTest::keyClick(window->Tuser, Qt::Key_Return);
    EXPECT_EQ(window->focusWidget(), window->tpasswd);
    window->tpasswd->setText("brivel");
    QTest::keyClick(window->tpasswd, Qt::Key_Return);
    EXPECT_EQ(window->focusWidget(), window->Cmdok);
    QTest::keyClick(window->Cmdok, Qt::Key_Return);
    EXPECT_EQ(app::loginok, 1);
    EXPECT_TRUE(menu::instance()->isVisible());
}

TEST_F(Login, EscOnTheButtonEndsTheProgram)
{
    bool ended = false;
    platform::setEndProgramHandler([&] { ended = true; });
    window->show();
    window->Cmdok->setFocus();
    try {
        QTest::keyClick(window->Cmdok, Qt::Key_Escape);
    } catch (const platform::ProgramEnded&) {
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(app::loginok, 0);
    platform::setEndProgramHandler({});
}

TEST_F(Login, ADatabaseThatCantBeOpenedIsNamedInTheMessage)
{
    jet::CloseDefaultWorkspace();
    QFile::remove(file("kestrom.mdb"));
    login other;
    EXPECT_FALSE(other.Form_Load());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.last().contains("kestrom.mdb"));
    EXPECT_TRUE(dialogs.last().contains("無法打開數據庫文件"));

    QFile junk(file("kestrom.mdb"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is no database file at all, just some text that fills a page" + QByteArray(2000, '.'));
    junk.close();
    login damaged;
    EXPECT_FALSE(damaged.Form_Load());
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST_F(Login, AFileWithoutTheInstalledTablesOrColumnsIsRefusedAtOpen)
{
    delete window.data();
    jet::CloseDefaultWorkspace();
    // A column gone from user, and then a file of no bytes at all.
    rawSql("alter table user drop column r5");
    login lacking;
    EXPECT_FALSE(lacking.Form_Load());
    EXPECT_FALSE(app::db.isOpen());
    ASSERT_EQ(dialogs.texts(), std::vector<QString>({"無法打開數據庫文件 " + file("kestrom.mdb") + "\n"
                                                     + file("kestrom.mdb") + " 不是本系統的數據庫，缺少 user.r5\n\n程序將退出。"}));
    EXPECT_EQ(dialogs.messages[0].style, 16);

    QFile::resize(file("kestrom.mdb"), 0);
    login empty;
    EXPECT_FALSE(empty.Form_Load());
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.last().contains("不是本系統的數據庫，缺少 cjtype、data、")) << dialogs.last().toStdString();
}

// A database the program's user may not write, because of the file or of
// the folder where each write makes its journal: the log-in says so, and
// why, before the first store would fail.
TEST_F(Login, ADatabaseThatCantBeWrittenIsToldAtLogIn)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to log in as an account the file is closed to";
    delete window.data();
    jet::CloseDefaultWorkspace();
    const QByteArray live = QFile::encodeName(file("kestrom.mdb"));
    const QByteArray here = QFile::encodeName(folder());
    const struct {
        const char* closed;
        mode_t file, folder;
        QString says;
    } cases[] = {
        {"the file", 0444, 0777, "數據庫文件 " + file("kestrom.mdb") + " 不能寫入：本程序的用戶沒有寫這個文件的權限。"},
        {"the folder", 0666, 0555, "數據庫文件 " + file("kestrom.mdb") + " 不能寫入：本程序的用戶不能在文件夾 " + folder()},
        {"nothing", 0666, 0777, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.closed);
        ASSERT_EQ(::chmod(live.constData(), c.file), 0);
        ASSERT_EQ(::chmod(here.constData(), c.folder), 0);
        int told[2];
        ASSERT_EQ(pipe(told), 0);
        const pid_t child = fork();
        if (child == 0) {
            ::close(told[0]);
            if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
                _exit(2);
            ui::setMessageHandler([&](const ui::MessageCall& call) {
                const QByteArray line = call.prompt.toUtf8() + '\n';
                if (::write(told[1], line.constData(), size_t(line.size())) < 0)
                    _exit(3);
                return int(ui::vbOK);
            });
            login nobodys;
            _exit(nobodys.Form_Load() ? 0 : 1);
        }
        ::close(told[1]);
        QByteArray shown;
        char buffer[4096];
        for (ssize_t n; (n = ::read(told[0], buffer, sizeof buffer)) > 0;)
            shown.append(buffer, n);
        ::close(told[0]);
        int status = -1;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        const QString text = QString::fromUtf8(shown);
        if (c.says.isEmpty())
            EXPECT_EQ(text, "");
        else
            EXPECT_TRUE(text.startsWith(c.says)) << text.toStdString();
    }
    ASSERT_EQ(::chmod(here.constData(), 0700), 0);
}

// The NUL of a name pasted from elsewhere never reaches the box.
TEST_F(Login, APastedNameWithANulCharacterLogsInAsTheNameShown)
{
    window->show();
    window->activateWindow();
    QApplication::clipboard()->setText(QStringLiteral("bri") + QChar(0) + QStringLiteral("vel"));
    window->Tuser->setFocus();
    QTest::keySequence(window->Tuser, QKeySequence::Paste);
    EXPECT_EQ(window->Tuser->text(), "brivel");
    QTest::keyClicks(window->tpasswd, "brivel");
    QTest::mouseClick(window->Cmdok, Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
    EXPECT_EQ(app::loginok, 1);
}

TEST_F(Login, AFileLockedByAnotherProgramIsToldAndTheLogInWaitsForAnotherTry)
{
    testsupport::ChildProcess holder([&](const testsupport::ChildProcess::Ready& ready) {
        sqlite3* raw = nullptr;
        sqlite3_open(QFile::encodeName(file("kestrom.mdb")).constData(), &raw);
        sqlite3_exec(raw, "begin exclusive", nullptr, nullptr, nullptr);
        ready();
    });
    window->show();
    QTest::keyClicks(window->Tuser, "brivel");
    QTest::keyClicks(window->tpasswd, "brivel");
    QTest::mouseClick(window->Cmdok, Qt::LeftButton);  // waits out the engine's busy time
    holder.kill();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.last().contains("數據庫文件正被另一程序使用，請稍後再試。")) << dialogs.last().toStdString();
    EXPECT_EQ(app::loginok, 0);
    EXPECT_TRUE(window->isVisible());
    QTest::mouseClick(window->Cmdok, Qt::LeftButton);
    EXPECT_EQ(app::loginok, 1);
}

// The windows seek on the system's own indexes: one that is gone from the
// file is made again at the log-in, from the installed schema.
TEST_F(Login, AMissingIndexIsMadeAgainAtLogIn)
{
    delete window.data();
    jet::CloseDefaultWorkspace();
    const char* const dropped[] = {"faka_primarykey", "people_primarykey", "user_sysname", "datakq_Primarykey"};
    for (const char* index : dropped)
        rawSql(QStringLiteral("drop index %1").arg(QLatin1String(index)).toUtf8().constData());
    login again;
    ASSERT_TRUE(again.Form_Load());
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
    for (const char* index : dropped) {
        SCOPED_TRACE(index);
        EXPECT_EQ(scalar(QStringLiteral("select count(*) from sqlite_master where type='index' and name='%1'")
                             .arg(QLatin1String(index)))
                      .toInt(),
                  1);
    }
    // Made as installed: still one row per address and card.
    app::db.Execute("insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values ('3','000123','0001234567',1,1)");
    EXPECT_THROW(
        app::db.Execute("insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values ('3','000123','0001234567',1,1)"),
        jet::DbError);
}

// Making the swipe records' indexes again takes a while on a grown table:
// the operator sees what is being done before the log-in window comes.
TEST_F(Login, AnIndexBeingMadeAgainIsShownAndNothingElseIs)
{
    app::db.BeginTrans();
    for (int i = 0; i < 5000; ++i)
        app::db.Execute(QStringLiteral("insert into data (卡號,地址,日期,時間,flag) values (%1,%2,%3,%4,1)")
                            .arg(sql::text(QStringLiteral("%1").arg(i % 300, 6, 10, QChar('0'))),
                                 sql::number(qint64(1 + i % 8)), sql::date(QDate(2026, 1, 1).addDays(i / 200)),
                                 sql::time(QTime(7, 0).addSecs(i % 200 * 97))));
    app::db.CommitTrans();
    const struct {
        const char* file;
        bool indexesDropped;
        QStringList seen;
    } cases[] = {
        {"every index in place", false, {}},
        {"the swipe records' indexes gone", true, {"正在建立數據庫索引，請稍候…"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        delete window.data();
        jet::CloseDefaultWorkspace();
        if (c.indexesDropped)
            for (const char* index : {"data_lookup", "data_day", "data_address"})
                rawSql(QStringLiteral("drop index %1").arg(QLatin1String(index)).toUtf8().constData());
        testsupport::WorkWatch watch;
        window = new login();
        ASSERT_TRUE(window->Form_Load());
        EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
        EXPECT_GT(watch.looks, 0);
        EXPECT_EQ(watch.seen, c.seen);
        EXPECT_EQ(testsupport::workNoticeShown(), QString());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(scalar("select count(*) from sqlite_master where name in ('data_lookup','data_day','data_address')").toInt(), 3);
}

TEST_F(Login, AnIndexThatCantBeMadeAgainIsNamedAtLogIn)
{
    delete window.data();
    jet::CloseDefaultWorkspace();
    rawSql("drop index faka_primarykey");
    for (int i = 0; i < 2; ++i)
        rawSql("insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values (3,'000123','0001234567',1,1)");
    login again;
    EXPECT_FALSE(again.Form_Load());
    EXPECT_FALSE(app::db.isOpen());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.last().contains("缺少索引 faka_primarykey")) << dialogs.last().toStdString();
    EXPECT_TRUE(dialogs.last().contains("UNIQUE")) << dialogs.last().toStdString();
}

}  // namespace
