// Recordsets that read their rows by key as they move: the order of every
// kind of select, the meaning of EOF, BOF and RecordCount across reads,
// changes made between moves, and no lock held between calls.
#include "app.h"
#include "dialect.h"
#include "recordset.h"
#include "selectparts.h"
#include "sqlvalue.h"
#include "testsupport.h"

#include <sqlite3.h>

using testsupport::ProgramFolderTest;

namespace {

QString card(int n) { return QStringLiteral("%1").arg(n, 6, 10, QLatin1Char('0')); }

TEST(SplitSelect, PlainSelectsAreSplitAndOthersRefused)
{
    struct Case {
        const char* select;
        bool plain;
        const char* refs;   // table refs joined by '|'
        const char* order;  // terms joined by '|', "-" marking descending
    };
    const Case cases[] = {
        {"select * from people", true, "people", ""},
        {"select * from people;", true, "people", ""},
        {"SELECT 卡號, 姓名 FROM people WHERE 部門='A座' ORDER BY clng(卡號) DESC", true, "people", "-clng(卡號)"},
        {"select people.姓名,data.* from data,people where data.卡號=people.卡號 order by data.日期,data.時間 desc",
         true, "data|people", "data.日期|-data.時間"},
        {"select p.姓名 from people as p, faka f where p.卡號=f.卡號", true, "p|f", ""},
        {"select * from \"user\" where sysname='a,b' order by \"sysname\"", true, "\"user\"", "\"sysname\""},
        {"select * from data where 卡號 in (select 卡號 from people order by 卡號)", true, "data", ""},
        {"select 'order by x' from people where 姓名='from'", true, "people", ""},
        {"select distinct 部門 from people", false, "", ""},
        {"select 部門, count(*) from people group by 部門", false, "", ""},
        {"select count(*) from data", false, "", ""},
        {"select max(日期) from data", false, "", ""},
        {"select * from people limit 5", false, "", ""},
        {"select * from faka left join people on faka.卡號=people.卡號", false, "", ""},
        {"select * from (select * from people)", false, "", ""},
        {"select 卡號 from people union select 卡號 from faka", false, "", ""},
        {"select * from people order by 部門 nulls last", false, "", ""},
        {"select 1", false, "", ""},
        {"select * from people; delete from people", false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.select);
        const auto parts = jet::splitSelect(QString::fromUtf8(c.select));
        ASSERT_EQ(parts.has_value(), c.plain);
        if (!parts)
            continue;
        QStringList refs, order;
        for (const auto& t : parts->tables)
            refs << t.ref;
        for (const auto& t : parts->order)
            order << (t.descending ? "-" : "") + t.expression;
        EXPECT_EQ(refs.join('|'), QString::fromUtf8(c.refs));
        EXPECT_EQ(order.join('|'), QString::fromUtf8(c.order));
    }
}

class KeyedRecordsets : public ProgramFolderTest {
protected:
    static constexpr int people = 300;

    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        openSharedDb();
        app::db.BeginTrans();
        // Departments with gaps (Null) and ties, names out of card order.
        const QStringList departments{"A座", "b座", "", "C座", "a座"};
        for (int i = 1; i <= people; ++i) {
            const QString department = i % 7 == 0 ? QStringLiteral("null") : sql::text(departments[i % 5]);
            app::db.Execute(QStringLiteral("insert into people (卡號,姓名,部門) values (%1,%2,%3)")
                                .arg(sql::text(card(i)), sql::text(QStringLiteral("人%1").arg((i * 37) % people)),
                                     department));
            if (i % 3 == 0)
                app::db.Execute(QStringLiteral("insert into faka(地址,卡號,物理卡號,ctrl_state1,ctrl_state2) "
                                               "values('%1',%2,'0000000001',0,0)")
                                    .arg(i % 4)
                                    .arg(sql::text(card(i))));
        }
        app::db.CommitTrans();
    }

