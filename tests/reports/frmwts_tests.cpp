// The working-hours window over the first row of owt.
#include "app.h"
#include "frmwts.h"
#include "operator.h"
#include "recordset.h"
#include "testsupport.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>

namespace {

QTime at(const char* hhmm) { return QTime::fromString(QString::fromLatin1(hhmm), QStringLiteral("HH:mm")); }

class WorkingHours : public testsupport::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        openSharedDb();
    }
    // The columns of owt's first row, in the order the table lists them.
    std::vector<QTime> stored() const
    {
        jet::Database d = openDb();
        jet::Recordset rs = d.OpenRecordset("owt", jet::dbOpenTable);
        if (rs.Eof())
            return {};
        std::vector<QTime> times;
        for (const char* c : {"上班時間", "下班時間", "timeB", "timeE", "遲到時間", "早退時間", "lat", "Let"})
            times.push_back(rs.Field(QString::fromUtf8(c)).toTime());
        return times;
    }
    void type(QLineEdit* box, const QString& text)
    {
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }
    void open(FrmWTS& w)
    {
        ASSERT_TRUE(w.Form_Load());
        w.show();
    }
};

TEST_F(WorkingHours, AnEmptyTableShowsTheUsualDayAndTheFirstSaveAddsItsRow)
{
    FrmWTS w;
    open(w);
    EXPECT_EQ(w.windowTitle(), "上下班時間設置");
    EXPECT_EQ(w.DTX1->time(), at("08:30"));
    EXPECT_EQ(w.DTX2->time(), at("11:30"));
    EXPECT_EQ(w.DTX3->time(), at("13:30"));
    EXPECT_EQ(w.DTX4->time(), at("17:30"));
    EXPECT_EQ(w.Text1->text(), "5");
    EXPECT_EQ(w.Text2->text(), "5");
    type(w.Text2, "10");
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(count("owt"), 1);
    EXPECT_EQ(stored(), (std::vector<QTime>{at("08:30"), at("11:30"), at("13:30"), at("17:30"), at("08:35"),
                                            at("11:20"), at("13:35"), at("17:40")}));
}

TEST_F(WorkingHours, AStoredRowIsShownWithFiveMinutesWhateverWasSaved)
{
    {
        FrmWTS w;
        open(w);
        w.DTX1->setTime(at("07:45"));
        w.DTX4->setTime(at("18:00"));
        type(w.Text1, "15");
        type(w.Text2, "20");
        QTest::mouseClick(w.Command1, Qt::LeftButton);
    }
    FrmWTS w;
    open(w);
    EXPECT_EQ(w.DTX1->time(), at("07:45"));
    EXPECT_EQ(w.DTX2->time(), at("11:30"));
    EXPECT_EQ(w.DTX4->time(), at("18:00"));
    EXPECT_EQ(w.Text1->text(), "5");
    EXPECT_EQ(w.Text2->text(), "5");
}

TEST_F(WorkingHours, EmptyBoxesCountAsNoAllowanceAndMinutesWrapAtMidnight)
{
    FrmWTS w;
    open(w);
    w.DTX2->setTime(at("00:05"));
    type(w.Text1, "");
    type(w.Text2, "10");
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    EXPECT_EQ(w.Text1->text(), "0");
    const auto t = stored();
    ASSERT_EQ(t.size(), 8u);
    EXPECT_EQ(t[4], t[0]);  // 遲到時間 = 上班時間
    EXPECT_EQ(t[5], at("23:55"));
    EXPECT_EQ(t[6], t[2]);  // lat = timeB
    EXPECT_EQ(t[7], at("17:40"));
}

TEST_F(WorkingHours, OnlyTheFirstOfSeveralRowsIsShownAndOverwritten)
{
    app::db.Execute("insert into owt (上班時間,下班時間,timeB,timeE) values (#09:00#,#12:00#,#13:00#,#18:00#)");
    app::db.Execute("insert into owt (上班時間,下班時間,timeB,timeE) values (#06:00#,#10:00#,#11:00#,#15:00#)");
    FrmWTS w;
    open(w);
    EXPECT_EQ(w.DTX1->time(), at("09:00"));
    w.DTX1->setTime(at("09:15"));
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    EXPECT_EQ(count("owt"), 2);
    EXPECT_EQ(stored()[0], at("09:15"));
    EXPECT_EQ(count("owt", "上班時間=#06:00#"), 1);
}

