// Combo-box lists over a large column: every distinct value once, in the
// column's order, read a page at a time as the open list is scrolled.
#include "pagedvalues.h"
#include "recordset.h"
#include "testsupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QScrollBar>
#include <QTest>

using testsupport::ProgramFolderTest;

namespace {

class Paged : public ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        db = openDb();
        db.BeginTrans();
        // Out of order, each card twice, and one person without a card.
        for (int i = 99; i >= 0; --i)
            for (int copy = 0; copy < 2; ++copy)
                db.Execute(QStringLiteral("insert into people (卡號) values ('%1')").arg(i * 3, 6, 10, QLatin1Char('0')));
        db.Execute("insert into people (姓名) values ('無卡')");
        db.CommitTrans();
    }
    QStringList everyValue(const QAbstractItemModel& model)
    {
        QStringList shown;
        for (int i = 0; i < model.rowCount(); ++i)
            shown << model.index(i, 0).data().toString();
        return shown;
    }

    jet::Database db;
};

TEST_F(Paged, EveryDistinctValueOnceInTheColumnsOrder)
{
    QStringList expected;
    for (jet::Recordset rs = db.OpenRecordset("select distinct 卡號 from people order by 卡號"); !rs.Eof(); rs.MoveNext())
        expected << rs.Field(0).toString();
    ASSERT_EQ(expected.size(), 101);
    ASSERT_EQ(expected.first(), "");  // the Null

    for (int pageSize : {1, 7, 100, 101, 500}) {
        ui::PagedValues values(db, "people", "卡號", nullptr, pageSize);
        EXPECT_EQ(values.rowCount(), std::min(pageSize, 101)) << pageSize;
        int pages = 1;
        while (values.canFetchMore(QModelIndex())) {
            values.fetchMore(QModelIndex());
            ASSERT_LT(++pages, 200) << pageSize;
        }
        EXPECT_EQ(everyValue(values), expected) << pageSize;
    }
}

TEST_F(Paged, SeekingOrSkippingBlanksListsTheSameValuesLessTheBlanks)
{
    db.Execute("insert into people (卡號) values ('   ')");
    db.Execute("insert into people (卡號) values ('')");
    QStringList expected;
    for (jet::Recordset rs = db.OpenRecordset("select distinct 卡號 from people where trim(卡號)<>'' order by 卡號");
         !rs.Eof(); rs.MoveNext())
        expected << rs.Field(0).toString();
    ASSERT_EQ(expected.size(), 100);
    using ui::PagedValues;
    for (PagedValues::Reading reading : {PagedValues::Reading::Scanning, PagedValues::Reading::Seeking})
        for (int pageSize : {1, 7, 100, 101}) {
            SCOPED_TRACE(pageSize);
            PagedValues values(db, "people", "卡號", nullptr, pageSize, reading, PagedValues::Blanks::Skipped);
            EXPECT_GT(values.rowCount(), 0);
            while (values.canFetchMore(QModelIndex()))
                values.fetchMore(QModelIndex());
            EXPECT_EQ(everyValue(values), expected);
        }
    // Seeking alone leaves Null out, and keeps what is blank but not Null.
    PagedValues sought(db, "people", "卡號", nullptr, 500, PagedValues::Reading::Seeking);
    EXPECT_EQ(sought.rowCount(), 102);
    EXPECT_EQ(sought.index(0, 0).data().toString(), "");
}

TEST_F(Paged, TheOpenListReadsTheNextPageWhenScrolledToItsEnd)
{
    QComboBox box;  // as the program's pick-or-type boxes are: no completer, which would read every page
    box.setEditable(true);
    box.setCompleter(nullptr);
    box.setModel(new ui::PagedValues(db, "people", "卡號", &box, 20));
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    EXPECT_EQ(box.count(), 20);
    box.showPopup();
    QTest::qWait(50);
    EXPECT_LT(box.count(), 101);  // opening the list reads no more than it shows
    for (int scrolls = 0; scrolls < 10 && box.count() < 101; ++scrolls) {
        QScrollBar* bar = box.view()->verticalScrollBar();
        bar->setValue(bar->maximum());
        QTest::qWait(20);
    }
    EXPECT_EQ(box.count(), 101);
    EXPECT_EQ(box.itemText(100), "000297");
    box.hidePopup();
}

TEST_F(Paged, AListThatCantBeReadIsToldOnce)
{
    db.Execute("drop table people");
    ui::PagedValues values(db, "people", "卡號");
    EXPECT_EQ(values.rowCount(), 0);
    EXPECT_FALSE(values.canFetchMore(QModelIndex()));
    values.fetchMore(QModelIndex());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].prompt.startsWith("數據庫操作失敗"));
}

TEST_F(Paged, ListingAgainKeepsTheTypedTextAndTellsNothing)
{
    QComboBox box;
    box.setEditable(true);
    box.setCompleter(nullptr);
    box.addItem("old");
    box.setEditText("0001");
    int told = 0;
    QObject::connect(&box, &QComboBox::editTextChanged, [&] { ++told; });
    QObject::connect(&box, &QComboBox::currentIndexChanged, [&] { ++told; });
    ui::listValues(&box, db, "people", "卡號");
    ui::listValues(&box, db, "people", "卡號");
    EXPECT_EQ(box.currentText(), "0001");
    EXPECT_EQ(box.findText("old"), -1);
    EXPECT_EQ(box.itemText(1), "000000");
    EXPECT_EQ(told, 0);
}

}  // namespace
