// The main window's menu bar, the rights it shows and its load: settings,
// caption, status bar, collection schedule.
#include "login.h"
#include "mainwindowtest.h"
#include "rights.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

using shelltest::MainWindowTest;

namespace {

// "caption(id)" of each entry, in the order shown.
QString describe(const QList<QAction*>& actions)
{
    QStringList out;
    for (const QAction* a : actions)
        out << QStringLiteral("%1(%2)").arg(a->text()).arg(a->data().toInt());
    return out.join(' ');
}

TEST_F(MainWindowTest, MenuBarHoldsTheSixHeadingsAndTheirListsInOrder)
{
    menu* m = load();
    EXPECT_EQ(describe(m->ActiveBar1->actions()),
              "系統設置(1) 卡操作(4) 採集及監視(3) 數據查詢(5) 特殊處理(6) 幫助(13)");
    const struct {
        int heading;
        const char* list;
    } lists[] = {
        {1, "用戶及權限管理(10) 數據庫初始化(16) 串口設置(9) 大廈管理(15) 用戶信息(18) 發卡機設置(19) 門鎖設置(8) "
            "修改卡机日期時間(26) 采集設置(23) 上下班時間置(29) 數據庫備份(35) 過期數據處理(36) 退出(14)"},
        {4, "卡操作(17) 發卡信息重整(25) 壓縮卡机(31) 增擴卡机(32)"},
        {3, "數據采集(20) 考勤數據整理(37) 實時監視門鎖狀態(21) 實時監控打卡狀況(34) 自動采集(24)"},
        {5, "發卡信息查詢(22) 退卡查詢(33) 打卡數據据查詢(27) 考勤數據查詢(28) 個人月總查詢(30)"},
        {13, "幫助(11) 關於(12)"},
    };
    for (const auto& l : lists) {
        SCOPED_TRACE(l.heading);
        ASSERT_TRUE(m->entry(l.heading) && m->entry(l.heading)->menu());
        EXPECT_EQ(describe(m->entry(l.heading)->menu()->actions()), QString::fromUtf8(l.list));
    }
    EXPECT_EQ(m->entry(6)->menu(), nullptr);  // acts itself
}

TEST_F(MainWindowTest, EntriesAsBuiltBeforeAnyLogIn)
{
    menu* m = load();
    for (int id : {19, 24, 30})
        EXPECT_FALSE(m->isEntryEnabled(id)) << id;
    for (int id : {1, 3, 4, 5, 13, 6, 10, 11, 12, 14, 17, 37})
        EXPECT_TRUE(m->isEntryEnabled(id)) << id;
}

TEST_F(MainWindowTest, LogInSwitchesTheRightGovernedEntriesAndShowsTheOthersDisabled)
{
    app::db.Execute("insert into cjtype values (0, '0')");
    app::db.Execute("insert into user (sysname,syspword,r5,r12,r23,r24) values ('mix','pw',true,true,null,false)");
    const struct {
        const char* name;
        const char* password;
        std::vector<int> on;  // right-governed entries switched on
    } operators[] = {
        {"brivel", "brivel", {10, 16, 9, 15, 18, 19, 8, 26, 23, 29, 35, 36, 17, 25, 31, 32, 20, 21, 34, 22, 33, 27, 28, 30, 6}},
        {"mix", "pw", {19, 17}},
    };
    for (const auto& op : operators) {
        SCOPED_TRACE(op.name);
        login window;
        ASSERT_TRUE(window.Form_Load());
        window.Tuser->setText(op.name);
        window.tpasswd->setText(op.password);
        window.checkuser();
        ASSERT_EQ(app::loginok, 1);
        menu* m = menu::instance();
        for (int id : rights::entryOf) {
            const bool on = std::find(op.on.begin(), op.on.end(), id) != op.on.end();
            EXPECT_EQ(m->isEntryEnabled(id), on) << id;
            EXPECT_TRUE(m->entry(id)->isVisible()) << id;  // shown, if disabled
        }
        for (int id : {11, 12, 14, 37, 1, 3, 4, 5, 13})
            EXPECT_TRUE(m->isEntryEnabled(id)) << id;  // governed by no right
        EXPECT_FALSE(m->isEntryEnabled(24));
        unload();
    }
}

TEST_F(MainWindowTest, CaptionAndStatusBarFollowTheCompanyName)
{
    const struct {
        const char* detail;  // nullptr: null in the database
        const char* caption;
        const char* panel1;
    } cases[] = {
        {nullptr, "Valdren門禁管理系統", "Valdren門禁系統  2002.2."},
        {"", "門禁管理系統", "門禁系統  2002.2."},
        {"高山大廈", "高山大廈門禁管理系統", "高山大廈門禁系統  2002.2."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        app::db.Execute("update system set detail=" + (c.detail ? "'" + QString::fromUtf8(c.detail) + "'" : QString("null"))
                        + " where name='串口號'");
        menu* m = load();
        EXPECT_EQ(m->windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(m->Panel1->text(), QString::fromUtf8(c.panel1));
        unload();
    }
}

TEST_F(MainWindowTest, StatusBarShowsTheDateAndSharesTheWidthThreeToOne)
{
    setTime(QDateTime(QDate(2026, 3, 1), QTime(23, 59, 59)));
    menu* m = load();
    EXPECT_EQ(m->Panel2->text(), "星期日,2026/03/01");
    m->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m));
    EXPECT_NEAR(m->Panel1->width(), 3 * m->Panel2->width(), 12);
    EXPECT_LE(m->Panel2->geometry().right(), m->StatusBar1->width());
}

TEST_F(MainWindowTest, SettingsRowsBecomeTheProcessWideValues)
{
    app::db.Execute("update system set zhi=3 where name='串口號'");
    app::db.Execute("update system set detail='  4800,e,7,2 ' where name='通訊設置'");
    app::db.Execute("update system set zhi=4096 where name='輸入緩沖區'");
    app::db.Execute("update system set zhi=1024 where name='輸出緩沖區'");
    app::db.Execute("update system set zhi=7 where name='發卡机'");
    app::db.Execute("insert into cjtype values (1, '09:30')");
    menu* m = load();
    EXPECT_EQ(app::comport, 3);
    EXPECT_EQ(app::comset, "4800,e,7,2");
    EXPECT_EQ(app::inbufsize, 4096);
    EXPECT_EQ(app::outbufsize, 1024);
    EXPECT_EQ(app::fkjdz, 7);
    EXPECT_EQ(app::cjmode, 1);
    EXPECT_EQ(app::cjtime, "09:30");
    EXPECT_TRUE(m->Timer1->isActive());
    EXPECT_EQ(m->Timer1->interval(), 50000);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindowTest, CollectionScheduleAtLoad)
{
    const struct {
        const char* row;  // nullptr: cjtype empty
        const char* message;
        int style;
        bool timer;
    } cases[] = {
        {nullptr, "請設置數据采集類型！", 0, false},
        {"(0, '0')", nullptr, 0, false},
        {"(1, '07:05')", nullptr, 0, true},
        {"(1, null)", "數据采集類型或采集時間為空，暫按手動采集處理。\n請設置數据采集類型！", 48, false},
        {"(null, '07:05')", "數据采集類型或采集時間為空，暫按手動采集處理。\n請設置數据采集類型！", 48, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row ? c.row : "empty");
        app::db.Execute("delete * from cjtype");
        if (c.row)
            app::db.Execute(QStringLiteral("insert into cjtype values ") + c.row);
        app::cjmode = 0;
        app::cjtime = "0";
        dialogs.messages.clear();
        menu* m = load();
        if (c.message) {
            ASSERT_EQ(dialogs.messages.size(), 1u);
            EXPECT_EQ(dialogs.last(), QString::fromUtf8(c.message));
            EXPECT_EQ(dialogs.messages[0].style, c.style);
        } else {
            EXPECT_TRUE(dialogs.messages.empty());
        }
        EXPECT_EQ(m->Timer1->isActive(), c.timer);
        if (!c.timer) {
            EXPECT_EQ(app::cjtime, "0");  // manual, as at start
        }
        unload();
    }
}

TEST_F(MainWindowTest, MissingOrNullSettingsAreNamedAndKeepTheirDefaults)
{
    app::db.Execute("insert into cjtype values (0, '0')");
    app::db.Execute("delete * from system where name='輸入緩沖區'");
    app::db.Execute("update system set zhi=null where name='發卡机'");
    app::db.Execute("update system set zhi=5 where name='串口號'");
    load();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.last(), "系統設置中以下項目缺失、為空或無效：輸入緩沖區、發卡机\n這些項目將使用默認值。");
    EXPECT_EQ(app::inbufsize, 2048);
    EXPECT_EQ(app::fkjdz, 1);
    EXPECT_EQ(app::comport, 5);  // the rows that are there still load
}

