// The issued-card query: filters, orders, refusals, a grid that takes no
// edit, and the printed report with pass modes as text.
#include "app.h"
#include "boundgrid.h"
#include "frmfkxxcx.h"
#include "queryfixture.h"
#include "recordset.h"
#include "sqlvalue.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

namespace {

const QString base =
    "select faka.*,people.姓名,people.部門,people.rmno,people.職務 from faka,people where faka.卡號=people.卡號";

class IssuedCards : public reportstest::QueryWindowTest {
protected:
    void SetUp() override
    {
        QueryWindowTest::SetUp();
        app::db.BeginTrans();
        person("000101", "歐陽志明", "東方廣場第二座", "保安主任");
        person("000102", "O'Neil 陳", "西翼大樓", "清潔");
        person("000103", QString(), QString(), "司機");
        // Full-length values: ten-digit physical numbers, every window set.
        card(17, "000101", "0000000101", 0, 1, "#2026-01-01#,#2026-12-31#,1,5,#08:00:00#,#18:30:00#");
        card(2, "000102", "0000000102", 2, 5, "#2026-03-01#,#2026-03-31#,6,7,#07:15:00#,#22:45:00#");
        card(1, "000101", "0000000101", 3, 0, "null,null,null,null,null,null");
        card(2, "000101", "0000000101", 1, 2, "null,null,null,null,null,null");
        card(5, "000999", "0000000999", 0, 0, "null,null,null,null,null,null");  // no holder: never listed
        card(99, "000103", "0000000103", 0, 0, "null,null,null,null,null,null");
        app::db.CommitTrans();
        w = std::make_unique<FrmFKXXCX>();
        showWindow(w.get());
    }
    void person(const QString& no, const QString& name, const QString& building, const QString& post)
    {
        app::db.Execute(QStringLiteral("insert into people (卡號,姓名,部門,職務,rmno) values (%1,%2,%3,%4,'12樓B室')")
                            .arg(sql::text(no), name.isNull() ? "null" : sql::text(name),
                                 building.isNull() ? "null" : sql::text(building), sql::text(post)));
    }
    void card(int address, const QString& no, const QString& physical, int lock1, int lock2, const QString& windows)
    {
        app::db.Execute(QStringLiteral("insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2,開始日期,截止日期,"
                                       "開始星期,截止星期,開始時間,截止時間) values (%1,%2,%3,%4,%5,%6)")
                            .arg(address)
                            .arg(sql::text(no), sql::text(physical))
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
    std::unique_ptr<FrmFKXXCX> w;
};

TEST_F(IssuedCards, OpensOnEveryCardWithAHolderAndItsListsFilled)
{
    EXPECT_EQ(w->windowTitle(), "發卡信息查詢");
    EXPECT_EQ(w->DBGrid1->RecordSource(), base);
    EXPECT_EQ(shown(), QStringList({"000101@17", "000102@2", "000101@1", "000101@2", "000103@99"}));
    EXPECT_EQ(items(w->Tka), QStringList({"000101", "000102", "000103", "000999"}));
    EXPECT_EQ(items(w->Txm), QStringList({"O'Neil 陳", "歐陽志明"}));
    EXPECT_EQ(items(w->Cbm), QStringList({"東方廣場第二座", "西翼大樓"}));
    EXPECT_EQ(items(w->Cdoor), QStringList({"1", "2", "5", "17", "99"}));
    EXPECT_EQ(items(w->Corder), QStringList({"1 按地址", "2 按卡號", "3 按姓名"}));
    // The 職務 column shows the holder's post.
    EXPECT_EQ(listed(w->DBGrid1, "職務"), QStringList({"保安主任", "清潔", "保安主任", "保安主任", "司機"}));
    EXPECT_EQ(w->DBGrid1->model()->headerData(13, Qt::Horizontal, Qt::DisplayRole).toString(), "職務");
    EXPECT_EQ(w->DBGrid1->model()->index(1, 13).data().toString(), "清潔");
}

TEST_F(IssuedCards, EachFilterAndOrderBuildsItsStatementAndListsItsRows)
{
    struct Case {
        const char* name;
        std::function<void(FrmFKXXCX&)> set;
        QString where;
        QStringList rows;
    } cases[] = {
        {"nothing ticked, by address", [](FrmFKXXCX& f) { pick(f.Corder, 0); }, "  order by faka.地址",
         {"000101@1", "000102@2", "000101@2", "000101@17", "000103@99"}},
        {"building, by card",
         [](FrmFKXXCX& f) {
             click(f.Cck[3]);
             type(f.Cbm, "東方廣場第二座");
             pick(f.Corder, 1);
         },
         "  and  people.部門='東方廣場第二座' order by faka.卡號", {"000101@17", "000101@1", "000101@2"}},
        {"name with an apostrophe",
         [](FrmFKXXCX& f) {
             click(f.Cck[0]);
             pick(f.Txm, 0);
         },
         "  and  people.姓名='O''Neil 陳'", {"000102@2"}},
        {"address picked, by name",
         [](FrmFKXXCX& f) {
             click(f.Cck[1]);
             pick(f.Cdoor, 1);
             pick(f.Corder, 2);
         },
         "  and  faka.地址=2 order by people.姓名", {"000102@2", "000101@2"}},
        {"every filter in its order",
         [](FrmFKXXCX& f) {
             for (int i : {2, 1, 0, 3})
                 click(f.Cck[i]);
             type(f.Tka, " 000101 ");
             type(f.Cdoor, " 17");
             type(f.Txm, "歐陽志明");
             type(f.Cbm, "東方廣場第二座");
         },
         "  and  people.部門='東方廣場第二座' and  people.姓名='歐陽志明' and  faka.地址=17 and  faka.卡號='000101'",
         {"000101@17"}},
        {"sort typed by hand adds none", [](FrmFKXXCX& f) { type(f.Corder, "按地址"); }, " ",
         {"000101@17", "000102@2", "000101@1", "000101@2", "000103@99"}},
        {"a card that matches nothing",
         [](FrmFKXXCX& f) {
             click(f.Cck[2]);
             type(f.Tka, "'; delete from faka; --");
         },
         "  and  faka.卡號='''; delete from faka; --'", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        w = std::make_unique<FrmFKXXCX>();
        showWindow(w.get());
        c.set(*w);
        click(w->Ccx);
        EXPECT_EQ(w->DBGrid1->RecordSource(), base + c.where);
        EXPECT_EQ(shown(), c.rows);
    }
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
    EXPECT_EQ(count("faka"), 6);
}

TEST_F(IssuedCards, AMissingOrFaultyValueIsRefusedFirstInTheFilterOrder)
{
    struct Case {
        std::vector<int> ticked;
        const char* address;
        const char* says;
    } cases[] = {
        {{3, 0}, "", "請輸入部門"},          // both empty: the building is told
        {{0}, "", "請輸入姓名"},
        {{1}, "   ", "請選擇地址"},          // blanks are no address
        {{1}, "abc", "請選擇地址"},
        {{1}, "100", "請選擇地址"},
        {{1, 2}, "3", "請輸入卡號"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        w = std::make_unique<FrmFKXXCX>();
        showWindow(w.get());
        dialogs.messages.clear();
        for (int i : c.ticked)
            click(w->Cck[i]);
        type(w->Cdoor, QString::fromUtf8(c.address));
        click(w->Ccx);
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{QString::fromUtf8(c.says)});
        EXPECT_EQ(dialogs.messages.back().style, 48);
        EXPECT_EQ(w->DBGrid1->RecordSource(), base);
        EXPECT_EQ(w->DBGrid1->RecordCount(), 5);
    }
}

TEST_F(IssuedCards, NoCellOfTheGridCanBeEdited)
{
    EXPECT_FALSE(anyCellEditable(w->DBGrid1));
    EXPECT_FALSE(editCell(w->DBGrid1, 0, 2, "5"));  // 地址
    EXPECT_EQ(count("faka", "地址=17"), 1);
    EXPECT_EQ(count("faka", "地址=5"), 1);
}

TEST_F(IssuedCards, TheReportPrintsTheListedCardsWithPassModesAsText)
{
    pick(w->Corder, 0);
    click(w->Ccx);
    click(w->Command2);
    EXPECT_EQ(prints, 1);
    EXPECT_EQ(column("fakapt", "卡號"), listed(w->DBGrid1, "卡號"));
    EXPECT_EQ(column("fakapt", "地址"), QStringList({"1", "2", "2", "17", "99"}));
    EXPECT_EQ(column("fakapt", "ctrl_state1"), QStringList({"禁止", "出", "進", "進出", "進出"}));
    EXPECT_EQ(column("fakapt", "ctrl_state2"), QStringList({"進出", "", "出", "進", "進出"}));
    EXPECT_EQ(column("fakapt", "開始日期"), QStringList({"", "2026-03-01", "", "2026-01-01", ""}));
    EXPECT_EQ(scalar("select count(*) from fakapt where 開始日期 is null").toInt(), 3);
    EXPECT_EQ(column("fakapt", "截止時間"), QStringList({"", "22:45:00.000", "", "18:30:00.000", ""}));
    const QString text = printedText();
    EXPECT_TRUE(text.contains("發卡信息報表"));
    for (const char* expected : {"00000001020001022", "2026-03-0107:15:0062026-03-3122:45:007出",
                                 "00000001010001011禁止進出", "2026-01-0108:00:0012026-12-3118:30:005進出進"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();

    // Printing again leaves only the second print's rows.
    click(w->Cck[1]);
    type(w->Cdoor, "99");
    click(w->Ccx);
    click(w->Command2);
    EXPECT_EQ(column("fakapt", "卡號"), QStringList({"000103"}));
}

// Holders without a name: their cards sort first, a block across the
// grid's pages, and are listed and printed like any other.
TEST_F(IssuedCards, CardsOfHoldersWithoutANameAreListedAndPrintedInTheEnginesOrder)
{
    constexpr int holders = 100, addresses = 20;
    app::db.BeginTrans();
    for (int p = 0; p < holders; ++p) {
        const QString no = QStringLiteral("3%1").arg(p * 37 % holders, 5, 10, QLatin1Char('0'));
        person(no, p % 8 == 0 ? QString() : QStringLiteral("住戶%1").arg(p), "東方廣場第二座", "住戶");
        for (int a = 0; a < addresses; ++a)
            card(a + 20, no, "0000" + no, a % 4, p % 4, "null,null,null,null,null,null");
    }
    app::db.CommitTrans();
    pick(w->Corder, 2);
    click(w->Ccx);
    QStringList expected;
    jet::Database db = openDb();
    for (jet::Recordset rs = db.OpenRecordset(base + " order by people.姓名,faka.rowid", jet::dbOpenSnapshot); !rs.Eof();
         rs.MoveNext())
        expected << rs.Field("卡號").toString() + "@" + rs.Field("地址").toString();
    ASSERT_GT(expected.size(), holders * addresses);
    EXPECT_EQ(w->DBGrid1->RecordCount(), expected.size());
    // The grid scrolled to its end first, then read from its start.
    w->DBGrid1->setRow(w->DBGrid1->RecordCount() - 1);
    QStringList cells;
    for (int row = 0; row < w->DBGrid1->model()->rowCount(); ++row)
        cells << w->DBGrid1->model()->index(row, 1).data().toString() + "@"
                     + w->DBGrid1->model()->index(row, 2).data().toString();
    EXPECT_EQ(cells, expected);
    click(w->Command2);
    EXPECT_EQ(column("fakapt", "卡號") + column("fakapt", "地址"), listed(w->DBGrid1, "卡號") + listed(w->DBGrid1, "地址"));
}

// A large site's store, far past what the database keeps in memory while it
// writes: every listed card is staged, in the grid's order.
TEST_F(IssuedCards, ALargeSitesCardsPrintEveryListedRow)
{
    constexpr int holders = 2000, addresses = 20;
    app::db.BeginTrans();
    for (int p = 0; p < holders; ++p) {
        const QString no = QStringLiteral("3%1").arg(p, 5, 10, QLatin1Char('0'));
        person(no, QStringLiteral("住戶%1").arg(p), "東方廣場第二座", "住戶");
        for (int a = 0; a < addresses; ++a)
            card(a + 20, no, "0000" + no, a % 4, p % 4, "#2026-01-01#,#2026-12-31#,1,7,#06:00:00#,#23:30:00#");
    }
    app::db.CommitTrans();
    click(w->Ccx);
    EXPECT_EQ(printLong(w->Command2, w->DBGrid1, "fakapt"), holders * addresses + 5);
    EXPECT_EQ(prints, 1);
    EXPECT_EQ(w->DBGrid1->RecordCount(), holders * addresses + 5);
    ASSERT_EQ(dialogs.messages.size(), 1u) << dialogs.last().toStdString();
    EXPECT_TRUE(dialogs.last().startsWith("將打印 40,005 行")) << dialogs.last().toStdString();
    EXPECT_EQ(column("fakapt", "卡號"), listed(w->DBGrid1, "卡號"));
    EXPECT_EQ(count("fakapt", "ctrl_state2='禁止'"), holders / 4 * addresses);
}

}  // namespace
