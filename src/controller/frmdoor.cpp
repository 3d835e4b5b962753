#include "frmdoor.h"

#include "app.h"
#include "exchanges.h"
#include "msgbox.h"
#include "named.h"
#include "pick.h"
#include "recordset.h"
#include "sqlvalue.h"
#include "windowkit.h"
#include "keys.h"
#include "numbers.h"
#include "pointer.h"
#include "closewatch.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

using controller::Outcome;

namespace {
const QString delayRange = QStringLiteral("延遲時間在0到25之間，請重輸");
const QString addressRange = QStringLiteral("地址大于0并且小于等于99，請重輸");
}  // namespace

Frmdoor::Frmdoor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Frmdoor"));
    setWindowTitle(QStringLiteral("門鎖設置"));
    const auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    Cdw = new QComboBox(this);
    Cdoor = ui::pickBox(this, "Cdoor");
    Taddress = new QLineEdit(this);
    ttime = new QLineEdit(QStringLiteral("12"), this);
    UpDown1 = new QWidget(this);
    UpDown1Up = new QToolButton(UpDown1);
    UpDown1Up->setArrowType(Qt::UpArrow);
    UpDown1Down = new QToolButton(UpDown1);
    UpDown1Down->setArrowType(Qt::DownArrow);
    mesg = new QLabel(this);
    named(Cdw, "Cdw");
    named(Cdoor, "Cdoor");
    named(Taddress, "Taddress");
    named(ttime, "ttime");
    named(UpDown1, "UpDown1");
    named(UpDown1Up, "UpDown1Up");
    named(UpDown1Down, "UpDown1Down");
    named(mesg, "mesg");

    auto* lockFrame = new QGroupBox(this);
    auto* lockRow = new QHBoxLayout(lockFrame);
    auto* locks = new QButtonGroup(this);
    const QString lockNames[2] = {QStringLiteral("一號鎖"), QStringLiteral("二號鎖")};
    for (int i = 0; i < 2; ++i) {
        Option1[i] = new QRadioButton(lockNames[i], lockFrame);
        Option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        locks->addButton(Option1[i]);
        lockRow->addWidget(Option1[i]);
    }
    Option1[0]->setChecked(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("部門:"), this), 0, 0);
    grid->addWidget(Cdw, 0, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("門號:"), this), 1, 0);
    grid->addWidget(Cdoor, 1, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("地址:"), this), 2, 0);
    grid->addWidget(Taddress, 2, 1, 1, 3);
    grid->addWidget(lockFrame, 3, 0, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("開門延遲時間:"), this), 4, 0);
    grid->addWidget(ttime, 4, 1);
    auto* spinner = new QVBoxLayout(UpDown1);
    spinner->setContentsMargins(0, 0, 0, 0);
    spinner->setSpacing(0);
    spinner->addWidget(UpDown1Up);
    spinner->addWidget(UpDown1Down);
    grid->addWidget(UpDown1, 4, 2);
    grid->addWidget(new QLabel(QStringLiteral("秒"), this), 4, 3);
    grid->addWidget(mesg, 5, 0, 1, 4);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](QPushButton*& b, const char* name, const QString& caption, void (Frmdoor::*handler)()) {
        b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, handler);
    };
    button(Cmdadd, "Cmdadd", QStringLiteral("添加"), &Frmdoor::Cmdadd_Click);
    button(cmddel, "cmddel", QStringLiteral("刪除"), &Frmdoor::cmddel_Click);
    button(Command4, "Command4", QStringLiteral("修改"), &Frmdoor::Command4_Click);
    button(Command1, "Command1", QStringLiteral("修改開門延遲時間"), &Frmdoor::Command1_Click);
    button(Cmdtest, "Cmdtest", QStringLiteral("門鎖初始化"), &Frmdoor::Cmdtest_Click);
    grid->addLayout(buttons, 6, 0, 1, 4);

    new ui::KeyFilter(ttime, [](QKeyEvent* k) {
        const QChar c = ui::typed(k);
        if (c.isDigit() || (c.isNull() && !ui::isBackspace(k) && !ui::isEnter(k)))
            return true;
        QApplication::beep();
        return false;
    });
    ui::onPick(Cdoor, this, [this] { Cdoor_Click(); });
    connect(Cdoor, &QComboBox::editTextChanged, this, [this] {
        if (Cdoor->hasFocus())
            Taddress->clear();
    });
    connect(UpDown1Up, &QToolButton::clicked, this, &Frmdoor::UpDown1_UpClick);
    connect(UpDown1Down, &QToolButton::clicked, this, &Frmdoor::UpDown1_DownClick);
    Form_Load();
}

