#include "frmabout.h"

#include "dispatch.h"
#include "frmsysinf.h"
#include "msgbox.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QVBoxLayout>

frmabout::frmabout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmabout"));
    setWindowTitle(QStringLiteral("關于---門禁管理系統"));
    lblTitle = new QLabel(QStringLiteral("門禁管理系統"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setAlignment(Qt::AlignCenter);
    QFont title = lblTitle->font();
    title.setPointSize(title.pointSize() * 2);
    lblTitle->setFont(title);
    Command1 = new QPushButton(QStringLiteral("硬件信息(&H)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Cmdok = new QPushButton(QStringLiteral("确     定(&O)"), this);
    Cmdok->setObjectName(QStringLiteral("Cmdok"));
    cmdSysInfo = new QPushButton(QStringLiteral("系統信息(&S)..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));

    auto* column = new QVBoxLayout(this);
    for (int i = 0; i < 2; ++i) {
        auto* line = new QFrame(this);
        line->setObjectName(QStringLiteral("Line1_%1").arg(i));
        line->setFrameShape(QFrame::HLine);
        column->addWidget(line);
        if (i == 0)
            column->addWidget(lblTitle);
    }
    for (QPushButton* b : {Cmdok, cmdSysInfo, Command1})
        column->addWidget(b);

    connect(Cmdok, &QPushButton::clicked, this, &frmabout::close);
    connect(Command1, &QPushButton::clicked, this, &frmabout::Command1_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmabout::cmdSysInfo_Click);

    adjustSize();
    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move((s.width() - width()) / 2, (s.height() - height()) / 2 + 13);  // 200 twips
    }
}

void frmabout::Command1_Click() {
    close();
    dispatch::showModal(new FrmSysInf);
}

void frmabout::cmdSysInfo_Click() { StartSysInfo(); }

QStringList frmabout::sysInfoPrograms() {
    return {QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
            QStringLiteral("gnome-system-monitor"), QStringLiteral("xfce4-taskmanager")};
}

void frmabout::StartSysInfo() {
    for (const QString& name : sysInfoPrograms()) {
        const QString program = QStandardPaths::findExecutable(name);
        if (!program.isEmpty() && QProcess::startDetached(program, {}))
            return;
    }
    ui::MsgBox(QStringLiteral("此時系統信息無效"));
}
