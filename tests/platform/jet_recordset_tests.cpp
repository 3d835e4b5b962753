// Recordsets as the windows use them: seek on a named index, find, add,
// edit, delete, and the meaning of EOF, BOF and RecordCount.
#include "app.h"
#include "recordset.h"
#include "sqlvalue.h"
#include "testsupport.h"

using testsupport::ProgramFolderTest;

namespace {

class Recordsets : public ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        openSharedDb();
        app::db.Execute("insert into people (卡號,姓名,部門) values ('000002','乙','A座')");
        app::db.Execute("insert into people (卡號,姓名,部門) values ('000001','甲','A座')");
        app::db.Execute("insert into faka(地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values('3','000001','0000000011',0,0)");
        app::db.Execute("insert into faka(地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values('7','000001','0000000011',1,2)");
    }
};

TEST_F(Recordsets, SeekOnANamedIndexWithOneAndTwoKeys)
{
    jet::Recordset people = app::db.OpenRecordset("people", jet::dbOpenTable);
    people.SetIndex("PrimaryKey");
    people.Seek("=", "000001");
    ASSERT_FALSE(people.NoMatch());
    EXPECT_EQ(people.Field("姓名").toString(), "甲");
    people.Seek("=", "000404");
    EXPECT_TRUE(people.NoMatch());
    EXPECT_THROW(people.Field("姓名"), jet::DbError);

    jet::Recordset faka = app::db.OpenRecordset("faka", jet::dbOpenTable);
    faka.SetIndex("primarykey");
    faka.Seek("=", 7, "000001");
    ASSERT_FALSE(faka.NoMatch());
    EXPECT_EQ(faka.Field("ctrl_state2").toInt(), 2);
    faka.Seek("=", 5, "000001");
    EXPECT_TRUE(faka.NoMatch());
    faka.SetIndex("kh");
    faka.Seek("=", "000001");
    EXPECT_FALSE(faka.NoMatch());
    EXPECT_THROW(faka.SetIndex("nosuchindex"), jet::DbError);
}

TEST_F(Recordsets, TableInIndexOrderAndSeekSeesRowsAddedAfterOpening)
{
    jet::Recordset people = app::db.OpenRecordset("people");
    people.SetIndex("primarykey");
    EXPECT_EQ(people.Field("卡號").toString(), "000001");
    app::db.Execute("insert into people (卡號,姓名) values ('000003','丙')");
    app::db.Execute("update people set 姓名='甲甲' where 卡號='000001'");
    people.Seek("=", "000003");
    ASSERT_FALSE(people.NoMatch());
    EXPECT_EQ(people.Field("姓名").toString(), "丙");
    people.Seek("=", "000001");
    EXPECT_EQ(people.Field("姓名").toString(), "甲甲");

    jet::Recordset kq = app::db.OpenRecordset("datakq");
    kq.SetIndex("Primarykey");
    app::db.Execute("insert into datakq (卡號,日期,hrs) values ('000001',#2026-12-10#,7.5)");
    kq.Seek("=", "000001", QDate(2026, 12, 10));
    ASSERT_FALSE(kq.NoMatch());
    EXPECT_DOUBLE_EQ(kq.Field("hrs").toDouble(), 7.5);
}

TEST_F(Recordsets, AddEditAndDeleteGoToTheFile)
{
    jet::Recordset rs = app::db.OpenRecordset("people", jet::dbOpenTable);
    rs.AddNew();
    rs.SetField("卡號", "000010");
    rs.SetField("姓名", "O'Hara");
    rs.SetField("birthday", QDate(1990, 5, 4));
    rs.Update();
    EXPECT_EQ(scalar("select 姓名 from people where 卡號='000010'").toString(), "O'Hara");
    EXPECT_EQ(scalar("select birthday from people where 卡號='000010'").toDate(), QDate(1990, 5, 4));

    rs.SetIndex("primarykey");
    rs.Seek("=", "000010");
    rs.Edit();
    rs.SetField("姓名", "");
    rs.SetField("部門", QVariant());
    rs.Update();
    EXPECT_EQ(rs.Field("姓名"), QVariant(QString("")));
    EXPECT_FALSE(rs.Field("部門").isValid());
    EXPECT_EQ(count("people", "姓名='' and 部門 is null"), 1);

    rs.Delete();
    EXPECT_EQ(count("people", "卡號='000010'"), 0);
    EXPECT_THROW(rs.Field("姓名"), jet::DbError);
    EXPECT_THROW(rs.SetField("姓名", "x"), jet::DbError);  // no Edit or AddNew
}

TEST_F(Recordsets, DeletingWhileWalkingVisitsEveryRowOnce)
{
    jet::Recordset rs = app::db.OpenRecordset("select * from faka where 卡號='000001'");
    int deleted = 0;
    while (!rs.Eof()) {
        rs.Delete();
        ++deleted;
        rs.MoveNext();
    }
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(count("faka"), 0);
}

