#include "frmrigs.h"

#include "app.h"
#include "dbfailure.h"
#include "msgbox.h"
#include "recordset.h"
#include "sqlvalue.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

namespace {

constexpr int RightCount = 25;
constexpr int ColumnWidth = 10;  // of sysname and syspword

const char* const rightCaptions[28] = {
    "用戶及權限設置", "數据庫初始化", "通訊端口設置", "大廈管理",     "用戶信息",     "發卡机設置",
    "門鎖設置",       "修改卡机日期時間", "采集設置", "上下班時間設置", "數据備份",     "過期數据處理",
    "卡操作",         "發卡信息重整", "壓縮卡机",     "增擴卡机",       "數据采集",     "實時監控門鎖狀態",
    "實時監控打卡狀況", "發卡信息查詢", "退卡查詢",   "打卡數据查詢",   "考勤數据查詢", "個人月總",
    "特殊處理",       "數据庫清理",   "數据備份及恢复", "黑名單修正",
};

QString rightColumn(int i) { return QStringLiteral("r%1").arg(i); }

bool isTrue(const QVariant& v) { return v.isValid() && v.toBool(); }

// The row may open this window and set operators in it.
bool isAdministrator(const jet::Recordset& row)
{
    return isTrue(row.Field(QStringLiteral("usersetting"))) && isTrue(row.Field(QStringLiteral("r0")));
}

}  // namespace

FrmRigS::FrmRigS(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmRigS"));
    setWindowTitle(QStringLiteral("用戶設置及權限"));
    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));

    auto* users = new QWidget(SSTab1);
    List1 = new QListWidget(users);
    List1->setObjectName(QStringLiteral("List1"));
    Label1 = new QLabel(QStringLiteral("用戶名稱："), users);
    Text1 = new QLineEdit(users);
    Text1->setObjectName(QStringLiteral("Text1"));
    Label2 = new QLabel(QStringLiteral("用戶密碼："), users);
    Text2 = new QLineEdit(users);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setEchoMode(QLineEdit::Password);
    Che1 = new QCheckBox(QStringLiteral("設置用戶"), users);
    Che1->setObjectName(QStringLiteral("Che1"));
    Che2 = new QCheckBox(QStringLiteral("管理用戶權限"), users);
    Che2->setObjectName(QStringLiteral("Che2"));
    Cmdadd = new QPushButton(QStringLiteral("添加"), users);
    Cmdadd->setObjectName(QStringLiteral("Cmdadd"));
    Cmdmodify = new QPushButton(QStringLiteral("修改"), users);
    Cmdmodify->setObjectName(QStringLiteral("Cmdmodify"));
    Cmddelete = new QPushButton(QStringLiteral("刪除"), users);
    Cmddelete->setObjectName(QStringLiteral("Cmddelete"));
    Cmdexit = new QPushButton(QStringLiteral("退出"), users);
    Cmdexit->setObjectName(QStringLiteral("Cmdexit"));
    auto* userGrid = new QGridLayout(users);
    userGrid->addWidget(List1, 0, 0, 6, 1);
    userGrid->addWidget(Label1, 0, 1);
    userGrid->addWidget(Text1, 0, 2);
    userGrid->addWidget(Label2, 1, 1);
    userGrid->addWidget(Text2, 1, 2);
    userGrid->addWidget(Che1, 2, 1);
    userGrid->addWidget(Che2, 2, 2);
    userGrid->addWidget(Cmdadd, 3, 1);
    userGrid->addWidget(Cmdmodify, 3, 2);
    userGrid->addWidget(Cmddelete, 4, 1);
    userGrid->addWidget(Cmdexit, 4, 2);
    SSTab1->addTab(users, QStringLiteral("用戶設置"));

    auto* rightsTab = new QWidget(SSTab1);
    auto* rightsGrid = new QGridLayout(rightsTab);
    for (int i = 0; i < int(Ch.size()); ++i) {
        Ch[i] = new QCheckBox(QString::fromUtf8(rightCaptions[i]), rightsTab);
        Ch[i]->setObjectName(QStringLiteral("Ch_%1").arg(i));
        rightsGrid->addWidget(Ch[i], i % 9, i / 9);
        if (i >= RightCount) {
            Ch[i]->hide();
            Ch[i]->setEnabled(false);
        }
    }
    Cmdok = new QPushButton(QStringLiteral("确定"), rightsTab);
    Cmdok->setObjectName(QStringLiteral("Cmdok"));
    Cmdall = new QPushButton(QStringLiteral("全選"), rightsTab);
    Cmdall->setObjectName(QStringLiteral("Cmdall"));
    Cmdexit2 = new QPushButton(QStringLiteral("退出"), rightsTab);
    Cmdexit2->setObjectName(QStringLiteral("Cmdexit2"));
    rightsGrid->addWidget(Cmdok, 9, 0);
    rightsGrid->addWidget(Cmdall, 9, 1);
    rightsGrid->addWidget(Cmdexit2, 9, 2);
    SSTab1->addTab(rightsTab, QStringLiteral("用戶權限"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(SSTab1, 0, 0);

    connect(Text1, &QLineEdit::textChanged, this, &FrmRigS::Text1_Change);
    connect(List1, &QListWidget::currentTextChanged, this, &FrmRigS::List1_Click);
    // Picking the name already current again takes it back into the name box too.
    connect(List1, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { List1_Click(item->text()); });
    connect(Cmdadd, &QPushButton::clicked, this, &FrmRigS::Cmdadd_Click);
    connect(Cmdmodify, &QPushButton::clicked, this, &FrmRigS::Cmdmodify_Click);
    connect(Cmddelete, &QPushButton::clicked, this, &FrmRigS::Cmddelete_Click);
    connect(Cmdok, &QPushButton::clicked, this, &FrmRigS::Cmdok_Click);
    connect(Cmdall, &QPushButton::clicked, this, &FrmRigS::Cmdall_Click);
    connect(Cmdexit, &QPushButton::clicked, this, &QWidget::close);
    connect(Cmdexit2, &QPushButton::clicked, this, &QWidget::close);
    Form_Load();
}

jet::Recordset FrmRigS::seek(const QString& name) const
{
    jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("user"), jet::dbOpenTable);
    rs.SetIndex(QStringLiteral("sysname"));
    rs.Seek(QStringLiteral("="), name);
    return rs;
}

