#include "frmuser.h"

#include "app.h"
#include "msgbox.h"
#include "sqlvalue.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QString NameColumn = QStringLiteral("用戶名");
const QString PasswordColumn = QStringLiteral("口令");
const QString RankColumn = QStringLiteral("權限");

enum : int { Maintainer = 1, Ordinary = 3 };

QPushButton* button(const char* caption, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

}  // namespace

Frmuser::Frmuser(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Frmuser"));
    setWindowTitle(QStringLiteral("用戶維護"));
    Label1 = new QLabel(QStringLiteral("用戶名:"), this);
    Cuser = new QComboBox(this);
    Cuser->setObjectName(QStringLiteral("Cuser"));
    Cuser->setEditable(true);
    Cuser->setInsertPolicy(QComboBox::NoInsert);
    Label2 = new QLabel(QStringLiteral("口令:"), this);
    Tpasswd = new QLineEdit(this);
    Tpasswd->setObjectName(QStringLiteral("Tpasswd"));
    Tpasswd->setEchoMode(QLineEdit::Password);
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* ranks = new QVBoxLayout(Frame1);
    const char* captions[] = {"系統維護員", "一般用戶"};
    for (int i = 0; i < 2; ++i) {
        Option1[i] = new QRadioButton(QString::fromUtf8(captions[i]), Frame1);
        Option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        ranks->addWidget(Option1[i]);
    }
    Cmdadd = button("添加(&A)", "Cmdadd", this);
    Cmdchg = button("修改(&C)", "Cmdchg", this);
    Cmddel = button("刪除(&D)", "Cmddel", this);
    Cmdexit = button("退出(&X)", "Cmdexit", this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Cuser, 0, 1, 1, 3);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Tpasswd, 1, 1, 1, 3);
    grid->addWidget(Frame1, 2, 0, 1, 4);
    grid->addWidget(Cmdadd, 3, 0);
    grid->addWidget(Cmdchg, 3, 1);
    grid->addWidget(Cmddel, 3, 2);
    grid->addWidget(Cmdexit, 3, 3);

    Cuser->installEventFilter(this);
    connect(Cuser->lineEdit(), &QLineEdit::textEdited, this, &Frmuser::Cuser_Change);
    connect(Cuser, &QComboBox::activated, this, &Frmuser::lookUp);
    connect(Cmdadd, &QPushButton::clicked, this, &Frmuser::Cmdadd_Click);
    connect(Cmdchg, &QPushButton::clicked, this, &Frmuser::Cmdchg_Click);
    connect(Cmddel, &QPushButton::clicked, this, &Frmuser::Cmddel_Click);
    connect(Cmdexit, &QPushButton::clicked, this, &Frmuser::Cmdexit_Click);
}

bool Frmuser::Form_Load()
{
    QStringList columns;
    try {
        rs = app::db.OpenRecordset(QStringLiteral("user"), jet::dbOpenDynaset);
        columns = rs.FieldNames();
    } catch (const jet::DbError&) {
    }
    for (const QString& c : {NameColumn, PasswordColumn, RankColumn}) {
        if (!columns.contains(c, Qt::CaseInsensitive)) {
            rs.Close();
            ui::MsgBox(QStringLiteral("用戶表沒有用戶名、口令和權限三欄，不能在此維護用戶。"), 48);
            return false;
        }
    }
    fillList();
    return true;
}

void Frmuser::fillList()
{
    Cuser->clear();
    if (rs.Eof() && rs.Bof())  // no rows
        return;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
        Cuser->addItem(rs.Field(NameColumn).toString());
}

QString Frmuser::name() const { return Cuser->currentText().trimmed(); }

bool Frmuser::find()
{
    rs.FindFirst(NameColumn + QLatin1Char('=') + sql::text(name()));
    return !rs.NoMatch();
}

void Frmuser::lookUp()
{
    if (!find())
        return;
    Tpasswd->setText(rs.Field(PasswordColumn).toString());
    Option1[rs.Field(RankColumn).toInt() == Maintainer ? 0 : 1]->setChecked(true);
}

void Frmuser::Cuser_Change()
{
    Tpasswd->clear();
    lookUp();
}

bool Frmuser::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != Cuser || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    // A name is at most ten characters. Backspace still passes, so an
    // over-long name can be shortened again.
    auto* key = static_cast<QKeyEvent*>(event);
    const bool types = !key->text().isEmpty() && key->key() != Qt::Key_Backspace && key->key() != Qt::Key_Delete;
    return types && Cuser->currentText().size() > 10;
}

bool Frmuser::checked(int& rank)
{
    if (name().isEmpty()) {
        ui::MsgBox(QStringLiteral("請輸入用戶名!"), 48);
        return false;
    }
    if (Tpasswd->text().trimmed().isEmpty() && ui::MsgBox(QStringLiteral("确信不要口令嗎?"), 4 + 32) == ui::vbNo)
        return false;
    if (Tpasswd->text().size() > 10) {
        ui::MsgBox(QStringLiteral("口令長度應小于等于10!"), 4 + 32);
        return false;
    }
    if (!Option1[0]->isChecked() && !Option1[1]->isChecked()) {
        ui::MsgBox(QStringLiteral("請選擇權限!"), 48);
        return false;
    }
    rank = Option1[0]->isChecked() ? Maintainer : Ordinary;
    return true;
}

void Frmuser::store(int rank)
{
    rs.SetField(NameColumn, name());
    rs.SetField(PasswordColumn, Tpasswd->text());
    rs.SetField(RankColumn, rank);
    rs.Update();
}

void Frmuser::Cmdadd_Click()
{
    int rank = 0;
    if (!checked(rank))
        return;
    if (find()) {
        ui::MsgBox(QStringLiteral("用戶已存在,不能添加!"), 48);
        return;
    }
    rs.AddNew();
    store(rank);
    Cuser->addItem(Cuser->currentText());
    ui::MsgBox(QStringLiteral("恭喜！添加成功！"));
}

void Frmuser::Cmdchg_Click()
{
    int rank = 0;
    if (!checked(rank))
        return;
    if (!find()) {
        ui::MsgBox(QStringLiteral("無此用戶"), 48);
        return;
    }
    if (ui::MsgBox(QStringLiteral("确信要修改嗎?"), 4 + 32) != ui::vbYes)
        return;
    rs.Edit();
    store(rank);
    ui::MsgBox(QStringLiteral("修改完畢"), 48);
}

void Frmuser::Cmddel_Click()
{
    if (name().isEmpty()) {
        ui::MsgBox(QStringLiteral("請輸入用戶名!"), 48);
        return;
    }
    if (!find()) {
        ui::MsgBox(QStringLiteral("無此用戶"), 48);
        return;
    }
    if (ui::MsgBox(QStringLiteral("确信要刪除嗎?"), 4 + 32) != ui::vbYes)
        return;
    rs.Delete();
    fillList();
    Tpasswd->clear();
    ui::MsgBox(QStringLiteral("此用戶已被刪除"), 48);
}

void Frmuser::Cmdexit_Click()
{
    rs.Close();
    close();
}
