// Closing the main window: modeless windows first, then the database closed
// and compacted in place, beside other programs that have it open.
#include "compaction.h"
#include "frmspe.h"
#include "mainwindowtest.h"
#include "superuserconfirm.h"
#include "workwatch.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <grp.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using shelltest::MainWindowTest;
using shelltest::opened;
using dispatch::Shown;

namespace {

class Closing : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        app::db.Execute("insert into cjtype values (0, '0')");
        const QString filler(500, QChar(u'樓'));
        for (int i = 0; i < 200; ++i)
            app::db.Execute(QStringLiteral("insert into department values ('大廈%1%2')").arg(i).arg(filler));
        app::db.Execute("delete * from department where 部門 like '大廈1%'");  // free pages to compact away
        m = load();
        m->show();
    }
    void closeMainWindow()
    {
        m->close();
        QApplication::processEvents();
        m = nullptr;
    }
    QStringList filesBeside() const { return QDir(folder()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot); }
    QByteArray liveBytes() const
    {
        QFile f(file("kestrom.mdb"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The file's pages and those of them free, as the engine counts them.
    std::pair<int, int> pageUse() const
    {
        sqlite3* handle = nullptr;
        sqlite3_open(QFile::encodeName(file("kestrom.mdb")).constData(), &handle);
        int counts[2] = {-1, -1};
        const char* const pragmas[] = {"pragma page_count", "pragma freelist_count"};
        for (int i = 0; i < 2; ++i) {
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(handle, pragmas[i], -1, &st, nullptr);
            if (sqlite3_step(st) == SQLITE_ROW)
                counts[i] = sqlite3_column_int(st, 0);
            sqlite3_finalize(st);
        }
        sqlite3_close(handle);
        return {counts[0], counts[1]};
    }
    menu* m = nullptr;
};

TEST_F(Closing, CompactsKeepingEveryRowAndLeavesNoOtherFile)
{
    const int departments = count("department");
    const qint64 sizeBefore = QFileInfo(file("kestrom.mdb")).size();
    closeMainWindow();
    EXPECT_FALSE(menu::isLoaded());
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
    EXPECT_FALSE(app::db.isOpen());
    EXPECT_EQ(filesBeside(), QStringList{"kestrom.mdb"});  // no dbs.mdb, no journal
    EXPECT_LT(QFileInfo(file("kestrom.mdb")).size(), sizeBefore);
    EXPECT_EQ(count("department"), departments);
    EXPECT_EQ(count("system"), 5);
}

// The compaction holds the window for as long as it runs: the operator
// sees what is being done, under the hourglass, and nothing once it is over.
TEST_F(Closing, TheCompactionIsShownWhileItRuns)
{
    testsupport::WorkWatch watch;
    const qint64 sizeBefore = QFileInfo(file("kestrom.mdb")).size();
    closeMainWindow();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
    EXPECT_LT(QFileInfo(file("kestrom.mdb")).size(), sizeBefore);
    EXPECT_EQ(watch.seen, QStringList{"正在壓縮數據庫，請稍候…"});
    EXPECT_EQ(testsupport::workNoticeShown(), QString());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A file with next to nothing to give back is left as it is: the close
// ends at once, with nothing to show.
TEST_F(Closing, AFileWithLittleFreeSpaceIsLeftAsItIs)
{
    const struct {
        const char* file;
        int charactersDeletedAfterCompaction;
    } cases[] = {
        {"no free page at all", 0},
        {"a few pages free of many", 3000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        if (!m) {
            openSharedDb();
            m = load();
            m->show();
        }
        rawSql("vacuum");
        if (c.charactersDeletedAfterCompaction > 0) {
            const QString name(c.charactersDeletedAfterCompaction, QChar(u'樓'));
            app::db.Execute(QStringLiteral("insert into department values ('%1')").arg(name));
            app::db.Execute(QStringLiteral("delete * from department where 部門 = '%1'").arg(name));
        }
        app::db.Close();
        const QByteArray before = liveBytes();
        const auto [pages, free] = pageUse();
        EXPECT_EQ(free > 0, c.charactersDeletedAfterCompaction > 0);
        EXPECT_LT(free * 100, pages * 3);
        openSharedDb();
        testsupport::WorkWatch watch;
        closeMainWindow();
        EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
        EXPECT_TRUE(liveBytes() == before) << "the file was rewritten";
        EXPECT_EQ(filesBeside(), QStringList{"kestrom.mdb"});
        EXPECT_EQ(watch.seen, QStringList());
    }
}

TEST_F(Closing, ALeftoverCopyIsReplaced)
{
    QFile leftover(file("dbs.mdb"));
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.write("half a copy from an earlier close");
    leftover.close();
    closeMainWindow();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(filesBeside(), QStringList{"kestrom.mdb"});
    EXPECT_EQ(count("system"), 5);
}

TEST_F(Closing, AFailedCompactionSaysSoAndLeavesTheLiveFileAsItWas)
{
    // A copy that can't be removed: a folder with something in it.
    ASSERT_TRUE(QDir(folder()).mkpath("dbs.mdb/inside"));
    app::db.Close();
    const QByteArray before = liveBytes();
    openSharedDb();
    closeMainWindow();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.last().startsWith("數據庫壓縮失敗，數據庫文件 kestrom.mdb 保持原樣。")) << dialogs.last().toStdString();
    EXPECT_EQ(dialogs.messages[0].style, 48);
    EXPECT_EQ(liveBytes(), before);
}

TEST_F(Closing, ModelessWindowsCloseBeforeTheDatabase)
{
    bool dbOpenWhenClosed = false;
    dispatch::setTable({{17, Shown::Modeless, shelltest::standIn<17>}, {15, Shown::Modeless, shelltest::standIn<15>}});
    m->ActiveBar1_ToolClick(17);
    m->ActiveBar1_ToolClick(15);
    ASSERT_TRUE(opened[17].last && opened[15].last);
    static_cast<shelltest::StandIn*>(opened[17].last.data())->onClose = [&] { dbOpenWhenClosed = app::db.isOpen(); };
    closeMainWindow();
    EXPECT_TRUE(dbOpenWhenClosed);
    EXPECT_TRUE(opened[17].last.isNull());
    EXPECT_TRUE(opened[15].last.isNull());
}

TEST_F(Closing, WaitsForARunningExchangeBeforeClosing)
{
    auto* exchange = new app::ExchangeScope;
    bool finishedBeforeDbClosed = false;
    QTimer::singleShot(50, [&] { m->close(); });  // asked again while it waits
    QTimer::singleShot(150, [&] {
        finishedBeforeDbClosed = app::db.isOpen();
        delete exchange;
    });
    closeMainWindow();
    EXPECT_TRUE(finishedBeforeDbClosed);
    EXPECT_EQ(app::exchangesRunning, 0);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(filesBeside(), QStringList{"kestrom.mdb"});
}

TEST_F(Closing, TheCompactedFileKeepsTheModeAndGroupOfTheOneItReplaces)
{
    const QByteArray live = QFile::encodeName(file("kestrom.mdb"));
    const gid_t group = geteuid() == 0 ? 4321 : getegid();
    ASSERT_EQ(::chown(live.constData(), uid_t(-1), group), 0);
    ASSERT_EQ(::chmod(live.constData(), 0660), 0);  // the operators' group writes it too
    const mode_t umaskWas = ::umask(022);
    closeMainWindow();
    ::umask(umaskWas);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
    struct stat now {};
    ASSERT_EQ(::stat(live.constData(), &now), 0);
    EXPECT_EQ(now.st_mode & 07777, 0660u);
    EXPECT_EQ(now.st_gid, group);
}

TEST_F(Closing, TheRemoteOpeningClosesWithTheMainWindow)
{
    // Opened modeless by the super-user confirmation, not by the menu.
    app::db.Execute("insert into doors (地址,dtype1) values ('5','玻')");
    dispatch::setTable({{6, Shown::Modal, [] { return static_cast<QWidget*>(new Frmspecial); }}});
    QTimer::singleShot(0, [] {
        auto* confirm = qobject_cast<Frmspecial*>(QApplication::activeModalWidget());
        ASSERT_NE(confirm, nullptr);
        QTest::keyClicks(confirm->Tuser, "brivel");
        QTest::keyClicks(confirm->Tpasswd, "brivel");
        QTest::mouseClick(confirm->Cmdok, Qt::LeftButton);
    });
    m->ActiveBar1_ToolClick(6);
    QPointer<Frmspe> opening;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<Frmspe*>(w); f && f->isVisible())
            opening = f;
    ASSERT_FALSE(opening.isNull());
    closeMainWindow();
    QTest::qWait(100);
    EXPECT_FALSE(app::db.isOpen());
    // Its button can't be pressed against a closed database any more.
    EXPECT_TRUE(opening.isNull() || !opening->isVisible());
    if (opening && opening->isVisible())
        QTest::mouseClick(opening->Copen, Qt::LeftButton);  // what ended the program
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
}

// Another program on the file across the close: whatever it was doing, its
// work is in the file afterwards, and it goes on with the same file.
TEST_F(Closing, AnotherProgramsWorkSurvivesTheClose)
{
    struct Case {
        const char* doing;
        const char* first;  // before the close
        const char* after;  // once the main window has closed
        bool compacted;
    };
    const Case cases[] = {
        {"idle, writes after the close", "select count(*) from department", "insert into department values ('之後')", true},
        {"a write transaction open", "begin immediate; insert into department values ('之後')", "commit", false},
        {"a read transaction open", "begin; select count(*) from department", "insert into department values ('之後'); commit", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.doing);
        if (!m) {
            freshDatabase();
            openSharedDb();
            app::db.Execute("insert into cjtype values (0, '0')");
            for (int i = 0; i < 10; ++i)  // free pages enough to compact away
                app::db.Execute(QStringLiteral("insert into department values ('%1')").arg(QString(2000, QChar(u'樓'))));
            app::db.Execute("delete * from department");
            m = load();
            m->show();
        }
        dialogs.messages.clear();
        struct stat before {};
        ASSERT_EQ(::stat(QFile::encodeName(file("kestrom.mdb")).constData(), &before), 0);
        testsupport::OtherProgram other(file("kestrom.mdb"), c.first);
        ASSERT_EQ(other.started(), QString());
        closeMainWindow();
        if (c.compacted) {
            EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
        } else {
            ASSERT_EQ(dialogs.messages.size(), 1u);
            EXPECT_TRUE(dialogs.last().startsWith("數據庫壓縮失敗，數據庫文件 kestrom.mdb 保持原樣。")) << dialogs.last().toStdString();
            EXPECT_TRUE(dialogs.last().contains("另一程序正在使用")) << dialogs.last().toStdString();
        }
        EXPECT_EQ(other.then(c.after), QString());
        EXPECT_EQ(count("department", "部門='之後'"), 1);
        struct stat after {};
        ASSERT_EQ(::stat(QFile::encodeName(file("kestrom.mdb")).constData(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_size < before.st_size, c.compacted);
        EXPECT_EQ(filesBeside(), QStringList{"kestrom.mdb"});
    }
}

TEST_F(Closing, ALinkedDatabaseStaysLinkedAndItsFileIsCompacted)
{
    // Two program folders sharing one database elsewhere.
    app::db.Close();
    jet::CloseDefaultWorkspace();
    ASSERT_TRUE(QDir(folder()).mkpath("shared"));
    const QString shared = file("shared/kestrom.mdb");
    ASSERT_TRUE(QFile::rename(file("kestrom.mdb"), shared));
    ASSERT_TRUE(QFile::link(shared, file("kestrom.mdb")));
    openSharedDb();
    const int departments = count("department");
    const qint64 sizeBefore = QFileInfo(shared).size();
    closeMainWindow();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
    EXPECT_TRUE(QFileInfo(file("kestrom.mdb")).isSymLink());
    EXPECT_EQ(QFileInfo(file("kestrom.mdb")).symLinkTarget(), shared);
    EXPECT_LT(QFileInfo(shared).size(), sizeBefore);
    EXPECT_EQ(filesBeside(), QStringList({"kestrom.mdb", "shared"}));
    EXPECT_EQ(QDir(file("shared")).entryList(QDir::Files), QStringList{"kestrom.mdb"});
    EXPECT_EQ(count("department"), departments);
}

// Run by an account that is not in the file's group: it may not give a new
// file that group, so the file itself must stay, and with it the group.
TEST_F(Closing, TheGroupStaysWhenTheProgramsAccountIsNotInIt)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to make a file of a group the closing account is not in";
    const group* operators = getgrnam("dialout");
    ASSERT_NE(operators, nullptr);
    const uid_t account = 65534;  // nobody, in no group but its own
    const gid_t own = 65534;
    app::db.Close();
    jet::CloseDefaultWorkspace();
    const QByteArray live = QFile::encodeName(file("kestrom.mdb"));
    ASSERT_EQ(::chown(QFile::encodeName(folder()).constData(), account, own), 0);
    ASSERT_EQ(::chown(live.constData(), account, operators->gr_gid), 0);
    ASSERT_EQ(::chmod(live.constData(), 0660), 0);
    const off_t sizeBefore = QFileInfo(file("kestrom.mdb")).size();
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(own) != 0 || setuid(account) != 0)
            _exit(2);
        _exit(compaction::compactLiveDatabase().isEmpty() ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    struct stat now {};
    ASSERT_EQ(::stat(live.constData(), &now), 0);
    EXPECT_EQ(now.st_gid, operators->gr_gid);
    EXPECT_EQ(now.st_mode & 07777, 0660u);
    EXPECT_LT(now.st_size, sizeBefore);
    EXPECT_EQ(filesBeside(), QStringList{"kestrom.mdb"});
    m->close();  // nothing left to compact: the shared handle is closed
    m = nullptr;
}

}  // namespace
