#include "login.h"

#include "app.h"
#include "dbfailure.h"
#include "schemacheck.h"
#include "menu.h"
#include "msgbox.h"
#include "program.h"
#include "recordset.h"
#include "rights.h"
#include "sqlvalue.h"
#include "working.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <optional>

login::login(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("login"));
    setWindowTitle(QStringLiteral("login           門禁管理系統"));
    Tuser = new QLineEdit(this);
    Tuser->setObjectName(QStringLiteral("Tuser"));
    tpasswd = new QLineEdit(this);
    tpasswd->setObjectName(QStringLiteral("tpasswd"));
    tpasswd->setEchoMode(QLineEdit::Password);
    Cmdok = new QPushButton(QStringLiteral("确 認"), this);
    Cmdok->setObjectName(QStringLiteral("Cmdok"));
    cmdexit = new QPushButton(QStringLiteral(" 退 出 "), this);
    cmdexit->setObjectName(QStringLiteral("cmdexit"));
    Label1 = new QLabel(QStringLiteral("用戶名:"), this);
    Label2 = new QLabel(QStringLiteral("口  令:"), this);
    Label3 = new QLabel(QStringLiteral("注： 用戶名和口令不能超過10個字符"), this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Tuser, 0, 1, 1, 2);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(tpasswd, 1, 1, 1, 2);
    grid->addWidget(Label3, 2, 0, 1, 3);
    grid->addWidget(Cmdok, 3, 1);
    grid->addWidget(cmdexit, 3, 2);
    setTabOrder(Tuser, tpasswd);
    setTabOrder(tpasswd, Cmdok);
    setTabOrder(Cmdok, cmdexit);

    for (QWidget* w : {static_cast<QWidget*>(Tuser), static_cast<QWidget*>(tpasswd), static_cast<QWidget*>(Cmdok)})
        w->installEventFilter(this);
    connect(Cmdok, &QPushButton::clicked, this, &login::Cmdok_Click);
    connect(cmdexit, &QPushButton::clicked, this, &login::cmdexit_Click);
    setAttribute(Qt::WA_DeleteOnClose);
}

bool login::Form_Load()
{
    app::dbpwd = QStringLiteral("qalvendrits");
    app::connstr = app::connectString(app::dbpwd);
    QString failure;
    try {
        app::db = jet::OpenDatabase(QString(), false, false, app::connstr);
        // Every window takes the installed tables, columns and indexes for granted.
        failure = dbfile::schemaMismatch(app::databaseFile());
        std::optional<ui::Working> indexing;
        if (failure.isEmpty())
            failure = dbfile::makeMissingIndexes(app::databaseFile(), [&] {
                indexing.emplace(QStringLiteral("正在建立數據庫索引，請稍候…"));
            });
    } catch (const jet::DbError& e) {
        failure = e.message();
    }
    if (failure.isEmpty()) {
        // Told now, not at the first store of some window.
        if (const QString closed = jet::writeRefusal(app::databaseFile()); !closed.isEmpty())
            ui::MsgBox(closed + QStringLiteral("\n程序可以查看數據，但不能保存任何改動。"), 48);
        return true;
    }
    app::db.Close();
    ui::MsgBox(QStringLiteral("無法打開數據庫文件 %1\n%2\n\n程序將退出。").arg(app::databaseFile(), failure), 16);
    return false;
}

void login::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Tuser->setFocus();
}

bool login::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (watched == Tuser && enter) {
        tpasswd->setFocus();
        return true;
    }
    if (watched == tpasswd && enter) {
        Cmdok->setFocus();
        return true;
    }
    if (watched == Cmdok && enter) {
        Cmdok_Click();
        return true;
    }
    if (watched == Cmdok && key == Qt::Key_Escape) {
        cmdexit_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void login::Cmdok_Click() { checkuser(); }

void login::cmdexit_Click() { platform::endProgram(); }

void login::checkuser()
{
    const QString name = Tuser->text().trimmed();
    const QString password = tpasswd->text().trimmed();
    jet::Recordset rs;
    bool found = false;
    // A NUL character (pasted) can't stand in a statement; no stored name holds one.
    if (!name.contains(QChar::Null) && !password.contains(QChar::Null)) {
        try {
            rs = app::db.OpenRecordset(QStringLiteral("user"), jet::dbOpenDynaset);
            // The values are quoted, so an apostrophe typed in either box is
            // only a character of a name that doesn't exist.
            rs.FindFirst(QStringLiteral("sysname=") + sql::text(name) + QStringLiteral("And syspword=") + sql::text(password));
            found = !rs.NoMatch();
        } catch (const jet::DbError& e) {
            ui::reportDbFailure(e);  // the file locked by another program, for one
            Tuser->setFocus();
            return;
        }
    }
    if (!found) {
        ui::MsgBox(QStringLiteral("用戶名或口令有錯,請重輸"), 48);
        rs.Close();
        Tuser->setFocus();
        return;
    }
    app::curuser = rs.Field(QStringLiteral("sysname")).toString();
    app::loginok = 1;
    for (int n = 0; n < 25; ++n) {
        const QVariant right = rs.Field(QStringLiteral("r%1").arg(n));
        menu::instance()->setEntryEnabled(rights::entryOf[n], right.isValid() && right.toBool());
    }
    rs.Close();
    menu* main = menu::instance();
    close();
    main->show();
}
