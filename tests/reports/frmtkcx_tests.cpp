// The returned-card query: filters, orders, labels that tick their boxes,
// a grid that takes no edit, and the printed report.
#include "app.h"
#include "boundgrid.h"
#include "frmtkcx.h"
#include "queryfixture.h"
#include "sqlvalue.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class ReturnedCards : public reportstest::QueryWindowTest {
protected:
    void SetUp() override
    {
        QueryWindowTest::SetUp();
        app::db.BeginTrans();
        returned(17, "000101", "歐陽志明", "東方廣場第二座", QDate(2026, 3, 2), 0, 1,
                 "#2026-01-01#,#2026-12-31#,1,5,#08:00:00#,#18:30:00#");
        returned(2, "000102", "O'Neil 陳", "西翼大樓", QDate(2026, 3, 5), 2, 5,
                 "#2026-03-01#,#2026-03-31#,6,7,#07:15:00#,#22:45:00#");
        returned(1, "000101", "歐陽志明", "東方廣場第二座", QDate(2026, 2, 27), 3, 0, "null,null,null,null,null,null");
        returned(5, "000103", "李小龍", QString(), QDate(2026, 3, 4), 1, 2, "null,null,null,null,null,null");
        returned(8, "000104", "", "", QDate(2026, 3, 3), 0, 0, "null,null,null,null,null,null");
        app::db.CommitTrans();
        w = std::make_unique<FrmTkcx>();
        showWindow(w.get());
    }
    void returned(int address, const QString& card, const QString& name, const QString& building, const QDate& day,
                  int lock1, int lock2, const QString& windows)
    {
        app::db.Execute(QStringLiteral("insert into dfaka (地址,卡號,物理卡號,姓名,部門,日期,ctrl_state1,ctrl_state2,"
                                       "開始日期,截止日期,開始星期,截止星期,開始時間,截止時間) values "
                                       "(%1,%2,%3,%4,%5,%6,%7,%8,%9)")
                            .arg(address)
                            .arg(sql::text(card), sql::text("0000" + card), sql::text(name),
                                 building.isNull() ? "null" : sql::text(building), sql::date(day))
                            .arg(lock1)
                            .arg(lock2)
                            .arg(windows));
    }
    QStringList shown() const
    {
        QStringList out;
        const QStringList cards = listed(w->DBGrid1, "卡號"), addresses = listed(w->DBGrid1, "地址");
        for (int i = 0; i < cards.size(); ++i)
            out << cards[i] + "@" + addresses[i];
        return out;
    }
    void clickLabel(int index)
    {
        QTest::mouseClick(w->Label1[index], Qt::LeftButton, {}, QPoint(4, w->Label1[index]->height() / 2));
    }
    std::unique_ptr<FrmTkcx> w;
};

TEST_F(ReturnedCards, OpensOnEveryReturnedCardWithTheMonthSoFarAndItsLists)
{
    EXPECT_EQ(w->windowTitle(), "退卡查詢");
    EXPECT_EQ(w->DBGrid1->RecordSource(), "select * from Dfaka");
    EXPECT_EQ(shown(), QStringList({"000101@17", "000102@2", "000101@1", "000103@5", "000104@8"}));
    const QDate today = QDate::currentDate();
    EXPECT_EQ(w->DTP1->date(), QDate(today.year(), today.month(), 1));
    EXPECT_EQ(w->DTP2->date(), today);
    EXPECT_EQ(items(w->Cbm), QStringList({"東方廣場第二座", "西翼大樓"}));
    EXPECT_EQ(items(w->Ckh), QStringList({"000101", "000102", "000103", "000104"}));
    EXPECT_EQ(items(w->Cxm), QStringList({"O'Neil 陳", "李小龍", "歐陽志明"}));
    EXPECT_EQ(items(w->Combo1), QStringList({"部門", "姓名", "卡號", "地址", "日期"}));
    EXPECT_EQ(w->Combo1->currentText(), "排序方式");
    for (QCheckBox* box : w->Ch)
        EXPECT_FALSE(box->isChecked());
}

