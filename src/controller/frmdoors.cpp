#include "frmdoors.h"

#include "app.h"
#include "exchanges.h"
#include "msgbox.h"
#include "named.h"
#include "recordset.h"
#include "sqlvalue.h"
#include "windowkit.h"
#include "keys.h"
#include "numbers.h"
#include "pick.h"
#include "pointer.h"
#include "closewatch.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QString glass = QStringLiteral("玻");
const QString wood = QStringLiteral("木");
const QString iron = QStringLiteral("鐵");

QString weekdayName(const QString& value) {
    static const QStringList names = {QStringLiteral("Sunday"),   QStringLiteral("Monday"), QStringLiteral("Tuesday"),
                                      QStringLiteral("Wednesday"), QStringLiteral("Thursday"), QStringLiteral("Friday"),
                                      QStringLiteral("Saturday")};
    bool ok = false;
    const int n = value.trimmed().toInt(&ok);
    return ok && n >= 0 && n <= 6 && value.trimmed().size() == 1 ? names[n] : value;
}

}  // namespace

Frmdoors::Frmdoors(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Frmdoors"));
    setWindowTitle(QStringLiteral("門鎖設置"));
    Cdoor = ui::pickBox(this, "Cdoor");

    auto* grid = new QGridLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("地址:"), this));
    top->addWidget(Cdoor, 1);
    grid->addLayout(top, 0, 0, 1, 2);

    const QString lockNames[2] = {QStringLiteral("一號鎖"), QStringLiteral("二號鎖")};
    const QString typeNames[3] = {QStringLiteral("玻璃門鎖"), QStringLiteral("木門鎖"), QStringLiteral("鐵門鎖")};
    for (int lock = 0; lock < 2; ++lock) {
        auto* frame = new QGroupBox(this);
        auto* box = new QGridLayout(frame);
        Clkn1[lock] = new QCheckBox(lockNames[lock], frame);
        Clkn1[lock]->setObjectName(QStringLiteral("Clkn1_%1").arg(lock));
        Clkn1[lock]->setChecked(true);
        box->addWidget(Clkn1[lock], 0, 0, 1, 3);
        auto* types = new QButtonGroup(frame);
        for (int t = 0; t < 3; ++t) {
            const int index = lock * 3 + t;
            Opt[index] = new QRadioButton(typeNames[t], frame);
            Opt[index]->setObjectName(QStringLiteral("Opt_%1").arg(index));
            types->addButton(Opt[index]);
            box->addWidget(Opt[index], 1, t);
            connect(Opt[index], &QRadioButton::clicked, this, [this, index] { Opt_Click(index); });
        }
        Opt[lock * 3]->setChecked(true);
        drnam[lock] = new QLineEdit(frame);
        drnam[lock]->setObjectName(QStringLiteral("drnam_%1").arg(lock));
        second2[lock] = new QLineEdit(QStringLiteral("5"), frame);
        second2[lock]->setObjectName(QStringLiteral("second2_%1").arg(lock));
        box->addWidget(new QLabel(QStringLiteral("描述:"), frame), 2, 0);
        box->addWidget(drnam[lock], 2, 1, 1, 2);
        box->addWidget(new QLabel(QStringLiteral("開門延遲時間:"), frame), 3, 0);
        box->addWidget(second2[lock], 3, 1);
        box->addWidget(new QLabel(QStringLiteral("秒"), frame), 3, 2);
        grid->addWidget(frame, 1 + lock, 0);
        // Enter passes the filter but does nothing here: it is kept from the dialog.
        new ui::KeyFilter(second2[lock], [](QKeyEvent* k) {
            const QChar c = ui::typed(k);
            return !ui::isEnter(k) &&
                   (c.isNull() || c.isDigit() || c == QLatin1Char('.') || ui::isBackspace(k));
        });
    }
    // An editable combo box takes the keys itself and hands them to its text
    // part past any filter there, so the filter watches both.
    for (QWidget* box : {static_cast<QWidget*>(Cdoor), static_cast<QWidget*>(Cdoor->lineEdit())})
        new ui::KeyFilter(box, [](QKeyEvent* k) {
            const QChar c = ui::typed(k);
            return !ui::isEnter(k) && (c.isNull() || c.isDigit() || ui::isBackspace(k));
        });

    auto* buttons = new QVBoxLayout;
    const auto button = [&](QPushButton*& b, const char* name, const QString& caption, void (Frmdoors::*handler)()) {
        b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, handler);
    };
    button(Cmdadd, "Cmdadd", QStringLiteral("新增(&A)"), &Frmdoors::Cmdadd_Click);
    button(Command4, "Command4", QStringLiteral("修改(&C)"), &Frmdoors::Command4_Click);
    button(cmddel, "cmddel", QStringLiteral("刪除(&D)"), &Frmdoors::cmddel_Click);
    button(Cmdtest, "Cmdtest", QStringLiteral("門鎖初始化(&I)"), &Frmdoors::Cmdtest_Click);
    button(Command1, "Command1", QStringLiteral("修改延遲時間(&M)"), &Frmdoors::Command1_Click);
    button(Command2, "Command2", QStringLiteral("退出(&E)"), &Frmdoors::Command2_Click);
    buttons->addStretch();
    grid->addLayout(buttons, 1, 1, 2, 1);

    ListView1 = new QListWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setViewMode(QListView::ListMode);
    grid->addWidget(new QLabel(QStringLiteral("*門鎖信息"), this), 3, 0, 1, 2);
    grid->addWidget(ListView1, 4, 0, 1, 2);
    const QColor colours[8] = {Qt::darkBlue, Qt::darkGreen, Qt::darkCyan, Qt::darkCyan,
                               Qt::darkMagenta, Qt::darkMagenta, Qt::darkYellow, Qt::darkGray};
    const QString signs[8] = {QStringLiteral("址"), QStringLiteral("數"), QStringLiteral("1"), QStringLiteral("2"),
                              QStringLiteral("日"), QStringLiteral("時"), QStringLiteral("週"), QStringLiteral("V")};
    for (int k = 0; k < 8; ++k)
        ImageList1 << ui::drawnIcon(colours[k], signs[k]);

    ui::onPick(Cdoor, this, [this] { Cdoor_Click(); });
    Form_Load();
}

