#include "frmdec.h"

#include "app.h"
#include "dbfailure.h"
#include "named.h"
#include "exchanges.h"
#include "issuedcards.h"
#include "keys.h"
#include "msgbox.h"
#include "pick.h"
#include "recordset.h"
#include "selectionhint.h"
#include "sqlvalue.h"
#include "pointer.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

using ui::named;
using ui::pickBox;

// A typed address is one the controllers can have.
bool parseAddress(const QString& text, int* address)
{
    bool ok = false;
    const int a = text.trimmed().toInt(&ok);
    if (!ok || a < 0 || a > 99)
        return false;
    *address = a;
    return true;
}

bool isCardNumber(const QString& text)
{
    static const QRegularExpression six(QStringLiteral("^\\d{6}$"));
    return six.match(text).hasMatch();
}

}  // namespace

FrmDec::FrmDec(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmDec"));
    setWindowTitle(QStringLiteral("壓縮卡机"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    Form_Load();
}

void FrmDec::buildControls()
{
    Frame1 = named(new QGroupBox(QStringLiteral("選擇要刪除的部門、卡號、地址"), this), "Frame1");
    Option1 = named(new QRadioButton(QStringLiteral("卡號"), Frame1), "Option1");
    Option2 = named(new QRadioButton(QStringLiteral("地址"), Frame1), "Option2");
    Option3 = named(new QRadioButton(QStringLiteral("大廈"), Frame1), "Option3");
    Option1->setChecked(true);
    kh = pickBox(Frame1, "kh");
    // Pasted text meets the same rule as typed text: digits only, six at most.
    kh->lineEdit()->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,6}")), kh));
    dz = pickBox(Frame1, "dz");
    dz->lineEdit()->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,2}")), dz));
    bm = pickBox(Frame1, "bm");
    auto* choose = new QGridLayout(Frame1);
    choose->addWidget(Option1, 0, 0);
    choose->addWidget(kh, 0, 1);
    choose->addWidget(Option2, 1, 0);
    choose->addWidget(dz, 1, 1);
    choose->addWidget(Option3, 2, 0);
    choose->addWidget(bm, 2, 1);

    Frame5 = named(new QGroupBox(QStringLiteral("選擇要刪除的地址"), this), "Frame5");
    Frame9 = named(new QGroupBox(Frame5), "Frame9");
    Label12 = named(new QLabel(severalAddressesHint(), Frame9), "Label12");
    Label12->setWordWrap(true);
    (new QVBoxLayout(Frame9))->addWidget(Label12);
    Ldr = named(new QListWidget(Frame5), "Ldr");
    Ldr->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* targets = new QHBoxLayout(Frame5);
    targets->addWidget(Frame9);
    targets->addWidget(Ldr);

    Command1 = named(new QPushButton(QStringLiteral("刪除"), this), "Command1");
    Command2 = named(new QPushButton(QStringLiteral("退出"), this), "Command2");
    Label1 = named(new QLabel(this), "Label1");

    auto* grid = new QGridLayout(this);
    grid->addWidget(Frame1, 0, 0, 1, 2);
    grid->addWidget(Frame5, 0, 2, 2, 1);
    grid->addWidget(Command1, 1, 0);
    grid->addWidget(Command2, 1, 1);
    grid->addWidget(Label1, 2, 0, 1, 3);

    for (QComboBox* box : {kh, dz, bm}) {
        box->installEventFilter(this);
        box->lineEdit()->installEventFilter(this);
    }
    // Only a choice from the list preselects addresses, never a typed card.
    ui::onPick(kh, this, [this] { kh_Click(); });
    connect(kh, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (text.trimmed().size() >= 6)
            Command1->setFocus();
    });
    connect(Command1, &QPushButton::clicked, this, &FrmDec::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QWidget::close);
}