TEST_F(ReturnedCards, EachFilterAndOrderBuildsItsStatementAndListsItsRows)
{
    struct Case {
        const char* name;
        std::function<void(FrmTkcx&)> set;
        QString statement;
        QStringList rows;
    } cases[] = {
        {"by address", [](FrmTkcx& f) { pick(f.Combo1, 3); }, "select * from Dfaka order by 地址,部門,卡號,日期",
         {"000101@1", "000102@2", "000103@5", "000104@8", "000101@17"}},
        {"a key typed with blanks around it",
         [](FrmTkcx& f) { type(f.Combo1, " 卡號 "); },
         "select * from Dfaka order by 卡號,地址,日期", {"000101@1", "000101@17", "000102@2", "000103@5", "000104@8"}},
        {"days of return, both ends included, by day",
         [](FrmTkcx& f) {
             type(f.DTP1, QDate(2026, 3, 2));
             type(f.DTP2, QDate(2026, 3, 4));
             click(f.Ch[3]);
             pick(f.Combo1, 4);
         },
         "select * from Dfaka where 日期 between #2026-03-02# and #2026-03-04# order by 日期,部門,卡號",
         {"000101@17", "000104@8", "000103@5"}},
        {"building and name with an apostrophe",
         [](FrmTkcx& f) {
             click(f.Ch[0]);
             type(f.Cbm, "西翼大樓");
             click(f.Ch[1]);
             pick(f.Cxm, 0);
         },
         "select * from Dfaka where 部門='西翼大樓' and 姓名='O''Neil 陳'", {"000102@2"}},
        {"card, by building",
         [](FrmTkcx& f) {
             click(f.Ch[2]);
             pick(f.Ckh, 0);
             pick(f.Combo1, 0);
         },
         "select * from Dfaka where 卡號='000101' order by 部門,卡號,日期", {"000101@1", "000101@17"}},
        {"an empty box matches the empty text",
         [](FrmTkcx& f) {
             click(f.Ch[1]);
             type(f.Cxm, "");
         },
         "select * from Dfaka where 姓名=''", {"000104@8"}},
        {"every filter in its order",
         [](FrmTkcx& f) {
             for (int i : {3, 2, 1, 0})
                 click(f.Ch[i]);
             type(f.Cbm, "東方廣場第二座");
             type(f.Cxm, "歐陽志明");
             type(f.Ckh, "000101");
             type(f.DTP1, QDate(2026, 3, 1));
             type(f.DTP2, QDate(2026, 3, 31));
         },
         "select * from Dfaka where 部門='東方廣場第二座' and 姓名='歐陽志明' and 卡號='000101' and 日期 between "
         "#2026-03-01# and #2026-03-31#",
         {"000101@17"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        w = std::make_unique<FrmTkcx>();
        showWindow(w.get());
        c.set(*w);
        click(w->Command1);
        EXPECT_EQ(w->DBGrid1->RecordSource(), c.statement);
        EXPECT_EQ(shown(), c.rows);
    }
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
}

TEST_F(ReturnedCards, AClickOnALabelTicksItsBoxAndAnotherClearsIt)
{
    for (const auto& [label, box] : {std::pair{0, 0}, std::pair{1, 1}, std::pair{2, 2}, std::pair{4, 3}}) {
        SCOPED_TRACE(label);
        clickLabel(label);
        EXPECT_TRUE(w->Ch[box]->isChecked());
        clickLabel(label);
        EXPECT_FALSE(w->Ch[box]->isChecked());
    }
    EXPECT_EQ(w->Label1[3], nullptr);
}

TEST_F(ReturnedCards, AStatementTheDatabaseRefusesIsToldAndEmptiesTheGrid)
{
    ASSERT_EQ(w->DBGrid1->RecordCount(), 5);
    rawSql("alter table dfaka rename to dfaka_gone");
    click(w->Command1);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.last().startsWith("數據庫操作失敗")) << dialogs.last().toStdString();
    EXPECT_EQ(w->DBGrid1->RecordCount(), 0);
    // Nothing is printed from a grid that lists nothing it was asked for.
    EXPECT_EQ(prints, 0);
}

TEST_F(ReturnedCards, NoCellOfTheGridCanBeEdited)
{
    EXPECT_FALSE(anyCellEditable(w->DBGrid1));
    EXPECT_FALSE(editCell(w->DBGrid1, 0, 1, "x"));  // 姓名
    EXPECT_EQ(count("dfaka", "姓名='歐陽志明'"), 2);
}

TEST_F(ReturnedCards, TheReportPrintsTheListedRowsWithPassModesAsTextAndNoDayOfReturn)
{
    pick(w->Combo1, 3);
    click(w->Command1);
    click(w->Command2);
    EXPECT_EQ(prints, 1);
    EXPECT_EQ(column("dfakapt", "卡號"), listed(w->DBGrid1, "卡號"));
    EXPECT_EQ(column("dfakapt", "地址"), QStringList({"1", "2", "5", "8", "17"}));
    EXPECT_EQ(column("dfakapt", "ctrl_state1"), QStringList({"禁止", "出", "進", "進出", "進出"}));
    EXPECT_EQ(column("dfakapt", "ctrl_state2"), QStringList({"進出", "", "出", "進出", "進"}));
    EXPECT_EQ(column("dfakapt", "部門"), QStringList({"東方廣場第二座", "西翼大樓", "", "", "東方廣場第二座"}));
    EXPECT_EQ(scalar("select count(*) from dfakapt where 開始日期 is null").toInt(), 3);
    const QString text = printedText();
    EXPECT_TRUE(text.contains("退卡信息報表"));
    for (const char* expected : {"O'Neil陳西翼大樓00000001020001022", "2026-03-0107:15:0062026-03-3122:45:007出",
                                 "歐陽志明東方廣場第二座00000001010001011", "禁止進出"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains("2026-03-05"));  // the day of return is not printed
    EXPECT_FALSE(text.contains("2026-02-27"));

    // Printing again leaves only the second print's rows.
    click(w->Ch[2]);
    type(w->Ckh, "000103");
    click(w->Command1);
    click(w->Command2);
    EXPECT_EQ(column("dfakapt", "卡號"), QStringList({"000103"}));
}

// A building pasted with a NUL in it filters as the text the box shows.
TEST_F(ReturnedCards, APastedNulIsDroppedFromTheFilter)
{
    click(w->Ch[0]);
    QApplication::clipboard()->setText(QStringLiteral("西翼") + QChar(0) + QStringLiteral("大樓"));
    w->Cbm->lineEdit()->selectAll();
    QTest::keySequence(w->Cbm->lineEdit(), QKeySequence::Paste);
    EXPECT_EQ(w->Cbm->currentText(), "西翼大樓");
    click(w->Command1);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
    EXPECT_EQ(shown(), QStringList{"000102@2"});
}

// Years of returned cards, far past what the database keeps in memory while
// it writes: every listed row is staged, in the grid's order.
TEST_F(ReturnedCards, YearsOfReturnedCardsPrintEveryListedRow)
{
    constexpr int rows = 40000;
    app::db.BeginTrans();
    for (int i = 0; i < rows; ++i)
        returned(i % 100, QStringLiteral("4%1").arg(i % 5000, 5, 10, QLatin1Char('0')), QStringLiteral("住戶%1").arg(i % 5000),
                 "東方廣場第二座", QDate(2024, 1, 1).addDays(i % 700), i % 4, (i / 4) % 4,
                 "#2026-01-01#,#2026-12-31#,1,7,#06:00:00#,#23:30:00#");
    app::db.CommitTrans();
    pick(w->Combo1, 4);
    click(w->Command1);
    EXPECT_EQ(printLong(w->Command2, w->DBGrid1, "dfakapt"), rows + 5);
    EXPECT_EQ(prints, 1);
    EXPECT_EQ(w->DBGrid1->RecordCount(), rows + 5);
    ASSERT_EQ(dialogs.messages.size(), 1u) << dialogs.last().toStdString();
    EXPECT_TRUE(dialogs.last().startsWith("將打印 40,005 行")) << dialogs.last().toStdString();
    EXPECT_EQ(column("dfakapt", "卡號"), listed(w->DBGrid1, "卡號"));
    EXPECT_EQ(count("dfakapt", "ctrl_state1='禁止'"), rows / 4 + 1);
}

}  // namespace
