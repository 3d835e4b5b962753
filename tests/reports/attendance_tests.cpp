// Attendance processing: swipes in, one attendance row per card and day out,
// as the operator starts it from the window.
#include "app.h"
#include "attendance.h"
#include "attendancefixture.h"
#include "frmkqzl.h"
#include "pickbyselect.h"
#include "recordset.h"

#include <QDateEdit>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>

namespace {

using reportstest::addPerson;
using reportstest::addSwipe;
using reportstest::kqDump;
using reportstest::kqRow;

const QDate monday(2026, 3, 2);
const QDate wednesday(2026, 3, 4);
const QDate saturday(2026, 3, 7);
const QDate sunday(2026, 3, 8);

QTime at(const char* hhmm) { return QTime::fromString(QString::fromLatin1(hhmm), QStringLiteral("HH:mm")); }

class Attendance : public reportstest::AttendanceTest {};

// Periods 08:30-11:30 and 13:30-17:30; "-" is a missing time.
struct Case {
    const char* what;
    QDate day;
    std::vector<const char*> swipes;
    const char* t1;
    const char* t2;
    const char* t3;
    const char* t4;
    double hrs;
    int late, leavee, absent;
};

const Case cases[] = {
    {"a full day, the afternoon's leave-early replacing the morning's", wednesday,
     {"08:40", "11:20", "13:35", "17:10"}, "08:40", "11:20", "13:35", "17:10", 6.25, 15, 20, 0},
    {"the morning only", wednesday, {"08:40", "11:20"}, "08:40", "11:20", "-", "-", 2.67, 10, 10, 480},
    {"early in, late out both halves", monday, {"08:25", "11:35", "13:20", "17:40"}, "08:25", "11:35", "13:20",
     "17:40", 7.50, 0, 0, 0},
    {"one lunch swipe and an afternoon swipe before its end", monday, {"08:20", "10:00", "12:10", "14:00", "17:35"},
     "08:20", "12:10", "14:00", "17:35", 7.41, 30, 0, 0},
    {"one lunch swipe and none in the afternoon before its end", monday, {"08:20", "10:00", "12:10", "17:35"},
     "08:20", "10:00", "12:10", "17:35", 7.09, 0, 90, 0},
    {"first swipe in the lunch break", monday, {"12:00", "17:40"}, "12:00", "-", "12:00", "17:40", 5.67, 210, 0, 180},
    {"first swipe just before the afternoon", monday, {"13:25", "17:35"}, "13:25", "-", "13:25", "17:35", 4.17, 295,
     0, 180},
    {"first swipe exactly at the afternoon start", monday, {"13:30", "17:40"}, "-", "-", "13:30", "17:40", 4.17, 0, 0,
     180},
    {"a single swipe after the end", monday, {"17:45"}, "-", "-", "-", "17:45", 0, 0, 0, 420},
    {"two swipes after the end: the earlier", monday, {"17:35", "17:50"}, "-", "-", "-", "17:35", 0, 0, 0, 420},
    {"no lunch swipe among several morning ones: the latest", monday, {"08:20", "09:00", "11:00"}, "08:20", "11:00",
     "-", "-", 2.67, 0, 30, 480},
    {"afternoon in with no later swipe", monday, {"08:30", "11:30", "14:00"}, "08:30", "11:30", "14:00", "-", 3.00,
     30, 0, 240},
    {"the morning only, on a Saturday", saturday, {"08:40", "11:20"}, "08:40", "11:20", "-", "-", 2.67, 10, 10, 0},
    {"first swipe in the lunch break, on a Saturday", saturday, {"12:00", "17:40"}, "12:00", "-", "12:00", "17:40",
     5.67, 210, 0, 0},
    {"a single swipe after the end, on a Sunday", sunday, {"17:45"}, "-", "-", "-", "17:45", 0, 0, 0, 0},
    {"a full day on a Sunday", sunday, {"08:40", "11:20", "13:35", "17:10"}, "08:40", "11:20", "13:35", "17:10", 6.25,
     15, 20, 0},
};

QTime expectedTime(const char* text) { return QString::fromLatin1(text) == "-" ? QTime(0, 0) : at(text); }

TEST_F(Attendance, EachDayOfSwipesGivesItsTimesAndFigures)
{
    db.BeginTrans();
    int n = 0;
    for (const Case& c : cases) {
        const QString card = QStringLiteral("%1").arg(++n, 6, 10, QLatin1Char('0'));
        addPerson(db, card);
        int i = 0;
        // Lock, direction and controller play no part.
        for (const char* s : c.swipes) {
            addSwipe(db, card, c.day, at(s), i % 4 + 1, 10 + i);
            ++i;
        }
    }
    db.CommitTrans();

    runWindow(monday, sunday);

    n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString card = QStringLiteral("%1").arg(++n, 6, 10, QLatin1Char('0'));
        const auto row = kqRow(db, card, c.day);
        ASSERT_TRUE(row);
        EXPECT_EQ(row->t1, expectedTime(c.t1));
        EXPECT_EQ(row->t2, expectedTime(c.t2));
        EXPECT_EQ(row->t3, expectedTime(c.t3));
        EXPECT_EQ(row->t4, expectedTime(c.t4));
        EXPECT_EQ(row->hrs, c.hrs);  // exactly: kept in hundredths
        EXPECT_EQ(row->late, c.late);
        EXPECT_EQ(row->leavee, c.leavee);
        EXPECT_EQ(row->absent, c.absent);
        EXPECT_EQ(row->name, QStringLiteral("歐陽志明") + card.right(2));
        EXPECT_EQ(row->building, "東方廣場第二座");
        EXPECT_EQ(row->post, "保安主任");
    }
    EXPECT_EQ(count("datakq"), int(std::size(cases)));
    EXPECT_TRUE(dialogs.messages.empty());
    // 2.67 + 3.58 shows as 6.25, and the database finds it as 6.25.
    EXPECT_EQ(count("datakq", "hrs = 6.25"), 2);
}

