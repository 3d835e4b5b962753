// The attendance query: filters, orders, refusals, the grid's edits and the
// printed report.
#include "app.h"
#include "boundgrid.h"
#include "frmkq.h"
#include "queryfixture.h"
#include "sqlvalue.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QDate d1(2026, 3, 2), d2(2026, 3, 3), d3(2026, 3, 4);

class Attendance : public reportstest::QueryWindowTest {
protected:
    void SetUp() override
    {
        QueryWindowTest::SetUp();
        app::db.BeginTrans();
        person("000101", "歐陽志明", "東方廣場第二座");
        person("000102", "O'Neil 陳", "西翼大樓");
        person("000103", QString(), "西翼大樓");
        person("000104", "李小龍", QString());
        person("000105", "   ", "北座");
        // As attendance processing leaves them: not sorted.
        kq("000102", d2, "O'Neil 陳", "西翼大樓", 5);
        kq("000101", d3, "歐陽志明", "東方廣場第二座", 0);
        kq("000101", d1, "歐陽志明", "東方廣場第二座", 12);
        kq("000102", d1, "O'Neil 陳", "西翼大樓", 0);
        kq("000104", d2, "李小龍", "東方廣場第二座", 30);
        app::db.CommitTrans();
        w = std::make_unique<Frmkq>();
        showWindow(w.get());
    }
    void person(const QString& card, const QString& name, const QString& building)
    {
        app::db.Execute(QStringLiteral("insert into people (卡號,姓名,部門) values (%1,%2,%3)")
                            .arg(sql::text(card), name.isNull() ? "null" : sql::text(name),
                                 building.isNull() ? "null" : sql::text(building)));
    }
    void kq(const QString& card, const QDate& day, const QString& name, const QString& building, int late)
    {
        app::db.Execute(QStringLiteral("insert into datakq (卡號,日期,姓名,部門,職務,時間1,時間2,時間3,時間4,late,"
                                       "leavee,absent,hrs) values (%1,%2,%3,%4,'保安主任',#08:%5:00#,#11:31:00#,"
                                       "#13:29:00#,#17:35:00#,%6,0,0,7.5)")
                            .arg(sql::text(card), sql::date(day), sql::text(name), sql::text(building))
                            .arg(30 + late / 2)
                            .arg(late));
    }
    QStringList shown() const
    {
        QStringList out;
        const QStringList cards = listed(w->DBGrid1, "卡號"), days = listed(w->DBGrid1, "日期");
        for (int i = 0; i < cards.size(); ++i)
            out << cards[i] + "@" + QDate::fromString(days[i], Qt::ISODate).toString("MMdd");
        return out;
    }
    std::unique_ptr<Frmkq> w;
};

TEST_F(Attendance, OpensOnEveryRowWithTheListsOfPeople)
{
    EXPECT_EQ(w->windowTitle(), "考勤匯總數据查詢");
    EXPECT_EQ(w->currentQuery(), "select * from datakq");
    EXPECT_EQ(shown(), QStringList({"000102@0303", "000101@0304", "000101@0302", "000102@0302", "000104@0303"}));
    EXPECT_EQ(items(w->Cbm), QStringList({"北座", "東方廣場第二座", "西翼大樓"}));
    EXPECT_EQ(items(w->Cka), QStringList({"000101", "000102", "000103", "000104", "000105"}));
    EXPECT_EQ(items(w->Cna), QStringList({"O'Neil 陳", "李小龍", "歐陽志明"}));
    EXPECT_EQ(items(w->Corder), QStringList({"1 按日期", "2 按卡號", "3 按部門", "4 按姓名"}));
    EXPECT_EQ(w->Corder->currentText(), "排序方法");
    EXPECT_EQ(w->t1s->date(), QDate::currentDate());
    EXPECT_EQ(w->t1e->date(), QDate::currentDate());
}