TEST_F(MainWindowTest, SettingsOutOfTheirRangeAreNamedAndKeepTheirDefaults)
{
    app::db.Execute("insert into cjtype values (0, '0')");
    const struct {
        const char* row;
        const char* update;
        bool taken;
    } cases[] = {
        {"串口號", "zhi=70000", false},  // once cut to 16 bits: port 4464
        {"串口號", "zhi=0", false},
        {"串口號", "zhi=256", false},
        {"串口號", "zhi=255", true},
        {"通訊設置", "detail='rubbish'", false},
        {"通訊設置", "detail='9600,n,8'", false},
        {"通訊設置", "detail=' 19200,E,7,2 '", true},
        {"輸入緩沖區", "zhi=-5", false},
        {"輸入緩沖區", "zhi=0", false},
        {"輸入緩沖區", "zhi=40000", false},
        {"輸入緩沖區", "zhi=32767", true},
        {"輸出緩沖區", "zhi=65536", false},
        {"輸出緩沖區", "zhi=1", true},
        {"發卡机", "zhi=300", false},
        {"發卡机", "zhi=-1", false},
        {"發卡机", "zhi=0", true},
        {"發卡机", "zhi=99", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.row) + " " + c.update);
        freshDatabase();
        openSharedDb();
        app::db.Execute("insert into cjtype values (0, '0')");
        app::db.Execute(QStringLiteral("update system set %1 where name='%2'").arg(c.update, QString::fromUtf8(c.row)));
        app::comport = 1;
        app::comset = "9600,n,8,1";
        app::inbufsize = 2048;
        app::outbufsize = 512;
        app::fkjdz = 1;
        dialogs.messages.clear();
        load();
        if (c.taken) {
            EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
        } else {
            EXPECT_EQ(dialogs.texts(), std::vector<QString>({QStringLiteral("系統設置中以下項目缺失、為空或無效：") +
                                                             QString::fromUtf8(c.row) +
                                                             QStringLiteral("\n這些項目將使用默認值。")}));
            EXPECT_EQ(app::comport, 1);
            EXPECT_EQ(app::comset, "9600,n,8,1");
            EXPECT_EQ(app::inbufsize, 2048);
            EXPECT_EQ(app::outbufsize, 512);
            EXPECT_EQ(app::fkjdz, 1);
        }
        unload();
    }
    EXPECT_EQ(app::fkjdz, 99);
}

TEST_F(MainWindowTest, ScreenModeAdviceOnlyBelow800By600)
{
    const struct {
        int w, h;
        bool advice;
    } cases[] = {{800, 600, false}, {1024, 768, false}, {800, 768, false}, {1920, 1080, false},
                 {640, 480, true},  {799, 600, true},   {800, 599, true},  {1024, 480, true}};
    for (const auto& c : cases)
        EXPECT_EQ(menu::screenTooSmall(QSize(c.w, c.h)), c.advice) << c.w << "x" << c.h;
}

}  // namespace

namespace {

TEST_F(MainWindowTest, AnUnreadableScheduleIsToldAndTheWindowStillLoads)
{
    app::db.Execute("update system set detail='高山' where name='串口號'");
    jet::Database other = openDb();
    other.Execute("drop table cjtype");  // plain SQLite passes through
    other.Close();
    menu* m = load();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.last().startsWith("讀取系統設置時出錯，未能讀取的設置將使用默認值。\n"));
    EXPECT_EQ(m->windowTitle(), "高山門禁管理系統");
    EXPECT_FALSE(m->Timer1->isActive());
}

}  // namespace