void FrmDec::Form_Load()
{
    try {
        jet::Recordset departments = app::db.OpenRecordset(QStringLiteral("select distinct 部門 from people"));
        for (; !departments.Eof(); departments.MoveNext()) {
            const QVariant d = departments.Field(0);
            if (d.isValid() && !d.isNull())
                bm->addItem(d.toString());
        }
        jet::Recordset issued = app::db.OpenRecordset(QStringLiteral("select distinct 卡號 from faka"));
        for (; !issued.Eof(); issued.MoveNext())
            kh->addItem(issued.Field(0).toString());
        jet::Recordset addresses = app::db.OpenRecordset(QStringLiteral("select distinct 地址 from faka"));
        for (; !addresses.Eof(); addresses.MoveNext()) {
            dz->addItem(addresses.Field(0).toString());
            Ldr->addItem(addresses.Field(0).toString());
        }
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
    for (QComboBox* box : {kh, dz, bm}) {
        box->setCurrentIndex(-1);
        box->setEditText(QString());
    }
    Comm = new serial::SerialPort(this);
    try {
        controller::configurePort(*Comm);
    } catch (const serial::PortError&) {
        // Settings the port refuses make every exchange fail, which the removal reports.
    }
}

bool FrmDec::eventFilter(QObject* watched, QEvent* event)
{
    const auto is = [watched](QComboBox* box) { return watched == box || watched == box->lineEdit(); };
    if (event->type() == QEvent::FocusIn) {
        if (is(kh))
            Option1->setChecked(true);
        else if (is(dz))
            Option2->setChecked(true);
        else if (is(bm))
            Option3->setChecked(true);
    }
    if (event->type() == QEvent::KeyPress && is(kh)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!ui::typesCharacter(key))
            return false;
        if (ui::isEnter(key)) {
            Command1->setFocus();
            return true;
        }
        if (key->key() == Qt::Key_Backspace)
            return false;
        if (!ui::typesDigit(key))
            return true;
        if (kh->currentText().trimmed().size() >= 6) {
            Command1->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FrmDec::closeEvent(QCloseEvent* event)
{
    // The window goes only between exchanges: a controller must never lose a
    // card that the database still records as issued to it.
    if (running)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

// Escape as well: the window is not taken away from under a waiting exchange.
void FrmDec::reject()
{
    if (!running)
        QDialog::reject();
}

void FrmDec::kh_Click()
{
    Ldr->clearSelection();
    try {
        jet::Recordset rs = app::db.OpenRecordset(
            QStringLiteral("select distinct doors.地址 from faka,doors where faka.地址=doors.地址 and faka.卡號=")
            + sql::text(kh->currentText().trimmed()));
        for (; !rs.Eof(); rs.MoveNext()) {
            const QString address = rs.Field(0).toString();
            for (int i = 0; i < Ldr->count(); ++i) {
                if (Ldr->item(i)->text() == address)
                    Ldr->item(i)->setSelected(true);
            }
        }
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
}

QList<int> FrmDec::targetAddresses() const
{
    QList<int> addresses;
    for (int i = 0; i < Ldr->count(); ++i) {
        if (Ldr->item(i)->isSelected())
            addresses << Ldr->item(i)->text().trimmed().toInt();
    }
    return addresses;
}

void FrmDec::Command1_Click()
{
    if (running)
        return;
    const app::CollectionHold held(QStringLiteral("壓縮卡机"));
    running = true;
    try {
        fakaRs = app::db.OpenRecordset(QStringLiteral("faka"), jet::dbOpenTable);
        fakaRs.SetIndex(QStringLiteral("primarykey"));
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        running = false;
        return;
    }
    if (Option1->isChecked())
        byCard();
    else if (Option2->isChecked())
        byAddress();
    else if (Option3->isChecked())
        byDepartment();
    running = false;
}

void FrmDec::byCard()
{
    const QString card = kh->currentText();
    if (card.isEmpty()) {
        ui::MsgBox(QStringLiteral("請選擇卡號！"), 0);
        kh->setFocus();
        return;
    }
    if (!isCardNumber(card)) {
        ui::MsgBox(QStringLiteral("卡號應為6位數字！"), 48);
        kh->setFocus();
        return;
    }
    const QList<int> addresses = targetAddresses();
    if (addresses.isEmpty()) {
        QApplication::beep();
        ui::MsgBox(QStringLiteral("請選擇目標門號！"), 48);
        return;
    }
    for (int a : addresses) {
        switch (removeCard(a, card)) {
        case Outcome::NotFound: ui::MsgBox(QStringLiteral("此卡沒有該門的發卡記錄！"), 0); break;
        case Outcome::Failed: ui::MsgBox(QStringLiteral("通訊出錯，刪除失敗！"), 48); break;
        case Outcome::Removed:
            ui::MsgBox(card + QStringLiteral("已從地址為") + QString::number(a) + QStringLiteral("的門中刪除"), 48);
            break;
        case Outcome::Unrecorded: break;
        case Outcome::Stop: return;
        }
    }
}

void FrmDec::byAddress()
{
    if (dz->currentText().isEmpty()) {
        ui::MsgBox(QStringLiteral("請選擇地址！"), 0);
        dz->setFocus();
        return;
    }
    int a = 0;
    if (!parseAddress(dz->currentText(), &a)) {
        ui::MsgBox(QStringLiteral("地址應為0到99的整數！"), 48);
        dz->setFocus();
        return;
    }
    QStringList issued;
    if (!cardsOf(QStringLiteral("select distinct 卡號 from faka where 地址=") + sql::number(qint64(a)), &issued)
        || issued.isEmpty())
        return;
    for (const QString& c : issued) {
        if (!removeInRun(a, c, c + QStringLiteral("已從地址為 ") + QString::number(a) + QStringLiteral(" 的門上刪除!")))
            return;
    }
    ui::MsgBox(QStringLiteral("刪除完畢！"), 0);
}

void FrmDec::byDepartment()
{
    const QString department = bm->currentText();
    if (department.isEmpty()) {
        ui::MsgBox(QStringLiteral("請選擇部門!"), 0);
        bm->setFocus();
        return;
    }
    const QList<int> addresses = targetAddresses();
    if (addresses.isEmpty()) {
        QApplication::beep();
        ui::MsgBox(QStringLiteral("請選擇刪除門號!"), 48);
        return;
    }
    QStringList issued;
    if (!cardsOf(QStringLiteral("select distinct 卡號 from fakapl where 部門=") + sql::text(department), &issued)
        || issued.isEmpty())
        return;
    for (const QString& c : issued) {
        for (int a : addresses) {
            if (!removeInRun(a, c, c + QStringLiteral("已從 ") + QString::number(a) + QStringLiteral(" 號門上刪除！")))
                return;
        }
    }
    ui::MsgBox(QStringLiteral("部門刪除完畢！"), 0);
}

bool FrmDec::cardsOf(const QString& select, QStringList* issued)
{
    try {
        jet::Recordset rs = app::db.OpenRecordset(select);
        for (; !rs.Eof(); rs.MoveNext())
            *issued << rs.Field(0).toString();
        return true;
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return false;
    }
}

// One pair of a removal over many cards: a failed exchange ends the run, and
// so does a removal the database refused to record.
bool FrmDec::removeInRun(int address, const QString& card, const QString& status)
{
    switch (removeCard(address, card)) {
    case Outcome::NotFound: return true;
    case Outcome::Removed: Label1->setText(status); return true;
    case Outcome::Failed: ui::MsgBox(QStringLiteral("通訊出錯，刪除失敗！"), 48); return false;
    case Outcome::Unrecorded:
    case Outcome::Stop: return false;
    }
    return false;
}

// One card at one address: the controller first, the database only after
// its echo. When the database then refuses the history and the delete, the
// operator learns which card at which address the controller no longer
// holds while the issued-card table still lists it.
FrmDec::Outcome FrmDec::removeCard(int address, const QString& card)
{
    QString stored;
    try {
        fakaRs.Seek(QStringLiteral("="), address, card);
        if (fakaRs.NoMatch())
            return Outcome::NotFound;
        stored = fakaRs.Field(QStringLiteral("卡號")).toString().trimmed();
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return Outcome::Stop;
    }
    ui::hourglass(true);
    const bool removed = controller::delfromdoor(*Comm, address, stored);
    ui::hourglass(false);
    if (!removed)
        return Outcome::Failed;
    const bool recorded = ui::storeAtomically(
        app::db, [&] { cardstore::archiveAndRemove(app::db, address, stored); },
        [&](const jet::DbError& e) {
            ui::MsgBox(QStringLiteral("地址 %1 的控制器已刪除卡 %2，但數據庫操作失敗：控制器中已沒有此卡，"
                                      "數據庫卻仍記錄它發到此地址。\n")
                               .arg(address)
                               .arg(stored)
                           + e.message(),
                       48);
        });
    return recorded ? Outcome::Removed : Outcome::Unrecorded;
}
