#include "frmspe.h"

#include "app.h"
#include "exchanges.h"
#include "msgbox.h"
#include "named.h"
#include "recordset.h"
#include "sqlvalue.h"
#include "numbers.h"
#include "pointer.h"
#include "closewatch.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

using controller::Outcome;

Frmspe::Frmspe(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Frmspe"));
    setWindowTitle(QStringLiteral("特殊情況處理"));
    Cdoor = ui::pickBox(this, "Cdoor");
    Option1 = new QRadioButton(QStringLiteral("鎖一"), this);
    Option1->setObjectName(QStringLiteral("Option1"));
    Option2 = new QRadioButton(QStringLiteral("鎖二"), this);
    Option2->setObjectName(QStringLiteral("Option2"));
    // Neither option is chosen when the window opens.
    auto* locks = new QButtonGroup(this);
    locks->addButton(Option1);
    locks->addButton(Option2);
    Copen = new QPushButton(QStringLiteral("開 鎖"), this);
    Copen->setObjectName(QStringLiteral("Copen"));
    Cmdexit = new QPushButton(QStringLiteral("退 出"), this);
    Cmdexit->setObjectName(QStringLiteral("Cmdexit"));
    for (QPushButton* b : {Copen, Cmdexit})
        b->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("請選擇欲打開門鎖地址："), this), 0, 0, 1, 2);
    grid->addWidget(Cdoor, 1, 0, 1, 2);
    grid->addWidget(Option1, 2, 0);
    grid->addWidget(Option2, 2, 1);
    grid->addWidget(Copen, 3, 0);
    grid->addWidget(Cmdexit, 3, 1);

    connect(Copen, &QPushButton::clicked, this, &Frmspe::Copen_Click);
    connect(Cmdexit, &QPushButton::clicked, this, &Frmspe::close);
    Form_Load();
}

void Frmspe::Form_Load() {
    jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("doors"), jet::dbOpenDynaset);
    if (rs.Eof())
        ui::MsgBox(QStringLiteral(" 請先在系統設置里配置門鎖"), 48);
    for (; !rs.Eof(); rs.MoveNext())
        Cdoor->addItem(rs.Field(QStringLiteral("地址")).toString());
    rs.Close();
    Cdoor->setEditText(QString());
}

void Frmspe::hideEvent(QHideEvent* event) {
    Comm.setPortOpen(false);
    QDialog::hideEvent(event);
}

void Frmspe::finish(const QString& message, bool enableOpen, const ui::CloseWatch& watch) {
    ui::hourglass(false);
    // Closed during its wait: the attempt ends without a word.
    if (!watch.closed())
        ui::MsgBox(message, 48);
    Copen->setEnabled(enableOpen);
}

void Frmspe::Copen_Click() {
    const QString text = Cdoor->currentText().trimmed();
    if (text.isEmpty()) {
        ui::MsgBox(QStringLiteral("請選擇門號!"), 48);
        return;
    }
    const double typed = ui::leadingNumber(text);
    if (typed > 99)
        return;  // no such row can exist
    jet::Recordset rs = app::db.OpenRecordset(
        QStringLiteral("select * from doors where 地址=") + sql::number(typed), jet::dbOpenDynaset);
    if (rs.Eof()) {
        rs.Close();
        return;
    }
    const int address = rs.Field(QStringLiteral("地址")).toInt();
    rs.Close();
    // Neither lock is chosen when the window opens: a door the operator
    // didn't choose is never opened.
    if (!Option1->isChecked() && !Option2->isChecked()) {
        ui::MsgBox(QStringLiteral("請選擇鎖號!"), 48);
        return;
    }
    const int lock = Option1->isChecked() ? 1 : 2;

    Copen->setEnabled(false);
    ui::hourglass(true);
    const ui::CloseWatch watch(this);
    if (!controller::openFromSettings(Comm)) {
        finish(QStringLiteral("串口通信端口沒有打開"), false, watch);
        return;
    }
    switch (controller::OpenLock(Comm, address, lock)) {
    case Outcome::Ok: finish(QStringLiteral("開門成功"), true, watch); break;
    case Outcome::WrongReply: finish(QStringLiteral("開門失敗"), true, watch); break;
    case Outcome::NoReply: finish(QStringLiteral("連接失敗"), true, watch); break;
    case Outcome::PortFailed:
    case Outcome::Refused: finish(QStringLiteral("串口通信端口沒有打開"), false, watch); break;
    }
}
