// The statement forms the windows write, run as written against a small fixture.
#include "app.h"
#include "recordset.h"
#include "sqlvalue.h"
#include "testsupport.h"

#include <functional>

using testsupport::ProgramFolderTest;

namespace {

class Statements : public ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        fill();
    }

    void fill()
    {
        openSharedDb();
        auto& db = app::db;
        db.Execute("insert into doors (地址,namedr1,delay1,dtype1,namedr2,delay2,dtype2) values ('1','前門',5,'玻','後門',0.5,'鐵')");
        db.Execute("insert into doors (地址,namedr1,delay1,dtype1) values ('2','側門',5,'木')");
        db.Execute("insert into people (卡號,姓名,部門) values ('000009','陳大文','A座')");
        db.Execute("insert into people (卡號,姓名,部門) values ('000010','李小明','B座')");
        db.Execute("insert into people (卡號,姓名,部門) values ('000011','Wong','a座')");
        db.Execute("insert into faka(地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values('1','000009','0012345678',0,3)");
        db.Execute("insert into faka(地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values('2','000010','0000000001',1,2)");
        db.Execute("insert into data (卡號,日期,時間,地址,flagIO,flag) values ('000009',#2026-12-01#,#08:59:00#,1,'鎖一進',1)");
        db.Execute("insert into data (卡號,日期,時間,地址,flagIO,flag) values ('000009',#2026-12-02#,#17:30:00#,1,'鎖一出',2)");
        db.Execute("insert into data (卡號,日期,時間,地址,flagIO,flag) values ('000010',#2026-12-03#,#12:00:00#,2,'鎖二進',3)");
    }
};

struct Form {
    const char* statement;   // as a window writes it
    const char* check;       // a select whose first value shows the effect
    const char* expected;
};

TEST_F(Statements, EveryFormTheWindowsWriteRunsAsWritten)
{
    const Form forms[] = {
        {"delete * from data where 日期 between #2026-12-01# and #2026-12-02#", "select count(*) from data", "1"},
        {"delete * from data  where 日期 = #2026-12-03#", "select count(*) from data", "2"},
        {"delete * from data", "select count(*) from data", "0"},
        {"delete * from doors where 地址=2", "select count(*) from doors", "1"},
        {"delete * from faka  where 卡號 in (select 卡號 from people where 部門='A座')", "select count(*) from faka", "1"},
        {"delete * from key", "select count(*) from key", "0"},
        {"delete * from user", "select count(*) from user", "0"},
        {"insert into department values ('C座')", "select 部門 from department", "C座"},
        {"insert into user values('op','pw',true,false,true,true,true,true,true,true,true,true,true,true,true,true,true,true,true,true,true,true,true,true,true,true,true,true,true,true,true,true)",
         "select usermanage from user where sysname='OP'", "false"},
        {"insert into peoplept select * from people order by clng(卡號)", "select count(*) from peoplept", "3"},
        {"insert into datakqPT select * from datakq", "select count(*) from datakqPT", "0"},
        {"update faka set 開始日期=#2026-01-01#,截止日期=#2026-12-31# where 卡號='000009' and 地址=1",
         "select 截止日期 from faka where 卡號='000009'", "2026-12-31"},
        {"update faka set 開始星期=1,截止星期=5 where 卡號='000009' and 地址=1", "select 截止星期 from faka where 地址=1", "5"},
        {"update faka set 開始時間=#08:00:00#,截止時間=#18:00:00# where 卡號='000009' and 地址=1",
         "select 開始時間 from faka where 地址=1", "08:00:00"},
        {"update doors set delay1=0.75 where 地址=1", "select delay1 from doors where 地址=1", "0.75"},
        {"update system set zhi=1,detail='公司' where name='串口號'", "select detail from system where name='串口號'", "公司"},
        {"update system set zhi=0,detail='9600,n,8,1' where name='通訊設置'", "select zhi from system where name='通訊設置'", "0"},
        {"update people set 部門='D座' where 部門='a座'", "select count(*) from people where 部門='D座'", "2"},
        {"update department set 部門='X' where 部門='none'", "select count(*) from department", "0"},
    };
    for (const Form& f : forms) {
        SCOPED_TRACE(f.statement);
        freshDatabase();
        fill();
        app::db.Execute(QString::fromUtf8(f.statement));
        QVariant v = scalar(QString::fromUtf8(f.check));
        QString got = v.typeId() == QMetaType::Bool ? (v.toBool() ? "true" : "false")
                      : v.typeId() == QMetaType::QDate ? v.toDate().toString(Qt::ISODate)
                      : v.typeId() == QMetaType::QTime ? v.toTime().toString("HH:mm:ss")
                                                      : v.toString();
        EXPECT_EQ(got, QString::fromUtf8(f.expected));
    }
}