void Frmdoors::Form_Load() { fillAddressList(QStringLiteral("select distinct 地址 from doors order by 地址")); }

void Frmdoors::fillAddressList(const QString& select) {
    Cdoor->blockSignals(true);
    const QString typed = Cdoor->currentText();
    Cdoor->clear();
    jet::Recordset rs = app::db.OpenRecordset(select, jet::dbOpenSnapshot);
    for (; !rs.Eof(); rs.MoveNext())
        Cdoor->addItem(rs.Field(QStringLiteral("地址")).toString());
    rs.Close();
    Cdoor->setEditText(typed);
    Cdoor->blockSignals(false);
}

void Frmdoors::hideEvent(QHideEvent* event) {
    // A window closed during a wait ends the wait: the port goes with it.
    Comm.setPortOpen(false);
    QDialog::hideEvent(event);
}

QString Frmdoors::lockType(int lock) const {
    if (Opt[lock * 3]->isChecked())
        return glass;
    if (Opt[lock * 3 + 1]->isChecked())
        return wood;
    return iron;
}

QString Frmdoors::defaultDelay(int lock) const {
    return Opt[lock * 3 + 2]->isChecked() ? QStringLiteral("0.5") : QStringLiteral("5");
}

void Frmdoors::Opt_Click(int index) {
    second2[index / 3]->setText(index % 3 == 2 ? QStringLiteral("0.5") : QStringLiteral("5"));
}

