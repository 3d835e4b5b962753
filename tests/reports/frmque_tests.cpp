// The swipe-record query: filters, orders, refusals, the grid's edits and
// the printed report.
#include "app.h"
#include "boundgrid.h"
#include "frmque.h"
#include "queryfixture.h"
#include "recordset.h"
#include "reportcontrol.h"
#include "sqlvalue.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QApplication>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QScrollBar>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <sqlite3.h>
#include <new>

namespace {

const QDate d1(2026, 3, 2), d2(2026, 3, 3), d3(2026, 3, 4);
const QString base = "select people.姓名,people.部門,people.職務,data.* from data,people where data.卡號=people.卡號";

class Swipes : public reportstest::QueryWindowTest {
protected:
    void SetUp() override
    {
        QueryWindowTest::SetUp();
        app::db.BeginTrans();
        person("000101", "歐陽志明", "東方廣場第二座", "保安主任");
        person("000102", "O'Neil 陳", "西翼大樓", "清潔");
        person("000103", "李小龍", "東方廣場第二座", "管理員");
        person("000104", QString(), "西翼大樓", "司機");  // no name
        // In the order a collection stores them: not sorted.
        swipe("000103", d2, QTime(9, 15), 3, 7);
        swipe("000101", d1, QTime(8, 40), 1, 2);
        swipe("000102", d3, QTime(18, 5), 2, 99);
        swipe("000101", d2, QTime(17, 35), 2, 2);
        swipe("000999", d2, QTime(10, 0), 1, 2);  // no holder: never listed
        swipe("000102", d1, QTime(7, 55), 4, 0);
        swipe("000104", d2, QTime(12, 0), 7, 7);  // a code outside 1..4
        app::db.CommitTrans();
        w = std::make_unique<Frmque>();
        showWindow(w.get());
    }
    void person(const QString& card, const QString& name, const QString& building, const QString& post)
    {
        app::db.Execute(QStringLiteral("insert into people (卡號,姓名,部門,職務) values (%1,%2,%3,%4)")
                            .arg(sql::text(card), name.isNull() ? "null" : sql::text(name),
                                 building.isNull() ? "null" : sql::text(building), sql::text(post)));
    }
    // As the collection stores one, with a code outside 1..4 kept as it came.
    void swipe(const QString& card, const QDate& day, const QTime& time, int flag, int address)
    {
        app::db.Execute(QStringLiteral("insert into data (卡號,地址,日期,時間,flagIO,flag) values (%1,%2,%3,%4,'',%5)")
                            .arg(sql::text(card), sql::number(qint64(address)), sql::date(day), sql::time(time),
                                 sql::number(qint64(flag))));
    }
    // The listed swipes as card@day time, in the grid's order.
    QStringList shown() const
    {
        QStringList out;
        const QStringList cards = listed(w->DBGrid1, "卡號"), days = listed(w->DBGrid1, "日期"),
                          times = listed(w->DBGrid1, "時間");
        for (int i = 0; i < cards.size(); ++i)
            out << cards[i] + "@" + QDate::fromString(days[i], Qt::ISODate).toString("MMdd") + " "
                       + QTime::fromString(times[i], Qt::ISODate).toString("HHmm");
        return out;
    }
    void setDays(const QDate& first, const QDate& last)
    {
        type(w->t1s, first);
        type(w->t1e, last);
    }
    // A month of a building's swipes, the holders in turn.
    void aMonthOfSwipes(int holders, int swipes)
    {
        app::db.BeginTrans();
        for (int p = 0; p < holders; ++p)
            person(QStringLiteral("2%1").arg(p, 5, 10, QLatin1Char('0')), QStringLiteral("住戶%1").arg(p),
                   "東方廣場第二座", "住戶");
        for (int i = 0; i < swipes; ++i)
            swipe(QStringLiteral("2%1").arg(i * 7 % holders, 5, 10, QLatin1Char('0')), d1.addDays(i % 30),
                  QTime(6, 0).addSecs(i % 50000), i % 4 + 1, i % 20);
        app::db.CommitTrans();
    }
    // What the engine gives for the base select in the order of 'sort'
    // (ties in their stored order), shown as shown() shows the grid.
    QStringList engineOrder(const QString& sort) const
    {
        QStringList out;
        jet::Database db = openDb();
        for (jet::Recordset rs = db.OpenRecordset(base + sort + ",data.rowid", jet::dbOpenSnapshot); !rs.Eof();
             rs.MoveNext())
            out << rs.Field("卡號").toString() + "@" + rs.Field("日期").toDate().toString("MMdd") + " "
                       + rs.Field("時間").toTime().toString("HHmm");
        return out;
    }
    std::unique_ptr<Frmque> w;
};

TEST_F(Swipes, OpensOnEverySwipeOfAHolderWithItsListsFilled)
{
    EXPECT_EQ(w->windowTitle(), "打卡數据查詢");
    EXPECT_EQ(w->DBGrid1->RecordSource(), base);
    EXPECT_EQ(shown(), QStringList({"000103@0303 0915", "000101@0302 0840", "000102@0304 1805", "000101@0303 1735",
                                    "000102@0302 0755", "000104@0303 1200"}));
    EXPECT_EQ(items(w->Cdoor), QStringList({"0", "2", "7", "99"}));
    EXPECT_EQ(items(w->Cka), QStringList({"000101", "000102", "000103", "000104", "000999"}));
    EXPECT_EQ(items(w->Cna), QStringList({"O'Neil 陳", "李小龍", "歐陽志明"}));  // no Null
    EXPECT_EQ(items(w->Corder), QStringList({"1 按日期", "2 按時間", "3 按地址", "4 按卡號", "5 按部門", "6 按姓名"}));
    EXPECT_EQ(w->Corder->currentText(), "排序方法");
    EXPECT_EQ(w->t1s->date(), QDate::currentDate());
    EXPECT_EQ(w->t1e->date(), QDate::currentDate());
    EXPECT_EQ(w->t2s->time(), QTime(8, 0));
    EXPECT_EQ(w->t2e->time(), QTime(18, 0));
}

TEST_F(Swipes, EachFilterAndOrderBuildsItsStatementAndListsItsRows)
{
    struct Case {
        const char* name;
        std::function<void(Frmque&)> set;
        QString where;  // what follows the base
        QStringList rows;
    } cases[] = {
        {"nothing ticked", [](Frmque&) {}, " ",
         {"000103@0303 0915", "000101@0302 0840", "000102@0304 1805", "000101@0303 1735", "000102@0302 0755",
          "000104@0303 1200"}},
        {"one day",
         [this](Frmque& f) {
             setDays(d2, d2);
             click(f.Cck[0]);
         },
         "  and  data.日期 =#2026-03-03# ", {"000103@0303 0915", "000101@0303 1735", "000104@0303 1200"}},
        {"days and card, by card",
         [this](Frmque& f) {
             setDays(d1, d2);
             click(f.Cck[0]);
             click(f.Cck[2]);
             type(f.Cka, " 000101 ");
             pick(f.Corder, 3);
         },
         "  and  data.日期  between #2026-03-02# and #2026-03-03# and  data.卡號='000101' order by "
         "data.卡號,data.日期,data.時間",
         {"000101@0302 0840", "000101@0303 1735"}},
        {"times of day, by time",
         [](Frmque& f) {
             type(f.t2s, "080000");
             type(f.t2e, "120000");
             click(f.Cck[3]);
             pick(f.Corder, 1);
         },
         "  and  data.時間 between #08:00:00# and #12:00:00# order by data.時間",
         {"000101@0302 0840", "000103@0303 0915", "000104@0303 1200"}},
        {"one time", [](Frmque& f) {
             type(f.t2s, "075500");
             type(f.t2e, "075500");
             click(f.Cck[3]);
         },
         "  and  data.時間=#07:55:00# ", {"000102@0302 0755"}},
        {"address typed, by date",
         [](Frmque& f) {
             click(f.Cck[1]);
             type(f.Cdoor, "7 ");
             pick(f.Corder, 0);
         },
         "  and  data.地址=7 order by data.日期,data.時間,data.地址,data.卡號", {"000103@0303 0915", "000104@0303 1200"}},
        {"address picked, by address",
         [](Frmque& f) {
             click(f.Cck[1]);
             pick(f.Cdoor, 1);
             pick(f.Corder, 2);
         },
         "  and  data.地址=2 order by data.地址,data.日期,data.時間", {"000101@0302 0840", "000101@0303 1735"}},
        {"name with an apostrophe",
         [](Frmque& f) {
             click(f.Cck[4]);
             pick(f.Cna, 0);
         },
         "  and  people.姓名='O''Neil 陳'", {"000102@0304 1805", "000102@0302 0755"}},
        {"Chinese name typed, by building",
         [](Frmque& f) {
             click(f.Cck[4]);
             type(f.Cna, "歐陽志明");
             pick(f.Corder, 4);
         },
         "  and  people.姓名='歐陽志明' order by people.部門,data.日期,data.時間", {"000101@0302 0840", "000101@0303 1735"}},
        {"every filter, in the fixed order",
         [this](Frmque& f) {
             setDays(d1, d3);
             type(f.t2s, "080000");
             type(f.t2e, "180000");
             for (int i : {4, 2, 1, 3, 0})
                 click(f.Cck[i]);
             type(f.Cdoor, "2");
             type(f.Cka, "000101");
             type(f.Cna, "歐陽志明");
             pick(f.Corder, 5);
         },
         "  and  data.日期  between #2026-03-02# and #2026-03-04# and  data.時間 between #08:00:00# and #18:00:00# "
         "and  data.地址=2 and  data.卡號='000101' and  people.姓名='歐陽志明' order by people.姓名,data.日期,data.時間",
         {"000101@0302 0840", "000101@0303 1735"}},
        {"sort typed by hand adds none",
         [](Frmque& f) { type(f.Corder, "1 按日期x"); }, " ",
         {"000103@0303 0915", "000101@0302 0840", "000102@0304 1805", "000101@0303 1735", "000102@0302 0755",
          "000104@0303 1200"}},
        {"a card that matches nothing",
         [](Frmque& f) {
             click(f.Cck[2]);
             type(f.Cka, "0'1");
         },
         "  and  data.卡號='0''1'", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        w = std::make_unique<Frmque>();
        showWindow(w.get());
        c.set(*w);
        click(w->Ccx);
        EXPECT_EQ(w->DBGrid1->RecordSource(), base + c.where);
        EXPECT_EQ(shown(), c.rows);
    }
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
}

TEST_F(Swipes, AMissingOrFaultyValueIsRefusedAndTheGridKeepsItsRows)
{
    click(w->Cck[2]);
    type(w->Cka, "000102");
    click(w->Ccx);
    const QString shownQuery = w->DBGrid1->RecordSource();
    const QStringList rows = shown();
    ASSERT_EQ(rows.size(), 2);

    struct Case {
        int box;
        const char* value;
        const char* says;
    } cases[] = {
        {1, "", "請選擇地址"}, {1, "abc", "請選擇地址"}, {1, "100", "請選擇地址"}, {1, "-1", "請選擇地址"},
        {1, "1 or 1=1", "請選擇地址"}, {2, "  ", "請選擇卡號"}, {4, " ", "請選擇姓名"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        dialogs.messages.clear();
        for (QCheckBox* box : w->Cck)
            box->setChecked(false);
        click(w->Cck[c.box]);
        type(c.box == 1 ? w->Cdoor : c.box == 2 ? w->Cka : w->Cna, QString::fromUtf8(c.value));
        click(w->Ccx);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.last(), QString::fromUtf8(c.says));
        EXPECT_EQ(dialogs.messages.back().style, 48);
        EXPECT_EQ(w->DBGrid1->RecordSource(), shownQuery);
        EXPECT_EQ(shown(), rows);
    }
    // Only the first refusal in the fixed order is told.
    dialogs.messages.clear();
    click(w->Cck[1]);
    type(w->Cdoor, "");
    type(w->Cka, "");
    click(w->Cck[2]);
    click(w->Ccx);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{"請選擇地址"});
}

// A page of the swipe records damaged after the log-in: a query says that
// the file is damaged and that a backup can be restored, never the statement.
TEST_F(Swipes, ADamagedPageOfTheRecordsIsToldAsADamagedFile)
{
    {
        jet::Transaction more(app::db);
        for (int i = 0; i < 3000; ++i)
            swipe("000101", d1.addDays(i % 300), QTime(8, 0).addSecs(i), 1, 2);
        more.Commit();
    }
    testsupport::damageFirstPage(file("kestrom.mdb"), "data");
    dialogs.messages.clear();
    click(w->Ccx);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    for (const QString& text : dialogs.texts()) {
        EXPECT_TRUE(text.contains("數據庫文件 " + file("kestrom.mdb") + " 已損壞")) << text.toStdString();
        EXPECT_TRUE(text.contains("數据恢复")) << text.toStdString();
        EXPECT_FALSE(text.contains("select")) << text.toStdString();
    }
}

TEST_F(Swipes, TheReportPrintsTheListedRowsInTheGridsOrder)
{
    setDays(d1, d3);
    click(w->Cck[0]);
    pick(w->Corder, 3);
    click(w->Ccx);
    click(w->Command2);
    EXPECT_EQ(prints, 1);
    EXPECT_EQ(column("dataPT", "卡號"), listed(w->DBGrid1, "卡號"));
    EXPECT_EQ(column("dataPT", "姓名"), QStringList({"歐陽志明", "歐陽志明", "O'Neil 陳", "O'Neil 陳", "李小龍", ""}));
    EXPECT_EQ(column("dataPT", "時間"),
              QStringList({"08:40:00", "17:35:00", "07:55:00", "18:05:00", "09:15:00", "12:00:00"}));
    EXPECT_EQ(column("dataPT", "flag"), QStringList({"鎖一進", "鎖一出", "鎖二出", "鎖一出", "鎖二進", ""}));
    EXPECT_EQ(scalar("select count(*) from dataPT where flag is null").toInt(), 1);
    EXPECT_EQ(column("dataPT", "地址"), QStringList({"2", "2", "0", "99", "7", "7"}));
    EXPECT_EQ(column("dataPT", "職務"), QStringList({"保安主任", "保安主任", "清潔", "清潔", "管理員", "司機"}));
    const QString text = printedText();
    EXPECT_TRUE(text.contains("打卡數據報表"));
    for (const char* expected : {"歐陽志明東方廣場第二座保安主任2000101", "2026-03-0208:40:00鎖一進",
                                 "O'Neil陳西翼大樓清潔0000102", "2026-03-0207:55:00鎖二出", "2026-03-0309:15:00鎖二進"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
    EXPECT_LT(text.indexOf("08:40:00"), text.indexOf("07:55:00"));

    // A result of nothing empties the staging table and still prints.
    click(w->Cck[2]);
    type(w->Cka, "999999");
    click(w->Ccx);
    click(w->Command2);
    EXPECT_EQ(prints, 2);
    EXPECT_EQ(count("dataPT"), 0);
    EXPECT_TRUE(printedText().contains("第1頁，共1頁"));
}

// A print the machine has no memory for is told, and the window goes on.
TEST_F(Swipes, APrintWithoutMemoryIsToldAndTheProgramGoesOn)
{
    report::setPreviewHandler([](const report::ReportControl&) { throw std::bad_alloc(); });
    click(w->Ccx);
    click(w->Command2);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.last().startsWith("記憶體不足")) << dialogs.last().toStdString();
    EXPECT_EQ(dialogs.messages.back().style, 16);
    EXPECT_TRUE(w->isVisible());
}

TEST_F(Swipes, ALongPrintAsksFirstSayingItsRowsAndPages)
{
    app::db.BeginTrans();
    for (int i = 0; i < 10000; ++i)
        swipe("000101", d1.addDays(i / 1000), QTime(0, 0).addSecs(i % 1000 * 60), 1, 5);
    app::db.CommitTrans();
    click(w->Ccx);
    dialogs.answer(ui::vbNo);
    click(w->Command2);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.last().startsWith("將打印 10,006 行，至少 ")) << dialogs.last().toStdString();
    EXPECT_TRUE(dialogs.last().endsWith(" 頁，是否繼續？"));
    EXPECT_EQ(dialogs.messages.back().style, 4 + 32 + 256);
    EXPECT_EQ(prints, 0);
    EXPECT_EQ(count("dataPT"), 0);
}

// A month of a 300-person building, far past what the database keeps in
// memory while it writes: every listed row is staged, in the grid's order,
// and the operator is asked nothing but the long-print question.
TEST_F(Swipes, AMonthOfSwipesPrintsEveryListedRow)
{
    constexpr int holders = 300, swipes = 40000;
    aMonthOfSwipes(holders, swipes);
    click(w->Ccx);
    EXPECT_EQ(printLong(w->Command2, w->DBGrid1, "dataPT"), swipes + 6);
    EXPECT_EQ(prints, 1);
    EXPECT_EQ(w->DBGrid1->RecordCount(), swipes + 6);
    ASSERT_EQ(dialogs.messages.size(), 1u) << dialogs.last().toStdString();
    EXPECT_TRUE(dialogs.last().startsWith("將打印 40,006 行")) << dialogs.last().toStdString();
    EXPECT_EQ(column("dataPT", "卡號"), listed(w->DBGrid1, "卡號"));
    EXPECT_EQ(count("dataPT", "flag='鎖二出'"), swipes / 4 + 1);

    // A staging stopped by the operator takes back what it wrote: the table
    // holds the last print's rows and nothing is shown.
    EXPECT_EQ(printStoppedAtItsBar(w->Command2).maximum, swipes + 6);
    EXPECT_EQ(prints, 1);
    EXPECT_EQ(count("dataPT"), swipes + 6);
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(w->findChild<QProgressDialog*>(), nullptr);
}

// Holders without a building or a name: their swipes sort first, a block
// across the grid's pages, and are listed and printed like any other.
TEST_F(Swipes, SwipesOfHoldersWithoutABuildingOrANameAreListedAndPrintedInTheEnginesOrder)
{
    constexpr int holders = 100, swipes = 2500;
    app::db.BeginTrans();
    for (int p = 0; p < holders; ++p)
        person(QStringLiteral("2%1").arg(p, 5, 10, QLatin1Char('0')),
               p >= 20 && p < 30 ? QString() : QStringLiteral("住戶%1").arg(p),
               p < 12 ? QString() : QStringLiteral("東方廣場第二座"), "住戶");
    for (int i = 0; i < swipes; ++i)
        swipe(QStringLiteral("2%1").arg(i * 7 % holders, 5, 10, QLatin1Char('0')), d1.addDays(i % 30),
              QTime(6, 0).addSecs(i * 37 % 50000), i % 4 + 1, i % 20);
    app::db.CommitTrans();
    const struct {
        int item;
        const char* sort;
    } sorts[] = {{4, " order by people.部門,data.日期,data.時間"}, {5, " order by people.姓名,data.日期,data.時間"}};
    for (const auto& s : sorts) {
        SCOPED_TRACE(s.sort);
        pick(w->Corder, s.item);
        click(w->Ccx);
        const QStringList expected = engineOrder(QString::fromUtf8(s.sort));
        ASSERT_GT(expected.size(), swipes);
        EXPECT_EQ(w->DBGrid1->RecordCount(), expected.size());
        // The grid scrolled to its end first, then read from its start.
        w->DBGrid1->setRow(w->DBGrid1->RecordCount() - 1);
        QStringList cells;
        for (int row = 0; row < w->DBGrid1->model()->rowCount(); ++row)
            cells << w->DBGrid1->model()->index(row, 3).data().toString();
        EXPECT_EQ(cells.count(QString()), 0) << "blank rows from " << cells.indexOf(QString());
        EXPECT_EQ(shown(), expected);
        click(w->Command2);
        EXPECT_EQ(column("dataPT", "卡號"), cells);
    }
}

// Swipes another program stores while the operator looks at the list are
// not printed: the question and the report count the rows the grid lists.
TEST_F(Swipes, APrintTakesTheListedRowsNotThoseStoredSince)
{
    app::db.BeginTrans();
    for (int i = 0; i < 10500; ++i)
        swipe("000101", d1.addDays(i % 30), QTime(6, 0).addSecs(i * 7 % 50000), i % 4 + 1, i % 20);
    app::db.CommitTrans();
    // In the order stored, then by day, where the new swipes fall among the listed.
    const struct {
        int item;
        int rows;
        const char* asked;
    } looks[] = {{-1, 10506, "將打印 10,506 行"}, {0, 11006, "將打印 11,006 行"}};
    for (const auto& p : looks) {
        SCOPED_TRACE(p.item);
        if (p.item >= 0)
            pick(w->Corder, p.item);
        click(w->Ccx);
        const QStringList listedCards = listed(w->DBGrid1, "卡號");
        QStringList listedTimes;
        for (const QString& t : listed(w->DBGrid1, "時間"))
            listedTimes << QTime::fromString(t, Qt::ISODateWithMs).toString("HH:mm:ss");
        ASSERT_EQ(listedCards.size(), p.rows);
        rawSql("with recursive n(i) as (select 1 union all select i + 1 from n where i < 500) "
               "insert into data (卡號,地址,日期,時間,flagIO,flag) "
               "select '000102', 3, '2026-03-03', printf('%02d:%02d:30', i % 24, i % 60), '', 2 from n");
        dialogs.messages.clear();
        EXPECT_EQ(printLong(w->Command2, w->DBGrid1, "dataPT"), p.rows);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_TRUE(dialogs.last().startsWith(p.asked)) << dialogs.last().toStdString();
        EXPECT_EQ(column("dataPT", "卡號"), listedCards);
        EXPECT_EQ(column("dataPT", "時間"), listedTimes);
    }
}

// The print's staging holds the database's lock while it writes; a repaint
// of the grid meanwhile (the window made taller, new rows in view) is
// answered at once, and the rows it could not read show once it is over.
TEST_F(Swipes, ARepaintWhileThePrintStagesIsAnsweredAtOnce)
{
    constexpr int holders = 300, swipes = 40000;
    aMonthOfSwipes(holders, swipes);
    click(w->Ccx);
    while (w->DBGrid1->isCounting())
        QCoreApplication::processEvents();
    // Scrolled far down, the view ending on the last row of a page.
    grid::BoundGrid* g = w->DBGrid1;
    QScrollBar* bar = g->verticalScrollBar();
    bar->setValue(20000);
    QCoreApplication::processEvents();
    const int lastInView = g->rowAt(g->viewport()->height() - 1);
    bar->setValue(bar->value() + (20199 - lastInView));
    QCoreApplication::processEvents();
    ASSERT_EQ(g->rowAt(g->viewport()->height() - 1), 20199);

    bool locked = false, done = false;
    qint64 answeredIn = -1;
    QTimer operatorWatching;
    QObject::connect(&operatorWatching, &QTimer::timeout, [&] {
        auto* progress = w->findChild<QProgressDialog*>();
        if (!progress || !progress->isVisible() || done || progress->value() < 30000)
            return;
        done = true;
        // Another handle can't even read now: the staging holds the lock.
        sqlite3* other = nullptr;
        sqlite3_open(file("kestrom.mdb").toUtf8().constData(), &other);
        locked = sqlite3_exec(other, "select count(*) from data", nullptr, nullptr, nullptr) == SQLITE_BUSY;
        sqlite3_close(other);
        QElapsedTimer clock;
        clock.start();
        w->resize(w->width(), w->height() + 300);
        g->viewport()->repaint();
        answeredIn = clock.elapsed();
    });
    operatorWatching.start(5);
    EXPECT_EQ(printLong(w->Command2, g, "dataPT"), swipes + 6);
    operatorWatching.stop();
    ASSERT_TRUE(done);
    EXPECT_TRUE(locked);
    EXPECT_GE(answeredIn, 0);
    EXPECT_LT(answeredIn, 200);
    const int newlyInView = g->rowAt(g->viewport()->height() - 1);
    ASSERT_GT(newlyInView, 20210);
    QTest::qWait(300);
    for (int row : {20200, newlyInView})
        EXPECT_EQ(g->model()->index(row, 3).data().toString(), g->Field(row, "卡號").toString()) << row;
}

// A card number typed over a swipe's shows as stored, with the holder it
// now joins; a number of no holder shows as typed.
TEST_F(Swipes, AnEditedCardNumberShowsAsStored)
{
    click(w->Ccx);
    const int row = static_cast<int>(shown().indexOf("000103@0303 0915"));
    ASSERT_GE(row, 0);
    ASSERT_TRUE(editCell(w->DBGrid1, row, 3, "000102"));
    EXPECT_EQ(count("data", "卡號='000102' and 地址=7"), 1);
    EXPECT_EQ(w->DBGrid1->model()->index(row, 3).data().toString(), "000102");
    EXPECT_EQ(w->DBGrid1->model()->index(row, 0).data().toString(), "O'Neil 陳");
    ASSERT_TRUE(editCell(w->DBGrid1, row, 3, "000555"));
    EXPECT_EQ(count("data", "卡號='000555' and 地址=7"), 1);
    EXPECT_EQ(w->DBGrid1->model()->index(row, 3).data().toString(), "000555");
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
}

TEST_F(Swipes, AnEditedCellReachesItsOwnSwipeAndNoOther)
{
    // Two swipes alike but for their row: only the one edited changes.
    swipe("000103", d2, QTime(9, 15), 3, 7);
    click(w->Ccx);
    const QStringList before = shown();
    ASSERT_EQ(before.count("000103@0303 0915"), 2);
    const int row = before.lastIndexOf("000103@0303 0915");
    ASSERT_TRUE(editCell(w->DBGrid1, row, 6, "42"));  // 地址
    EXPECT_EQ(count("data", "地址=42"), 1);
    EXPECT_EQ(count("data", "地址=7 and 卡號='000103'"), 1);
    EXPECT_EQ(scalar("select max(rowid) from data where 地址=42").toLongLong(),
              scalar("select max(rowid) from data").toLongLong());
    // The holder's columns are people's, not the swipe's: not editable.
    EXPECT_FALSE(w->DBGrid1->model()->flags(w->DBGrid1->model()->index(row, 0)).testFlag(Qt::ItemIsEditable));
}

}  // namespace
