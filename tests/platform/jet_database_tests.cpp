// Opening, several handles on one file, transactions and compaction.
#include "app.h"
#include "dbfile.h"
#include "recordset.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>

using testsupport::ProgramFolderTest;

namespace {

class Databases : public ProgramFolderTest {};

TEST_F(Databases, ConnectStringAndBarePathOpenTheSameFile)
{
    openSharedDb();
    EXPECT_TRUE(app::connstr.startsWith(";database="));
    EXPECT_TRUE(app::connstr.endsWith("\\kestrom.mdb;pwd=qalvendrits"));
    EXPECT_EQ(app::db.path(), QDir::cleanPath(file("kestrom.mdb")));
    jet::Database second = jet::OpenDatabase(app::databaseFile());
    app::db.Execute("insert into department values ('東翼')");
    EXPECT_EQ(second.OpenRecordset("department").Field("部門").toString(), "東翼");
    second.Execute("delete * from department");
    EXPECT_TRUE(app::db.OpenRecordset("department").Eof());
}

TEST_F(Databases, AFileThatIsMissingOrDamagedIsRefused)
{
    EXPECT_THROW(jet::OpenDatabase(file("missing.mdb")), jet::DbError);
    QFile junk(file("junk.mdb"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    EXPECT_THROW(jet::OpenDatabase(file("junk.mdb")), jet::DbError);
}

TEST_F(Databases, ClosingTheWorkspaceClosesEveryHandle)
{
    openSharedDb();
    jet::Recordset rs = app::db.OpenRecordset("system");
    jet::CloseDefaultWorkspace();
    EXPECT_FALSE(app::db.isOpen());
    EXPECT_THROW(app::db.Execute("delete * from data"), jet::DbError);
    EXPECT_THROW(rs.MoveNext(), jet::DbError);
}

TEST_F(Databases, RollbackLeavesTheFileAsItWas)
{
    openSharedDb();
    app::db.BeginTrans();
    app::db.Execute("delete * from user");
    app::db.Rollback();
    EXPECT_EQ(count("user"), 1);
}

TEST_F(Databases, CompactionKeepsEveryRowAndRefusesAnExistingTarget)
{
    openSharedDb();
    for (int i = 0; i < 50; ++i)
        app::db.Execute(QString("insert into people (卡號) values ('%1')").arg(i, 6, 10, QChar('0')));
    app::db.Close();
    jet::CompactDatabase(file("kestrom.mdb"), file("dbs.mdb"));
    jet::Database copy = jet::OpenDatabase(file("dbs.mdb"));
    jet::Recordset rs = copy.OpenRecordset("people");
    EXPECT_EQ(rs.RecordCount(), 50);
    EXPECT_THROW(jet::CompactDatabase(file("kestrom.mdb"), file("dbs.mdb")), jet::DbError);
}

TEST_F(Databases, ANewFileHoldsTheSettingsRowsAndTheDefaultOperator)
{
    EXPECT_FALSE(dbfile::createDatabaseFile(file("kestrom.mdb")));  // never overwrites
    EXPECT_EQ(count("system"), 5);
    EXPECT_FALSE(scalar("select detail from system where name='串口號'").isValid());
    EXPECT_EQ(scalar("select detail from system where name='通訊設置'").toString(), "9600,n,8,1");
    EXPECT_EQ(scalar("select zhi from system where name='輸出緩沖區'").toInt(), 512);
    EXPECT_EQ(count("user", "sysname='brivel' and syspword='brivel' and usersetting and usermanage and r0 and r24"), 1);
    EXPECT_EQ(count("cjtype"), 0);
}

}  // namespace
