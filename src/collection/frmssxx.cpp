#include "frmssxx.h"

#include "app.h"
#include "exchanges.h"
#include "monitorkit.h"
#include "msgbox.h"
#include "named.h"
#include "photobox.h"
#include "placement.h"
#include "porterror.h"
#include "recordset.h"

#include <QFrame>
#include <QGridLayout>
#include <QHideEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QTime>

namespace {

constexpr int twipsPerPixel = 15;
constexpr int restOfRecord = 8;          // the bytes of a swipe record after its address
constexpr double restWaitSeconds = 3;    // as long as the lock monitor gives the whole record

QString channelText(int address, int flag) {
    static const char* const passes[] = {"-1進", "-1出", "-2進", "-2出"};
    if (flag < 1 || flag > 4)
        return QString();
    return QString::number(address) + QString::fromUtf8(passes[flag - 1]);
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int pixels) {
    auto* l = ui::named(new QLabel(text, parent), name);
    QFont f = l->font();
    f.setPixelSize(pixels);
    f.setBold(true);
    l->setFont(f);
    return l;
}

}  // namespace

FrmSSXX::FrmSSXX(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmSSXX"));
    setWindowTitle(QStringLiteral("     實時監視進出門打卡情況"));
    Picture1 = ui::named(new QFrame(this), "Picture1");
    Picture1->setFrameShape(QFrame::StyledPanel);
    Picture1->setAutoFillBackground(true);
    QPalette back = Picture1->palette();
    back.setColor(QPalette::Window, QColor(20, 40, 80));
    back.setColor(QPalette::WindowText, QColor(250, 250, 210));
    Picture1->setPalette(back);
    Image1 = ui::named(new photo::PhotoBox(Picture1), "Image1");

    Label8 = label(Picture1, "Label8", QStringLiteral("卡號:"), 24);
    Label5 = label(Picture1, "Label5", QStringLiteral("姓名:"), 24);
    Label6 = label(Picture1, "Label6", QStringLiteral("時間:"), 24);
    Label7 = label(Picture1, "Label7", QStringLiteral("大廈:"), 24);
    Label9 = label(Picture1, "Label9", QStringLiteral("職務:"), 24);
    Label3 = label(Picture1, "Label3", QStringLiteral("通道："), 24);
    for (int i = 0; i < 6; ++i) {
        Label2[std::size_t(i)] = label(Picture1, "", QString(), 24);
        Label2[std::size_t(i)]->setObjectName(QStringLiteral("Label2_%1").arg(i));
        // A long value wraps rather than run under the photo.
        Label2[std::size_t(i)]->setWordWrap(true);
        Label2[std::size_t(i)]->setMinimumWidth(200);
    }
    Label4 = label(Picture1, "Label4", QString(), 14);
    Label4->setWordWrap(true);
    Label4->setMinimumWidth(300);
    Label4->setStyleSheet(QStringLiteral("color: rgb(255, 160, 160);"));

    // Values top to bottom, each beside its caption; the photo takes the right half.
    auto* values = new QGridLayout;
    const std::pair<QLabel*, QLabel*> rows[] = {{Label8, Label2[5]}, {Label5, Label2[0]}, {Label6, Label2[1]},
                                                {Label7, Label2[2]}, {Label9, Label2[3]}, {Label3, Label2[4]}};
    int r = 0;
    values->setRowStretch(r++, 1);
    for (auto [caption, value] : rows) {
        values->addWidget(caption, r, 0, Qt::AlignRight | Qt::AlignTop);
        values->addWidget(value, r++, 1, Qt::AlignTop);
    }
    values->addWidget(Label4, r++, 0, 1, 2);
    values->setRowStretch(r, 1);
    values->setColumnStretch(1, 1);
    values->setVerticalSpacing(18);
    auto* halves = new QHBoxLayout(Picture1);
    halves->addLayout(values, 1);
    halves->addWidget(Image1, 1);
    auto* whole = new QHBoxLayout(this);
    whole->setContentsMargins(300 / twipsPerPixel / 2, 600 / twipsPerPixel / 2, 300 / twipsPerPixel / 2,
                              600 / twipsPerPixel / 2);
    whole->addWidget(Picture1);

    connect(&TimerScanTD, &QTimer::timeout, this, &FrmSSXX::TimerScanTD_Timer);
    connect(&Timer2, &ClockTimer::timeout, this, &FrmSSXX::Timer2_Timer);
    connect(&MSComm1, &serial::SerialPort::OnComm, this, &FrmSSXX::MSComm1_OnComm);
    Form_Load();
    TimerScanTD.start(100);
    Timer2.setInterval(60);
    Timer2.start();
}

