// The issued-card store: the rows written after an acknowledgement, what a
// stored window means to a reader, and the returned-card history.
#include "app.h"
#include "cardfixture.h"
#include "recordset.h"
#include "testsupport.h"

using testsupport::ProgramFolderTest;

namespace {

class Store : public ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        openSharedDb();
    }
    cardstore::IssuedCard read(int address, const QString& card)
    {
        jet::Recordset rs = app::db.OpenRecordset(
            QStringLiteral("select * from faka where 地址=%1 and 卡號='%2'").arg(address).arg(card));
        EXPECT_FALSE(rs.Eof());
        return cardstore::fromRow(rs);
    }
};

cardstore::IssuedCard card(int address, const char* number) { return testCard(address, number, 1, 3); }

TEST_F(Store, CardWithoutWindowsLeavesTheSixColumnsNull)
{
    cardstore::insertIssued(app::db, card(4, "000001"));
    EXPECT_EQ(count("faka", "地址=4 and 卡號='000001' and 物理卡號='0000000001' and ctrl_state1=1 and ctrl_state2=3"), 1);
    EXPECT_EQ(count("faka", "開始日期 is null and 截止日期 is null and 開始時間 is null and 截止時間 is null"), 1);
    const cardstore::IssuedCard back = read(4, "000001");
    EXPECT_FALSE(back.hasDateWindow());
    EXPECT_FALSE(back.hasWeekdayWindow());
    EXPECT_FALSE(back.hasTimeWindow());
    EXPECT_EQ(back.lock1Mode, 1);
    EXPECT_EQ(back.lock2Mode, 3);
}

TEST_F(Store, WindowsSwitchedOnAreWrittenAndReadBack)
{
    cardstore::IssuedCard c = card(2, "000002");
    c.startDate = QDate(2026, 1, 5);
    c.endDate = QDate(2027, 12, 31);
    c.startWeekday = 1;
    c.endWeekday = 5;
    c.startTime = QTime(8, 30);
    c.endTime = QTime(18, 0);
    cardstore::insertIssued(app::db, c);
    const cardstore::IssuedCard back = read(2, "000002");
    EXPECT_EQ(back.startDate, c.startDate);
    EXPECT_EQ(back.endDate, c.endDate);
    EXPECT_EQ(back.startWeekday, 1);
    EXPECT_EQ(back.endWeekday, 5);
    EXPECT_EQ(back.startTime, c.startTime);
    EXPECT_EQ(back.endTime, c.endTime);
}

TEST_F(Store, MeaningOfStoredWindows)
{
    const QVariant null;
    const QVariant zero(0), one(1), five(5);
    EXPECT_FALSE(cardstore::weekdayWindowStored(zero, zero));
    EXPECT_FALSE(cardstore::weekdayWindowStored(null, five));
    EXPECT_FALSE(cardstore::weekdayWindowStored(one, null));
    EXPECT_TRUE(cardstore::weekdayWindowStored(one, five));
    EXPECT_TRUE(cardstore::weekdayWindowStored(zero, five));

    const QVariant midnight(QTime(0, 0)), evening(QTime(18, 0));
    EXPECT_FALSE(cardstore::timeWindowStored(midnight, midnight));
    EXPECT_FALSE(cardstore::timeWindowStored(null, evening));
    EXPECT_TRUE(cardstore::timeWindowStored(midnight, evening));

    EXPECT_FALSE(cardstore::dateWindowStored(null, QVariant(QDate(2026, 1, 1))));
    EXPECT_TRUE(cardstore::dateWindowStored(QVariant(QDate(2026, 1, 1)), QVariant(QDate(2026, 1, 1))));

    for (const QVariant& bad : {null, QVariant(4), QVariant(-1), QVariant(QStringLiteral("x"))})
        EXPECT_EQ(cardstore::passModeStored(bad), -1);
    EXPECT_EQ(cardstore::passModeStored(QVariant(2)), 2);
}

TEST_F(Store, ZeroWeekdaysAndMidnightTimesReadAsNoWindow)
{
    cardstore::insertIssued(app::db, card(1, "000003"));
    app::db.Execute("update faka set 開始星期=0,截止星期=0,開始時間=#00:00:00#,截止時間=#00:00:00#,ctrl_state2=null");
    const cardstore::IssuedCard back = read(1, "000003");
    EXPECT_FALSE(back.hasWeekdayWindow());
    EXPECT_FALSE(back.hasTimeWindow());
    EXPECT_EQ(back.lock2Mode, -1);
}

TEST_F(Store, LookupsByAddressAndCard)
{
    cardstore::insertIssued(app::db, card(1, "000004"));
    EXPECT_TRUE(cardstore::isIssuedAt(app::db, 1, "000004"));
    EXPECT_FALSE(cardstore::isIssuedAt(app::db, 2, "000004"));
    EXPECT_TRUE(cardstore::isIssued(app::db, "000004"));
    EXPECT_FALSE(cardstore::isIssued(app::db, "000005"));
    EXPECT_FALSE(cardstore::isIssued(app::db, "' or ''='"));
}

TEST_F(Store, RemovalArchivesTheHolderDatedToday)
{
    app::db.Execute("insert into people (卡號,姓名,部門) values ('000006','O''Neil','')");
    cardstore::IssuedCard c = card(7, "000006");
    c.startDate = QDate(2026, 2, 1);
    c.endDate = QDate(2026, 3, 1);
    cardstore::insertIssued(app::db, c);
    cardstore::insertIssued(app::db, card(8, "000006"));

    cardstore::archiveAndRemove(app::db, 7, "000006");

    EXPECT_EQ(count("faka", "卡號='000006'"), 1);
    EXPECT_EQ(count("faka", "地址=8"), 1);
    ASSERT_EQ(count("dfaka"), 1);
    jet::Database d = openDb();
    jet::Recordset h = d.OpenRecordset("select * from dfaka");
    EXPECT_EQ(h.Field("地址").toInt(), 7);
    EXPECT_EQ(h.Field("卡號").toString(), "000006");
    EXPECT_EQ(h.Field("物理卡號").toString(), "0000000006");
    EXPECT_EQ(h.Field("姓名").toString(), "O'Neil");
    EXPECT_FALSE(h.Field("部門").isValid());  // empty text is not carried over
    EXPECT_EQ(h.Field("開始日期").toDate(), QDate(2026, 2, 1));
    EXPECT_FALSE(h.Field("開始時間").isValid());
    EXPECT_EQ(h.Field("ctrl_state1").toInt(), 1);
    EXPECT_EQ(h.Field("日期").toDate(), QDate::currentDate());
}

}  // namespace
