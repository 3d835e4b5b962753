// The bound grid over a select: rows fetched as they come into view, the
// current row after a refresh, field values by name.
#include "app.h"
#include "boundgrid.h"
#include "rowsmodel.h"
#include "sqlvalue.h"
#include "testsupport.h"

#include <QSignalSpy>
#include <QScrollBar>

using testsupport::ProgramFolderTest;

namespace {

class Grid : public ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        openSharedDb();
        grid.setDatabaseName(app::databaseFile());
    }

    void addPeople(int count)
    {
        app::db.BeginTrans();
        for (int i = 1; i <= count; ++i)
            app::db.Execute(QStringLiteral("insert into people (卡號,姓名,部門) values (%1,%2,'A座')")
                                .arg(sql::text(QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'))),
                                     sql::text(QStringLiteral("人%1").arg(i))));
        app::db.CommitTrans();
    }

    grid::RowsModel& model() { return *static_cast<grid::RowsModel*>(grid.model()); }

    grid::BoundGrid grid;
};

TEST_F(Grid, RefreshMakesTheFirstRowCurrentAndSignalsOnce)
{
    addPeople(3);
    QSignalSpy changed(&grid, &grid::BoundGrid::currentRowChanged);
    grid.setRecordSource("select * from people order by clng(卡號) desc");
    grid.Refresh();
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 0);
    EXPECT_EQ(grid.Row(), 0);
    EXPECT_EQ(grid.RecordCount(), 3);
    EXPECT_EQ(grid.Field("卡號").toString(), "000003");

    // Moving to another row signals; a second refresh goes back to the first.
    grid.setRow(2);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(grid.Field("姓名").toString(), "人1");
    grid.setRow(2);
    EXPECT_EQ(changed.count(), 2);
    grid.Refresh();
    EXPECT_EQ(changed.count(), 3);
    EXPECT_EQ(grid.Row(), 0);
}

TEST_F(Grid, AnEmptyResultHasNoCurrentRowAndStillSignals)
{
    QSignalSpy changed(&grid, &grid::BoundGrid::currentRowChanged);
    grid.setRecordSource("select * from people");
    grid.Refresh();
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toInt(), -1);
    EXPECT_EQ(grid.RecordCount(), 0);
    EXPECT_EQ(grid.Row(), -1);
    EXPECT_THROW(grid.Field("卡號"), jet::DbError);
    EXPECT_TRUE(grid.FieldNames().contains("照片"));
}

TEST_F(Grid, ClickingARowMakesItCurrent)
{
    addPeople(5);
    grid.setRecordSource("select 卡號, 姓名 from people");
    grid.Refresh();
    QSignalSpy changed(&grid, &grid::BoundGrid::currentRowChanged);
    grid.setCurrentIndex(grid.model()->index(3, 1));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 3);
    EXPECT_EQ(grid.Field("卡號").toString(), "000004");
    // Another column of the same row is no change of row.
    grid.setCurrentIndex(grid.model()->index(3, 0));
    EXPECT_EQ(changed.count(), 1);
    // Nor is showing other columns.
    grid.setColumns({{"業主姓名", "姓名"}});
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(grid.currentIndex().row(), 3);
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(Grid, RowsAreReadAPageAtATimeAsTheyScrollIntoView)
{
    const int total = grid::RowsModel::PageSize * 5 + 7;
    addPeople(total);
    grid.resize(400, 300);
    grid.show();
    grid.setRecordSource("select * from people order by clng(卡號)");
    grid.Refresh();
    EXPECT_EQ(grid.RecordCount(), total);
    EXPECT_EQ(model().pagesRead(), 1);

    grid.scrollToBottom();
    QCoreApplication::processEvents();
    EXPECT_EQ(model().index(total - 1, 0).data().toString(), QStringLiteral("%1").arg(total, 6, 10, QLatin1Char('0')));
    EXPECT_LE(model().pagesRead(), 3);

    grid.setRow(total - 1);
    EXPECT_EQ(grid.Field("姓名").toString(), QStringLiteral("人%1").arg(total));
    EXPECT_EQ(grid.Field(grid::RowsModel::PageSize, "卡號").toString(),
              QStringLiteral("%1").arg(grid::RowsModel::PageSize + 1, 6, 10, QLatin1Char('0')));
}