void FrmSSXX::Form_Load() {
    clearDisplay();
    Label4->clear();
    scanPosition = 0;
    // The whole screen below the main window's menu bar, frame and all.
    ui::fillWhenShown(this);

    jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("select distinct 地址  from doors"));
    if (rs.Eof()) {
        ui::MsgBox(QStringLiteral("請先進行門鎖設置！"));
        return;
    }
    for (; !rs.Eof(); rs.MoveNext())
        addressList << rs.Field(0).toString();
    rs.Close();
    openLine();
}

void FrmSSXX::openLine() {
    MSComm1.setPortOpen(false);
    try {
        MSComm1.setInputLen(0);
        controller::configurePort(MSComm1);
        MSComm1.setPortOpen(true);
        Label4->clear();
    } catch (const serial::PortError& e) {
        Label4->setText(portErrorText(e, app::comport));
    }
}

void FrmSSXX::TimerScanTD_Timer() {
    // With no controller there is nothing to ask.
    if (busy || addressList.isEmpty())
        return;
    scandoor(scanPosition);
    if (++scanPosition > addressList.size() - 1)
        scanPosition = 0;
}

void FrmSSXX::scandoor(int position) {
    if (!MSComm1.PortOpen())
        return;
    BusyRun run(this, busy);
    // No event for a stray byte while the frame goes out.
    MSComm1.setRThreshold(0);
    emptyBuffers(MSComm1);
    polledAddress = addressList.value(position).toInt();
    if (controller::sendFrame(MSComm1, frames::ReadSwipeFrame(polledAddress)) && !run.windowGone())
        MSComm1.setRThreshold(1);
}

void FrmSSXX::MSComm1_OnComm() {
    BusyRun run(this, busy);
    QPointer<FrmSSXX> alive(this);
    const auto end = [&] {
        if (alive && MSComm1.PortOpen())
            emptyBuffers(MSComm1);
    };
    if (MSComm1.CommEvent() != serial::comEvReceive)
        return end();
    MSComm1.setInputLen(1);
    const QByteArray first = MSComm1.Input();
    MSComm1.setInputLen(0);
    if (first.isEmpty() || std::uint8_t(first[0]) != polledAddress)
        return end();
    const int replyAddress = std::uint8_t(first[0]);
    const serial::Stopwatch since;
    // A record cut short is dropped unacknowledged: the controller keeps it
    // and offers it again.
    const bool complete =
        serial::waitForBytes(MSComm1, restOfRecord, restWaitSeconds, serial::Limit::AtLeast, since);
    if (!alive)
        return;
    if (!complete)
        return end();
    // Bytes beyond the record's end are not read as part of it.
    const auto swipe = frames::decodeSwipe(first + MSComm1.Input(), polledAddress);
    if (!swipe)
        return end();
    physicalNumber = swipe->physical;
    directionCode = swipe->flag;
    controller::AckSwipe(MSComm1, replyAddress);
    showswiper(physicalNumber, replyAddress);
    end();
}

void FrmSSXX::showswiper(const QString& physical, int address) {
    const std::optional<cardstore::SwipeHolder> holder = swipeHolder(physical);
    if (!holder) {
        clearDisplay();
        return;
    }
    // Every value is this swipe's, an empty one included: nothing of the
    // person shown before stays beside it.
    Label2[5]->setText(holder->card.toString());
    Label2[0]->setText(holder->name.toString());
    Label2[2]->setText(holder->department.toString());
    Label2[3]->setText(holder->job.toString());
    Label2[1]->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    Label2[4]->setText(channelText(address, directionCode));
    const QString photoFile = holder->photo.toString().trimmed();
    if (photoFile.isEmpty() || !Image1->LoadPicture(photoFile))
        Image1->LoadPicture(photo::defaultPictureFile());
}

void FrmSSXX::Timer2_Timer() {
    if (++clearCount < 2)
        return;
    Timer2.stop();
    clearDisplay();
}

void FrmSSXX::clearDisplay() {
    Image1->Clear();
    for (QLabel* value : Label2)
        value->clear();
}

// Also while a handler waits for the rest of a record: the timers stop
// first, and the closed port ends that wait without the handler touching it.
void FrmSSXX::hideEvent(QHideEvent* event) {
    // Minimised, the window goes on watching.
    if (!event->spontaneous()) {
        Timer2.stop();
        stopScanning();
    }
    QDialog::hideEvent(event);
}

void FrmSSXX::stopScanning() {
    TimerScanTD.stop();
    MSComm1.setRThreshold(0);
    MSComm1.setPortOpen(false);
}
