#include "frmkqzl.h"

#include "app.h"
#include "attendance.h"
#include "dbfailure.h"
#include "msgbox.h"
#include "datepicker.h"
#include "named.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

QDateEdit* datePicker(QWidget* parent, const char* name)
{
    auto* d = ui::named(new ui::DatePicker(parent), name);
    d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return d;
}

// How long a run may go without letting the window repaint.
constexpr int eventsEveryMs = 50;

}  // namespace

Frmkqzl::Frmkqzl(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Frmkqzl"));
    setWindowTitle(QStringLiteral("考勤數据整理"));
    Label1 = ui::named(new QLabel(QStringLiteral("整理數据時間段："), this), "Label1");
    DTP1 = datePicker(this, "DTP1");
    DTP2 = datePicker(this, "DTP2");
    Command1 = ui::named(new QPushButton(QStringLiteral("開始"), this), "Command1");
    Command2 = ui::named(new QPushButton(QStringLiteral("退出"), this), "Command2");
    for (QPushButton* b : {Command1, Command2})
        b->setAutoDefault(false);
    Prg = ui::named(new QProgressBar(this), "Prg");
    Prg->setVisible(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("從"), this), 1, 0);
    grid->addWidget(DTP1, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("到"), this), 1, 2);
    grid->addWidget(DTP2, 1, 3);
    grid->addWidget(Prg, 2, 0, 1, 4);
    grid->addWidget(Command1, 3, 1);
    grid->addWidget(Command2, 3, 3);
    grid->setRowMinimumHeight(2, Prg->sizeHint().height());
    grid->setSizeConstraint(QLayout::SetFixedSize);  // nothing in it grows

    connect(Command1, &QPushButton::clicked, this, &Frmkqzl::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Frmkqzl::Command2_Click);
}

bool Frmkqzl::Form_Load()
{
    try {
        conn = jet::OpenDatabase(app::databaseFile());
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return false;
    }
    const QDate today = QDate::currentDate();
    DTP1->setDate(QDate(today.year(), today.month(), 1));
    DTP2->setDate(today);
    return true;
}

void Frmkqzl::Command1_Click()
{
    if (running)
        return;
    Prg->setValue(0);
    std::optional<attendance::WorkingHours> hours;
    try {
        hours = attendance::readWorkingHours(conn);
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return;
    }
    if (!hours) {
        ui::MsgBox(QStringLiteral("請先設置上下班時間！"));
        Command1->setEnabled(false);
        return;
    }
    const QDate first = DTP1->date();
    const QDate last = DTP2->date();
    if (first > last) {
        ui::MsgBox(QStringLiteral("前一個日期不能大于后一個日期，請重新選擇日期！"));
        DTP1->setFocus();
        return;
    }
    // The collection must not come in between: its rows would wait on this
    // run's transaction and fail.
    const app::CollectionHold hold(QStringLiteral("考勤數據整理"));
    setRunning(true);
    attendance::Progress progress;
    progress.started = [this](int cards) {
        Prg->setMaximum(cards);
        Prg->setValue(0);
        Prg->setVisible(true);
        letEventsRun();
    };
    progress.cardDone = [this] {
        Prg->setValue(Prg->value() + 1);
        if (sinceEvents.elapsed() >= eventsEveryMs)
            letEventsRun();
    };
    ui::storeAtomically(conn, [&] { attendance::rebuild(conn, *hours, first, last, progress); });
    Prg->setVisible(false);
    setRunning(false);
}

// The controls stay still while a run goes on; the window still repaints.
void Frmkqzl::setRunning(bool on)
{
    running = on;
    for (QWidget* w : {static_cast<QWidget*>(DTP1), static_cast<QWidget*>(DTP2), static_cast<QWidget*>(Command1),
                       static_cast<QWidget*>(Command2)})
        w->setEnabled(!on);
    if (on)
        sinceEvents.start();
}

void Frmkqzl::letEventsRun()
{
    QApplication::processEvents();
    sinceEvents.restart();
}

void Frmkqzl::Command2_Click() { close(); }

// Not while a run goes on: the run would lose its window.
void Frmkqzl::closeEvent(QCloseEvent* event)
{
    if (running)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void Frmkqzl::reject()
{
    if (!running)
        QDialog::reject();
}
