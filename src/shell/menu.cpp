#include "menu.h"

#include "app.h"
#include "compaction.h"
#include "dispatch.h"
#include "helpwindow.h"
#include "msgbox.h"
#include "placement.h"
#include "program.h"
#include "runlog.h"
#include "programfolder.h"
#include "recordset.h"
#include "settingsload.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

namespace {

menu*& theMenu()
{
    static menu* m = nullptr;
    return m;
}

std::function<QDateTime()>& theClock()
{
    static std::function<QDateTime()> c = [] { return QDateTime::currentDateTime(); };
    return c;
}

// Entry IDs the dispatcher handles itself rather than through the table.
enum : int { HelpEntry = 11, ExitEntry = 14, LockMonitorEntry = 21, UnattendedCollectionEntry = 24, MonthlyEntry = 30 };

struct Heading {
    int id;
    const char* caption;
};
struct Entry {
    int id;
    const char* caption;
    int heading;  // 0: a heading of its own that acts itself (特殊處理, before 幫助)
};

const Heading headings[] = {
    {1, "系統設置"}, {4, "卡操作"}, {3, "採集及監視"}, {5, "數據查詢"}, {13, "幫助"},
};

const Entry menuEntries[] = {
    {10, "用戶及權限管理", 1},
    {16, "數據庫初始化", 1},
    {9, "串口設置", 1},
    {15, "大廈管理", 1},
    {18, "用戶信息", 1},
    {19, "發卡機設置", 1},
    {8, "門鎖設置", 1},
    {26, "修改卡机日期時間", 1},
    {23, "采集設置", 1},
    {29, "上下班時間置", 1},
    {35, "數據庫備份", 1},
    {36, "過期數據處理", 1},
    {14, "退出", 1},
    {17, "卡操作", 4},
    {25, "發卡信息重整", 4},
    {31, "壓縮卡机", 4},
    {32, "增擴卡机", 4},
    {20, "數據采集", 3},
    {37, "考勤數據整理", 3},
    {21, "實時監視門鎖狀態", 3},
    {34, "實時監控打卡狀況", 3},
    {24, "自動采集", 3},
    {22, "發卡信息查詢", 5},
    {33, "退卡查詢", 5},
    {27, "打卡數據据查詢", 5},
    {28, "考勤數據查詢", 5},
    {30, "個人月總查詢", 5},
    {6, "特殊處理", 0},
    {11, "幫助", 13},
    {12, "關於", 13},
};

// Built switched off: no right of the log-in turns 24 on, and 19 and 30 wait for theirs.
const int builtOff[] = {19, 24, 30};

void reportSystemRows(const QStringList& missing)
{
    if (!missing.isEmpty())
        ui::MsgBox(QStringLiteral("系統設置中以下項目缺失、為空或無效：%1\n這些項目將使用默認值。").arg(missing.join(QStringLiteral("、"))), 48);
}

void reportUnreadable(const jet::DbError& e)
{
    ui::MsgBox(QStringLiteral("讀取系統設置時出錯，未能讀取的設置將使用默認值。\n") + e.message(), 48);
}

void reportSchedule(settingsload::Schedule schedule)
{
    if (schedule == settingsload::Schedule::Missing)
        ui::MsgBox(QStringLiteral("請設置數据采集類型！"));
    else if (schedule == settingsload::Schedule::Incomplete)
        ui::MsgBox(QStringLiteral("數据采集類型或采集時間為空，暫按手動采集處理。\n請設置數据采集類型！"), 48);
}

}  // namespace

menu* menu::instance()
{
    if (!theMenu()) {
        theMenu() = new menu();
        theMenu()->Form_Load();
    }
    return theMenu();
}

bool menu::isLoaded() { return theMenu() != nullptr; }

void menu::setClock(std::function<QDateTime()> c) { theClock() = std::move(c); }

QDateTime menu::now() { return theClock()(); }

bool menu::screenTooSmall(const QSize& screen) { return screen.width() < 800 || screen.height() < 600; }

