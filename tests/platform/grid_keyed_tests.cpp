// The bound grid over results of many pages: each page read by key in the
// select's order, large results counted between events, no lock held
// against other handles, and edits in place by row id.
#include "app.h"
#include "boundgrid.h"
#include "dialect.h"
#include "fieldtext.h"
#include "orderedrows.h"
#include "recordset.h"
#include "rowsmodel.h"
#include "testsupport.h"

#include <QApplication>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <sqlite3.h>

using testsupport::ProgramFolderTest;

namespace {

class KeyedGrid : public ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        openSharedDb();
        grid.setDatabaseName(app::databaseFile());
        for (int i = 1; i <= 50; ++i)
            app::db.Execute(QStringLiteral("insert into people (卡號,姓名,部門) values ('%1','人%2',%3)")
                                .arg(i, 6, 10, QLatin1Char('0'))
                                .arg((i * 7) % 50)
                                .arg(i % 4 ? QStringLiteral("'A座'") : QStringLiteral("null")));
    }

    // Swipes of 50 cards over the days of a year, many at the same minute,
    // a few without a time; made by the database itself, for speed.
    void addSwipes(int rows)
    {
        app::db.Execute(QStringLiteral(
                            "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
                            "insert into data (卡號,日期,時間,地址,flagIO,flag) "
                            "select printf('%06d', i % 50 + 1), date('2025-01-01', '+' || (i * 7 % 365) || ' days'), "
                            "case when i % 97 = 0 then null else printf('%02d:%02d:00', i % 3 + 8, i % 2 * 30) end, "
                            "i % 100, '鎖一進', 1 from n")
                            .arg(rows));
    }

    // What the select returns, in order, as one text per row.
    QStringList truth(const QString& select) const
    {
        sqlite3* h = nullptr;
        EXPECT_EQ(sqlite3_open(file("kestrom.mdb").toUtf8().constData(), &h), SQLITE_OK);
        sqlite3_stmt* st = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(h, jet::toSqlite(select).toUtf8().constData(), -1, &st, nullptr), SQLITE_OK)
            << sqlite3_errmsg(h);
        QStringList out;
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList row;
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
            out << row.join('|');
        }
        sqlite3_finalize(st);
        sqlite3_close(h);
        return out;
    }

    QString shown(int row)
    {
        QStringList cells;
        for (int c = 0; c < grid.model()->columnCount(); ++c)
            cells << grid.model()->index(row, c).data().toString();
        return cells.join('|');
    }

    grid::BoundGrid grid;
};

TEST_F(KeyedGrid, PagesAtTheEndTheMiddleAndTheStartShowWhatTheSelectReturns)
{
    const int rows = grid::RowsModel::PageSize * 7 + 13;
    addSwipes(rows);
    // Read by sort values over an index, by row ids sorted once, and as a copy.
    const std::pair<const char*, const char*> selects[] = {
        {"select 卡號,日期,時間,地址 from data order by 日期, 時間", "select 卡號,日期,時間,地址 from data order by 日期, 時間, rowid"},
        {"select 卡號,日期,時間,地址 from data order by 日期 desc, 時間 desc",
         "select 卡號,日期,時間,地址 from data order by 日期 desc, 時間 desc, rowid"},
        {"select people.姓名,data.卡號,data.日期 from data,people where data.卡號=people.卡號 order by people.部門, data.地址 desc",
         "select people.姓名,data.卡號,data.日期 from data,people where data.卡號=people.卡號 order by people.部門, data.地址 desc, data.rowid, people.rowid"},
        {"select 卡號,日期,時間,地址 from data", "select 卡號,日期,時間,地址 from data order by rowid"},
        {"select distinct 日期,卡號 from data order by 日期,卡號", "select distinct 日期,卡號 from data order by 日期,卡號"},
    };
    for (const auto& [select, ordered] : selects) {
        SCOPED_TRACE(select);
        const QStringList expected = truth(QString::fromUtf8(ordered));
        ASSERT_GT(expected.size(), grid::RowsModel::PageSize * 3);
        grid.setRecordSource(QString::fromUtf8(select));
        grid.Refresh();
        ASSERT_EQ(grid.RecordCount(), expected.size());
        const int last = grid.RecordCount() - 1;
        const int middle = grid::RowsModel::PageSize * 3 + 17;
        for (int row : {last, last - grid::RowsModel::PageSize, middle, middle - 1, middle + 1, 0, 1})
            EXPECT_EQ(shown(row), expected[row]) << "row " << row;
    }
}