TEST_F(Grid, NoStatementStaysOpenBetweenEvents)
{
    addPeople(grid::RowsModel::PageSize * 2);
    grid.setRecordSource("select * from people");
    grid.Refresh();
    // Another handle can write (and so take the file's lock) while the grid shows rows.
    app::db.BeginTrans();
    app::db.Execute("delete * from people where 卡號='000001'");
    app::db.CommitTrans();
    EXPECT_EQ(grid.RecordCount(), grid::RowsModel::PageSize * 2);
    grid.Refresh();
    EXPECT_EQ(grid.RecordCount(), grid::RowsModel::PageSize * 2 - 1);
}

TEST_F(Grid, NullIsDistinctFromEmptyTextAndDatesShowReadably)
{
    app::db.Execute("insert into people (卡號,姓名,部門,birthday) values ('000001','','A座',#1980-02-03#)");
    app::db.Execute("insert into data (卡號,日期,時間,地址,flagIO,flag) values ('000001',#2024-05-06#,#07:08:09#,3,'鎖一進',1)");
    grid.setRecordSource("select * from people");
    grid.Refresh();
    EXPECT_TRUE(grid.Field("姓名").isValid());
    EXPECT_EQ(grid.Field("姓名").toString(), "");
    EXPECT_FALSE(grid.Field("tel").isValid());
    EXPECT_EQ(grid.Field("BIRTHDAY").toDate(), QDate(1980, 2, 3));
    EXPECT_THROW(grid.Field("nosuch"), jet::DbError);

    grid.setColumns({{"出生年月", "birthday"}, {"聯係電話", "tel"}});
    EXPECT_EQ(grid.model()->columnCount(), 2);
    EXPECT_EQ(grid.model()->headerData(0, Qt::Horizontal).toString(), "出生年月");
    EXPECT_EQ(grid.model()->index(0, 0).data().toString(), "1980-02-03");
    EXPECT_EQ(grid.model()->index(0, 1).data().toString(), "");

    grid.setColumns({});
    grid.setRecordSource("select people.姓名,data.* from data,people where data.卡號=people.卡號");
    grid.Refresh();
    const QStringList names = grid.FieldNames();
    const int time = static_cast<int>(names.indexOf("時間"));
    ASSERT_GE(time, 0);
    EXPECT_EQ(grid.model()->headerData(time, Qt::Horizontal).toString(), "時間");
    EXPECT_EQ(grid.model()->index(0, time).data().toString(), "07:08:09");
    EXPECT_EQ(grid.model()->index(0, names.indexOf("日期")).data().toString(), "2024-05-06");
}

TEST_F(Grid, ARefusedStatementThrowsAndLeavesTheGridEmpty)
{
    addPeople(2);
    grid.setRecordSource("select * from people");
    grid.Refresh();
    QSignalSpy changed(&grid, &grid::BoundGrid::currentRowChanged);
    grid.setRecordSource("select * from nosuchtable");
    EXPECT_THROW(grid.Refresh(), jet::DbError);
    EXPECT_EQ(grid.RecordCount(), 0);
    EXPECT_EQ(grid.Row(), -1);
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(Grid, AGridClosedWithTheWorkspaceOpensAgainAtItsNextRefresh)
{
    addPeople(2);
    grid.setRecordSource("select * from people");
    grid.Refresh();
    jet::CloseDefaultWorkspace();
    grid.Refresh();
    EXPECT_EQ(grid.RecordCount(), 2);
}

}  // namespace
