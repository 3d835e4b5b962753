#include "frmsjcjsz.h"

#include "app.h"
#include "menu.h"
#include "msgbox.h"
#include "recordset.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

FrmSJCJSZ::FrmSJCJSZ(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmSJCJSZ"));
    setWindowTitle(QStringLiteral("數据采集設置"));
    auto* frame = new QGroupBox(this);
    auto* options = new QVBoxLayout(frame);
    const char* captions[] = {"自 動", "手 動"};
    for (int i = 0; i < 2; ++i) {
        Opt1[i] = new QRadioButton(QString::fromUtf8(captions[i]), frame);
        Opt1[i]->setObjectName(QStringLiteral("Opt1_%1").arg(i));
        options->addWidget(Opt1[i]);
        connect(Opt1[i], &QRadioButton::clicked, this, &FrmSJCJSZ::Opt1_Click);
    }
    Label1 = new QLabel(QStringLiteral("請選擇時間："), this);
    DTP1 = new QTimeEdit(this);
    DTP1->setObjectName(QStringLiteral("DTP1"));
    DTP1->setDisplayFormat(QStringLiteral("HH:mm"));
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label2->hide();
    Label3->hide();
    Command1 = new QPushButton(QStringLiteral("确 定"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("取 消"), this);
    Command2->setObjectName(QStringLiteral("Command2"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(frame, 0, 0, 1, 2);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(DTP1, 1, 1);
    grid->addWidget(Label2, 2, 0, 1, 2);
    grid->addWidget(Label3, 3, 0, 1, 2);
    grid->addWidget(Command1, 4, 0);
    grid->addWidget(Command2, 4, 1);

    connect(Command1, &QPushButton::clicked, this, &FrmSJCJSZ::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FrmSJCJSZ::Command2_Click);
    Form_Load();
}

void FrmSJCJSZ::Form_Load()
{
    DTP1->setTime(QTime::currentTime());
    jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("cjtype"), jet::dbOpenTable);
    if (rs.RecordCount() > 0) {
        rs.MoveFirst();
        Label2->show();
        Label3->show();
        Label2->setText(QStringLiteral("上次設定的時間：  ") + rs.Field(QStringLiteral("采集時間")).toString()
                        + QStringLiteral(":00"));
        if (rs.Field(QStringLiteral("采集類型")).toInt() == 1) {
            Opt1[0]->setChecked(true);
        } else {
            Opt1[1]->setChecked(true);
            DTP1->setEnabled(false);
        }
    }
    rs.Close();
}

void FrmSJCJSZ::Opt1_Click() { DTP1->setEnabled(Opt1[0]->isChecked()); }

void FrmSJCJSZ::Command1_Click()
{
    const bool automatic = Opt1[0]->isChecked();
    const short mode = automatic ? 1 : 0;
    const QString time = automatic ? DTP1->time().toString(QStringLiteral("HH:mm")) : QStringLiteral("0");
    try {
        jet::Database byPath = jet::OpenDatabase(app::databaseFile());
        jet::Recordset rs = byPath.OpenRecordset(QStringLiteral("cjtype"), jet::dbOpenTable);
        if (rs.RecordCount() > 0) {
            rs.MoveFirst();
            rs.Edit();
        } else {
            rs.AddNew();
        }
        rs.SetField(QStringLiteral("采集類型"), mode);
        rs.SetField(QStringLiteral("采集時間"), time);
        rs.Update();
        rs.Close();
        byPath.Close();
    } catch (const jet::DbError& e) {
        ui::MsgBox(QStringLiteral("采集設置未能保存：") + e.message(), 48);
        return;
    }
    // The running program follows the stored schedule at once. Without a
    // main window there is no timer yet: its load arms it from these values.
    app::cjmode = mode;
    app::cjtime = time;
    if (menu::isLoaded()) {
        if (automatic)
            menu::instance()->Timer1->start();
        else
            menu::instance()->Timer1->stop();
    }
    close();
}

void FrmSJCJSZ::Command2_Click() { close(); }
