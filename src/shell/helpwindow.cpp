#include "helpwindow.h"

#include "msgbox.h"
#include "programfolder.h"

#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("門禁管理系統 幫助"));
    Text1 = new QTextBrowser(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setOpenLinks(true);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(Text1);
    resize(640, 520);
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
