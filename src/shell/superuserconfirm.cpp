#include "superuserconfirm.h"

#include "app.h"
#include "dispatch.h"
#include "frmspe.h"
#include "msgbox.h"
#include "recordset.h"
#include "sqlvalue.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Frmspecial::Frmspecial(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Frmspecial"));
    setWindowTitle(QStringLiteral("特殊情況處理"));
    Tuser = new QLineEdit(this);
    Tuser->setObjectName(QStringLiteral("Tuser"));
    Tpasswd = new QLineEdit(this);
    Tpasswd->setObjectName(QStringLiteral("Tpasswd"));
    Tpasswd->setEchoMode(QLineEdit::Password);
    Cmdok = new QPushButton(QStringLiteral("确  認"), this);
    Cmdok->setObjectName(QStringLiteral("Cmdok"));
    Cmdexit = new QPushButton(QStringLiteral("返  回"), this);
    Cmdexit->setObjectName(QStringLiteral("Cmdexit"));
    for (QPushButton* b : {Cmdok, Cmdexit})
        b->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("超級用戶："), this), 0, 0);
    grid->addWidget(Tuser, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("口令："), this), 1, 0);
    grid->addWidget(Tpasswd, 1, 1);
    grid->addWidget(Cmdok, 2, 0);
    grid->addWidget(Cmdexit, 2, 1);
    setTabOrder(Tuser, Tpasswd);
    setTabOrder(Tpasswd, Cmdok);
    setTabOrder(Cmdok, Cmdexit);
    for (QWidget* w : {static_cast<QWidget*>(Tuser), static_cast<QWidget*>(Tpasswd), static_cast<QWidget*>(Cmdok)})
        w->installEventFilter(this);

    connect(Cmdok, &QPushButton::clicked, this, &Frmspecial::Cmdok_Click);
    connect(Cmdexit, &QPushButton::clicked, this, &Frmspecial::close);
}

void Frmspecial::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Tuser->setFocus();
}

bool Frmspecial::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // As at log-in: Enter moves on from the boxes and presses 确認 once it has the focus.
            if (watched == Cmdok)
                Cmdok_Click();
            else
                (watched == Tuser ? static_cast<QWidget*>(Tpasswd) : Cmdok)->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Frmspecial::Cmdok_Click() {
    const QString name = Tuser->text().trimmed();
    const QString password = Tpasswd->text().trimmed();
    bool confirmed = false;
    // A NUL character (pasted) can't stand in a statement; no stored name holds one.
    if (!name.contains(QChar::Null) && !password.contains(QChar::Null)) {
        // Quoted values: a typed apostrophe is part of a name no operator has.
        jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("select * from user where sysname=") + sql::text(name) +
                                                      QStringLiteral(" and syspword=") + sql::text(password) +
                                                      QStringLiteral(" and r24=true"),
                                                  jet::dbOpenDynaset);
        confirmed = !rs.Eof();
        rs.Close();
    }
    if (!confirmed) {
        ui::MsgBox(QStringLiteral("用戶或口令錯或不具備該操作的權限"), 48);
        return;
    }
    close();
    dispatch::showModeless(new Frmspe);
}