bool Frmdoors::addressChecked(int& address) {
    const QString text = Cdoor->currentText().trimmed();
    if (text.isEmpty()) {
        ui::MsgBox(QStringLiteral("請輸入地址!"), 48);
        return false;
    }
    const auto number = ui::wholeNumber(text);
    if (!number || *number > 99) {
        ui::MsgBox(QStringLiteral("地址<=99，請重輸"), 48);
        return false;
    }
    address = int(*number);
    return true;
}

bool Frmdoors::lockTicked() {
    if (Clkn1[0]->isChecked() || Clkn1[1]->isChecked())
        return true;
    ui::MsgBox(QStringLiteral("請選擇鎖號!"), 48);
    return false;
}

bool Frmdoors::delaysChecked() {
    for (int lock = 0; lock < 2; ++lock) {
        if (!Clkn1[lock]->isChecked())
            continue;
        const QString text = second2[lock]->text().trimmed();
        if (text.isEmpty()) {
            second2[lock]->setText(defaultDelay(lock));
            continue;
        }
        const bool isIron = Opt[lock * 3 + 2]->isChecked();
        const auto value = ui::delayNumber(text);
        if (!value || *value > (isIron ? 2 : 25)) {
            ui::MsgBox(isIron ? QStringLiteral("鐵門鎖延遲時間建議在0到2之間!") : QStringLiteral("門鎖延遲時間建議在0到25之間!"),
                       48);
            return false;
        }
    }
    return true;
}

QString Frmdoors::insertStatement(bool compact) const {
    const QString address = sql::text(Cdoor->currentText().trimmed());
    const auto lockValues = [this](int lock) {
        return sql::text(drnam[lock]->text().trimmed()) + QLatin1Char(',') + sql::text(second2[lock]->text().trimmed()) +
               QLatin1Char(',') + sql::text(lockType(lock));
    };
    if (Clkn1[0]->isChecked() && Clkn1[1]->isChecked())
        return (compact ? QStringLiteral("insert into doors(") : QStringLiteral("insert into doors (")) +
               QStringLiteral("地址,namedr1,delay1,dtype1,namedr2,delay2,dtype2) values (") + address + QLatin1Char(',') +
               lockValues(0) + QLatin1Char(',') + lockValues(1) + QStringLiteral("  )");
    const int lock = Clkn1[1]->isChecked() ? 1 : 0;
    const QString n = QString::number(lock + 1);
    return QStringLiteral("insert into doors (地址,namedr%1,delay%1,dtype%1) values (").arg(n) + address +
           QLatin1Char(',') + lockValues(lock) + QStringLiteral("  )");
}

void Frmdoors::Cdoor_Click() {
    ListView1->clear();
    int address = 0;
    const auto number = ui::wholeNumber(Cdoor->currentText().trimmed());
    if (!number || *number > 99)
        return;
    address = int(*number);
    jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("doors"), jet::dbOpenDynaset);
    rs.FindFirst(QStringLiteral("地址=") + sql::number(qint64(address)));
    if (rs.NoMatch()) {
        for (int lock = 0; lock < 2; ++lock) {
            Clkn1[lock]->setChecked(false);
            drnam[lock]->clear();
            second2[lock]->setText(QStringLiteral("5"));
            Opt[lock * 3]->setChecked(true);
        }
        rs.Close();
        return;
    }
    for (int lock = 0; lock < 2; ++lock) {
        const QString n = QString::number(lock + 1);
        const QVariant type = rs.Field(QStringLiteral("dtype") + n);
        if (!type.isValid()) {
            Clkn1[lock]->setChecked(false);
            drnam[lock]->clear();
            second2[lock]->setText(QStringLiteral("5"));
            continue;
        }
        Clkn1[lock]->setChecked(true);
        drnam[lock]->setText(rs.Field(QStringLiteral("namedr") + n).toString());
        const QVariant delay = rs.Field(QStringLiteral("delay") + n);
        second2[lock]->setText(delay.isValid() ? sql::number(delay.toDouble()) : QString());
        const QString t = type.toString();
        const int button = t == glass ? 0 : t == wood ? 1 : t == iron ? 2 : -1;
        if (button >= 0)
            Opt[lock * 3 + button]->setChecked(true);
    }
    rs.Close();
    showInformation(address);
}