void Frmdoor::Form_Load() {
    jet::Recordset departments = app::db.OpenRecordset(QStringLiteral("department"), jet::dbOpenDynaset);
    for (; !departments.Eof(); departments.MoveNext())
        Cdw->addItem(departments.Field(QStringLiteral("部門")).toString());
    departments.Close();
    Cdw->setCurrentIndex(-1);
    try {
        jet::Recordset doors = app::db.OpenRecordset(QStringLiteral("select 門號 from doors"), jet::dbOpenSnapshot);
        for (; !doors.Eof(); doors.MoveNext())
            Cdoor->addItem(doors.Field(QStringLiteral("門號")).toString());
        doors.Close();
    } catch (const jet::DbError&) {
        // The table has the newer layout: there are no door numbers to list.
    }
}

void Frmdoor::hideEvent(QHideEvent* event) {
    Comm.setPortOpen(false);
    QDialog::hideEvent(event);
}

int Frmdoor::lock() const { return Option1[0]->isChecked() ? 1 : 2; }

QString Frmdoor::departmentNumber() const {
    // The department's place in the list, as five digits.
    return Cdw->currentIndex() < 0 ? QString() : QStringLiteral("%1").arg(Cdw->currentIndex() + 1, 5, 10, QLatin1Char('0'));
}

bool Frmdoor::run(const QString& statement) {
    try {
        app::db.Execute(statement);
        return true;
    } catch (const jet::DbError& e) {
        ui::MsgBox(e.message(), 48);
        return false;
    }
}

void Frmdoor::refillDoors() {
    Cdoor->clear();
    const QString select = Cdw->currentIndex() >= 0
                               ? QStringLiteral("select 門號 from doors where 部門號=") + sql::text(departmentNumber())
                               : QStringLiteral("select * from doors");
    try {
        jet::Recordset rs = app::db.OpenRecordset(select, jet::dbOpenSnapshot);
        for (; !rs.Eof(); rs.MoveNext())
            Cdoor->addItem(rs.Field(QStringLiteral("門號")).toString());
        rs.Close();
    } catch (const jet::DbError& e) {
        ui::MsgBox(e.message(), 48);
    }
}

void Frmdoor::Cdoor_Click() {
    const QString door = Cdoor->currentText().trimmed();
    if (door.isEmpty()) {
        ui::MsgBox(QStringLiteral("請輸入門號!"), 48);
        return;
    }
    try {
        jet::Recordset rs = app::db.OpenRecordset(
            QStringLiteral("select * from doors where 門號=") + sql::text(door), jet::dbOpenSnapshot);
        if (!rs.Eof()) {
            Taddress->setText(rs.Field(QStringLiteral("地址")).toString());
            ttime->setText(rs.Field(QStringLiteral("延遲")).toString());
            Option1[rs.Field(QStringLiteral("lockno")).toInt() == 1 ? 0 : 1]->setChecked(true);
        }
        rs.Close();
    } catch (const jet::DbError& e) {
        ui::MsgBox(e.message(), 48);
    }
}

void Frmdoor::UpDown1_UpClick() { ttime->setText(QString::number(qMin(25.0, ui::leadingNumber(ttime->text()) + 1))); }

