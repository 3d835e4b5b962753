#include "helpwindow.h"

#include "escape.h"
#include "msgbox.h"
#include "placement.h"
#include "programfolder.h"

#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("門禁管理系統 幫助"));
    Text1 = new QTextBrowser(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setOpenLinks(true);
    // A way out of its own, with or without a title bar: the window must
    // never stay over the menu for want of one.
    cmdclose = new QPushButton(QStringLiteral("關閉(&C)"), this);
    cmdclose->setObjectName(QStringLiteral("cmdclose"));
    connect(cmdclose, &QPushButton::clicked, this, &QWidget::close);
    ui::closeOnEscape(this);

    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 6);
    box->addWidget(Text1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdclose);
    buttons->setContentsMargins(0, 0, 6, 0);
    box->addLayout(buttons);
    resize(640, 520);
    ui::placeWhenShown(this);
}

bool HelpWindow::Form_Load()
{
    const QString path = platform::programFile(QStringLiteral("kestrom.hlp"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ui::MsgBox(QStringLiteral("找不到幫助文件 %1").arg(path), 48);
        return false;
    }
    Text1->setHtml(QString::fromUtf8(file.readAll()));
    return true;
}