void Frmdoors::showInformation(int address) {
    if (!controller::ReadSys(Comm, address))
        return;
    const auto values = controller::readSysInfLine();
    if (!values)
        return;
    const QStringList& v = *values;
    const QStringList lines = {
        QStringLiteral(" 地  址:") + Cdoor->currentText(),
        QStringLiteral(" 打卡記錄數:") + v[0],
        QStringLiteral(" 鎖一延時:") + v[1] + QStringLiteral("秒"),
        QStringLiteral(" 鎖二延時:") + v[2] + QStringLiteral("秒"),
        QStringLiteral(" 日期:") + v[3],
        QStringLiteral(" 時間:") + v[4],
        QStringLiteral(" 星期:") + weekdayName(v[5]),
        QStringLiteral(" 版本號:") + v[6],
    };
    ListView1->setViewMode(QListView::ListMode);
    ListView1->clear();
    for (int k = 0; k < lines.size(); ++k)
        new QListWidgetItem(ImageList1[k], lines[k], ListView1);
}

bool Frmdoors::hasRow(int address) {
    jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("doors"), jet::dbOpenDynaset);
    rs.FindFirst(QStringLiteral("地址=") + sql::number(qint64(address)));
    const bool found = !rs.NoMatch();
    rs.Close();
    return found;
}

void Frmdoors::Cmdadd_Click() {
    int address = 0;
    if (!addressChecked(address) || !lockTicked() || !delaysChecked())
        return;
    if (hasRow(address)) {
        ui::MsgBox(QStringLiteral("地址重复,請重設"), 48);
        return;
    }
    try {
        app::db.Execute(insertStatement(false));
    } catch (const jet::DbError& e) {
        ui::MsgBox(QStringLiteral("新增失敗：") + e.message(), 48);
        return;
    }
    Cdoor->addItem(Cdoor->currentText());
    ui::MsgBox(QStringLiteral("已經添加完畢"), 48);
}

void Frmdoors::Command4_Click() {
    int address = 0;
    if (!addressChecked(address) || !lockTicked() || !delaysChecked())
        return;
    if (!hasRow(address)) {
        ui::MsgBox(QStringLiteral("地址不存在,請重設"), 48);
        return;
    }
    // The old row goes only together with its replacement.
    try {
        app::db.BeginTrans();
        app::db.Execute(QStringLiteral("delete * from doors where 地址=") + sql::number(qint64(address)));
        app::db.Execute(insertStatement(true));
        app::db.CommitTrans();
    } catch (const jet::DbError& e) {
        app::db.Rollback();
        ui::MsgBox(QStringLiteral("修改失敗，原設置未變：") + e.message(), 48);
        return;
    }
    ui::MsgBox(QStringLiteral("已經修改完畢"), 48);
}

void Frmdoors::cmddel_Click() {
    const QString text = Cdoor->currentText().trimmed();
    if (text.isEmpty()) {
        ui::MsgBox(QStringLiteral("請輸入要刪除的地址!"), 48);
        return;
    }
    if (ui::MsgBox(QStringLiteral("确信要刪除地址為") + text + QStringLiteral("的門及其相應的發卡記錄嗎?"), 36 + 256) != ui::vbYes)
        return;
    const auto number = ui::wholeNumber(text);
    if (number) {
        const QString where = QStringLiteral(" where 地址=") + sql::number(*number);
        for (const QString& table : {QStringLiteral("doors"), QStringLiteral("faka")}) {
            try {
                app::db.Execute(QStringLiteral("delete * from ") + table + where);
            } catch (const jet::DbError&) {
                // Each delete stands alone; the list is rebuilt all the same.
            }
        }
    }
    fillAddressList(QStringLiteral("select 地址 from doors order by 地址"));
}