TEST_F(Recordsets, FindFirstAndNextOnTablesSelectsAndJoins)
{
    jet::Recordset sys = app::db.OpenRecordset("system", jet::dbOpenDynaset);
    sys.FindFirst("name='輸入緩沖區'");
    ASSERT_FALSE(sys.NoMatch());
    EXPECT_EQ(sys.Field("zhi").toInt(), 2048);
    sys.FindFirst("name='nothing'");
    EXPECT_TRUE(sys.NoMatch());

    jet::Recordset view = app::db.OpenRecordset("select * from fakapl where 卡號='000001'");
    view.FindFirst("地址=7");
    ASSERT_FALSE(view.NoMatch());
    EXPECT_EQ(view.Field("姓名").toString(), "甲");
    view.FindNext("地址=7");
    EXPECT_TRUE(view.NoMatch());
    EXPECT_THROW(view.Edit(), jet::DbError);  // a view's rows are not edited

    jet::Recordset join = app::db.OpenRecordset(
        "select people.卡號,people.姓名,faka.地址 from people,faka where people.卡號=faka.卡號 order by faka.地址");
    join.FindFirst("地址>3");
    EXPECT_EQ(join.Field("地址").toInt(), 7);
}

TEST_F(Recordsets, EofBofAndRecordCount)
{
    jet::Recordset empty = app::db.OpenRecordset("select * from data");
    EXPECT_TRUE(empty.Eof());
    EXPECT_TRUE(empty.Bof());
    EXPECT_EQ(empty.RecordCount(), 0);
    EXPECT_THROW(empty.MoveFirst(), jet::DbError);

    jet::Recordset dyn = app::db.OpenRecordset("select * from people");
    EXPECT_EQ(dyn.RecordCount(), 1);  // a dynaset counts the rows reached
    dyn.MoveLast();
    EXPECT_EQ(dyn.RecordCount(), 2);
    dyn.MoveNext();
    EXPECT_TRUE(dyn.Eof());
    EXPECT_THROW(dyn.MoveNext(), jet::DbError);
    dyn.MoveFirst();
    dyn.MovePrevious();
    EXPECT_TRUE(dyn.Bof());

    jet::Recordset table = app::db.OpenRecordset("faka");
    EXPECT_EQ(table.RecordCount(), 2);
    table.AddNew();
    table.SetField("地址", "9");
    table.SetField("卡號", "000002");
    table.Update();
    EXPECT_EQ(table.RecordCount(), 3);
    EXPECT_EQ(scalar("select 地址 from faka where 卡號='000002'").toInt(), 9);  // quoted address into a number
}

TEST_F(Recordsets, NullIsDistinctFromEmptyTextAndTypesReadBack)
{
    app::db.Execute("insert into faka(地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values('1','000123','0000000001',0,0)");
    app::db.Execute("update faka set 開始時間=#00:00:00#,截止時間=#23:59:00# where 卡號='000123' and 地址=1");
    jet::Recordset rs = app::db.OpenRecordset("select * from faka where 卡號='000123'");
    EXPECT_FALSE(rs.Field("開始日期").isValid());
    EXPECT_EQ(rs.Field("開始星期").toInt(), 0);  // weekdays default to none
    EXPECT_EQ(rs.Field("開始時間").toTime(), QTime(0, 0));
    EXPECT_EQ(rs.Field("截止時間").typeId(), QMetaType::QTime);
    EXPECT_EQ(rs.Field("卡號").toString(), "000123");
    EXPECT_EQ(rs.Field("地址").toInt(), 1);
    EXPECT_THROW(rs.Field("nosuchcolumn"), jet::DbError);

    jet::Recordset user = app::db.OpenRecordset("user");
    EXPECT_EQ(user.Field("r24").typeId(), QMetaType::Bool);
    EXPECT_EQ(user.FieldNames().size(), 32);
}

// Refused in words an operator who typed the value into a cell can read.
TEST_F(Recordsets, BadValuesAreRefusedNotStored)
{
    const struct {
        const char* field;
        const char* value;
        const char* says;
    } cases[] = {
        {"birthday", "abc", "「abc」不是日期或時間，不能存入這一欄。"},
        {"birthday", "not a date", "「not a date」不是日期或時間，不能存入這一欄。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        jet::Recordset rs = app::db.OpenRecordset("people");
        rs.AddNew();
        rs.SetField("卡號", "000099");
        rs.SetField(c.field, c.value);
        try {
            rs.Update();
            ADD_FAILURE() << "stored";
        } catch (const jet::DbError& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(c.says));
        }
        EXPECT_EQ(count("people", "卡號='000099'"), 0);
    }
}

}  // namespace
