#include "frmuser.h"

#include "app.h"
#include "dbfailure.h"
#include "msgbox.h"
#include "named.h"
#include "pick.h"
#include "recordset.h"
#include "sqlvalue.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

const QString nameColumn = QStringLiteral("用戶名");
const QString passwordColumn = QStringLiteral("口令");
const QString rankColumn = QStringLiteral("權限");

constexpr int Maintainer = 1;
constexpr int Ordinary = 3;
constexpr int MaxLength = 10;

jet::Recordset users() { return app::db.OpenRecordset(QStringLiteral("user"), jet::dbOpenDynaset); }

jet::Recordset findOperator(const QString& name)
{
    jet::Recordset rs = users();
    rs.FindFirst(nameColumn + QLatin1Char('=') + sql::text(name));
    return rs;
}

}  // namespace

Frmuser::Frmuser(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Frmuser"));
    setWindowTitle(QStringLiteral("用戶維護"));
    Label1 = new QLabel(QStringLiteral("用戶名:"), this);
    Cuser = ui::pickBox(this, "Cuser");
    Label2 = new QLabel(QStringLiteral("口令:"), this);
    Tpasswd = new QLineEdit(this);
    Tpasswd->setObjectName(QStringLiteral("Tpasswd"));
    Tpasswd->setEchoMode(QLineEdit::Password);
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Option1[0] = new QRadioButton(QStringLiteral("系統維護員"), Frame1);
    Option1[1] = new QRadioButton(QStringLiteral("一般用戶"), Frame1);
    auto* ranks = new QHBoxLayout(Frame1);
    for (int i = 0; i < 2; ++i) {
        Option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        ranks->addWidget(Option1[i]);
    }
    Cmdadd = new QPushButton(QStringLiteral("添加(&A)"), this);
    Cmdadd->setObjectName(QStringLiteral("Cmdadd"));
    Cmdchange = new QPushButton(QStringLiteral("修改(&C)"), this);
    Cmdchange->setObjectName(QStringLiteral("Cmdchange"));
    Cmddelete = new QPushButton(QStringLiteral("刪除(&D)"), this);
    Cmddelete->setObjectName(QStringLiteral("Cmddelete"));
    Cmdexit = new QPushButton(QStringLiteral("退出(&X)"), this);
    Cmdexit->setObjectName(QStringLiteral("Cmdexit"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Cuser, 0, 1, 1, 3);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Tpasswd, 1, 1, 1, 3);
    grid->addWidget(Frame1, 2, 0, 1, 4);
    grid->addWidget(Cmdadd, 3, 0);
    grid->addWidget(Cmdchange, 3, 1);
    grid->addWidget(Cmddelete, 3, 2);
    grid->addWidget(Cmdexit, 3, 3);

    // Keys reach the combo box, which hands them to its text part without
    // passing them through that part's filters.
    Cuser->installEventFilter(this);
    connect(Cuser, &QComboBox::editTextChanged, this, &Frmuser::Cuser_Change);
    ui::onPick(Cuser, this, [this] { Cuser_Click(); });
    connect(Cmdadd, &QPushButton::clicked, this, &Frmuser::Cmdadd_Click);
    connect(Cmdchange, &QPushButton::clicked, this, &Frmuser::Cmdchange_Click);
    connect(Cmddelete, &QPushButton::clicked, this, &Frmuser::Cmddelete_Click);
    connect(Cmdexit, &QPushButton::clicked, this, &QWidget::close);
}

bool Frmuser::Form_Load()
{
    try {
        const QStringList columns = users().FieldNames();
        for (const QString& column : {nameColumn, passwordColumn, rankColumn}) {
            if (!columns.contains(column, Qt::CaseInsensitive)) {
                ui::MsgBox(QStringLiteral("用戶表中沒有“用戶名”、“口令”和“權限”三列，無法使用用戶維護窗口。\n"
                                          "請在“用戶設置及權限”中維護用戶。"),
                           48);
                return false;
            }
        }
        fillList();
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return false;
    }
    return true;
}

