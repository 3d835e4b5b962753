#include "frmsys.h"

#include "app.h"
#include "exchanges.h"
#include "msgbox.h"
#include "recordset.h"
#include "keys.h"
#include "numbers.h"
#include "placement.h"
#include "pointer.h"
#include "closewatch.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// A positive 16-bit number, as the settings rows and values hold them.
std::optional<short> positiveShort(const QString& text, int lowest) {
    const auto n = ui::wholeNumber(text.trimmed());
    if (!n || *n < lowest || *n > 32767)
        return std::nullopt;
    return short(*n);
}

}  // namespace

frmsys::frmsys(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmsys"));
    setWindowTitle(QStringLiteral("系統設置"));
    const auto box = [this](QLineEdit*& edit, const char* name) {
        edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
    };
    box(Tport, "Tport");
    box(Tset, "Tset");
    box(Tinb, "Tinb");
    box(Toutb, "Toutb");
    const auto button = [](QWidget* parent, QPushButton*& b, const char* name, const QString& caption) {
        b = new QPushButton(caption, parent);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
    };
    button(this, Cmdok, "Cmdok", QStringLiteral("應用"));
    button(this, Cmdtest, "Cmdtest", QStringLiteral("測試"));
    button(this, cmdexit, "cmdexit", QStringLiteral("退出"));
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    tdz = new QLineEdit(Frame1);
    tdz->setObjectName(QStringLiteral("tdz"));
    button(Frame1, Command1, "Command1", QStringLiteral("确定"));
    button(Frame1, Command2, "Command2", QStringLiteral("退出"));

    auto* grid = new QGridLayout(this);
    const QString labels[4] = {QStringLiteral("串口號:"), QStringLiteral("通訊設置:"), QStringLiteral("輸入緩沖區:"),
                               QStringLiteral("輸出緩沖區:")};
    QLineEdit* boxes[4] = {Tport, Tset, Tinb, Toutb};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(new QLabel(labels[i], this), i, 0);
        grid->addWidget(boxes[i], i, 1, 1, 2);
    }
    grid->addWidget(Cmdok, 4, 0);
    grid->addWidget(Cmdtest, 4, 1);
    grid->addWidget(cmdexit, 4, 2);
    auto* panel = new QGridLayout(Frame1);
    panel->addWidget(new QLabel(QStringLiteral("請輸入一個門禁地址："), Frame1), 0, 0, 1, 2);
    panel->addWidget(tdz, 1, 0, 1, 2);
    panel->addWidget(Command1, 2, 0);
    panel->addWidget(Command2, 2, 1);
    grid->addWidget(Frame1, 5, 0, 1, 3);
    ui::keepRoomWhenHidden(Frame1);
    Frame1->hide();

    new ui::KeyFilter(Tport, [](QKeyEvent* k) {
        const QChar c = ui::typed(k);
        if (c.isDigit() || ui::isBackspace(k) || (c.isNull() && !ui::isEnter(k)))
            return true;
        QApplication::beep();
        return false;
    });
    new ui::KeyFilter(tdz, [this](QKeyEvent* k) {
        if (ui::isEnter(k)) {
            focusNextChild();
            return false;
        }
        const QChar c = ui::typed(k);
        return c.isDigit() || (c.isNull() && !ui::isBackspace(k));
    });
    connect(Cmdok, &QPushButton::clicked, this, &frmsys::Cmdok_Click);
    connect(Cmdtest, &QPushButton::clicked, this, &frmsys::Cmdtest_Click);
    connect(cmdexit, &QPushButton::clicked, this, &frmsys::close);
    connect(Command1, &QPushButton::clicked, this, &frmsys::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmsys::Command2_Click);
    Form_Load();
}

void frmsys::Form_Load() {
    ui::placeWhenShown(this, ui::PlaceOn::Screen);
    Tport->setText(QString::number(app::comport));
    Tset->setText(app::comset);
    Tinb->setText(QString::number(app::inbufsize));
    Toutb->setText(QString::number(app::outbufsize));
}

void frmsys::hideEvent(QHideEvent* event) {
    Comm.setPortOpen(false);
    QDialog::hideEvent(event);
}