void Frmdoors::Cmdtest_Click() {
    int address = 0;
    if (Comm.isBusy() || !addressChecked(address) || !lockTicked())
        return;
    for (int lock = 0; lock < 2; ++lock) {
        if (!Clkn1[lock]->isChecked())
            continue;
        const auto value = ui::delayNumber(second2[lock]->text().trimmed());
        if (!value || *value > (Opt[lock * 3 + 2]->isChecked() ? 2 : 25))
            second2[lock]->setText(defaultDelay(lock));
    }
    ui::hourglass(true);
    for (QPushButton* b : {Cmdadd, cmddel, Command4})
        b->setEnabled(false);
    const ui::CloseWatch watch(this);
    // A success closes the port before its message, a failure after it.
    const auto done = [this, &watch](const QString& message, bool closeFirst) {
        ui::hourglass(false);
        for (QPushButton* b : {Cmdadd, cmddel, Command4})
            b->setEnabled(true);
        if (closeFirst)
            Comm.setPortOpen(false);
        if (!watch.closed())  // closed during the wait: nothing more to say
            ui::MsgBox(message, 48);
        Comm.setPortOpen(false);
    };
    if (!controller::openFromSettings(Comm)) {
        done(QStringLiteral("串口通信端口沒有打開"), true);
        return;
    }
    // The card list is erased only once the record memory is.
    const bool ok = controller::ClearMemory(Comm, address, controller::initialisationStep) == controller::Outcome::Ok &&
                    controller::ClearCardList(Comm, address, controller::initialisationStep) == controller::Outcome::Ok;
    done(ok ? QStringLiteral("初始化成功") : QStringLiteral("初始化出錯..."), ok);
}

void Frmdoors::Command1_Click() {
    int address = 0;
    if (Comm.isBusy() || !addressChecked(address) || !lockTicked() || !delaysChecked())
        return;
    // Every ticked delay must fit the controller's byte before anything goes out.
    for (int lock = 0; lock < 2; ++lock) {
        if (Clkn1[lock]->isChecked() && !frames::delaySteps(*ui::delayNumber(second2[lock]->text().trimmed()))) {
            ui::MsgBox(controller::delayTooLong(), 48);
            return;
        }
    }
    ui::hourglass(true);
    if (!controller::openFromSettings(Comm)) {
        ui::MsgBox(QStringLiteral("串口通信端口沒有打開"), 48);
        ui::hourglass(false);
        return;
    }
    const ui::CloseWatch watch(this);
    const QString names[2] = {QStringLiteral("鎖一"), QStringLiteral("鎖二")};
    for (int lock = 0; lock < 2; ++lock) {
        if (!Clkn1[lock]->isChecked())
            continue;
        const double delay = *ui::delayNumber(second2[lock]->text().trimmed());
        if (!controller::DelayTime(Comm, address, lock + 1, delay)) {
            if (watch.closed())
                break;  // closed during the wait: nothing more to say or send
            ui::MsgBox(QStringLiteral(" ") + names[lock] + QStringLiteral("通訊出錯"));
            continue;
        }
        try {
            app::db.Execute(QStringLiteral("update doors set delay%1=").arg(lock + 1) + sql::number(delay) +
                            QStringLiteral(" where 地址=") + sql::number(qint64(address)));
            ui::MsgBox(names[lock] + QStringLiteral("修改完畢"));
        } catch (const jet::DbError& e) {
            ui::MsgBox(names[lock] + QStringLiteral("已送到控制器，但數據庫未能更新：") + e.message(), 48);
        }
    }
    Comm.setPortOpen(false);
    ui::hourglass(false);
}

void Frmdoors::Command2_Click() { close(); }
