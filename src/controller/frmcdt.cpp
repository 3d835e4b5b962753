#include "frmcdt.h"

#include "app.h"
#include "exchanges.h"
#include "datepicker.h"
#include "msgbox.h"
#include "named.h"
#include "recordset.h"
#include "numbers.h"
#include "timepicker.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimeEdit>

namespace {

// The keys the address box still takes: moving on, leaving the window, and
// choosing from the list (the arrows step through it, F4 and Alt+Down open it).
bool movesOrChooses(const QKeyEvent* key) {
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_F4:
        return true;
    default:
        return false;
    }
}

QPixmap doorPicture() {
    QPixmap p(48, 48);
    p.fill(Qt::transparent);
    QPainter painter(&p);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(150, 90, 40));
    painter.drawRect(10, 4, 28, 40);
    painter.setBrush(QColor(240, 200, 60));
    painter.drawEllipse(30, 24, 4, 4);
    return p;
}

}  // namespace

FrmCDT::FrmCDT(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmCDT"));
    setWindowTitle(QStringLiteral("修改卡机日期時間"));
    Combo1 = ui::pickBox(this, "Combo1");
    Combo1->installEventFilter(this);
    Combo1->lineEdit()->installEventFilter(this);
    DTP1 = ui::named(new ui::DatePicker(this), "DTP1");
    DTP1->setDateRange(frames::firstControllerDate(), frames::lastControllerDate());
    DTX2 = new ui::TimePicker(this);
    DTX2->setObjectName(QStringLiteral("DTX2"));
    DTX2->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    Cmddate = new QPushButton(QStringLiteral("修改日期"), this);
    Cmddate->setObjectName(QStringLiteral("Cmddate"));
    Cmdtime = new QPushButton(QStringLiteral("修改時間"), this);
    Cmdtime->setObjectName(QStringLiteral("Cmdtime"));
    for (QPushButton* b : {Cmddate, Cmdtime})
        b->setAutoDefault(false);
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(doorPicture());
    Picture1->setCursor(Qt::PointingHandCursor);
    Picture1->installEventFilter(this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("請選擇地址："), this), 0, 0);
    grid->addWidget(Combo1, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("日期："), this), 1, 0);
    grid->addWidget(DTP1, 1, 1);
    grid->addWidget(Cmddate, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("時間："), this), 2, 0);
    grid->addWidget(DTX2, 2, 1);
    grid->addWidget(Cmdtime, 2, 2);
    grid->addWidget(Picture1, 0, 2, Qt::AlignRight);

    connect(Cmddate, &QPushButton::clicked, this, &FrmCDT::Cmddate_Click);
    connect(Cmdtime, &QPushButton::clicked, this, &FrmCDT::Cmdtime_Click);
    connect(&Comm, &serial::SerialPort::OnComm, this, &FrmCDT::Comm_OnComm);
    Form_Load();
}

void FrmCDT::Form_Load() {
    jet::Recordset rs =
        app::db.OpenRecordset(QStringLiteral("select distinct 地址 from doors order by 地址"), jet::dbOpenSnapshot);
    if (!rs.Eof())
        Combo1->setEditText(rs.Field(QStringLiteral("地址")).toString());
    for (; !rs.Eof(); rs.MoveNext())
        Combo1->addItem(rs.Field(QStringLiteral("地址")).toString());
    rs.Close();
    DTP1->setDate(QDate::currentDate());
    DTX2->setTime(QTime::currentTime());
}

bool FrmCDT::eventFilter(QObject* watched, QEvent* event) {
    // The address is only picked from the list: typing goes nowhere.
    if ((watched == Combo1 || watched == Combo1->lineEdit()) && event->type() == QEvent::KeyPress)
        return !movesOrChooses(static_cast<QKeyEvent*>(event));
    if (watched == Picture1 && event->type() == QEvent::MouseButtonRelease) {
        Picture1_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void FrmCDT::hideEvent(QHideEvent* event) {
    Comm.setPortOpen(false);
    QDialog::hideEvent(event);
}

void FrmCDT::Picture1_Click() { close(); }

void FrmCDT::Cmddate_Click() { send(QStringLiteral("請選擇地址 ！"), 1); }

void FrmCDT::Cmdtime_Click() { send(QStringLiteral("請選擇地址！"), 2); }

void FrmCDT::send(const QString& emptyMessage, int kind) {
    savedAddress = -1;
    const QString text = Combo1->currentText().trimmed();
    if (text.isEmpty()) {
        ui::MsgBox(emptyMessage);
        return;
    }
    savedAddress = int(ui::leadingNumber(text));
    const auto frame = kind == 1 ? frames::SetDateFrame(savedAddress, DTP1->date())
                                 : frames::SetTimeFrame(savedAddress, DTX2->time());
    if (!Comm.PortOpen()) {
        Comm.setRThreshold(1);
        Comm.setSThreshold(1);
        if (!controller::openFromSettings(Comm))
            return;
    }
    request = kind;
    if (!controller::sendFrame(Comm, frame))
        request = 0;
}

void FrmCDT::Comm_OnComm() {
    if (Comm.CommEvent() != serial::comEvReceive)
        return;
    Comm.setInputLen(0);
    const QByteArray reply = Comm.Input();
    if (!reply.isEmpty() && frames::AddressEcho(reply, savedAddress) && request != 0) {
        ui::MsgBox(request == 1 ? QStringLiteral("修改日期成功！") : QStringLiteral("修改時間成功！"));
        request = 0;
        return;
    }
    ui::MsgBox(QStringLiteral("通信失敗!請重試！"));
}