TEST_F(Attendance, RowsOnlyForPeopleAndDaysWithSwipes)
{
    addPerson(db, "000001");
    addSwipe(db, "000001", monday, at("08:30"));
    addSwipe(db, "000001", wednesday, at("17:40"));
    addSwipe(db, "000002", monday, at("08:30"));  // nobody holds this card
    addSwipe(db, "000001", wednesday.addDays(30), at("08:30"));  // outside the range
    addSwipe(db, "000003", monday, QTime(0, 0));  // only a swipe at midnight: no time at all
    addPerson(db, "000003");

    Frmkqzl w;
    runWindow(w, monday, sunday);

    EXPECT_EQ(count("datakq"), 2);
    EXPECT_TRUE(kqRow(db, "000001", monday));
    EXPECT_TRUE(kqRow(db, "000001", wednesday));
    EXPECT_FALSE(kqRow(db, "000001", monday.addDays(1)));
    // One step per card with a holder; the bar is gone at the end.
    EXPECT_EQ(w.Prg->maximum(), 3);
    EXPECT_EQ(w.Prg->value(), 2);
    EXPECT_FALSE(w.Prg->isVisible());
    EXPECT_TRUE(w.Command1->isEnabled());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Attendance, RunningAgainGivesTheSameRowsWithTheHolderAsNow)
{
    for (const char* card : {"000001", "000002"}) {
        addPerson(db, card);
        for (const QDate& d : {monday, wednesday})
            for (const char* t : {"08:31", "11:29", "13:40", "17:20"})
                addSwipe(db, card, d, at(t));
    }
    runWindow(monday, sunday);
    const QStringList once = kqDump(db);
    ASSERT_EQ(once.size(), 4);
    runWindow(monday, sunday);
    EXPECT_EQ(kqDump(db), once);

    db.Execute("update people set 姓名='陳大文', 部門='海景花園', 職務='經理' where 卡號='000002'");
    db.Execute("delete * from people where 卡號='000001'");
    runWindow(monday, sunday);
    EXPECT_FALSE(kqRow(db, "000001", monday));
    EXPECT_FALSE(kqRow(db, "000001", wednesday));
    const auto row = kqRow(db, "000002", wednesday);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->name, "陳大文");
    EXPECT_EQ(row->building, "海景花園");
    EXPECT_EQ(row->post, "經理");
}

