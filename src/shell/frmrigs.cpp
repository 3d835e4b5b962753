#include "frmrigs.h"

#include "app.h"
#include "msgbox.h"
#include "sqlvalue.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

namespace {

const char* const rightCaptions[28] = {
    "用戶及權限設置", "數据庫初始化", "通訊端口設置", "大廈管理", "用戶信息", "發卡机設置", "門鎖設置",
    "修改卡机日期時間", "采集設置", "上下班時間設置", "數据備份", "過期數据處理", "卡操作", "發卡信息重整",
    "壓縮卡机", "增擴卡机", "數据采集", "實時監控門鎖狀態", "實時監控打卡狀況", "發卡信息查詢", "退卡查詢",
    "打卡數据查詢", "考勤數据查詢", "個人月總", "特殊處理", "數据庫清理", "數据備份及恢复", "黑名單修正",
};
constexpr int Rights = 25;

QString right(int i) { return QStringLiteral("r%1").arg(i); }

bool flag(const jet::Recordset& rs, const QString& column) { return rs.Field(column).toBool(); }

QPushButton* button(const char* caption, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

}  // namespace

FrmRigS::FrmRigS(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmRigS"));
    setWindowTitle(QStringLiteral("用戶設置及權限"));
    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));

    auto* users = new QWidget;
    List1 = new QListWidget(users);
    List1->setObjectName(QStringLiteral("List1"));
    Label1 = new QLabel(QStringLiteral("用戶名稱："), users);
    Label2 = new QLabel(QStringLiteral("用戶密碼："), users);
    Text1 = new QLineEdit(users);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text2 = new QLineEdit(users);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setEchoMode(QLineEdit::Password);
    Che1 = new QCheckBox(QStringLiteral("設置用戶"), users);
    Che1->setObjectName(QStringLiteral("Che1"));
    Che2 = new QCheckBox(QStringLiteral("管理用戶權限"), users);
    Che2->setObjectName(QStringLiteral("Che2"));
    Cmdadd = button("添加", "Cmdadd", users);
    Cmdmodify = button("修改", "Cmdmodify", users);
    Cmddel = button("刪除", "Cmddel", users);
    Cmdexit = button("退出", "Cmdexit", users);
    auto* usersGrid = new QGridLayout(users);
    usersGrid->addWidget(List1, 0, 0, 6, 1);
    usersGrid->addWidget(Label1, 0, 1);
    usersGrid->addWidget(Text1, 0, 2, 1, 3);
    usersGrid->addWidget(Label2, 1, 1);
    usersGrid->addWidget(Text2, 1, 2, 1, 3);
    usersGrid->addWidget(Che1, 2, 2);
    usersGrid->addWidget(Che2, 2, 3);
    usersGrid->addWidget(Cmdadd, 5, 1);
    usersGrid->addWidget(Cmdmodify, 5, 2);
    usersGrid->addWidget(Cmddel, 5, 3);
    usersGrid->addWidget(Cmdexit, 5, 4);
    SSTab1->addTab(users, QStringLiteral("用戶設置"));

    auto* rightsPage = new QWidget;
    auto* rightsGrid = new QGridLayout(rightsPage);
    for (int i = 0; i < static_cast<int>(Ch.size()); ++i) {
        Ch[i] = new QCheckBox(QString::fromUtf8(rightCaptions[i]), rightsPage);
        Ch[i]->setObjectName(QStringLiteral("Ch_%1").arg(i));
        if (i < Rights) {
            rightsGrid->addWidget(Ch[i], i % 9, i / 9);
        } else {
            Ch[i]->hide();
            Ch[i]->setEnabled(false);
        }
    }
    Cmdok = button("确定", "Cmdok", rightsPage);
    Cmdall = button("全選", "Cmdall", rightsPage);
    Cmdexit2 = button("退出", "Cmdexit2", rightsPage);
    rightsGrid->addWidget(Cmdok, 9, 0);
    rightsGrid->addWidget(Cmdall, 9, 1);
    rightsGrid->addWidget(Cmdexit2, 9, 2);
    SSTab1->addTab(rightsPage, QStringLiteral("用戶權限"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(SSTab1, 0, 0);

    connect(Text1, &QLineEdit::textChanged, this, &FrmRigS::Text1_Change);
    connect(List1, &QListWidget::itemClicked, this, &FrmRigS::List1_Click);
    connect(Cmdadd, &QPushButton::clicked, this, &FrmRigS::Cmdadd_Click);
    connect(Cmdmodify, &QPushButton::clicked, this, &FrmRigS::Cmdmodify_Click);
    connect(Cmddel, &QPushButton::clicked, this, &FrmRigS::Cmddel_Click);
    connect(Cmdok, &QPushButton::clicked, this, &FrmRigS::Cmdok_Click);
    connect(Cmdall, &QPushButton::clicked, this, &FrmRigS::Cmdall_Click);
    connect(Cmdexit, &QPushButton::clicked, this, &QWidget::close);
    connect(Cmdexit2, &QPushButton::clicked, this, &QWidget::close);
    Form_Load();
}

void FrmRigS::Form_Load()
{
    rs = app::db.OpenRecordset(QStringLiteral("user"), jet::dbOpenTable);
    rs.SetIndex(QStringLiteral("sysname"));
    fillList();
    // Decided once, and closed unless the operator's own row says otherwise:
    // an operator whose row has gone may change nothing.
    rs.Seek(QStringLiteral("="), app::curuser);
    const bool found = !rs.NoMatch();
    const bool maySet = found && flag(rs, QStringLiteral("usersetting"));
    mayManage = found && flag(rs, QStringLiteral("usermanage"));
    Cmdadd->setEnabled(maySet);
    Cmdmodify->setEnabled(maySet);
    Cmddel->setEnabled(maySet);
    Cmdok->setEnabled(mayManage);
    // The two flags decide who may manage operators: only a manager sets them.
    Che1->setEnabled(mayManage);
    Che2->setEnabled(mayManage);
}

void FrmRigS::fillList()
{
    // Setting the index again reads the table afresh, in index order.
    rs.SetIndex(QStringLiteral("sysname"));
    List1->clear();
    if (rs.RecordCount() == 0)
        return;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
        List1->addItem(rs.Field(QStringLiteral("sysname")).toString());
}

QString FrmRigS::name() const { return Text1->text().trimmed(); }

bool FrmRigS::seekName()
{
    rs.Seek(QStringLiteral("="), name());
    return !rs.NoMatch();
}

void FrmRigS::showRow(bool found)
{
    Text2->setText(found ? rs.Field(QStringLiteral("syspword")).toString() : QString());
    Che1->setChecked(found && flag(rs, QStringLiteral("usersetting")));
    Che2->setChecked(found && flag(rs, QStringLiteral("usermanage")));
    for (int i = 0; i < Rights; ++i)
        Ch[i]->setChecked(found && flag(rs, right(i)));
}

void FrmRigS::Text1_Change() { showRow(seekName()); }

void FrmRigS::List1_Click()
{
    if (QListWidgetItem* item = List1->currentItem())
        Text1->setText(item->text());
}

bool FrmRigS::tooLong() const
{
    if (name().size() <= 10 && Text2->text().trimmed().size() <= 10)
        return false;
    ui::MsgBox(QStringLiteral("用戶名和口令不能超過10個字符"));
    return true;
}

void FrmRigS::Cmdadd_Click()
{
    if (name().isEmpty())
        return;
    if (seekName()) {
        ui::MsgBox(QStringLiteral("該用戶已經存在！"));
        return;
    }
    if (tooLong())
        return;
    rs.AddNew();
    rs.SetField(QStringLiteral("sysname"), name());
    rs.SetField(QStringLiteral("syspword"), Text2->text().trimmed());
    rs.SetField(QStringLiteral("usersetting"), mayManage && Che1->isChecked());
    rs.SetField(QStringLiteral("usermanage"), mayManage && Che2->isChecked());
    rs.Update();
    List1->addItem(name());
}

void FrmRigS::Cmdmodify_Click()
{
    if (name().isEmpty())
        return;
    if (!seekName()) {
        ui::MsgBox(QStringLiteral("請先添加該用戶！"));
        return;
    }
    if (tooLong())
        return;
    rs.Edit();
    rs.SetField(QStringLiteral("sysname"), name());
    rs.SetField(QStringLiteral("syspword"), Text2->text().trimmed());
    if (mayManage) {
        rs.SetField(QStringLiteral("usersetting"), Che1->isChecked());
        rs.SetField(QStringLiteral("usermanage"), Che2->isChecked());
    }
    rs.Update();
    fillList();
}

void FrmRigS::Cmddel_Click()
{
    if (!seekName())
        return;
    const QString stored = rs.Field(QStringLiteral("sysname")).toString();
    if (stored.compare(app::curuser, Qt::CaseInsensitive) == 0) {
        ui::MsgBox(QStringLiteral("不能刪除當前登錄的用戶！"));
        return;
    }
    if (flag(rs, QStringLiteral("usersetting"))) {
        jet::Recordset setters =
            app::db.OpenRecordset(QStringLiteral("select count(*) from user where usersetting=true"), jet::dbOpenSnapshot);
        const int left = setters.Field(0).toInt();
        setters.Close();
        if (left <= 1) {
            ui::MsgBox(QStringLiteral("該用戶是最後一個可設置用戶的用戶，不能刪除！"));
            return;
        }
    }
    if (ui::MsgBox(QStringLiteral("确信要刪除用戶") + stored + QStringLiteral("嗎？"), 4 + 32 + 256) != ui::vbYes)
        return;
    // The question let other events run: find the row again before deleting.
    if (!seekName())
        return;
    rs.Delete();
    Text1->clear();
    Text2->clear();
    Che1->setChecked(false);
    Che2->setChecked(false);
    fillList();
}

void FrmRigS::Cmdok_Click()
{
    if (!seekName()) {
        ui::MsgBox(QStringLiteral("請先添加或選擇用戶！"));
        return;
    }
    rs.Edit();
    for (int i = 0; i < Rights; ++i)
        rs.SetField(right(i), Ch[i]->isChecked());
    rs.Update();
    ui::MsgBox(QStringLiteral("保存完畢！"));
}

void FrmRigS::Cmdall_Click()
{
    const bool all = Cmdall->text() == QStringLiteral("全選");
    for (int i = 0; i < Rights; ++i)
        Ch[i]->setChecked(all);
    Cmdall->setText(all ? QStringLiteral("全空") : QStringLiteral("全選"));
}
