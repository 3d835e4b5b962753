// Transactions that nest, and compaction while another connection has the
// file open.
#include "app.h"
#include "recordset.h"
#include "testsupport.h"

#include <QFile>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/wait.h>
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

class CompactionAlone : public ProgramFolderTest {
protected:
    void compactAlone()
    {
        bool ran = false;
        jet::CompactDatabase(file("kestrom.mdb"), file("dbs.mdb"), [&] { ran = true; });
        EXPECT_TRUE(ran);
    }
};

TEST_F(CompactionAlone, RefusedWhileAnotherConnectionHasTheFileOpen)
{
    {
        jet::Database other = jet::OpenDatabase(file("kestrom.mdb"));
        EXPECT_THROW(compactAlone(), jet::DbError);
        EXPECT_FALSE(QFile::exists(file("dbs.mdb")));
        // Without the need to be alone (a backup), it goes ahead.
        EXPECT_NO_THROW(jet::CompactDatabase(file("kestrom.mdb"), file("backup.mdb")));
    }
    compactAlone();
    EXPECT_TRUE(QFile::exists(file("dbs.mdb")));
}

TEST_F(CompactionAlone, RefusedWhileAnotherProcessHasTheFileOpen)
{
    // Another copy of the program, idle on its open handle.
    testsupport::ChildProcess other([&](const testsupport::ChildProcess::Ready& ready) {
        jet::Database d = jet::OpenDatabase(file("kestrom.mdb"));
        ready();
        for (;;)
            pause();
    });
    EXPECT_THROW(compactAlone(), jet::DbError);
    other.kill();
    compactAlone();
}

TEST_F(CompactionAlone, NoConnectionOpensTheFileWhileTheCopyTakesItsPlace)
{
    std::string during;
    const QByteArray path = QFile::encodeName(file("kestrom.mdb"));
    jet::CompactDatabase(file("kestrom.mdb"), file("dbs.mdb"), [&] {
        const pid_t child = fork();
        if (child == 0) {
            // What a connection of another process asks for first; the
            // child's own copy of this process's handles would not ask.
            const int fd = ::open(path.constData(), O_RDONLY);
            _exit(fd >= 0 && flock(fd, LOCK_SH | LOCK_NB) == 0 ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        during = WIFEXITED(status) && WEXITSTATUS(status) == 1 ? "refused" : "opened";
    });
    EXPECT_EQ(during, "refused");
    EXPECT_NO_THROW(jet::OpenDatabase(file("kestrom.mdb")));
}

}  // namespace