TEST_F(Attendance, ARangeWhoseSwipesWerePurgedKeepsItsRows)
{
    addPerson(db, "000001");
    for (const char* t : {"08:40", "11:20", "13:35", "17:10"}) {
        addSwipe(db, "000001", monday, at(t));
        addSwipe(db, "000001", wednesday, at(t));
    }
    runWindow(monday, sunday);
    const QStringList before = kqDump(db);
    ASSERT_EQ(before.size(), 2);

    db.Execute("delete * from data where 日期 = #2026-03-02#");
    runWindow(monday, sunday);
    EXPECT_EQ(kqDump(db), before);
    db.Execute("delete * from data");
    runWindow(monday, sunday);
    EXPECT_EQ(kqDump(db), before);
}

// Run again after swipes went: a day that still has swipes is built anew
// from them alone, whoever's rows it held; a day left without any swipe
// keeps its rows as they stand.
TEST_F(Attendance, ARunAgainRebuildsEveryDayThatStillHasSwipesAndKeepsTheOthers)
{
    const int cards = 400;
    const QDate tuesday = monday.addDays(1), thursday = monday.addDays(3), friday = monday.addDays(4);
    const QString numbers = QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) ")
                                .arg(cards);
    jet::ExecuteScript(file("kestrom.mdb"),
                       numbers
                           + "insert into data (卡號, 日期, 時間, 地址, flag) "
                             "select printf('%06d', i), d.column1, t.column1, 1 + i % 4, 1 + i % 4 from n, "
                             "(values ('2026-03-02'), ('2026-03-03'), ('2026-03-04'), ('2026-03-05'), ('2026-03-06')) d, "
                             "(values ('08:25:00'), ('11:35:00'), ('13:20:00'), ('17:40:00')) t;"
                           + numbers
                           + "insert into people (卡號, 姓名, 部門, 職務) "
                             "select printf('%06d', i), '歐陽志明' || i, '東方廣場第二座', '保安主任' from n;");
    runWindow(monday, sunday);
    ASSERT_EQ(count("datakq"), cards * 5);
    const auto built = kqRow(db, "000008", tuesday);
    ASSERT_TRUE(built);

    db.Execute("delete * from data where 卡號='000007' and 日期=#2026-03-03#");  // one card-day
    db.Execute("delete * from data where 卡號='000010'");                       // a card's every day
    db.Execute("delete * from data where 日期=#2026-03-05#");                   // a whole day
    // Rows edited in the attendance list since.
    for (const char* day : {"2026-03-03", "2026-03-05"})
        db.Execute(QStringLiteral("update datakq set 時間1=#09:59:00#, late=89 where 卡號='000008' and 日期=#%1#")
                       .arg(QString::fromLatin1(day)));
    runWindow(monday, sunday);

    EXPECT_FALSE(kqRow(db, "000007", tuesday));
    EXPECT_TRUE(kqRow(db, "000007", monday));
    for (const QDate& d : {monday, tuesday, wednesday, friday})
        EXPECT_FALSE(kqRow(db, "000010", d)) << d.toString().toStdString();
    EXPECT_TRUE(kqRow(db, "000010", thursday));
    const auto rebuilt = kqRow(db, "000008", tuesday);
    ASSERT_TRUE(rebuilt);
    EXPECT_EQ(rebuilt->t1, built->t1);
    EXPECT_EQ(rebuilt->late, built->late);
    const auto kept = kqRow(db, "000008", thursday);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->t1, at("09:59"));
    EXPECT_EQ(kept->late, 89);
    EXPECT_EQ(count("datakq", "日期=#2026-03-05#"), cards);
    EXPECT_EQ(count("datakq"), cards * 5 - 1 - 4);
}

