#include "menu.h"

#include "app.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>
#include <QTimer>

namespace {
menu*& theMenu()
{
    static menu* m = nullptr;
    return m;
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

menu::menu()
{
    setObjectName(QStringLiteral("menu"));
    setAttribute(Qt::WA_DeleteOnClose);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(50000);
}

menu::~menu()
{
    if (theMenu() == this)
        theMenu() = nullptr;
}

void menu::Form_Load()
{
    struct Item {
        int id;
        const char* caption;
        const char* group;
    };
    static const Item items[] = {
        {10, "用戶及權限管理", "系統設置"}, {16, "數據庫初始化", "系統設置"}, {9, "串口設置", "系統設置"},
        {15, "大廈管理", "系統設置"},       {18, "用戶信息", "系統設置"},     {19, "發卡機設置", "系統設置"},
        {8, "門鎖設置", "系統設置"},        {26, "修改卡机日期時間", "系統設置"}, {23, "采集設置", "系統設置"},
        {29, "上下班時間置", "系統設置"},   {35, "數據庫備份", "系統設置"},   {36, "過期數據處理", "系統設置"},
        {14, "退出", "系統設置"},           {17, "卡操作", "卡操作"},         {25, "發卡信息重整", "卡操作"},
        {31, "壓縮卡机", "卡操作"},         {32, "增擴卡机", "卡操作"},       {20, "數據采集", "採集及監視"},
        {21, "實時監視門鎖狀態", "採集及監視"}, {34, "實時監控打卡狀況", "採集及監視"},
        {24, "自動采集", "採集及監視"},     {37, "考勤數據整理", "採集及監視"}, {22, "發卡信息查詢", "數據查詢"},
        {33, "退卡查詢", "數據查詢"},       {27, "打卡數據据查詢", "數據查詢"}, {28, "考勤數據查詢", "數據查詢"},
        {30, "個人月總查詢", "數據查詢"},   {6, "特殊處理", nullptr},         {11, "幫助", "幫助"},
        {12, "關於", "幫助"},
    };
    QHash<QString, QMenu*> groups;
    for (const Item& it : items) {
        QAction* a = nullptr;
        if (!it.group) {
            a = menuBar()->addAction(QString::fromUtf8(it.caption));
        } else {
            const QString g = QString::fromUtf8(it.group);
            if (!groups.contains(g))
                groups.insert(g, menuBar()->addMenu(g));
            a = groups[g]->addAction(QString::fromUtf8(it.caption));
        }
        a->setData(it.id);
        entries.insert(it.id, a);
    }
    for (int id : {19, 24, 30})
        entries[id]->setEnabled(false);
    setWindowTitle(app::companyname);
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

void menu::closeEvent(QCloseEvent* event)
{
    app::db.Close();
    event->accept();
}