// Null sorts first in an ascending order and last in a descending one, as
// the engine sorts it: a block of Nulls across page boundaries, on the
// first sort column or among the ties of an earlier one, lists every row
// in the engine's order wherever the grid is scrolled to first.
TEST_F(KeyedGrid, RowsWithAnEmptySortValueAreListedInTheEnginesOrderOnEveryPage)
{
    const int rows = grid::RowsModel::PageSize * 7 + 13;
    addSwipes(rows);
    app::db.Execute("update people set 姓名=null where 卡號 in ('000003','000017')");
    const QString columns = "select people.姓名,people.部門,data.卡號,data.日期,data.時間 from data,people "
                            "where data.卡號=people.卡號 order by ";
    const char* const orders[][2] = {
        {"people.部門,data.日期,data.時間", "people.部門,data.日期,data.時間,data.rowid,people.rowid"},
        {"people.姓名,data.日期,data.時間", "people.姓名,data.日期,data.時間,data.rowid,people.rowid"},
        {"people.部門 desc,data.日期", "people.部門 desc,data.日期,data.rowid,people.rowid"},
        {"data.時間,data.卡號", "data.時間,data.卡號,data.rowid,people.rowid"},
        {"data.日期,data.時間", "data.日期,data.時間,data.rowid,people.rowid"},
        {"data.日期 desc,data.時間 desc", "data.日期 desc,data.時間 desc,data.rowid,people.rowid"},
        {"data.日期 desc,data.時間", "data.日期 desc,data.時間,data.rowid,people.rowid"},
    };
    for (const auto& [order, complete] : orders) {
        SCOPED_TRACE(order);
        const QStringList expected = truth(columns + QString::fromUtf8(complete));
        grid.setRecordSource(columns + QString::fromUtf8(order));
        grid.Refresh();
        ASSERT_EQ(grid.RecordCount(), expected.size());
        // A jump to the end and one to the middle before the rest.
        const int last = grid.RecordCount() - 1, middle = grid.RecordCount() / 2;
        EXPECT_EQ(shown(last), expected[last]);
        EXPECT_EQ(shown(middle), expected[middle]);
        int wrong = 0;
        for (int row = 0; row < grid.RecordCount(); ++row)
            if (shown(row) != expected[row] && ++wrong <= 3)
                ADD_FAILURE() << "row " << row << ": " << shown(row).toStdString() << " instead of "
                              << expected[row].toStdString();
        EXPECT_EQ(wrong, 0);
    }
}

// Another handle (one that writes a print meanwhile, say) reads the rows
// the grid lists, in its order: rows stored since the refresh stay out,
// however the rows are read.
TEST_F(KeyedGrid, TheListedRowsReadThroughAnotherHandleAreThoseTheGridShows)
{
    addSwipes(grid::RowsModel::PageSize * 5 + 7);
    const char* const selects[] = {
        "select data.卡號,data.日期,data.時間 from data order by data.日期, data.時間",
        "select people.姓名,data.卡號,data.地址 from data,people where data.卡號=people.卡號 order by data.時間 desc, people.姓名",
        "select people.姓名,data.卡號,data.日期 from data,people where data.卡號=people.卡號",
    };
    QSet<bool> positional;
    for (const char* select : selects) {
        SCOPED_TRACE(select);
        grid.setRecordSource(QString::fromUtf8(select));
        grid.Refresh();
        addSwipes(100);  // among the listed in every order
        const auto rows = grid.listedRows(app::db);
        positional << rows->positional();
        QStringList read;
        for (auto part = rows->after(nullptr, 333); !part.empty(); part = rows->after(&part.back().key, 333))
            for (const jet::KeyedRow& row : part) {
                QStringList cells;
                for (const QVariant& v : row.values)
                    cells << jet::fieldText(v);
                read << cells.join('|');
            }
        ASSERT_EQ(read.size(), grid.RecordCount());
        for (int row = 0; row < grid.RecordCount(); ++row)
            ASSERT_EQ(read[row], shown(row)) << "row " << row;
    }
    EXPECT_EQ(positional, QSet<bool>({true, false}));
}

TEST_F(KeyedGrid, ALargeResultShowsAtOnceAndIsCountedBetweenEvents)
{
    const int rows = static_cast<int>(grid::RowsModel::CountedAtRefresh) + 2 * grid::RowsModel::PageSize + 5;
    addSwipes(rows);
    QSignalSpy finished(&grid, &grid::BoundGrid::recordCountFinished);
    grid.setRecordSource("select * from data order by 日期, 時間");
    grid.Refresh();
    EXPECT_TRUE(grid.isCounting());
    EXPECT_LT(grid.RecordCount(), rows);
    EXPECT_EQ(grid.Field("卡號").toString().size(), 6);
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_FALSE(grid.isCounting());
    EXPECT_EQ(grid.RecordCount(), rows);
    EXPECT_EQ(finished.at(0).at(0).toInt(), rows);

    const QStringList expected = truth("select 卡號,日期,時間,地址,flagIO,flag from data order by 日期, 時間, rowid");
    grid.setRow(rows - 1);
    EXPECT_EQ(shown(rows - 1), expected.last());
    EXPECT_EQ(shown(rows - 300), expected[rows - 300]);
}

