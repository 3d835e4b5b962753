#include "frmsjcjsz.h"

#include "app.h"
#include "dbfailure.h"
#include "menu.h"
#include "recordset.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include "timepicker.h"

#include <QTime>
#include <QTimeEdit>
#include <QTimer>

FrmSJCJSZ::FrmSJCJSZ(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmSJCJSZ"));
    setWindowTitle(QStringLiteral("數据采集設置"));
    Opt1[0] = new QRadioButton(QStringLiteral("自 動"), this);
    Opt1[1] = new QRadioButton(QStringLiteral("手 動"), this);
    Label1 = new QLabel(QStringLiteral("請選擇時間："), this);
    DTP1 = new ui::TimePicker(this);
    DTP1->setObjectName(QStringLiteral("DTP1"));
    DTP1->setDisplayFormat(QStringLiteral("HH:mm"));
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Command1 = new QPushButton(QStringLiteral("确 定"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("取 消"), this);
    Command2->setObjectName(QStringLiteral("Command2"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(Opt1[0], 0, 0);
    grid->addWidget(Opt1[1], 0, 1);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(DTP1, 1, 1);
    grid->addWidget(Label2, 2, 0, 1, 2);
    grid->addWidget(Label3, 3, 0, 1, 2);
    grid->addWidget(Command1, 4, 0);
    grid->addWidget(Command2, 4, 1);

    for (int i = 0; i < 2; ++i) {
        Opt1[i]->setObjectName(QStringLiteral("Opt1_%1").arg(i));
        connect(Opt1[i], &QRadioButton::clicked, this, &FrmSJCJSZ::Opt1_Click);
    }
    connect(Command1, &QPushButton::clicked, this, &FrmSJCJSZ::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FrmSJCJSZ::Command2_Click);
    Form_Load();
}

void FrmSJCJSZ::Form_Load()
{
    DTP1->setTime(QTime::currentTime());
    Label2->hide();
    Label3->hide();
    jet::Recordset rs;
    try {
        rs = app::db.OpenRecordset(QStringLiteral("cjtype"), jet::dbOpenTable);
    } catch (const jet::DbError&) {
        return;  // shown as a first use: nothing chosen yet
    }
    if (rs.Eof())
        return;
    rs.MoveFirst();
    Label2->show();
    Label3->show();
    Label2->setText(QStringLiteral("上次設定的時間：  ") + rs.Field(QStringLiteral("采集時間")).toString() +
                    QStringLiteral(":00"));
    if (rs.Field(QStringLiteral("采集類型")).toInt() == 1) {
        Opt1[0]->setChecked(true);
    } else {
        Opt1[1]->setChecked(true);
        DTP1->setEnabled(false);
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
        // Written through a handle of its own on the file, as the main
        // window's load reads it.
        jet::Database file = jet::OpenDatabase(app::databaseFile());
        jet::Recordset rs = file.OpenRecordset(QStringLiteral("cjtype"), jet::dbOpenTable);
        if (!rs.Eof()) {
            rs.MoveFirst();
            rs.Edit();
        } else {
            rs.AddNew();
        }
        rs.SetField(QStringLiteral("采集類型"), mode);
        rs.SetField(QStringLiteral("采集時間"), time);
        rs.Update();
        rs.Close();
        file.Close();
    } catch (const jet::DbError& e) {
        // The running schedule stays as it is, as stored.
        ui::reportDbFailure(e);
        return;
    }
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