menu::menu()
{
    setObjectName(QStringLiteral("menu"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(800, 600);  // the size it was designed at; the load then fills the screen

    ActiveBar1 = new QMenuBar(this);
    ActiveBar1->setObjectName(QStringLiteral("ActiveBar1"));
    setMenuBar(ActiveBar1);
    buildMenuBar();

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    Panel1 = new QLabel(StatusBar1);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel2 = new QLabel(StatusBar1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    // Three quarters and one quarter of the bar, whatever room the screen
    // and the window's frame leave it: never wider than the window.
    for (QLabel* panel : {Panel1, Panel2})
        panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    StatusBar1->addWidget(Panel1, 3);
    StatusBar1->addWidget(Panel2, 1);
    setStatusBar(StatusBar1);
    setCentralWidget(new QWidget(this));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(50000);
    connect(Timer1, &QTimer::timeout, this, &menu::Timer1_Timer);
    // Posted, so the run starts from the event loop once the operation that
    // held it has wholly returned.
    app::setCollectionReleased([this] {
        if (!deferredBecause.isEmpty())
            QTimer::singleShot(0, this, &menu::startDeferredCollection);
    });
}

menu::~menu()
{
    app::setCollectionReleased({});
    for (const QPointer<QWidget>& w : std::as_const(modeless))
        delete w.data();
    delete help.data();
    if (theMenu() == this)
        theMenu() = nullptr;
}

void menu::buildMenuBar()
{
    QHash<int, QMenu*> lists;
    for (const Heading& h : headings) {
        QMenu* list = ActiveBar1->addMenu(QString::fromUtf8(h.caption));
        list->menuAction()->setData(h.id);
        entries.insert(h.id, list->menuAction());
        lists.insert(h.id, list);
    }
    for (const Entry& e : menuEntries) {
        const QString caption = QString::fromUtf8(e.caption);
        QAction* a = nullptr;
        if (e.heading == 0) {
            // Placed where its heading stands in the order of the bar.
            QAction* before = entries.value(13);
            a = new QAction(caption, ActiveBar1);
            ActiveBar1->insertAction(before, a);
        } else {
            a = lists.value(e.heading)->addAction(caption);
        }
        a->setData(e.id);
        connect(a, &QAction::triggered, this, [this, id = e.id] { ActiveBar1_ToolClick(id); });
        entries.insert(e.id, a);
    }
    for (int id : builtOff)
        entries.value(id)->setEnabled(false);
}

void menu::setEntryEnabled(int id, bool on)
{
    if (QAction* a = entries.value(id))
        a->setEnabled(on);
}

bool menu::isEntryEnabled(int id) const
{
    const QAction* a = entries.value(id);
    return a && a->isEnabled();
}

QAction* menu::entry(int id) const { return entries.value(id); }

void menu::Form_Load()
{
    jet::Database second;
    try {
        // The schedule is read on a connection of its own, by the file's path.
        second = jet::OpenDatabase(app::databaseFile());
        reportSystemRows(settingsload::loadSystemRows(app::db));
    } catch (const jet::DbError& e) {
        reportUnreadable(e);
    }
    setWindowTitle(app::companyname + QStringLiteral("門禁管理系統"));
    showStatusBar();
    if (const QScreen* screen = QGuiApplication::primaryScreen(); screen && screenTooSmall(screen->size()))
        ui::MsgBox(QStringLiteral("請您把顯示模式設成[16位真彩]以上[800*600]"), 48, QStringLiteral("為得到更好的效果"));
    placeOnScreen();
    try {
        if (second.isOpen())
            reportSchedule(settingsload::loadSchedule(second));
    } catch (const jet::DbError& e) {
        reportUnreadable(e);
    }
    second.Close();
    if (app::cjmode == 1)
        Timer1->start();
    else
        Timer1->stop();
}

namespace {

QString companyText() { return app::companyname + QStringLiteral("門禁系統  2002.2."); }

}  // namespace

void menu::showStatusBar()
{
    Panel1->setText(companyText());
    const QLocale taiwan(QLocale::Chinese, QLocale::TraditionalHanScript, QLocale::Taiwan);
    Panel2->setText(taiwan.toString(now().date(), QStringLiteral("dddd,yyyy/MM/dd")));
}

void menu::placeOnScreen()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    // Once shown, with its frame known, the frame too fits the screen.
    ui::fillWhenShown(this);
}

void menu::ActiveBar1_ToolClick(int id)
{
    try {
        switch (id) {
        case HelpEntry:
            showHelp();
            break;
        case ExitEntry:
            exitProgram();
            break;
        case LockMonitorEntry:
            openLockMonitor();
            break;
        case UnattendedCollectionEntry:
            openUnattendedCollection();
            break;
        case MonthlyEntry:
            break;  // no window exists behind this entry
        default:
            openWindow(id);
        }
    } catch (const jet::DbError& e) {
        // The window failed on the database before it could report it itself.
        if (id != LockMonitorEntry)
            ui::MsgBox(e.message(), 16);
    }
}

void menu::openWindow(int id)
{
    // Only the menu's own entries open windows; headings and other IDs do nothing.
    const QAction* choice = entries.value(id);
    const dispatch::Row* row = dispatch::find(id);
    if (!choice || choice->menu() || !row)
        return;
    if (row->shown == dispatch::Shown::Modeless) {
        if (QWidget* open = modeless.value(id)) {
            if (open->isMinimized())
                open->showNormal();
            open->show();
            open->raise();
            open->activateWindow();
            return;
        }
        QWidget* w = row->open();
        if (!w)
            return;
        modeless.insert(id, w);
        dispatch::showModeless(w);
        return;
    }
    if (QWidget* w = row->open())
        dispatch::showModal(w);
}

// The run asks nobody anything and its window closes by itself: what it did
// stays beside the company name until the next run, in a few words; the
// tooltip has the whole of it.
void menu::showCollectionOutcome()
{
    if (app::cjoutcome.isEmpty())
        return;
    Panel1->setText(companyText() + QStringLiteral("    ") + app::cjoutcomeShort);
    Panel1->setToolTip(app::cjoutcome);
}

void menu::openLockMonitor()
{
    jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("doors"), jet::dbOpenTable);
    const bool none = rs.Eof();
    rs.Close();
    if (none) {
        ui::MsgBox(QStringLiteral("請先設置門號地址！"));
        return;
    }
    openWindow(LockMonitorEntry);
}

void menu::openUnattendedCollection()
{
    if (collectionShown)
        return;  // the run of this minute is still up
    const dispatch::Row* row = dispatch::find(UnattendedCollectionEntry);
    if (!row)
        return;
    collectionShown = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{collectionShown};
    app::cjoutcome.clear();
    if (QWidget* w = row->open())
        dispatch::showModal(w);
    app::cjdeferral.clear();
    showCollectionOutcome();
}

void menu::Timer1_Timer()
{
    startDeferredCollection();  // one put off, should its hold have ended unseen
    const QDateTime t = now();
    if (t.time().toString(QStringLiteral("HH:mm")) == app::cjtime)
        collectOrDefer(t);
}

// Inside another operation the run waits until that has ended, and then
// runs once for its minute: the minute's later ticks add no second run.
void menu::collectOrDefer(const QDateTime& t)
{
    const QString minute = t.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    if (collectionShown || !deferredBecause.isEmpty() || minute == deferredMinute)
        return;  // the run up, or the one put off, collects for this tick too
    if (!app::collectionHeld()) {
        openUnattendedCollection();
        return;
    }
    deferredMinute = minute;
    deferredBecause = app::collectionHolder();
    app::cjdeferral = QStringLiteral("%1 推遲至%2結束後").arg(t.toString(QStringLiteral("HH:mm")), deferredBecause);
    const QString waiting = QStringLiteral("自動采集: 等待%1結束").arg(deferredBecause);
    collection::logRun(t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss ")) + waiting);
    Panel1->setText(companyText() + QStringLiteral("    ") + waiting);
    Panel1->setToolTip(app::cjdeferral);
}

void menu::startDeferredCollection()
{
    if (deferredBecause.isEmpty() || app::collectionHeld() || collectionShown)
        return;
    deferredBecause.clear();
    openUnattendedCollection();
}

void menu::showHelp()
{
    if (help) {
        help->show();
        help->raise();
        help->activateWindow();
        return;
    }
    auto* w = new HelpWindow();
    if (!w->Form_Load()) {
        delete w;
        return;
    }
    w->setAttribute(Qt::WA_DeleteOnClose);
    help = w;
    w->show();
}

void menu::exitProgram()
{
    if (ui::MsgBox(QStringLiteral("您真要關閉門禁管理系統？"), 4 + 32 + 256, QStringLiteral("門禁系統")) != ui::vbYes)
        return;
    waitForExchanges();
    platform::endProgram();
}

// A window may be inside a controller exchange (the card-issue window stays
// usable beside the menu); the program ends only once its controller and
// database agree.
void menu::waitForExchanges()
{
    if (app::exchangesRunning <= 0)
        return;
    Timer1->stop();
    ActiveBar1->setEnabled(false);
    while (app::exchangesRunning > 0) {
        QEventLoop pause;
        QTimer::singleShot(20, &pause, &QEventLoop::quit);
        pause.exec();
    }
    ActiveBar1->setEnabled(true);
}

void menu::closeModelessWindows()
{
    for (const QPointer<QWidget>& w : std::as_const(modeless))
        if (w) {
            w->close();
            delete w.data();
        }
    modeless.clear();
    delete help.data();
    // And those other windows opened (the remote opening, opened by the
    // super-user confirmation): none of them may outlive the database.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == this || !w->isWindow() || !w->isVisible())
            continue;
        w->close();
        w->hide();  // even one that refused to close
    }
}

void menu::keyPressEvent(QKeyEvent* event)
{
    // The menu bar's own shortcuts have had the key first.
    if (event->key() == Qt::Key_F1) {
        showHelp();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void menu::closeEvent(QCloseEvent* event)
{
    if (closing) {
        event->ignore();  // asked again while waiting for an exchange: the first close goes on
        return;
    }
    closing = true;
    Timer1->stop();
    waitForExchanges();
    // No window may reach a controller or the database once it is gone.
    closeModelessWindows();
    app::db.Close();
    jet::CloseDefaultWorkspace();
    const QString failure = compaction::compactLiveDatabase();
    if (!failure.isEmpty())
        ui::MsgBox(QStringLiteral("數據庫壓縮失敗，數據庫文件 kestrom.mdb 保持原樣。\n") + failure, 48);
    event->accept();
}