void Frmdoor::UpDown1_DownClick() {
    ttime->setText(QString::number(qMax(0.0, ui::leadingNumber(ttime->text()) - 1)));
}

void Frmdoor::Cmdadd_Click() {
    const QString door = Cdoor->currentText().trimmed();
    const QString addressText = Taddress->text().trimmed();
    const QString delayText = ttime->text().trimmed();
    if (door.isEmpty())
        return void(ui::MsgBox(QStringLiteral("請輸入門號!"), 48));
    if (addressText.isEmpty())
        return void(ui::MsgBox(QStringLiteral("請輸入地址!"), 48));
    const auto address = ui::wholeNumber(addressText);
    if (address && *address > 99)
        return void(ui::MsgBox(QStringLiteral("地址<=99，請重輸"), 48));
    if (!address)
        return void(ui::MsgBox(QStringLiteral("地址應為小于99的整數"), 48));
    if (delayText.isEmpty())
        return void(ui::MsgBox(QStringLiteral("請輸入延遲時間!"), 48));
    const auto delay = ui::wholeNumber(delayText);
    if (!delay || *delay > 25)
        return void(ui::MsgBox(delayRange, 48));
    try {
        jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("doors"), jet::dbOpenDynaset);
        rs.FindFirst(QStringLiteral("門號=") + sql::text(door));
        const bool taken = !rs.NoMatch();
        rs.Close();
        if (taken)
            return void(ui::MsgBox(QStringLiteral("門號地址重复,請重設"), 48));
    } catch (const jet::DbError& e) {
        return void(ui::MsgBox(e.message(), 48));
    }
    const QString values = sql::number(*address) + QLatin1Char(',') + sql::number(*delay) + QLatin1Char(',') +
                           sql::number(qint64(lock())) + QLatin1Char(')');
    const QString insert =
        Cdw->currentIndex() < 0
            ? QStringLiteral("insert into doors (門號,地址,延遲,lockno) values (") + sql::text(door) + QLatin1Char(',') + values
            : QStringLiteral("insert into doors values (") + sql::text(departmentNumber()) + QLatin1Char(',') +
                  sql::text(door) + QLatin1Char(',') + values;
    if (!run(insert))
        return;
    Cdoor->addItem(door);
    ui::MsgBox(QStringLiteral("已經添加完畢"), 48);
}

void Frmdoor::cmddel_Click() {
    const QString door = Cdoor->currentText().trimmed();
    if (door.isEmpty())
        return void(ui::MsgBox(QStringLiteral("請輸入要刪除的門號!"), 48));
    if (ui::MsgBox(QStringLiteral("确信要刪除") + door + QStringLiteral("號門嗎?"), 36 + 256) != ui::vbYes)
        return;
    if (run(QStringLiteral("delete * from doors where 門號=") + sql::text(door)))
        run(QStringLiteral("delete * from faka where 門號=") + sql::text(door));
    refillDoors();
    Taddress->clear();
}

void Frmdoor::Command4_Click() {
    const QString door = Cdoor->currentText().trimmed();
    if (door.isEmpty())
        return void(ui::MsgBox(QStringLiteral("請輸入要修改的門號!"), 48));
    if (Taddress->text().trimmed().isEmpty())
        return void(ui::MsgBox(QStringLiteral("請輸入地址!"), 48));
    const auto address = ui::wholeNumber(Taddress->text().trimmed());
    if (!address || *address > 99)
        return void(ui::MsgBox(QStringLiteral("地址<=99，請重輸"), 48));
    if (ui::MsgBox(QStringLiteral("确信要修改") + door + QStringLiteral("號門嗎?"), 36) != ui::vbYes)
        return;
    const QString where = QStringLiteral(" where 門號=") + sql::text(door);
    if (!run(QStringLiteral("update doors set 地址=") + sql::number(*address) + QStringLiteral(",lockno=") +
             sql::number(qint64(lock())) + where) ||
        !run(QStringLiteral("update faka set 地址=") + sql::number(*address) + QStringLiteral(" ") + where))
        return;
    refillDoors();
    ui::MsgBox(QStringLiteral("若發卡信息不為空，請務必做發卡信息重整！"));
    Taddress->clear();
}

