// The three operations of the card operations window and its card read.
#include "frmfk.h"

#include "app.h"
#include "cardentry.h"
#include "dbfailure.h"
#include "exchanges.h"
#include "msgbox.h"
#include "pointer.h"
#include "recordset.h"
#include "serialport.h"
#include "sqlvalue.h"
#include "windowkit.h"
#include "withdraw.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

namespace {

QString number(int address) { return QString::number(address); }

QString commFailed(int address) { return number(address) + QStringLiteral("號門通訊出錯"); }

// The database lists a card the controller no longer holds.
QString databaseAhead(int address, const QString& card)
{
    return QStringLiteral("卡號 ") + card + QStringLiteral(" 已不在 ") + number(address)
           + QStringLiteral(" 號門，但數據庫仍有它的記錄！");
}

bool tenDigits(const QString& text)
{
    return text.size() == 10 && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

}  // namespace

// One operation or card read under way: the buttons are held and a second
// press starts nothing; a close asked for meanwhile is carried out once the
// address under way is finished.
class FrmFK::Run {
public:
    explicit Run(FrmFK& window) : w(window), focused(QApplication::focusWidget())
    {
        w.running = true;
        hold(true);
    }
    ~Run()
    {
        hold(false);
        w.running = false;
        if (focused)
            focused->setFocus();
        if (w.closeAsked) {
            w.closeAsked = false;
            w.close();
        }
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

private:
    void hold(bool held)
    {
        for (QPushButton* b : {w.Cmdadd, w.cmdchg, w.cmddel, w.Command2, w.Command1})
            b->setEnabled(!held);
    }
    FrmFK& w;
    QPointer<QWidget> focused;
    const app::CollectionHold held{QStringLiteral("卡操作")};
};

FrmFK::Entered FrmFK::entered() const
{
    Entered e;
    e.card = Tkh->currentText().trimmed();
    e.physical = tcard->text().trimmed();
    e.terms = enteredTerms();
    e.holder = {e.card, Tname->text(), Cdw->text(), Tzhiwu->text(), tsfz->text()};
    for (int i = 0; i < dooraddr->count(); ++i)
        if (dooraddr->item(i)->isSelected())
            e.selected << i;
    return e;
}

cardstore::IssuedCard FrmFK::issuedAs(int address, const Entered& e) const
{
    cardstore::IssuedCard c = e.terms;
    c.address = address;
    c.card = e.card;
    c.physical = e.physical;
    return c;
}

void FrmFK::emptyEntryBoxes()
{
    for (QLineEdit* box : {Tname, Tzhiwu, Cdw, tsfz, tcard})
        box->clear();
    Tkh->setEditText(QString());
}

bool FrmFK::physicalTakenByAnother(const QString& physical, const QString& card)
{
    jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("select 卡號 from faka where 物理卡號=")
                                                  + sql::text(physical) + QStringLiteral(" and 卡號<>") + sql::text(card),
                                              jet::dbOpenSnapshot);
    return !rs.Eof();
}

bool FrmFK::add(frames::CardEntry entry)
{
    ui::hourglass(true);
    const bool added = controller::addtodoor(*Comm, entry, controller::cardIssueAdd, controller::windowHooks());
    ui::hourglass(false);
    return added;
}

bool FrmFK::remove(int address, const QString& card)
{
    ui::hourglass(true);
    const bool removed = controller::delfromdoor(*Comm, address, card);
    ui::hourglass(false);
    return removed;
}

// The controller no longer holds a card its row still stands for: the row
// goes into the returned-card history and leaves the store, as a delete's.
void FrmFK::forget(int address, const QString& card, const QString& told, int style)
{
    if (ui::storeAtomically(app::db, [&] { cardstore::archiveAndRemove(app::db, address, card); }))
        ui::MsgBox(told, style);
    else
        ui::MsgBox(databaseAhead(address, card), 48);
}

// ---- card read ----

void FrmFK::Command1_Click()
{
    if (running)
        return;
    Run run(*this);
    tcard->clear();
    if (const auto physical = controller::ReadCard(*Comm, app::fkjdz, controller::windowHooks()))
        tcard->setText(*physical);
}

// ---- issue ----

bool FrmFK::issueChecks(Entered& e)
{
    if (e.card.isEmpty()) {
        ui::MsgBox(QStringLiteral("請輸入卡號！"), 0);
        return false;
    }
    // The box takes digits only, but a number picked from the list is the
    // personnel record's as stored.
    if (cardNumberRefused(e.card))
        return false;
    if (tcard->text().isEmpty()) {
        ui::MsgBox(QStringLiteral("請刷卡后，按讀卡讀入卡號"), 48);
        return false;
    }
    // Stored as the controller holds it: padded to ten digits.
    const auto padded = frames::paddedPhysical(e.physical);
    if (!padded) {
        ui::MsgBox(QStringLiteral("物理卡號應為10位整數，如'0000000001'"), 48);
        return false;
    }
    e.physical = *padded;
    if (dooraddr->count() == 0) {
        QApplication::beep();
        ui::MsgBox(QStringLiteral("請先在門鎖設置處設置門鎖地址"), 0);
        return false;
    }
    if (e.selected.isEmpty()) {
        QApplication::beep();
        ui::MsgBox(QStringLiteral("請選擇門鎖地址"), 0);
        dooraddr->setFocus();
        return false;
    }
    if (physicalTakenByAnother(e.physical, e.card)) {
        ui::MsgBox(QStringLiteral("物理卡號已經存在！"), 0);
        return false;
    }
    // Card issue leaves the time order to a date window when one is ticked.
    return windowChecks(!Ch[0]->isChecked());
}

// The window checks issue and change share, in their order.
bool FrmFK::windowChecks(bool timeOrderTested)
{
    if (timeOrderTested && Ch[2]->isChecked() && timeOrderWrong()) {
        ui::MsgBox(QStringLiteral("時間輸入錯誤"), 48);
        return false;
    }
    if (midnightInTimeWindow()) {
        ui::MsgBox(midnightRefused(), 48);
        return false;
    }
    if (Ch[0]->isChecked() && dateOrderWrong()) {
        QApplication::beep();
        ui::MsgBox(QStringLiteral("日期有錯"), 48);
        ddate[0]->setDate(ddate[1]->date());
        return false;
    }
    if (Ch[1]->isChecked() && weekdayOrderWrong()) {
        ui::MsgBox(QStringLiteral("星期輸入錯誤"), 48);
        return false;
    }
    return true;
}

// An operation's checks read the database too; one it can't read stops
// the operation like a failed check, with the engine's words.
bool FrmFK::checksPass(const std::function<bool()>& checks)
{
    try {
        return checks();
    } catch (const jet::DbError& error) {
        ui::reportDbFailure(error);
        return false;
    }
}

void FrmFK::Cmdadd_Click()
{
    if (running)
        return;
    Entered e = entered();
    if (!checksPass([&] { return issueChecks(e); }))
        return;
    Run run(*this);
    const int last = dooraddr->count() - 1;
    for (int i : e.selected) {
        const int address = dooraddr->item(i)->text().toInt();
        bool issued = false;
        try {
            issued = cardstore::isIssuedAt(app::db, address, e.card);
        } catch (const jet::DbError& error) {
            ui::reportDbFailure(error);
            break;
        }
        if (issued)
            ui::MsgBox(e.card + QStringLiteral("可以開地址為") + number(address) + QStringLiteral("的門!"), 48);
        else if (issueAt(address, e) && i == last)
            emptyEntryBoxes();
        if (closeAsked)
            break;
    }
    listPeopleCards();
}

bool FrmFK::issueAt(int address, const Entered& e)
{
    const cardstore::IssuedCard card = issuedAs(address, e);
    if (!add(cardEntry(card))) {
        ui::MsgBox(commFailed(address), 0);
        return false;
    }
    if (!ui::storeAtomically(app::db, [&] {
            cardstore::insertIssued(app::db, card);
            cardstore::writeHolder(app::db, e.holder);
        })) {
        withdrawUnstored(address, e.card, [&] { return remove(address, e.card); });
        return false;
    }
    ui::MsgBox(QStringLiteral("卡號 ") + e.card + QStringLiteral(" 已經添加,它能開 ") + number(address)
                   + QStringLiteral(" 號門"),
               48);
    return true;
}

// ---- change ----

bool FrmFK::changeChecks(Entered& e)
{
    if (physicalTakenByAnother(frames::paddedPhysical(e.physical).value_or(e.physical), e.card)) {
        ui::MsgBox(QStringLiteral("物理卡號已經存在！"), 0);
        return false;
    }
    const QString typed = tcard->text();
    const std::pair<bool, const char*> refusals[] = {
        {Tkh->currentText().isEmpty(), "請輸入卡號"},
        {typed.isEmpty(), "請輸入物理卡號"},
        {typed.size() != 10, "請按'讀卡'按扭讀入卡號"},
        {!tenDigits(typed), "物理卡號應為10位整數，如'0000000001'"},
    };
    for (const auto& [refused, text] : refusals)
        if (refused) {
            ui::MsgBox(QString::fromUtf8(text), 48);
            return false;
        }
    if (e.selected.isEmpty()) {
        ui::MsgBox(QStringLiteral("請選擇要修改的地址！"), 0);
        return false;
    }
    if (!windowChecks(true))
        return false;
    if (!cardstore::isIssued(app::db, e.card)) {
        ui::MsgBox(QStringLiteral("該卡號沒有發卡記錄!"), 0);
        return false;
    }
    return !cardNumberRefused(e.card);
}

void FrmFK::cmdchg_Click()
{
    if (running)
        return;
    Entered e = entered();
    if (!checksPass([&] { return changeChecks(e); }))
        return;
    Run run(*this);
    for (int i = 0; i < dooraddr->count() && !closeAsked; ++i) {
        if (e.selected.contains(i))
            changeAt(dooraddr->item(i)->text(), e);
        if (i == dooraddr->count() - 1)
            emptyEntryBoxes();
    }
}

void FrmFK::changeAt(const QString& entry, const Entered& e)
{
    int address = 0;
    try {
        jet::Recordset row = app::db.OpenRecordset(QStringLiteral("select * from faka where 地址=")
                                                   + sql::number(entry.toLongLong()) + QStringLiteral(" and 卡號=")
                                                   + sql::text(e.card));
        if (row.Eof()) {
            ui::MsgBox(QStringLiteral("該卡在門") + entry + QStringLiteral("沒有發卡記錄"), 0);
            return;
        }
        address = row.Field(QStringLiteral("地址")).toInt();
    } catch (const jet::DbError& error) {
        ui::reportDbFailure(error);
        return;
    }
    if (!remove(address, e.card)) {
        ui::MsgBox(commFailed(address), 0);
        return;
    }
    const cardstore::IssuedCard card = issuedAs(address, e);
    if (!add(cardEntry(card))) {
        forget(address, e.card,
               commFailed(address) + QStringLiteral("，卡號 ") + e.card + QStringLiteral(" 已從該門刪除，請重新發卡！"), 0);
        return;
    }
    if (!ui::storeAtomically(app::db, [&] {
            cardstore::removeIssued(app::db, address, e.card);
            cardstore::insertIssued(app::db, card);
            cardstore::writeHolder(app::db, e.holder);
        })) {
        // The controller holds the new terms, the database the old ones.
        if (remove(address, e.card))
            forget(address, e.card,
                   QStringLiteral("卡號 ") + e.card + QStringLiteral(" 未能存入數據庫，已從 ") + number(address)
                       + QStringLiteral(" 號門刪除，請重新發卡！"),
                   48);
        else
            ui::MsgBox(controllerAhead(address, e.card), 48);
        return;
    }
    ui::MsgBox(QStringLiteral("卡號 ") + e.card + QStringLiteral(" 已經在") + number(address)
                   + QStringLiteral(" 號門修改成功！"),
               48);
}

// ---- delete ----

bool FrmFK::deleteChecks(const Entered& e)
{
    const QString typed = tcard->text();
    const std::pair<bool, const char*> refusals[] = {
        {Tkh->currentText().isEmpty(), "請輸入卡號"},
        {typed.isEmpty(), "請輸入卡號"},
        {typed.size() != 10, "請按'讀卡'按扭讀入卡號"},
        {!tenDigits(typed), "卡號應為10位整數，如'0000000001'"},
    };
    for (const auto& [refused, text] : refusals)
        if (refused) {
            ui::MsgBox(QString::fromUtf8(text), 48);
            return false;
        }
    if (!cardstore::isIssued(app::db, e.card)) {
        ui::MsgBox(QStringLiteral("找不到該卡號對應的門號"), 0);
        return false;
    }
    if (cardNumberRefused(e.card))
        return false;
    if (e.selected.isEmpty()) {
        QApplication::beep();
        ui::MsgBox(QStringLiteral("請選擇從哪個門刪除"), 48);
        return false;
    }
    return true;
}

void FrmFK::cmddel_Click()
{
    if (running)
        return;
    const Entered e = entered();
    if (!checksPass([&] { return deleteChecks(e); }))
        return;
    Run run(*this);
    for (int i : e.selected) {
        deleteAt(dooraddr->item(i)->text().toInt(), e);
        if (closeAsked)
            break;
    }
    emptyEntryBoxes();
    resetWindowValues();
}

void FrmFK::deleteAt(int address, const Entered& e)
{
    cardstore::IssuedCard stored;
    try {
        jet::Recordset row = app::db.OpenRecordset(QStringLiteral("select * from faka where 地址=")
                                                   + sql::number(qint64(address)) + QStringLiteral(" and 卡號=")
                                                   + sql::text(e.card));
        if (row.Eof())
            return;
        stored = cardstore::fromRow(row);
    } catch (const jet::DbError& error) {
        ui::reportDbFailure(error);
        return;
    }
    if (!remove(address, e.card)) {
        // Which address, so that the operator knows where to delete again.
        ui::MsgBox(QStringLiteral("通信出錯!\n未能從地址為") + number(address) + QStringLiteral("的門中刪除"), 48);
        return;
    }
    if (ui::storeAtomically(app::db, [&] { cardstore::archiveAndRemove(app::db, address, e.card); })) {
        ui::MsgBox(e.physical + QStringLiteral("已從地址為") + number(address) + QStringLiteral("的門中刪除"), 48);
        return;
    }
    // The database still lists the card: the controller gets it back.
    if (add(cardEntry(stored)))
        ui::MsgBox(QStringLiteral("卡號 ") + e.card + QStringLiteral(" 未能從數據庫刪除，已重新加入 ") + number(address)
                       + QStringLiteral(" 號門！"),
                   48);
    else
        ui::MsgBox(databaseAhead(address, e.card), 48);
}