TEST_F(Statements, SelectsTheWindowsOpenReturnTheirRows)
{
    const std::pair<const char*, int> selects[] = {
        {"select * from doors order by clng(地址)", 2},
        {"select distinct 地址 from doors order by 地址", 2},
        {"select distinct 部門 from people", 2},  // A座 and a座 are one, as the engine compares text
        {"select distinct 卡號 from fakaPl", 2},
        {" select 地址,卡號,開始日期,截止日期,開始星期,截止星期,開始時間,截止時間,物理卡號,姓名,部門,ctrl_state1,ctrl_state2 from fakapl where 地址=1", 1},
        {"select * from fakaPl where 部門='b座'", 1},
        {"select doors.地址 from faka,doors where faka.地址=doors.地址 and faka.卡號='000010'", 1},
        {"select people.姓名,people.部門,people.職務,data.* from data,people where data.卡號=people.卡號 ", 3},
        {"select * from data where 卡號='000009' and 日期=#2026-12-01# and 時間=#08:59:00# and flag=1", 1},
        {"select distinct 日期 from data where 日期 between #2026-12-01# and #2026-12-02#", 2},
        {"select * from data where 時間 > #09:00:00# and 時間 < #18:00:00#  and 時間<> #12:00:00#", 1},
        {"select * from people where 卡號 between '000009' and '000010'", 2},
        {"select * from user where sysname='BRIVEL'", 1},
        {"select faka.*,people.姓名,people.部門,people.rmno from faka,people where faka.卡號=people.卡號", 2},
    };
    for (const auto& [select, rows] : selects) {
        SCOPED_TRACE(select);
        jet::Recordset rs = app::db.OpenRecordset(QString::fromUtf8(select));
        if (!rs.Eof())
            rs.MoveLast();
        EXPECT_EQ(rs.RecordCount(), rows);
    }
}

TEST_F(Statements, OrderByClngOrdersCardNumbersByValueAndKeepsLeadingZeros)
{
    app::db.Execute("insert into people (卡號) values ('000100')");
    app::db.Execute("insert into people (卡號) values ('000001')");
    jet::Recordset rs = app::db.OpenRecordset("select 卡號 from people order by clng(卡號)");
    QStringList order;
    for (; !rs.Eof(); rs.MoveNext())
        order << rs.Field("卡號").toString();
    EXPECT_EQ(order, (QStringList{"000001", "000009", "000010", "000011", "000100"}));
    EXPECT_EQ(scalar("select 物理卡號 from faka where 地址=2").toString(), "0000000001");
}

TEST_F(Statements, QuotedValuesNeverChangeTheStatement)
{
    for (const QString& typed : {QString("O'Brien"), QString("x'; delete * from people; --"), QString("a' or 'a'='a"),
                                QString("--"), QString("#2026-01-01#"), QString("\"quoted\"")}) {
        SCOPED_TRACE(typed.toStdString());
        app::db.Execute("insert into department values (" + sql::text(typed) + ")");
        EXPECT_EQ(scalar("select 部門 from department where 部門=" + sql::text(typed)).toString(), typed);
        EXPECT_EQ(app::db.Execute("update department set 部門=" + sql::text(typed + "!") + " where 部門=" + sql::text(typed)), 1);
        app::db.Execute("delete * from department  where 部門=" + sql::text(typed + "!"));
    }
    EXPECT_EQ(count("department"), 0);
    EXPECT_EQ(count("people"), 3);
}

TEST_F(Statements, TrailingStatementsAreRefusedNotRun)
{
    EXPECT_THROW(app::db.Execute("delete * from doors where 地址=1; delete * from people"), jet::DbError);
    EXPECT_EQ(count("people"), 3);
    EXPECT_EQ(count("doors"), 2);
}

TEST_F(Statements, DateAndTimeLiteralsInTheFormsUsersType)
{
    const std::pair<const char*, int> literals[] = {
        {"#2026-12-01#", 1}, {"#2026/12/1#", 1}, {"#12/01/2026#", 1}, {"#2026-12-01 00:00:00#", 1},
    };
    for (const auto& [lit, rows] : literals) {
        SCOPED_TRACE(lit);
        EXPECT_EQ(count("data", QString("日期=") + lit), rows);
    }
    EXPECT_EQ(count("data", "時間=#8:59#"), 1);
    EXPECT_EQ(count("data", "時間=#8:59:00 AM#"), 1);
    EXPECT_EQ(count("data", "時間=#5:30 PM#"), 1);
    EXPECT_EQ(count("data", "日期=" + sql::date(QDate(2026, 12, 2))), 1);
    EXPECT_EQ(count("data", "時間=" + sql::time(QTime(12, 0))), 1);
    EXPECT_THROW(app::db.Execute("delete * from data where 日期=#not a date#"), jet::DbError);
}

TEST_F(Statements, RefusedStatementsRaiseTheEngineMessage)
{
    try {
        app::db.Execute("delete * from nosuchtable");
        FAIL() << "no error";
    } catch (const jet::DbError& e) {
        EXPECT_TRUE(e.message().contains("nosuchtable"));
    }
    EXPECT_THROW(app::db.Execute("insert into department values ('unterminated)"), jet::DbError);
}

// A NUL can't be stored or written into a statement: whichever way a value
// holding one reaches the database, it is refused in the system's own words
// and nothing is written.
TEST_F(Statements, AValueHoldingANulIsRefusedInTheSystemsWords)
{
    const QString value = QStringLiteral("東") + QChar(0) + QStringLiteral("座");
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"quoted into an insert", [&] { app::db.Execute("insert into department values (" + sql::text(value) + ")"); }},
        {"quoted into a select", [&] { app::db.OpenRecordset("select * from people where 部門=" + sql::text(value)); }},
        {"joined in by hand", [&] { app::db.Execute("insert into department values ('" + value + "')"); }},
        {"saved in a field",
         [&] {
             jet::Recordset rs = app::db.OpenRecordset("department");
             rs.AddNew();
             rs.SetField("部門", value);
             rs.Update();
         }},
    };
    for (const auto& [way, run] : ways) {
        SCOPED_TRACE(way);
        try {
            run();
            ADD_FAILURE() << "not refused";
        } catch (const jet::DbError& e) {
            EXPECT_EQ(e.message(), "輸入的內容含有無法儲存的字符。");
        }
    }
    EXPECT_EQ(count("department"), 0);
}

}  // namespace