TEST_F(KeyedGrid, AGridAndATableRecordsetLeftOpenLetAnotherHandleCommitAtOnce)
{
    addSwipes(static_cast<int>(grid::RowsModel::CountedAtRefresh) * 2);
    jet::Recordset people = app::db.OpenRecordset("people", jet::dbOpenTable);
    people.SetIndex("primarykey");
    people.Seek("=", "000010");
    grid.setRecordSource("select * from data order by 日期, 時間");
    grid.Refresh();
    grid.setRow(grid.RecordCount() - 1);
    ASSERT_TRUE(grid.isCounting());
    QCoreApplication::processEvents();  // a step of counting, between events

    // A raw handle waits for no lock: it fails at once if any is held.
    rawSql("begin immediate;"
           "insert into people (卡號,姓名) values ('990001','新人');"
           "insert into data (卡號,日期,時間,地址,flagIO,flag) values ('990001','2026-01-01','08:00:00',1,'鎖一進',1);"
           "commit");

    people.Seek("=", "990001");
    ASSERT_FALSE(people.NoMatch());
    EXPECT_EQ(people.Field("姓名").toString(), "新人");
    grid.Refresh();
    QSignalSpy finished(&grid, &grid::BoundGrid::recordCountFinished);
    ASSERT_TRUE(finished.wait(10000));
    grid.setRow(grid.RecordCount() - 1);
    EXPECT_EQ(grid.Field("卡號").toString(), "990001");
}

class EditedGrid : public KeyedGrid {
protected:
    void SetUp() override
    {
        KeyedGrid::SetUp();
        // Two swipes alike in every column: only the row id tells them apart.
        for (int i = 0; i < 2; ++i)
            app::db.Execute("insert into data (卡號,日期,時間,地址,flagIO,flag) values ('000001',#2025-03-04#,#08:00:00#,5,'鎖一進',1)");
        app::db.Execute("insert into faka(地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values('1','000001','0000000001',0,0)");
        app::db.Execute("insert into faka(地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values('2','000001','0000000001',0,0)");
        grid.resize(700, 400);
        grid.show();
        QApplication::setActiveWindow(&grid);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
    }

    int columnOf(const QString& field) const { return static_cast<int>(grid.FieldNames().indexOf(field)); }

    // Types into a cell as an operator does: F2, the text, Enter.
    void type(int row, const QString& field, const QString& text)
    {
        grid.setCurrentIndex(grid.model()->index(row, columnOf(field)));
        QTest::keyClick(&grid, Qt::Key_F2);
        QWidget* editor = QApplication::focusWidget();
        ASSERT_NE(editor, &grid) << "no editor opened";
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();  // the editor hands its text over once the key is handled
    }
};

TEST_F(EditedGrid, ReadOnlyUnlessAnEditTableIsSet)
{
    grid.setRecordSource("select * from data");
    grid.Refresh();
    EXPECT_FALSE(grid.model()->flags(grid.model()->index(0, 0)) & Qt::ItemIsEditable);
    grid.setCurrentIndex(grid.model()->index(0, columnOf("地址")));
    QTest::keyClick(&grid, Qt::Key_F2);
    QTest::keyClicks(QApplication::focusWidget(), "9");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(count("data", "地址=5"), 2);
}

TEST_F(EditedGrid, AnEditReachesItsOwnRowByRowidAndOnlyThatTablesColumnsAreEditable)
{
    grid.setEditTable("DATA");
    grid.setRecordSource("select people.姓名,data.* from data,people where data.卡號=people.卡號");
    grid.Refresh();
    ASSERT_EQ(grid.RecordCount(), 2);
    EXPECT_FALSE(grid.model()->flags(grid.model()->index(0, columnOf("姓名"))) & Qt::ItemIsEditable);
    EXPECT_TRUE(grid.model()->flags(grid.model()->index(0, columnOf("地址"))) & Qt::ItemIsEditable);

    type(1, "地址", "7");
    type(1, "日期", "2025/3/5");
    EXPECT_EQ(count("data", "地址=7 and 日期=#2025-03-05#"), 1);
    EXPECT_EQ(count("data", "地址=5 and 日期=#2025-03-04#"), 1);
    EXPECT_EQ(grid.Field(1, "地址").toInt(), 7);
    EXPECT_EQ(grid.model()->index(1, columnOf("日期")).data().toString(), "2025-03-05");
    EXPECT_EQ(grid.Field(0, "地址").toInt(), 5);
    EXPECT_TRUE(dialogs.messages.empty());

    type(0, "時間", "");  // an emptied time holds nothing
    EXPECT_EQ(count("data", "時間 is null"), 1);
}

TEST_F(EditedGrid, AnEditTheDatabaseRefusesIsReportedAndTheCellShowsTheStoredValue)
{
    const struct {
        const char* select;
        const char* table;
        const char* field;
        const char* typed;
        const char* stored;
    } refused[] = {
        {"select * from data", "data", "地址", "abc", "5"},
        {"select * from data", "data", "日期", "2025-13-45", "2025-03-04"},
        {"select * from faka order by 地址", "faka", "地址", "2", "1"},  // a second row for address 2 and the card
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.typed);
        dialogs.messages.clear();
        grid.setEditTable(r.table);
        grid.setRecordSource(r.select);
        grid.Refresh();
        type(0, r.field, r.typed);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_TRUE(dialogs.last().startsWith("數據庫操作失敗"));
        EXPECT_EQ(grid.model()->index(0, columnOf(r.field)).data().toString(), r.stored);
        EXPECT_EQ(scalar(QStringLiteral("select %1 from %2 order by rowid").arg(r.field, r.table)).toString(), r.stored);
    }
}

}  // namespace
