// The store's writers of several statements run as one whole: a failure
// or the program killed half-way leaves nothing half-written.
#include "app.h"
#include "cardfixture.h"
#include "recordset.h"
#include "testsupport.h"

#include <QRandomGenerator>
#include <thread>

using testsupport::ProgramFolderTest;

namespace {

class StoreWhole : public ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        openSharedDb();
    }
    static cardstore::IssuedCard windowed(int address, const QString& number)
    {
        cardstore::IssuedCard c = testCard(address, number, 1, 2);
        c.startDate = QDate(2026, 1, 1);
        c.endDate = QDate(2026, 6, 30);
        c.startWeekday = 1;
        c.endWeekday = 5;
        c.startTime = QTime(8, 0);
        c.endTime = QTime(18, 0);
        return c;
    }
};

TEST_F(StoreWhole, ACardWhoseWindowsCantBeWrittenLeavesNoRow)
{
    rawSql("create trigger refuse before update of 開始時間 on faka "
        "begin select raise(abort, 'database or disk is full'); end");
    EXPECT_THROW(cardstore::insertIssued(app::db, windowed(3, "000001")), jet::DbError);
    EXPECT_EQ(count("faka"), 0);

    // Inside a caller's transaction only the failed card goes.
    app::db.BeginTrans();
    cardstore::insertIssued(app::db, testCard(3, "000002"));
    EXPECT_THROW(cardstore::insertIssued(app::db, windowed(3, "000003")), jet::DbError);
    app::db.CommitTrans();
    EXPECT_EQ(count("faka"), 1);
    EXPECT_EQ(count("faka", "卡號='000002'"), 1);
}

TEST_F(StoreWhole, ARemovalThatCantDeleteKeepsNoHistoryRow)
{
    app::db.Execute("insert into people (卡號,姓名) values ('000004','陳大文')");
    cardstore::insertIssued(app::db, testCard(6, "000004"));
    rawSql("create trigger refuse before delete on faka begin select raise(abort, 'disk I/O error'); end");
    EXPECT_THROW(cardstore::archiveAndRemove(app::db, 6, "000004"), jet::DbError);
    EXPECT_EQ(count("faka"), 1);
    EXPECT_EQ(count("dfaka"), 0);  // never returned and still issued at once
}

TEST_F(StoreWhole, AHolderWhoseDataCantBeWrittenGetsNoRow)
{
    rawSql("create trigger refuse before update of 姓名 on people "
           "begin select raise(abort, 'database or disk is full'); end");
    EXPECT_THROW(cardstore::writeHolder(app::db, {"000009", "陳大文", "東翼", "保安", "A123456789"}), jet::DbError);
    EXPECT_EQ(count("people"), 0);  // never a row holding the card number alone
}

TEST_F(StoreWhole, KilledWhileWritingNeverLeavesACardWithoutItsWindows)
{
    app::db.Close();
    for (int round = 0; round < 12; ++round) {
        testsupport::ChildProcess writer([&](const testsupport::ChildProcess::Ready& ready) {
            jet::Database d = jet::OpenDatabase(file("kestrom.mdb"));
            d.Execute("insert into people (卡號,姓名) values ('000000','陳大文')");
            // Each card issued, then the one before it returned.
            for (int n = 1;; ++n) {
                const auto number = [](int k) { return QStringLiteral("%1").arg(k, 6, 10, QChar('0')); };
                cardstore::insertIssued(d, windowed(round, number(n)));
                d.Execute(QStringLiteral("update people set 卡號='%1'").arg(number(n - 1)));
                cardstore::archiveAndRemove(d, round, number(n - 1));
                if (n == 2)
                    ready();
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(QRandomGenerator::global()->bounded(40)));
        writer.kill();
    }
    EXPECT_GE(count("dfaka"), 12);  // the kills came while the writers were under way
    EXPECT_EQ(count("faka", "開始日期 is null or 開始星期 is null or 開始時間 is null"), 0);
    // Never returned and still issued at once.
    EXPECT_EQ(count("dfaka d", "exists (select * from faka f where f.地址=d.地址 and f.卡號=d.卡號)"), 0);
}

}  // namespace
