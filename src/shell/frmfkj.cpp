#include "frmfkj.h"

#include "app.h"
#include "dbfailure.h"
#include "msgbox.h"
#include "named.h"
#include "recordset.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString askAddress = QStringLiteral("請輸入一個發卡机地址（為0-99的整數）");

// The address becomes the first byte of the issuer's frames: a whole number 0 to 99.
bool validAddress(const QString& text, short& address)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0 || value > 99)
        return false;
    address = static_cast<short>(value);
    return true;
}

}  // namespace

frmfkj::frmfkj(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmfkj"));
    setWindowTitle(QStringLiteral("發卡机設置"));
    Label1 = new QLabel(QStringLiteral("發卡机地址："), this);
    fkjaddr = ui::pickBox(this, "fkjaddr");
    Command1 = new QPushButton(QStringLiteral("确認(&O)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(fkjaddr, 0, 1);
    grid->addWidget(Command1, 1, 1);

    // Keys and focus changes reach the combo box, which hands them to its
    // text part without passing them through that part's filters.
    fkjaddr->installEventFilter(this);
    connect(Command1, &QPushButton::clicked, this, &frmfkj::Command1_Click);
    Form_Load();
}

void frmfkj::Form_Load()
{
    try {
        jet::Recordset rs =
            app::db.OpenRecordset(QStringLiteral("select distinct 地址 from doors order by 地址"), jet::dbOpenDynaset);
        for (; !rs.Eof(); rs.MoveNext())
            fkjaddr->addItem(QString::number(rs.Field(0).toLongLong()));
        rs.Close();
    } catch (const jet::DbError&) {
        // Without the list the address can still be typed.
    }
    if (fkjaddr->count() > 0)
        fkjaddr->setCurrentIndex(0);
}

bool frmfkj::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != fkjaddr)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A message box or another window taking the focus is not leaving
        // the box; the button checks the address itself.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            QApplication::focusWidget() != Command1)
            fkjaddr_LostFocus();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        focusNextChild();
        return true;
    }
    // Tab and Shift+Tab move on as from any box; without them the box would
    // keep a keyboard-only operator from the button.
    const QString text = key->text();
    if (text.isEmpty() || key->key() == Qt::Key_Delete || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
        return false;  // moving and deleting keys type nothing
    return !(text.size() == 1 && text[0] >= u'0' && text[0] <= u'9');
}

void frmfkj::fkjaddr_LostFocus()
{
    if (!fkjaddr->currentText().isEmpty())
        return;
    QApplication::beep();
    ui::MsgBox(askAddress);
    fkjaddr->setFocus();
}

void frmfkj::Command1_Click()
{
    short address = 0;
    if (!validAddress(fkjaddr->currentText(), address)) {
        QApplication::beep();
        ui::MsgBox(askAddress);
        fkjaddr->setFocus();
        return;
    }
    try {
        jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("system"), jet::dbOpenDynaset);
        rs.FindFirst(QStringLiteral("name ='發卡机'"));
        if (rs.NoMatch()) {
            rs.AddNew();
            rs.SetField(QStringLiteral("name"), QStringLiteral("發卡机"));
        } else {
            rs.Edit();
        }
        rs.SetField(QStringLiteral("zhi"), address);
        rs.Update();
        rs.Close();
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return;
    }
    app::fkjdz = address;
    ui::MsgBox(QStringLiteral("發卡机設置成功！"));
    close();
}