TEST_F(Attendance, WithoutWorkingHoursNothingRunsUntilTheWindowOpensAgain)
{
    addPerson(db, "000001");
    addSwipe(db, "000001", monday, at("08:40"));
    db.Execute("insert into datakq (卡號,日期,late) values ('000001',#2026-03-02#,99)");
    db.Execute("delete * from owt");
    {
        Frmkqzl w;
        runWindow(w, monday, sunday);
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{"請先設置上下班時間！"});
        EXPECT_EQ(dialogs.messages[0].style, 0);
        EXPECT_FALSE(w.Command1->isEnabled());
        EXPECT_FALSE(w.Prg->isVisible());
    }
    EXPECT_EQ(kqDump(db).size(), 1);
    EXPECT_EQ(kqRow(db, "000001", monday)->late, 99);

    reportstest::setWorkingHours(db);
    Frmkqzl again;
    ASSERT_TRUE(again.Form_Load());
    EXPECT_TRUE(again.Command1->isEnabled());
}

TEST_F(Attendance, AStartAfterTheEndIsRefused)
{
    addPerson(db, "000001");
    addSwipe(db, "000001", monday, at("08:40"));
    runWindow(wednesday, monday);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{"前一個日期不能大于后一個日期，請重新選擇日期！"});
    EXPECT_EQ(count("datakq"), 0);
}

TEST_F(Attendance, AFailureHalfWayLeavesTheAttendanceAsItWas)
{
    for (int i = 1; i <= 6; ++i) {
        const QString card = QStringLiteral("00000%1").arg(i);
        addPerson(db, card);
        addSwipe(db, card, monday, at("08:40"));
        addSwipe(db, card, monday, at("11:20"));
    }
    db.Execute("insert into datakq (卡號,日期,late) values ('000002',#2026-03-02#,99)");
    const QStringList before = kqDump(db);
    jet::ExecuteScript(file("kestrom.mdb"), "create trigger refuse before insert on datakq when new.卡號='000005' "
                                            "begin select raise(abort, 'disk I/O error'); end;");

    runWindow(monday, sunday);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.last().contains("disk I/O error"));
    EXPECT_EQ(kqDump(db), before);

    jet::ExecuteScript(file("kestrom.mdb"), "drop trigger refuse;");
    runWindow(monday, sunday);
    EXPECT_EQ(count("datakq"), 6);
    EXPECT_EQ(kqRow(db, "000002", monday)->late, 10);
}

TEST_F(Attendance, TheWindowRepaintsButTakesNoSecondRunOrCloseMeanwhile)
{
    db.BeginTrans();
    for (int i = 0; i < 200; ++i) {
        const QString card = QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));
        addPerson(db, card);
        addSwipe(db, card, monday, at("08:40"));
    }
    db.CommitTrans();
    Frmkqzl w;
    ASSERT_TRUE(w.Form_Load());
    w.show();
    w.DTP1->setDate(monday);
    w.DTP2->setDate(monday);
    bool seen = false;
    QTimer::singleShot(0, &w, [&] {
        seen = true;
        EXPECT_TRUE(w.Prg->isVisible());
        EXPECT_EQ(w.Prg->maximum(), 200);
        EXPECT_FALSE(w.Command1->isEnabled());
        EXPECT_EQ(app::collectionHolder(), "考勤數據整理");  // no unattended collection during the run
        QTest::mouseClick(w.Command1, Qt::LeftButton);
        w.close();
        QTest::keyClick(&w, Qt::Key_Escape);
    });
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    EXPECT_TRUE(seen);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(app::collectionHeld());
    EXPECT_EQ(count("datakq"), 200);
    QTest::mouseClick(w.Command2, Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(Attendance, OpensOnThisMonthSoFarAndTellsWhenTheFileIsMissing)
{
    {
        Frmkqzl w;
        ASSERT_TRUE(w.Form_Load());
        const QDate today = QDate::currentDate();
        EXPECT_EQ(w.DTP1->date(), QDate(today.year(), today.month(), 1));
        EXPECT_EQ(w.DTP2->date(), today);
        EXPECT_FALSE(w.Prg->isVisible());
        EXPECT_EQ(w.windowTitle(), "考勤數据整理");
    }
    db.Close();
    jet::CloseDefaultWorkspace();
    ASSERT_TRUE(QFile::remove(file("kestrom.mdb")));
    Frmkqzl w;
    EXPECT_FALSE(w.Form_Load());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.last().contains("kestrom.mdb"));
}

