#include "frmfkj.h"

#include "app.h"
#include "msgbox.h"
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

const QString AddressPrompt = QStringLiteral("請輸入一個發卡机地址（為0-99的整數）");

}  // namespace

frmfkj::frmfkj(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmfkj"));
    setWindowTitle(QStringLiteral("發卡机設置"));
    Label1 = new QLabel(QStringLiteral("發卡机地址："), this);
    fkjaddr = new QComboBox(this);
    fkjaddr->setObjectName(QStringLiteral("fkjaddr"));
    fkjaddr->setEditable(true);
    fkjaddr->setInsertPolicy(QComboBox::NoInsert);
    Command1 = new QPushButton(QStringLiteral("确認(&O)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(fkjaddr, 0, 1);
    grid->addWidget(Command1, 1, 1);
    setTabOrder(fkjaddr, Command1);

    fkjaddr->installEventFilter(this);
    connect(Command1, &QPushButton::clicked, this, &frmfkj::Command1_Click);
    Form_Load();
}

void frmfkj::Form_Load()
{
    jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("select distinct 地址 from doors"), jet::dbOpenSnapshot);
    while (!rs.Eof()) {
        const QVariant address = rs.Field(0);
        if (address.isValid())
            fkjaddr->addItem(QString::number(address.toLongLong()));
        rs.MoveNext();
    }
    rs.Close();
    if (fkjaddr->count() > 0)
        fkjaddr->setCurrentIndex(0);
}

bool frmfkj::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != fkjaddr)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Only the operator moving on counts as leaving; a message box or
        // another window coming up does not.
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason)
            fkjaddr_LostFocus();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
        return false;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        focusNextChild();
        return true;
    }
    // Keys that type a character: only digits pass. Moving and deleting
    // within the text type nothing and keep working.
    const QString text = key->text();
    if (text.isEmpty() || key->key() == Qt::Key_Delete)
        return false;
    const bool digit = text.size() == 1 && text[0] >= QLatin1Char('0') && text[0] <= QLatin1Char('9');
    return !digit;
}

void frmfkj::fkjaddr_LostFocus()
{
    if (inLostFocus || !fkjaddr->currentText().isEmpty())
        return;
    inLostFocus = true;
    QApplication::beep();
    ui::MsgBox(AddressPrompt);
    fkjaddr->setFocus();
    inLostFocus = false;
}

void frmfkj::Command1_Click()
{
    // The address is the first byte of every frame to the issuer, so only a
    // controller address will do.
    bool ok = false;
    const int address = fkjaddr->currentText().trimmed().toInt(&ok);
    if (!ok || address < 0 || address > 99) {
        ui::MsgBox(AddressPrompt);
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
        ui::MsgBox(QStringLiteral("發卡机地址未能保存：") + e.message(), 48);
        return;
    }
    app::fkjdz = static_cast<short>(address);
    ui::MsgBox(QStringLiteral("發卡机設置成功！"));
    close();
}