    // What the database itself returns for the select, through a handle of its own.
    QStringList truth(const QString& select, const QString& column) const
    {
        sqlite3* h = nullptr;
        EXPECT_EQ(sqlite3_open(file("kestrom.mdb").toUtf8().constData(), &h), SQLITE_OK);
        sqlite3_create_function(h, "clng", 1, SQLITE_UTF8, nullptr,
                                [](sqlite3_context* ctx, int, sqlite3_value** v) {
                                    sqlite3_result_int64(ctx, sqlite3_value_int64(v[0]));
                                },
                                nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(h, jet::toSqlite(select).toUtf8().constData(), -1, &st, nullptr), SQLITE_OK);
        int c = 0;
        while (c < sqlite3_column_count(st) && QString::fromUtf8(sqlite3_column_name(st, c)) != column)
            ++c;
        QStringList out;
        while (sqlite3_step(st) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
        sqlite3_finalize(st);
        sqlite3_close(h);
        return out;
    }
};

TEST_F(KeyedRecordsets, EveryKindOfSelectWalksBothWaysInItsOwnOrder)
{
    // Over the index on 部門, a column that holds Null, the rows are read by
    // their sort values; without an index (姓名, clng) by row ids sorted once.
    ASSERT_EQ(scalar("select count(*) from sqlite_master where name='people_department'").toInt(), 1);
    // The sort terms leave no ties, so the database's order is the only one.
    const std::pair<const char*, const char*> selects[] = {
        {"select * from people order by 部門, 卡號", "卡號"},
        {"select * from people order by 部門 desc, 卡號", "卡號"},
        {"select * from people order by 部門, 卡號 desc", "卡號"},
        {"select * from people where 部門 <> 'b座' or 部門 is null order by 部門 desc, 卡號 desc", "卡號"},
        {"select 卡號, 姓名 from people order by 姓名", "姓名"},
        {"select * from people order by clng(卡號) desc", "卡號"},
        {"select distinct 部門 from people order by 部門", "部門"},
        {"select people.卡號 as card, people.部門, faka.地址 from people, faka where people.卡號=faka.卡號 "
         "order by faka.地址 desc, people.卡號",
         "card"},
        {"select * from fakapl order by 卡號 desc", "卡號"},
    };
    for (const auto& [select, column] : selects) {
        SCOPED_TRACE(select);
        const QStringList expected = truth(QString::fromUtf8(select), QString::fromUtf8(column));
        ASSERT_FALSE(expected.isEmpty());
        jet::Recordset rs = app::db.OpenRecordset(QString::fromUtf8(select));
        QStringList forward, backward;
        for (; !rs.Eof(); rs.MoveNext())
            forward << rs.Field(QString::fromUtf8(column)).toString();
        EXPECT_EQ(forward, expected);
        EXPECT_EQ(rs.RecordCount(), expected.size());
        for (rs.MoveLast(); !rs.Bof(); rs.MovePrevious())
            backward << rs.Field(QString::fromUtf8(column)).toString();
        std::reverse(backward.begin(), backward.end());
        EXPECT_EQ(backward, expected);
    }
}

TEST_F(KeyedRecordsets, EofBofAndRecordCountAtBothEnds)
{
    jet::Recordset rs = app::db.OpenRecordset("select * from people where 卡號 <= '000005' order by 卡號");
    EXPECT_FALSE(rs.Bof());
    EXPECT_FALSE(rs.Eof());
    EXPECT_EQ(rs.RecordCount(), 1);
    rs.MoveNext();
    rs.MoveNext();
    EXPECT_EQ(rs.RecordCount(), 3);
    rs.MoveLast();
    EXPECT_EQ(rs.RecordCount(), 5);
    EXPECT_EQ(rs.Field("卡號").toString(), "000005");
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    EXPECT_FALSE(rs.Bof());
    EXPECT_THROW(rs.Field("卡號"), jet::DbError);
    rs.MovePrevious();
    EXPECT_EQ(rs.Field("卡號").toString(), "000005");
    rs.MoveFirst();
    rs.MovePrevious();
    EXPECT_TRUE(rs.Bof());
    EXPECT_FALSE(rs.Eof());
    EXPECT_THROW(rs.MovePrevious(), jet::DbError);
    rs.MoveNext();
    EXPECT_EQ(rs.Field("卡號").toString(), "000001");
    EXPECT_EQ(rs.RecordCount(), 5);

    // A find far into the rows counts the rows up to the one it found.
    jet::Recordset all = app::db.OpenRecordset("select * from people order by 卡號");
    all.FindFirst("卡號='000200'");
    EXPECT_EQ(all.RecordCount(), 200);
    all.MovePrevious();
    EXPECT_EQ(all.Field("卡號").toString(), "000199");
    all.MoveLast();
    EXPECT_EQ(all.RecordCount(), people);
}

TEST_F(KeyedRecordsets, SeekSeesRowsAddedOnTheSameConnection)
{
    jet::Recordset seeker = app::db.OpenRecordset("people", jet::dbOpenTable);
    seeker.SetIndex("primarykey");
    const std::pair<const char*, std::function<void()>> adds[] = {
        {"900001", [] { app::db.Execute("insert into people (卡號,姓名) values ('900001','經語句')"); }},
        {"900002",
         [] {
             jet::Recordset other = app::db.OpenRecordset("people", jet::dbOpenTable);
             other.AddNew();
             other.SetField("卡號", "900002");
             other.SetField("姓名", "經記錄集");
             other.Update();
         }},
        {"900003",
         [] {
             jet::Recordset other = app::db.OpenRecordset("select * from people where 卡號 > '8'");
             other.AddNew();
             other.SetField("卡號", "900003");
             other.Update();
         }},
    };
    for (const auto& [key, add] : adds) {
        SCOPED_TRACE(key);
        seeker.Seek("=", key);
        EXPECT_TRUE(seeker.NoMatch());
        add();
        seeker.Seek("=", key);
        ASSERT_FALSE(seeker.NoMatch());
        EXPECT_EQ(seeker.Field("卡號").toString(), key);
        // Moving on from a sought row goes on in the index's order.
        seeker.MovePrevious();
        EXPECT_LT(seeker.Field("卡號").toString(), QString::fromUtf8(key));
    }
    EXPECT_EQ(seeker.RecordCount(), people + 3);
}

TEST_F(KeyedRecordsets, EditAndDeleteOfARowFoundByFindFirst)
{
    jet::Recordset rs = app::db.OpenRecordset("select * from faka where 地址 >= 1 order by 地址, 卡號");
    rs.FindFirst("卡號='000150'");
    ASSERT_FALSE(rs.NoMatch());
    rs.Edit();
    rs.SetField("物理卡號", "0000000150");
    rs.Update();
    EXPECT_EQ(rs.Field("物理卡號").toString(), "0000000150");
    EXPECT_EQ(scalar("select 物理卡號 from faka where 卡號='000150'").toString(), "0000000150");

    rs.FindNext("物理卡號='0000000001'");
    ASSERT_FALSE(rs.NoMatch());
    const QString next = rs.Field("卡號").toString();
    rs.FindPrevious("卡號='000150'");
    ASSERT_FALSE(rs.NoMatch());
    rs.Delete();
    EXPECT_EQ(count("faka", "卡號='000150'"), 0);
    EXPECT_THROW(rs.Field("卡號"), jet::DbError);
    rs.MoveNext();
    EXPECT_EQ(rs.Field("卡號").toString(), next);
    rs.FindFirst("卡號='000150'");
    EXPECT_TRUE(rs.NoMatch());
    EXPECT_EQ(rs.Field("卡號").toString(), next);  // a find that fails stays where it was
}

TEST_F(KeyedRecordsets, ChangesByAnotherHandleShowAtTheNextMove)
{
    jet::Recordset table = app::db.OpenRecordset("people", jet::dbOpenTable);
    table.SetIndex("primarykey");
    jet::Recordset dynaset = app::db.OpenRecordset("select * from people order by 卡號");
    ASSERT_EQ(table.Field("卡號").toString(), "000001");
    ASSERT_EQ(dynaset.Field("卡號").toString(), "000001");

    jet::Database other = openDb();
    other.Execute("update people set 姓名='改過' where 卡號='000002'");
    other.Execute("delete * from people where 卡號='000003'");
    other.Execute("insert into people (卡號,姓名) values ('0000025','新來')");
    for (jet::Recordset* rs : {&table, &dynaset}) {
        rs->MoveNext();
        EXPECT_EQ(rs->Field("姓名").toString(), "改過");
    }
    // The table shows every row it holds now; the dynaset the rows it was opened with.
    table.MoveNext();
    EXPECT_EQ(table.Field("卡號").toString(), "0000025");
    table.MoveNext();
    EXPECT_EQ(table.Field("卡號").toString(), "000004");
    dynaset.MoveNext();
    EXPECT_EQ(dynaset.Field("卡號").toString(), "000004");

    // Rows a dynaset adds itself are among its rows.
    dynaset.AddNew();
    dynaset.SetField("卡號", "0000045");
    dynaset.Update();
    dynaset.MoveNext();
    EXPECT_EQ(dynaset.Field("卡號").toString(), "0000045");
    dynaset.MoveLast();
    EXPECT_EQ(dynaset.RecordCount(), people);  // one deleted, one added
}

TEST_F(KeyedRecordsets, RecordsetsLeftOpenHoldNoLockAgainstAnotherHandle)
{
    jet::Recordset table = app::db.OpenRecordset("people", jet::dbOpenTable);
    table.SetIndex("primarykey");
    table.Seek("=", "000100");
    jet::Recordset walked = app::db.OpenRecordset("select * from people order by 卡號");
    for (int i = 0; i < 20; ++i)
        walked.MoveNext();  // rows read ahead of the current one
    jet::Recordset sorted = app::db.OpenRecordset("select * from people order by clng(卡號) desc");
    jet::Recordset copied = app::db.OpenRecordset("select distinct 部門 from people");
    jet::Recordset view = app::db.OpenRecordset("select * from fakapl");

    // A raw handle waits for no lock: it fails at once if any is held.
    rawSql("begin immediate; insert into people (卡號,姓名) values ('990001','寫入'); commit");

    table.Seek("=", "990001");
    ASSERT_FALSE(table.NoMatch());
    EXPECT_EQ(table.Field("姓名").toString(), "寫入");
    walked.MoveNext();
    EXPECT_EQ(walked.Field("卡號").toString(), card(22));
}

}  // namespace