// More cards and a range of more days than a 16-bit counter holds.
TEST_F(Attendance, NoLimitOnTheNumberOfCardsOrDays)
{
    const int cards = 33000;
    // Every card swipes; a holder for every thousandth and the last few.
    jet::ExecuteScript(file("kestrom.mdb"),
                       QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
                                      "insert into data (卡號, 日期, 時間, 地址, flag) "
                                      "select printf('%06d', i), '2026-03-02', '08:40:00', 1, 1 from n;"
                                      "insert into people (卡號, 姓名) select 卡號, 'p' || 卡號 from data "
                                      "where 卡號 % 1000 = 0 or 卡號 > '032990';")
                           .arg(cards));
    addSwipe(db, "000001", QDate(1931, 5, 4), at("08:40"));
    addSwipe(db, "000001", QDate(2029, 5, 4), at("08:40"));
    addPerson(db, "000001");
    Frmkqzl w;
    runWindow(w, QDate(1930, 1, 1), QDate(2029, 12, 31));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(w.Prg->maximum(), cards);
    EXPECT_EQ(count("datakq"), 33 + 9 + 3);
    EXPECT_TRUE(kqRow(db, "033000", monday));
    EXPECT_TRUE(kqRow(db, "032991", monday));
    EXPECT_TRUE(kqRow(db, "000001", QDate(1931, 5, 4)));
    EXPECT_TRUE(kqRow(db, "000001", QDate(2029, 5, 4)));
}

// The indexed run gives the rows the plain select-per-pick run gives, on
// days of many swipes around every boundary, in every lock and direction,
// some twice in a minute.
TEST_F(Attendance, GivesTheRowsOfOneSelectPerPick)
{
    QRandomGenerator random(20260302);
    const std::vector<QTime> boundaries = {at("08:30"), at("11:30"), at("13:30"), at("17:30"), QTime(0, 0)};
    db.BeginTrans();
    for (int c = 1; c <= 40; ++c) {
        const QString card = QStringLiteral("%1").arg(c * 37, 6, 10, QLatin1Char('0'));
        if (c % 9 != 0)
            addPerson(db, card);
        for (int d = 0; d < 14; ++d) {
            const int swipes = random.bounded(9);
            for (int s = 0; s < swipes; ++s) {
                QTime t = boundaries[random.bounded(int(boundaries.size()))].addSecs(60 * (random.bounded(5) - 2));
                if (random.bounded(3) == 0)
                    t = QTime(6 + random.bounded(14), random.bounded(60));
                addSwipe(db, card, monday.addDays(d - 2), t, random.bounded(4) + 1, random.bounded(100));
            }
        }
    }
    // Rows outside the range stay in both runs.
    db.Execute("insert into datakq (卡號,日期,late) values ('000037',#2026-02-27#,99)");
    db.CommitTrans();
    db.Close();
    const QString copy = file("bypick.mdb");
    ASSERT_TRUE(QFile::copy(file("kestrom.mdb"), copy));

    runWindow(monday, monday.addDays(9));
    {
        jet::Database other = jet::OpenDatabase(copy);
        pickbyselect::run(other, monday, monday.addDays(9));
    }
    db = openDb();
    jet::Database other = jet::OpenDatabase(copy);
    const QStringList indexed = kqDump(db);
    EXPECT_GT(indexed.size(), 250);
    EXPECT_EQ(indexed, kqDump(other));
}

TEST(Figures, HalfDaysRoundedEachByItself)
{
    const attendance::WorkingHours h{at("08:30"), at("11:30"), at("13:30"), at("17:30")};
    // 08:00-08:01 is 0.0167 h, 0.02 rounded; twice 0.02 is 0.04, not 0.03.
    const attendance::DayTimes t{at("08:00"), at("08:01"), at("14:00"), at("14:01")};
    EXPECT_EQ(attendance::figures(t, h, monday).hundredths, 4);
    // The seconds of a time play no part in its minutes.
    const attendance::DayTimes s{QTime(8, 40, 59), QTime(11, 20, 1), QTime(0, 0), QTime(0, 0)};
    const attendance::Figures f = attendance::figures(s, h, monday);
    EXPECT_EQ(f.late, 10);
    EXPECT_EQ(f.leavee, 10);
    EXPECT_EQ(f.hundredths, 267);
}

}  // namespace
