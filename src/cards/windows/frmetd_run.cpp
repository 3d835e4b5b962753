// The extension run: every card of the chosen source to every target.
#include "frmetd.h"

#include "app.h"
#include "cardentry.h"
#include "dbfailure.h"
#include "exchanges.h"
#include "msgbox.h"
#include "recordset.h"
#include "serialport.h"
#include "sqlvalue.h"
#include "withdraw.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <optional>

// A run under way: the buttons are held and the progress shown; a close
// asked for meanwhile takes effect at the next pair, and the window closes
// when the run has ended. The bar counts the pairs that are at their target
// (added now, or found there): a pair that failed leaves it short. A pair
// met again (a department's card comes once per address it is held at)
// counts once, as it ended.
class FrmEtD::Run {
public:
    Run(FrmEtD& window, int pairs) : w(window)
    {
        w.running = true;
        w.Command1->setEnabled(false);
        w.Command2->setEnabled(false);
        w.Progress->setRange(0, pairs);
        w.Progress->setValue(0);
        w.Progress->setVisible(true);
    }
    ~Run()
    {
        w.Progress->setVisible(false);
        w.Command1->setEnabled(true);
        w.Command2->setEnabled(true);
        w.running = false;
        if (w.closeAsked) {
            w.closeAsked = false;
            w.reject();
        }
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    // One pair: nothing when the controller holds the card already (neither
    // added nor failed), otherwise what its extension came to. A pair
    // skipped was not added: the operator passed the silent controller
    // over, or the database refused its row.
    std::optional<Outcome> pair(const Pair& p)
    {
        if (cardstore::isIssuedAt(app::db, p.address, p.card)) {
            settle(p, Final::There);
            return std::nullopt;
        }
        const Outcome outcome = w.extend(p);
        if (outcome == Outcome::Extended)
            settle(p, Final::Added);
        else if (outcome == Outcome::Skipped)
            settle(p, Final::Failed);
        return outcome;
    }
    bool stopAsked() const { return w.closeAsked; }

    // The closing words of a run that went through all its pairs.
    QString figures() const
    {
        int failed = 0;
        QStringList at;
        for (auto it = failedAt.cbegin(); it != failedAt.cend(); ++it) {
            failed += it.value();
            at << QStringLiteral("地址 %1 有 %2 次").arg(it.key()).arg(it.value());
        }
        QString text = QStringLiteral("添加完畢！\n成功添加 %1 次，失敗 %2 次").arg(added).arg(failed);
        if (!at.isEmpty())
            text += QStringLiteral("：") + at.join(QStringLiteral("，"));
        return text + QStringLiteral("。");
    }

private:
    enum class Final { There, Added, Failed };

    void settle(const Pair& p, Final now)
    {
        const std::pair<QString, int> key{p.card, p.address};
        if (const auto it = finals.constFind(key); it != finals.cend()) {
            // Added earlier in this run, the pair is found there now.
            if (*it == Final::Added && now == Final::There)
                return;
            tally(p.address, *it, -1);
        }
        finals.insert(key, now);
        tally(p.address, now, 1);
        w.Progress->setValue(there + added);
    }
    void tally(int address, Final f, int by)
    {
        switch (f) {
        case Final::There: there += by; break;
        case Final::Added: added += by; break;
        case Final::Failed:
            if ((failedAt[address] += by) == 0)
                failedAt.remove(address);
            break;
        }
    }

    FrmEtD& w;
    QMap<std::pair<QString, int>, Final> finals;  // by card and target
    int there = 0;
    const app::CollectionHold held{QStringLiteral("增擴卡机")};
    int added = 0;
    QMap<int, int> failedAt;  // pairs not added, by target address
};

QList<int> FrmEtD::targets() const
{
    QList<int> out;
    for (int i = 0; i < Ldr->count(); ++i)
        if (Ldr->item(i)->isSelected())
            out << Ldr->item(i)->text().toInt();
    return out;
}

bool FrmEtD::targetsChosen()
{
    if (!targets().isEmpty())
        return true;
    ui::MsgBox(QStringLiteral("請選擇目的門號地址!"), 0);
    Ldr->setFocus();
    return false;
}

bool FrmEtD::runChecks()
{
    Label1->clear();
    if (Ch[0]->isChecked() && dateOrderWrong()) {
        ui::MsgBox(QStringLiteral("日期選擇錯誤！"), 0);
        return false;
    }
    if (Ch[1]->isChecked() && weekdayOrderWrong()) {
        ui::MsgBox(QStringLiteral("星期選擇錯誤！"), 0);
        return false;
    }
    // With a weekday window the time order is left alone: a night window is meant.
    if (Ch[2]->isChecked() && !Ch[1]->isChecked() && timeOrderWrong()) {
        ui::MsgBox(QStringLiteral("時間選擇錯誤!"), 0);
        return false;
    }
    if (midnightInTimeWindow()) {
        ui::MsgBox(midnightRefused(), 0);
        return false;
    }
    terms = enteredTerms();
    return true;
}

void FrmEtD::Command1_Click()
{
    if (running || !runChecks())
        return;
    try {
        if (Option1->isChecked()) {
            byCard();
        } else if (Option2->isChecked()) {
            if (dz->currentText().trimmed().isEmpty()) {
                ui::MsgBox(QStringLiteral("請選擇要擴展的地址!"), 0);
                dz->setFocus();
                return;
            }
            byRows(QStringLiteral("select * from faka where 地址=") + sql::number(dz->currentText().trimmed().toLongLong()));
        } else if (Option5->isChecked()) {
            if (bm->currentText().trimmed().isEmpty()) {
                ui::MsgBox(QStringLiteral("請選擇要擴展的部門!"), 0);
                bm->setFocus();
                return;
            }
            byRows(QStringLiteral("select * from fakaPl where 部門=") + sql::text(bm->currentText().trimmed()));
        }
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
}

void FrmEtD::byCard()
{
    const QString card = Ckh->currentText().trimmed();
    if (card.isEmpty()) {
        ui::MsgBox(QStringLiteral("請選擇要擴展的卡號!"), 0);
        Ckh->setFocus();
        return;
    }
    if (!targetsChosen())
        return;
    jet::Recordset issued = app::db.OpenRecordset(
        QStringLiteral("select 物理卡號 from faka where 卡號=") + sql::text(card), jet::dbOpenSnapshot);
    if (issued.Eof()) {
        ui::MsgBox(QStringLiteral("此卡沒有發卡！"), 0);
        return;
    }
    if (cardNumberRefused(card))
        return;
    const QString physical = issued.Field(0).toString().trimmed();
    const QList<int> to = targets();
    QString closing;
    {
        Run run(*this, int(to.size()));
        for (int address : to) {
            if (run.stopAsked())
                return;
            const QString at = QString::number(address);
            const std::optional<Outcome> outcome = run.pair({card, physical, address});
            if (!outcome)
                ui::MsgBox(QStringLiteral("該卡號在") + at + QStringLiteral("已經發卡記錄！"), 0);
            else if (*outcome == Outcome::Stop)
                return;
            else if (*outcome == Outcome::Extended)
                ui::MsgBox(QStringLiteral("該卡號在地址") + at + QStringLiteral("添加成功！"), 0);
        }
        closing = run.figures();
    }
    ui::MsgBox(closing, 0);
}

// Every card of the rows to every target, card by card; pairs already
// there are passed over without a word.
void FrmEtD::byRows(const QString& select)
{
    if (!targetsChosen())
        return;
    const QList<int> to = targets();
    QList<std::pair<QString, QString>> cards;
    QSet<QString> distinct;
    QStringList unsent;
    jet::Recordset rows = app::db.OpenRecordset(select, jet::dbOpenSnapshot);
    for (; !rows.Eof(); rows.MoveNext()) {
        const QString card = rows.Field(QStringLiteral("卡號")).toString().trimmed();
        const QString physical = rows.Field(QStringLiteral("物理卡號")).toString().trimmed();
        cardstore::IssuedCard sent = terms;
        sent.address = to.first();
        sent.card = card;
        sent.physical = physical;
        // A card no frame can carry is named with its reason before anything
        // is sent, not told as a silent controller at each target.
        if (const QString why = unsendable(sent); !why.isEmpty()) {
            const QString line = card + QStringLiteral("：") + why;
            if (!unsent.contains(line))  // once, however many addresses hold it
                unsent << line;
            continue;
        }
        cards.append({card, physical});
        distinct.insert(card);
    }
    rows.Close();
    if (!goOnWithout(unsent, QStringLiteral("擴展")))
        return;
    QString closing;
    {
        Run run(*this, int(distinct.size() * to.size()));
        for (const auto& [card, physical] : cards) {
            for (int address : to) {
                if (run.stopAsked())
                    return;
                const std::optional<Outcome> outcome = run.pair({card, physical, address});
                if (outcome == Outcome::Stop)
                    return;
                if (outcome == Outcome::Extended)
                    Label1->setText(QStringLiteral("卡號") + card + QStringLiteral("在地址") + QString::number(address)
                                    + QStringLiteral("添加成功！"));
            }
        }
        closing = run.figures();
    }
    // A source without cards had nothing to try and ends silently.
    if (!cards.isEmpty())
        ui::MsgBox(closing, 0);
    Label1->clear();
}

// One pair: the controller, then its row. A controller that does not answer
// is offered again, passed over or ends the run, as the operator answers.
FrmEtD::Outcome FrmEtD::extend(const Pair& pair)
{
    cardstore::IssuedCard row = terms;
    row.address = pair.address;
    row.card = pair.card;
    row.physical = pair.physical;
    for (;;) {
        frames::CardEntry entry = cardEntry(row);
        if (controller::addtodoor(*MSComm1, entry, controller::extensionAdd))
            break;
        switch (ui::MsgBox(QStringLiteral("地址") + QString::number(pair.address) + QStringLiteral("通訊出錯！!"), 2)) {
        case ui::vbAbort: return Outcome::Stop;
        case ui::vbIgnore: return Outcome::Skipped;
        default: break;  // retry
        }
    }
    if (ui::storeAtomically(app::db, [&] { cardstore::insertIssued(app::db, row); }))
        return Outcome::Extended;
    withdrawUnstored(pair.address, pair.card,
                     [&] { return controller::delfromdoor(*MSComm1, pair.address, pair.card); });
    return Outcome::Skipped;
}
