// Transactions that nest, and compaction while another connection has the
// file open.
#include "app.h"
#include "recordset.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <sqlite3.h>
#include <sys/mount.h>
#include <unistd.h>

using testsupport::ProgramFolderTest;

namespace {

class Transactions : public ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        openSharedDb();
    }
    void add(const char* name) { app::db.Execute(QStringLiteral("insert into department values ('%1')").arg(name)); }
    QStringList departments() const
    {
        QStringList out;
        jet::Database d = openDb();
        for (jet::Recordset rs = d.OpenRecordset("select 部門 from department order by 部門"); !rs.Eof(); rs.MoveNext())
            out << rs.Field(0).toString();
        return out;
    }
};

TEST_F(Transactions, AnInnerLevelIsASavepointOfTheOuter)
{
    app::db.BeginTrans();
    add("a");
    app::db.BeginTrans();
    add("b");
    app::db.Rollback();  // only b goes
    app::db.BeginTrans();
    add("c");
    app::db.BeginTrans();
    add("d");
    app::db.CommitTrans();
    app::db.CommitTrans();  // c and d stay with the outer level
    EXPECT_TRUE(departments().isEmpty());  // nothing is stored before the outer commit
    app::db.CommitTrans();
    EXPECT_EQ(departments(), QStringList({"a", "c", "d"}));

    app::db.BeginTrans();
    add("e");
    app::db.BeginTrans();
    add("f");
    app::db.CommitTrans();
    app::db.Rollback();  // the outer takes the committed inner level with it
    EXPECT_EQ(departments(), QStringList({"a", "c", "d"}));

    app::db.Rollback();  // none open: nothing happens
    add("g");
    EXPECT_EQ(departments().size(), 4);
}

TEST_F(Transactions, AWholeIsTakenBackWhenAFailureLeavesIt)
{
    const auto store = [&](bool fail) {
        jet::Transaction whole(app::db);
        add("x");
        if (fail)
            app::db.Execute("insert into nosuch values (1)");
        add("y");
        whole.Commit();
    };
    EXPECT_THROW(store(true), jet::DbError);
    EXPECT_TRUE(departments().isEmpty());
    // Inside a caller's transaction the failed whole goes, the caller's work stays.
    app::db.BeginTrans();
    add("before");
    EXPECT_THROW(store(true), jet::DbError);
    store(false);
    app::db.CommitTrans();
    EXPECT_EQ(departments(), QStringList({"before", "x", "y"}));
}

TEST_F(Transactions, AClosedConnectionForgetsItsLevels)
{
    app::db.BeginTrans();
    add("lost");
    jet::CloseDefaultWorkspace();
    openSharedDb();
    app::db.BeginTrans();  // a transaction of its own again, not a savepoint
    add("kept");
    app::db.CommitTrans();
    EXPECT_EQ(departments(), QStringList({"kept"}));
}

// ---- compaction and other connections ----

using CompactionAlone = ProgramFolderTest;

TEST_F(CompactionAlone, RefusedWhileAnotherConnectionOfTheProgramHasTheFileOpen)
{
    {
        jet::Database other = jet::OpenDatabase(file("kestrom.mdb"));
        EXPECT_THROW(jet::CompactInPlace(file("kestrom.mdb")), jet::DbError);
        // A backup leaves the file as it is, so it goes ahead.
        EXPECT_NO_THROW(jet::CompactDatabase(file("kestrom.mdb"), file("backup.mdb")));
    }
    EXPECT_NO_THROW(jet::CompactInPlace(file("kestrom.mdb")));
}

TEST_F(CompactionAlone, RefusedWhileAnotherCopyOfTheProgramHasTheFileOpen)
{
    // Another copy of the program, idle on its open handle.
    testsupport::ChildProcess other([&](const testsupport::ChildProcess::Ready& ready) {
        jet::Database d = jet::OpenDatabase(file("kestrom.mdb"));
        ready();
        for (;;)
            pause();
    });
    try {
        jet::CompactInPlace(file("kestrom.mdb"));
        ADD_FAILURE() << "not refused";
    } catch (const jet::DbError& e) {
        EXPECT_TRUE(e.message().contains("正被另一程序打開")) << e.message().toStdString();
    }
    other.kill();
    EXPECT_NO_THROW(jet::CompactInPlace(file("kestrom.mdb")));
}

// The engine's temporary folder full: the compaction says so, naming that
// folder beside the file.
TEST_F(CompactionAlone, AFullTemporaryFolderIsNamed)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to mount a small temporary folder";
    const QString small = file("tmp");
    ASSERT_TRUE(QDir().mkdir(small));
    if (::mount("tmpfs", QFile::encodeName(small).constData(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "no small folder can be mounted here";
    jet::CloseDefaultWorkspace();
    jet::ExecuteScript(file("kestrom.mdb"),
                       "with recursive n(i) as (select 1 union all select i + 1 from n where i < 200000) "
                       "insert into department select printf('大廈 %06d', i) from n;");
    sqlite3_temp_directory = sqlite3_mprintf("%s", QFile::encodeName(small).constData());
    try {
        jet::CompactInPlace(file("kestrom.mdb"));
        ADD_FAILURE() << "compacted through a full folder";
    } catch (const jet::DbError& e) {
        EXPECT_EQ(e.message(), "磁盤已滿：數據庫文件 " + file("kestrom.mdb") + " 所在的磁盤或臨時文件夾 " + small
                                   + " 已沒有空間。");
    }
    sqlite3_free(sqlite3_temp_directory);
    sqlite3_temp_directory = nullptr;
    ::umount2(QFile::encodeName(small).constData(), MNT_DETACH);
}

}  // namespace