void Frmuser::fillList()
{
    const QSignalBlocker quiet(Cuser);
    const QString typed = Cuser->currentText();
    Cuser->clear();
    for (jet::Recordset rs = users(); !rs.Eof(); rs.MoveNext())
        Cuser->addItem(rs.Field(nameColumn).toString());
    Cuser->setEditText(typed);
}

bool Frmuser::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != Cuser || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    // Past ten characters only keys that shorten the name still pass.
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool shortens = key == Qt::Key_Backspace || key == Qt::Key_Delete;
    return Cuser->currentText().size() > MaxLength && !shortens;
}

void Frmuser::showOperator(const QString& name)
{
    try {
        jet::Recordset rs = findOperator(name.trimmed());
        if (rs.NoMatch())
            return;
        Tpasswd->setText(rs.Field(passwordColumn).toString());
        Option1[rs.Field(rankColumn).toInt() == Maintainer ? 0 : 1]->setChecked(true);
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
}

void Frmuser::Cuser_Change()
{
    Tpasswd->clear();
    showOperator(Cuser->currentText());
}

void Frmuser::Cuser_Click() { showOperator(Cuser->currentText()); }

int Frmuser::checkedRank()
{
    if (Cuser->currentText().trimmed().isEmpty()) {
        ui::MsgBox(QStringLiteral("請輸入用戶名!"), 48);
        return 0;
    }
    if (Tpasswd->text().trimmed().isEmpty() && ui::MsgBox(QStringLiteral("确信不要口令嗎?"), 4 + 32) != ui::vbYes)
        return 0;
    if (Tpasswd->text().size() > MaxLength) {
        ui::MsgBox(QStringLiteral("口令長度應小于等于10!"), 4 + 32);
        return 0;
    }
    if (!Option1[0]->isChecked() && !Option1[1]->isChecked()) {
        ui::MsgBox(QStringLiteral("請選擇權限!"), 48);
        return 0;
    }
    return Option1[0]->isChecked() ? Maintainer : Ordinary;
}

void Frmuser::store(jet::Recordset& rs, const QString& name, int rank)
{
    rs.SetField(nameColumn, name);
    rs.SetField(passwordColumn, Tpasswd->text());
    rs.SetField(rankColumn, rank);
    rs.Update();
}

void Frmuser::Cmdadd_Click()
{
    const int rank = checkedRank();
    if (!rank)
        return;
    const QString name = Cuser->currentText().trimmed();
    try {
        jet::Recordset rs = findOperator(name);
        if (!rs.NoMatch()) {
            ui::MsgBox(QStringLiteral("用戶已存在,不能添加!"), 48);
            return;
        }
        rs.AddNew();
        store(rs, name, rank);
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return;
    }
    Cuser->addItem(Cuser->currentText());
    ui::MsgBox(QStringLiteral("恭喜！添加成功！"));
}

jet::Recordset Frmuser::confirmedOperator(const QString& name, const QString& question, int style)
{
    jet::Recordset rs = findOperator(name);
    if (rs.NoMatch()) {
        ui::MsgBox(QStringLiteral("無此用戶"), 48);
        return {};
    }
    if (ui::MsgBox(question, style) != ui::vbYes)
        return {};
    return rs;
}

void Frmuser::Cmdchange_Click()
{
    const int rank = checkedRank();
    if (!rank)
        return;
    const QString name = Cuser->currentText().trimmed();
    try {
        jet::Recordset rs = confirmedOperator(name, QStringLiteral("确信要修改嗎?"), 4 + 32);
        if (!rs.isOpen())
            return;
        rs.Edit();
        store(rs, name, rank);
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return;
    }
    ui::MsgBox(QStringLiteral("修改完畢"), 48);
}

void Frmuser::Cmddelete_Click()
{
    const QString name = Cuser->currentText().trimmed();
    if (name.isEmpty()) {
        ui::MsgBox(QStringLiteral("請輸入用戶名!"), 48);
        return;
    }
    try {
        jet::Recordset rs = confirmedOperator(name, QStringLiteral("确信要刪除嗎?"), 4 + 32 + 256);
        if (!rs.isOpen())
            return;
        rs.Delete();
        fillList();
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return;
    }
    Tpasswd->clear();
    ui::MsgBox(QStringLiteral("此用戶已被刪除"), 48);
}