void frmsys::Cmdok_Click() {
    for (QLineEdit* b : {Tport, Tset, Tinb, Toutb}) {
        if (b->text().isEmpty()) {
            b->setFocus();
            return;
        }
    }
    // Nothing is stored that the serial port would refuse later.
    const auto port = positiveShort(Tport->text(), 1);
    if (!port || *port > serial::highestPortNumber) {
        ui::MsgBox(QStringLiteral("通訊端口設置錯誤"), 48);
        Tport->setFocus();
        return;
    }
    const QString settings = Tset->text().trimmed();
    try {
        serial::parseSettings(settings);
    } catch (const serial::PortError&) {
        ui::MsgBox(QStringLiteral("通訊參數設置錯誤"), 48);
        Tset->setFocus();
        return;
    }
    const auto in = positiveShort(Tinb->text(), 1);
    const auto out = positiveShort(Toutb->text(), 1);
    if (!in || !out) {
        ui::MsgBox(QStringLiteral("緩沖區大小應為1到32767之間的整數"), 48);
        (in ? Toutb : Tinb)->setFocus();
        return;
    }
    try {
        jet::Transaction whole(app::db);  // the four rows or none
        jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("system"), jet::dbOpenDynaset);
        const auto store = [&rs](const QString& name, const QString& field, const QVariant& value) {
            rs.FindFirst(QStringLiteral("name='") + name + QLatin1Char('\''));
            if (rs.NoMatch())
                return;
            rs.Edit();
            rs.SetField(field, value);
            rs.Update();
        };
        store(QStringLiteral("串口號"), QStringLiteral("zhi"), qlonglong(*port));
        store(QStringLiteral("通訊設置"), QStringLiteral("detail"), settings);
        store(QStringLiteral("輸入緩沖區"), QStringLiteral("zhi"), qlonglong(*in));
        store(QStringLiteral("輸出緩沖區"), QStringLiteral("zhi"), qlonglong(*out));
        rs.Close();
        whole.Commit();
    } catch (const jet::DbError& e) {
        ui::MsgBox(QStringLiteral("設置未能保存：") + e.message(), 48);
        return;
    }
    app::comport = *port;
    app::comset = settings;
    app::inbufsize = *in;
    app::outbufsize = *out;
    close();
}

void frmsys::panelShown(bool shown) {
    Frame1->setVisible(shown);
    Cmdok->setEnabled(!shown);
    Cmdtest->setEnabled(!shown);
}

void frmsys::Cmdtest_Click() { panelShown(true); }

void frmsys::Command2_Click() { panelShown(false); }

void frmsys::Command1_Click() {
    if (Comm.isBusy())
        return;
    const QString text = tdz->text().trimmed();
    if (text.isEmpty()) {
        ui::MsgBox(QStringLiteral("請輸入考勤机地址\""));
        tdz->setFocus();
        return;
    }
    const auto address = ui::wholeNumber(text);
    if (!address || *address > 99) {
        ui::MsgBox(QStringLiteral("地址為0-99之間的整數"));
        tdz->setFocus();
        return;
    }
    // Every press tests what the boxes hold now, not an earlier press's values.
    Comm.setPortOpen(false);
    try {
        Comm.setCommPort(int(ui::wholeNumber(Tport->text().trimmed()).value_or(0)));
    } catch (const serial::PortError&) {
        ui::MsgBox(QStringLiteral("通訊端口設置錯誤"), 48);
        panelShown(false);
        return;
    }
    try {
        Comm.setSettings(Tset->text().trimmed());
    } catch (const serial::PortError&) {
        ui::MsgBox(QStringLiteral("通訊參數設置錯誤"), 48);
        panelShown(false);
        return;
    }
    const auto in = positiveShort(Tinb->text(), 1);
    const auto out = positiveShort(Toutb->text(), 1);
    bool opened = false;
    if (in && out) {
        Comm.setInBufferSize(*in);
        Comm.setOutBufferSize(*out);
        opened = controller::openPort(Comm);
    }
    ui::hourglass(true);
    const ui::CloseWatch watch(this);
    const auto outcome = opened ? controller::SetTime(Comm, int(*address), QTime::currentTime())
                                : controller::Outcome::PortFailed;
    ui::hourglass(false);
    panelShown(false);
    if (watch.closed())
        return;  // closed during the wait: nothing more to say
    switch (outcome) {
    case controller::Outcome::Ok: ui::MsgBox(QStringLiteral("測試成功"), 48); break;
    case controller::Outcome::WrongReply: ui::MsgBox(QStringLiteral("測試失敗"), 48); break;
    default: ui::MsgBox(QStringLiteral("通訊失敗"), 48); break;
    }
}
