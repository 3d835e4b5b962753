#include "cardterms.h"

#include "app.h"
#include "cardentry.h"
#include "datepicker.h"
#include "dbfailure.h"
#include "frames.h"
#include "msgbox.h"
#include "named.h"
#include "recordset.h"
#include "sqlvalue.h"
#include "timepicker.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QRadioButton>
#include <QTimeEdit>

namespace {

const QString weekdays[] = {QStringLiteral("星期一"), QStringLiteral("星期二"), QStringLiteral("星期三"),
                            QStringLiteral("星期四"), QStringLiteral("星期五"), QStringLiteral("星期六"),
                            QStringLiteral("星期日")};
const QString passModes[] = {QStringLiteral("進出"), QStringLiteral("進門"), QStringLiteral("出門"),
                             QStringLiteral("禁止進出")};

QString indexed(const char* name, int i) { return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i); }

void select(QButtonGroup* group, int mode)
{
    if (mode >= 0 && mode <= 3) {
        group->button(mode)->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; none is shown by lifting it.
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons())
        b->setChecked(false);
    group->setExclusive(true);
}

int selected(const QButtonGroup* group) { return std::max(0, group->checkedId()); }

void showWeekday(QComboBox* box, int weekday)
{
    box->setCurrentIndex(weekday >= 1 && weekday <= 7 ? weekday - 1 : -1);
    if (box->currentIndex() < 0)
        box->setEditText(QString());
}

}  // namespace

QString CardTerms::midnightRefused() { return QStringLiteral("時間限制的開始和截止時間不能為00:00！"); }

void CardTerms::buildTerms(QWidget* windows, QWidget* modes)
{
    const char* boxes[] = {"日期：", "星期：", "時間："};
    for (int i = 0; i < 3; ++i) {
        Ch[i] = new QCheckBox(QString::fromUtf8(boxes[i]), windows);
        Ch[i]->setObjectName(indexed("Ch", i));
    }
    for (int i = 0; i < 2; ++i) {
        ddate[i] = new ui::DatePicker(windows);
        ddate[i]->setObjectName(indexed("ddate", i));
        ddate[i]->setDateRange(frames::firstControllerDate(), frames::lastControllerDate());
        ddate[i]->setDate(QDate::currentDate());
        tweek[i] = ui::pickBox(windows, "tweek");
        tweek[i]->setObjectName(indexed("tweek", i));
        for (const QString& day : weekdays)
            tweek[i]->addItem(day);
        showWeekday(tweek[i], 0);
        dtime[i] = new ui::TimePicker(windows);
        dtime[i]->setObjectName(indexed("dtime", i));
        dtime[i]->setDisplayFormat(QStringLiteral("HH:mm"));
        dtime[i]->setTime(QTime(0, 0));
    }
    lock1 = new QButtonGroup(modes);
    lock2 = new QButtonGroup(modes);
    for (int m = 0; m < 4; ++m) {
        Op[m] = new QRadioButton(passModes[m], modes);
        Op[m]->setObjectName(indexed("Op", m));
        lock1->addButton(Op[m], m);
        Opp[m] = new QRadioButton(passModes[m], modes);
        Opp[m]->setObjectName(indexed("Opp", m));
        lock2->addButton(Opp[m], m);
    }
    Op[0]->setChecked(true);
    Opp[0]->setChecked(true);
}

void CardTerms::showTerms(const cardstore::IssuedCard& card)
{
    Ch[1]->setChecked(card.hasWeekdayWindow());
    showWeekday(tweek[0], card.hasWeekdayWindow() ? card.startWeekday : 0);
    showWeekday(tweek[1], card.hasWeekdayWindow() ? card.endWeekday : 0);
    Ch[2]->setChecked(card.hasTimeWindow());
    dtime[0]->setTime(card.hasTimeWindow() ? card.startTime : QTime(0, 0));
    dtime[1]->setTime(card.hasTimeWindow() ? card.endTime : QTime(0, 0));
    Ch[0]->setChecked(card.hasDateWindow());
    ddate[0]->setDate(card.hasDateWindow() ? card.startDate : QDate::currentDate());
    ddate[1]->setDate(card.hasDateWindow() ? card.endDate : QDate::currentDate());
    // The pickers show the nearest date a controller holds; whatever is sent
    // next is that, so the operator is told.
    if (datesBeyondController(card)) {
        const QString f = QStringLiteral("yyyy/MM/dd");
        ui::MsgBox(QStringLiteral("卡號%1在地址%2保存的日期限制%3至%4超出控制器能保存的日期（%5至%6），請重新選擇日期！")
                       .arg(card.card)
                       .arg(card.address)
                       .arg(card.startDate.toString(f), card.endDate.toString(f),
                            frames::firstControllerDate().toString(f), frames::lastControllerDate().toString(f)),
                   48);
    }
    select(lock1, card.lock1Mode);
    select(lock2, card.lock2Mode);
}

void CardTerms::showTermsAt(int address, const QString& card)
{
    try {
        jet::Recordset row = app::db.OpenRecordset(QStringLiteral("select * from faka where 地址=")
                                                   + sql::number(qint64(address)) + QStringLiteral(" and 卡號=")
                                                   + sql::text(card));
        if (!row.Eof()) {
            showTerms(cardstore::fromRow(row));
            return;
        }
        resetWindowValues();
        clearPassModes();
        untickWindows();
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
}

void CardTerms::resetWindowValues()
{
    for (int i = 0; i < 2; ++i) {
        ddate[i]->setDate(QDate::currentDate());
        showWeekday(tweek[i], 0);
        dtime[i]->setTime(QTime(0, 0));
    }
}

void CardTerms::untickWindows()
{
    for (QCheckBox* box : Ch)
        box->setChecked(false);
}

void CardTerms::clearPassModes()
{
    select(lock1, -1);
    select(lock2, -1);
}

int CardTerms::weekdayChosen(int box) const
{
    const int position = tweek[box]->findText(tweek[box]->currentText(), Qt::MatchExactly);
    return position + 1;
}

cardstore::IssuedCard CardTerms::enteredTerms() const
{
    cardstore::IssuedCard t;
    t.lock1Mode = selected(lock1);
    t.lock2Mode = selected(lock2);
    if (Ch[0]->isChecked()) {
        t.startDate = ddate[0]->date();
        t.endDate = ddate[1]->date();
    }
    if (Ch[1]->isChecked()) {
        t.startWeekday = weekdayChosen(0);
        t.endWeekday = weekdayChosen(1);
    }
    if (Ch[2]->isChecked()) {
        t.startTime = dtime[0]->time();
        t.endTime = dtime[1]->time();
    }
    return t;
}

bool CardTerms::dateOrderWrong() const { return ddate[0]->date() > ddate[1]->date(); }

bool CardTerms::weekdayOrderWrong() const { return weekdayChosen(1) < weekdayChosen(0); }

bool CardTerms::timeOrderWrong() const { return dtime[1]->time() < dtime[0]->time(); }

bool CardTerms::midnightInTimeWindow() const
{
    return Ch[2]->isChecked() && (dtime[0]->time() == QTime(0, 0) || dtime[1]->time() == QTime(0, 0));
}