TEST_F(Attendance, EachFilterAndOrderBuildsItsStatementAndListsItsRows)
{
    struct Case {
        const char* name;
        std::function<void(Frmkq&)> set;
        QString statement;
        QStringList rows;
    } cases[] = {
        {"nothing ticked", [](Frmkq&) {}, "select * from datakq ",
         {"000102@0303", "000101@0304", "000101@0302", "000102@0302", "000104@0303"}},
        {"one day and a building, by building",
         [](Frmkq& f) {
             type(f.t1s, d2);
             type(f.t1e, d2);
             click(f.Cck[0]);
             click(f.Cck[1]);
             type(f.Cbm, "東方廣場第二座");
             pick(f.Corder, 2);
         },
         "select * from datakq  where  datakq.日期 =#2026-03-03#  and  datakq.部門='東方廣場第二座' order by "
         "datakq.部門,datakq.日期",
         {"000104@0303"}},
        {"days, by date",
         [](Frmkq& f) {
             type(f.t1s, d1);
             type(f.t1e, d2);
             click(f.Cck[0]);
             pick(f.Corder, 0);
         },
         "select * from datakq  where  datakq.日期  between #2026-03-02# and #2026-03-03# order by "
         "datakq.日期,datakq.卡號",
         {"000101@0302", "000102@0302", "000102@0303", "000104@0303"}},
        {"card picked, by card",
         [](Frmkq& f) {
             click(f.Cck[2]);
             pick(f.Cka, 0);
             pick(f.Corder, 1);
         },
         "select * from datakq  where  datakq.卡號='000101' order by datakq.卡號,datakq.日期",
         {"000101@0302", "000101@0304"}},
        {"a name with an apostrophe, by name",
         [](Frmkq& f) {
             click(f.Cck[4]);
             pick(f.Cna, 0);
             pick(f.Corder, 3);
         },
         "select * from datakq  where  datakq.姓名='O''Neil 陳' order by datakq.姓名,datakq.日期",
         {"000102@0302", "000102@0303"}},
        {"card, name and building in their order",
         [](Frmkq& f) {
             for (int i : {1, 4, 2})
                 click(f.Cck[i]);
             type(f.Cbm, " 西翼大樓 ");
             type(f.Cna, "O'Neil 陳");
             type(f.Cka, "000102");
         },
         "select * from datakq  where  datakq.卡號='000102' and  datakq.姓名='O''Neil 陳' and  "
         "datakq.部門='西翼大樓'",
         {"000102@0303", "000102@0302"}},
        {"a card of people without attendance",
         [](Frmkq& f) {
             click(f.Cck[2]);
             type(f.Cka, "000103");
         },
         "select * from datakq  where  datakq.卡號='000103'", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        w = std::make_unique<Frmkq>();
        showWindow(w.get());
        c.set(*w);
        click(w->Ccx);
        EXPECT_EQ(w->currentQuery(), c.statement);
        EXPECT_EQ(w->DBGrid1->RecordSource(), c.statement);
        EXPECT_EQ(shown(), c.rows);
    }
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
}

TEST_F(Attendance, AMissingValueIsRefusedAndThePreviousQueryStaysInForceForPrinting)
{
    click(w->Cck[2]);
    type(w->Cka, "000101");
    click(w->Ccx);
    const QString previous = w->currentQuery();
    for (const auto& [box, says] : {std::pair{2, "請選擇卡號"}, std::pair{4, "請選擇姓名"}, std::pair{1, "請選擇部門"}}) {
        SCOPED_TRACE(says);
        dialogs.messages.clear();
        for (QCheckBox* c : w->Cck)
            if (c)
                c->setChecked(false);
        click(w->Cck[box]);
        type(box == 2 ? w->Cka : box == 4 ? w->Cna : w->Cbm, "  ");
        click(w->Ccx);
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{QString::fromUtf8(says)});
        EXPECT_EQ(dialogs.messages.back().style, 48);
        EXPECT_EQ(w->currentQuery(), previous);
        EXPECT_EQ(shown(), QStringList({"000101@0304", "000101@0302"}));
    }
    click(w->Command2);
    EXPECT_EQ(column("datakqPT", "卡號"), QStringList({"000101", "000101"}));
}

TEST_F(Attendance, TheReportCopiesTheQuerysRowsInTheGridsOrder)
{
    // Right after opening: every row, in the order the grid lists them.
    click(w->Command2);
    EXPECT_EQ(prints, 1);
    EXPECT_EQ(column("datakqPT", "卡號"), listed(w->DBGrid1, "卡號"));
    EXPECT_EQ(column("datakqPT", "日期"), listed(w->DBGrid1, "日期"));

    pick(w->Corder, 3);
    click(w->Ccx);
    click(w->Command2);
    EXPECT_EQ(prints, 2);
    EXPECT_EQ(column("datakqPT", "姓名"), QStringList({"O'Neil 陳", "O'Neil 陳", "李小龍", "歐陽志明", "歐陽志明"}));
    EXPECT_EQ(column("datakqPT", "日期"), listed(w->DBGrid1, "日期"));
    EXPECT_EQ(column("datakqPT", "late"), QStringList({"0", "5", "30", "12", "0"}));
    const QString text = printedText();
    EXPECT_TRUE(text.contains("考勤匯總報表"));
    for (const char* expected : {"O'Neil陳0001022026-03-0208:30:0011:31:0013:29:0017:35:007.5000西翼大樓保安主任",
                                 "李小龍0001042026-03-0308:45:00"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
}

TEST_F(Attendance, AnEditedCellReachesItsOwnRow)
{
    const int row = 2;  // 000101 on 2 March
    ASSERT_EQ(shown()[row], "000101@0302");
    ASSERT_TRUE(editCell(w->DBGrid1, row, 8, "3"));  // 遲到
    EXPECT_EQ(scalar("select late from datakq where 卡號='000101' and 日期=#2026-03-02#").toInt(), 3);
    EXPECT_EQ(count("datakq", "late=3"), 1);
}

// A month of a large site's attendance: the rows are made ready for the
// print under a bar, every listed row in the grid's order, and 取消 on the
// bar stops the print, leaving the last print's rows.
TEST_F(Attendance, AMonthOfAttendanceIsStagedUnderABarThatStops)
{
    constexpr int cards = 700, days = 30;
    app::db.BeginTrans();
    for (int i = 0; i < cards * days; ++i)
        kq(QStringLiteral("3%1").arg(i % cards, 5, 10, QLatin1Char('0')), d1.addDays(i / cards),
           QStringLiteral("住戶%1").arg(i % cards), "東方廣場第二座", i % 40);
    app::db.CommitTrans();
    const int rows = cards * days + 5;
    pick(w->Corder, 1);
    click(w->Ccx);
    EXPECT_EQ(printLong(w->Command2, w->DBGrid1, "datakqPT"), rows);
    EXPECT_EQ(column("datakqPT", "卡號"), listed(w->DBGrid1, "卡號"));

    pick(w->Corder, 0);
    click(w->Ccx);
    const StoppedBar stopped = printStoppedAtItsBar(w->Command2);
    EXPECT_EQ(stopped.label, "正在準備打印的數據……");
    EXPECT_EQ(stopped.maximum, rows);
    EXPECT_EQ(prints, 1);
    EXPECT_EQ(count("datakqPT"), rows);
    EXPECT_EQ(column("datakqPT", "卡號").first(), "000101");
}

}  // namespace