TEST_F(WorkingHours, LeavingWithoutSavingChangesNothing)
{
    app::db.Execute("insert into owt (上班時間,下班時間,timeB,timeE) values (#09:00#,#12:00#,#13:00#,#18:00#)");
    const auto before = stored();
    FrmWTS w;
    open(w);
    w.DTX1->setTime(at("10:00"));
    type(w.Text1, "30");
    QTest::mouseClick(w.Command2, Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(stored(), before);
}

// What a minute box takes: a number, a fraction rounded to the nearest
// whole minute and a half to the even one, that comes to 0 to 600 minutes
// once rounded. -1 is refused.
struct Allowance {
    const char* typed;
    int minutes;
};
const Allowance allowances[] = {
    {"5.5", 6},    {"4.5", 4},     {"0.5", 0},     {"1.5", 2},     {"2.501", 3},    {"7.49", 7},
    {".5", 0},     {"3.", 3},      {"+3", 3},      {" 12 ", 12},   {"", 0},         {"600", 600},
    {"600.4", 600}, {"600.5", 600}, {"600.6", -1},  {"601", -1},    {"99999", -1},   {"-0.4", 0},
    {"-0.5", 0},   {"-0.51", -1},  {"-5", -1},     {"abc", -1},    {"1e2", -1},     {"5.5.5", -1},
    {"5,5", -1},   {".", -1},      {"-", -1},      {"5 5", -1},
};

TEST_F(WorkingHours, AllowancesAreRoundedToWholeMinutesAndMustComeToZeroToTenHours)
{
    for (const Allowance& a : allowances) {
        SCOPED_TRACE(a.typed);
        dialogs.messages.clear();
        app::db.Execute("delete * from owt");
        FrmWTS w;
        open(w);
        type(w.Text1, QString::fromLatin1(a.typed));
        type(w.Text2, QString::fromLatin1(a.typed));
        QTest::mouseClick(w.Command1, Qt::LeftButton);
        if (a.minutes < 0) {
            EXPECT_EQ(dialogs.texts(), std::vector<QString>{"遲到和早退的分鐘數應為0到600之間的整數！"});
            EXPECT_TRUE(w.isVisible());
            EXPECT_EQ(count("owt"), 0);
            continue;
        }
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_FALSE(w.isVisible());
        const auto t = stored();
        ASSERT_EQ(t.size(), 8u);
        EXPECT_EQ(t[4], at("08:30").addSecs(a.minutes * 60));   // 遲到時間
        EXPECT_EQ(t[5], at("11:30").addSecs(-a.minutes * 60));  // 早退時間
        EXPECT_EQ(t[6], at("13:30").addSecs(a.minutes * 60));   // lat
        EXPECT_EQ(t[7], at("17:30").addSecs(a.minutes * 60));   // Let
    }
}

TEST_F(WorkingHours, EnterInAMinuteBoxMovesOn)
{
    FrmWTS w;
    open(w);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.Text1->setFocus();
    QTest::keyClick(w.Text1, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), w.Text2);
    QTest::keyClick(w.Text2, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), w.Command1);
    EXPECT_EQ(count("owt"), 0);
}

// Times typed as a keyboard types them, Shift before each ':', and stored.
TEST_F(WorkingHours, TimesTypedWithAColonAreStored)
{
    FrmWTS w;
    open(w);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    const std::pair<QTimeEdit*, const char*> typed[] = {{w.DTX1, "07:45"}, {w.DTX2, "1205"}, {w.DTX4, "17:05"}};
    for (const auto& [picker, text] : typed) {
        QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(8, picker->height() / 2));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        testsupport::typeAsKeyboard(QString::fromLatin1(text));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_TRUE(dialogs.messages.empty());
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    EXPECT_EQ(stored().at(0), at("07:45"));
    EXPECT_EQ(stored().at(1), at("12:05"));
    EXPECT_EQ(stored().at(3), at("17:05"));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(WorkingHours, AMissingFileIsToldAndTheWindowDoesNotOpen)
{
    jet::CloseDefaultWorkspace();
    ASSERT_TRUE(QFile::remove(file("kestrom.mdb")));
    FrmWTS w;
    EXPECT_FALSE(w.Form_Load());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.last().contains("kestrom.mdb"));
}

}  // namespace