QString FrmRigS::trimmedName() const { return Text1->text().trimmed(); }

void FrmRigS::fillList()
{
    const QSignalBlocker quiet(List1);
    List1->clear();
    jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("user"), jet::dbOpenTable);
    rs.SetIndex(QStringLiteral("sysname"));
    for (; !rs.Eof(); rs.MoveNext())
        List1->addItem(rs.Field(QStringLiteral("sysname")).toString());
}

void FrmRigS::Form_Load()
{
    bool maySetUsers = false;
    try {
        fillList();
        // Without the logged-in operator's own row nothing may be changed.
        jet::Recordset me = seek(app::curuser);
        if (!app::curuser.isEmpty() && !me.NoMatch()) {
            maySetUsers = isTrue(me.Field(QStringLiteral("usersetting")));
            mayChangeFlags = isTrue(me.Field(QStringLiteral("usermanage")));
        }
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
    Cmdadd->setEnabled(maySetUsers);
    Cmdmodify->setEnabled(maySetUsers);
    Cmddelete->setEnabled(maySetUsers);
    Cmdok->setEnabled(mayChangeFlags);
    Che1->setEnabled(mayChangeFlags);
    Che2->setEnabled(mayChangeFlags);
}

void FrmRigS::Text1_Change()
{
    jet::Recordset rs;
    try {
        rs = seek(trimmedName());
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return;
    }
    const bool found = !trimmedName().isEmpty() && !rs.NoMatch();
    Text2->setText(found ? rs.Field(QStringLiteral("syspword")).toString() : QString());
    Che1->setChecked(found && isTrue(rs.Field(QStringLiteral("usersetting"))));
    Che2->setChecked(found && isTrue(rs.Field(QStringLiteral("usermanage"))));
    for (int i = 0; i < RightCount; ++i)
        Ch[i]->setChecked(found && isTrue(rs.Field(rightColumn(i))));
}

void FrmRigS::List1_Click(const QString& name)
{
    if (!name.isEmpty())
        Text1->setText(name);
}

// Somebody must stay able to manage the operators: open this window (r0)
// and add, change and delete them in it (usersetting).
bool FrmRigS::isLastAdministrator(const QString& name) const
{
    jet::Recordset rs = app::db.OpenRecordset(
        QStringLiteral("select sysname from user where usersetting=true and r0=true and sysname<>") + sql::text(name),
        jet::dbOpenDynaset);
    return rs.Eof();
}

bool FrmRigS::fitsTheColumns(const QString& name, const QString& password) const
{
    if (name.size() <= ColumnWidth && password.size() <= ColumnWidth)
        return true;
    ui::MsgBox(QStringLiteral("用戶名和口令不能超過10個字符！"));
    return false;
}

void FrmRigS::Cmdadd_Click()
{
    const QString name = trimmedName();
    if (name.isEmpty() || !fitsTheColumns(name, Text2->text().trimmed()))
        return;
    try {
        jet::Recordset rs = seek(name);
        if (!rs.NoMatch()) {
            ui::MsgBox(QStringLiteral("該用戶已經存在！"));
            return;
        }
        rs.AddNew();
        rs.SetField(QStringLiteral("sysname"), name);
        rs.SetField(QStringLiteral("syspword"), Text2->text().trimmed());
        rs.SetField(QStringLiteral("usersetting"), mayChangeFlags && Che1->isChecked());
        rs.SetField(QStringLiteral("usermanage"), mayChangeFlags && Che2->isChecked());
        rs.Update();
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return;
    }
    List1->addItem(name);
}

void FrmRigS::Cmdmodify_Click()
{
    const QString name = trimmedName();
    if (name.isEmpty())
        return;
    try {
        jet::Recordset rs = seek(name);
        if (rs.NoMatch()) {
            ui::MsgBox(QStringLiteral("請先添加該用戶！"));
            return;
        }
        if (!fitsTheColumns(name, Text2->text().trimmed()))
            return;
        if (mayChangeFlags && !Che1->isChecked() && isAdministrator(rs) && isLastAdministrator(name)) {
            ui::MsgBox(QStringLiteral("該用戶是最後一個可以設置用戶的用戶，不能取消其「設置用戶」！"));
            return;
        }
        rs.Edit();
        rs.SetField(QStringLiteral("syspword"), Text2->text().trimmed());
        if (mayChangeFlags) {
            rs.SetField(QStringLiteral("usersetting"), Che1->isChecked());
            rs.SetField(QStringLiteral("usermanage"), Che2->isChecked());
        }
        rs.Update();
        fillList();
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
}

void FrmRigS::Cmddelete_Click()
{
    const QString name = trimmedName();
    if (name.isEmpty())
        return;
    try {
        jet::Recordset rs = seek(name);
        if (rs.NoMatch())
            return;
        const QString stored = rs.Field(QStringLiteral("sysname")).toString();
        if (stored.compare(app::curuser, Qt::CaseInsensitive) == 0) {
            ui::MsgBox(QStringLiteral("該用戶正在使用本系統，不能刪除！"));
            return;
        }
        if (isAdministrator(rs) && isLastAdministrator(stored)) {
            ui::MsgBox(QStringLiteral("該用戶是最後一個可以設置用戶的用戶，不能刪除！"));
            return;
        }
        if (ui::MsgBox(QStringLiteral("确信要刪除用戶 %1 嗎？").arg(stored), 4 + 32 + 256) != ui::vbYes)
            return;
        rs.Delete();
        Text1->clear();
        Text2->clear();
        Che1->setChecked(false);
        Che2->setChecked(false);
        fillList();
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
}

void FrmRigS::Cmdok_Click()
{
    try {
        jet::Recordset rs = seek(trimmedName());
        if (trimmedName().isEmpty() || rs.NoMatch()) {
            ui::MsgBox(QStringLiteral("請先添加或選擇用戶！"));
            return;
        }
        if (!Ch[0]->isChecked() && isAdministrator(rs) && isLastAdministrator(trimmedName())) {
            ui::MsgBox(QStringLiteral("該用戶是最後一個可以設置用戶的用戶，不能取消其「用戶及權限設置」！"));
            return;
        }
        rs.Edit();
        for (int i = 0; i < RightCount; ++i)
            rs.SetField(rightColumn(i), Ch[i]->isChecked());
        rs.Update();
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return;
    }
    ui::MsgBox(QStringLiteral("保存完畢！"));
}

void FrmRigS::Cmdall_Click()
{
    const bool tick = Cmdall->text() == QStringLiteral("全選");
    for (int i = 0; i < RightCount; ++i)
        Ch[i]->setChecked(tick);
    Cmdall->setText(tick ? QStringLiteral("全空") : QStringLiteral("全選"));
}