bool Frmdoor::controllerAddress(int& address) {
    const QString text = Taddress->text().trimmed();
    if (text.isEmpty()) {
        ui::MsgBox(QStringLiteral("請輸入地址!"), 48);
        return false;
    }
    const auto number = ui::wholeNumber(text);
    if (!number || *number < 1 || *number > 99) {
        ui::MsgBox(addressRange, 48);
        return false;
    }
    address = int(*number);
    return true;
}

bool Frmdoor::openPort() {
    if (controller::openFromSettings(Comm))
        return true;
    ui::MsgBox(QStringLiteral("串口通信端口沒有打開"), 48);
    return false;
}

void Frmdoor::Command1_Click() {
    int address = 0;
    if (Comm.isBusy() || !controllerAddress(address))
        return;
    if (ttime->text().trimmed().isEmpty())
        return void(ui::MsgBox(QStringLiteral("請輸入延遲時間!"), 48));
    const auto delay = ui::wholeNumber(ttime->text().trimmed());
    if (!delay || *delay > 25)
        return void(ui::MsgBox(delayRange, 48));
    if (!frames::delaySteps(double(*delay)))
        return void(ui::MsgBox(controller::delayTooLong(), 48));
    ui::hourglass(true);
    if (!openPort())
        return ui::hourglass(false);
    const ui::CloseWatch watch(this);
    if (controller::DelayTime(Comm, address, lock(), double(*delay))) {
        if (run(QStringLiteral("update doors set 延遲=") + sql::number(*delay) + QStringLiteral(" where 地址=") +
                sql::number(qint64(address)) + QStringLiteral(" and lockno=") + sql::number(qint64(lock()))))
            ui::MsgBox(QStringLiteral("修改完畢"));
    } else if (!watch.closed()) {  // closed during the wait: nothing more to say
        ui::MsgBox(QStringLiteral(" 通訊出錯"));
    }
    Comm.setPortOpen(false);
    ui::hourglass(false);
}

void Frmdoor::Cmdtest_Click() {
    mesg->clear();
    int address = 0;
    if (Comm.isBusy() || !controllerAddress(address))
        return;
    const auto delay = ui::wholeNumber(ttime->text().trimmed());
    if (!delay || *delay > 25)
        ttime->setText(QStringLiteral("12"));
    ui::hourglass(true);
    Cmdadd->setEnabled(false);
    cmddel->setEnabled(false);
    const ui::CloseWatch watch(this);
    // A success closes the port before its message, a failure after it.
    const auto done = [this, &watch](const QString& message, bool closeFirst) {
        ui::hourglass(false);
        Cmdadd->setEnabled(true);
        cmddel->setEnabled(true);
        if (closeFirst)
            Comm.setPortOpen(false);
        if (!watch.closed())  // closed during the wait: nothing more to say
            ui::MsgBox(message, 48);
        Comm.setPortOpen(false);
        mesg->clear();
    };
    if (!openPort()) {
        Cmdadd->setEnabled(true);
        cmddel->setEnabled(true);
        ui::hourglass(false);
        return;
    }
    mesg->setText(QStringLiteral("正在清除存儲器..."));
    if (controller::ClearMemory(Comm, address, controller::initialisationStep) != Outcome::Ok)
        return done(QStringLiteral("初始化出錯..."), false);
    mesg->setText(QStringLiteral("清除存儲器成功"));
    mesg->setText(QStringLiteral("正在清除所有名單..."));
    if (controller::ClearCardList(Comm, address, controller::initialisationStep) != Outcome::Ok)
        return done(QStringLiteral("初始化出錯..."), false);
    mesg->setText(QStringLiteral("  清除所有名單成功"));
    done(QStringLiteral("初始化成功"), true);
}
