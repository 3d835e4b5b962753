#include "frmssjsn.h"

#include "app.h"
#include "exchanges.h"
#include "monitorkit.h"
#include "msgbox.h"
#include "named.h"
#include "recordset.h"

#include <QAction>
#include <QDateTime>
#include <QGridLayout>
#include <QHideEvent>
#include <QHBoxLayout>
#include <QLCDNumber>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QTime>
#include <QToolBar>

namespace {

// Column captions, widths in twips and a value of usual length each column
// is widened to show; the last column takes what is left.
struct Column {
    const char* caption;
    int twips;
    const char* usual;
};
constexpr Column columns[] = {
    {"通道描述", 1600, "99-1*東門大堂"}, {"門鎖狀態", 700, "?"}, {"卡號", 600, "000000"},
    {"姓名", 800, "歐陽小明"},           {"大廈", 1400, "東座大樓"}, {"職務", 600, "保安員"},
    {"進出狀態", 700, "進門"},           {"進出時間", 0, "2026/12/31 23:59:59"}};
enum { cardColumn = 3, nameColumn, departmentColumn, jobColumn, directionColumn, timeColumn };
constexpr int twipsPerPixel = 15;
constexpr int swipeWaitSeconds = 3;
// A swipe reply has room for its nine-byte record and four bytes after it;
// a longer one is malformed, whatever its first bytes say.
constexpr int longestSwipeReply = 13;

QString stateText(int state) {
    switch (state) {
    case FrmssjsN::closedState: return QStringLiteral("關");
    case FrmssjsN::openState: return QStringLiteral("開");
    default: return QStringLiteral("?");
    }
}

int stateOf(const QString& text) {
    if (text == QStringLiteral("關"))
        return FrmssjsN::closedState;
    if (text == QStringLiteral("開"))
        return FrmssjsN::openState;
    return FrmssjsN::unknownState;
}

QString rowText(const QVariant& address, int lock, const QVariant& description) {
    const QString head = address.toString() + QStringLiteral("-%1").arg(lock);
    return description.isNull() ? head : head + QLatin1Char('*') + description.toString();
}

// A padlock, shut or open, or a grey one with a question mark.
QPixmap padlock(int size, int state) {
    QPixmap p(size, size);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.scale(size / 16.0, size / 16.0);
    const QColor body = state == FrmssjsN::closedState ? QColor(30, 130, 60)
                        : state == FrmssjsN::openState ? QColor(220, 120, 20)
                                                       : QColor(130, 130, 130);
    g.setPen(QPen(body.darker(130), 1.6));
    g.setBrush(Qt::NoBrush);
    QPainterPath shackle;
    const double lift = state == FrmssjsN::openState ? 2 : 0;
    shackle.moveTo(4.5, 8 - lift);
    shackle.lineTo(4.5, 6 - lift);
    shackle.arcTo(4.5, 2.5 - lift, 7, 7, 180, -180);
    shackle.lineTo(11.5, state == FrmssjsN::openState ? 6 - lift : 8);
    g.drawPath(shackle);
    g.setPen(body.darker(150));
    g.setBrush(body);
    g.drawRoundedRect(QRectF(2.5, 7.5, 11, 7.5), 1.5, 1.5);
    if (state == FrmssjsN::unknownState) {
        g.setPen(Qt::white);
        QFont f = g.font();
        f.setPixelSize(7);
        f.setBold(true);
        g.setFont(f);
        g.drawText(QRectF(2.5, 7.5, 11, 7.5), Qt::AlignCenter, QStringLiteral("?"));
    }
    return p;
}

// Pictures 1 closed, 2 open, 3 indeterminate, each small and large.
QVector<QIcon> lockPictures() {
    QVector<QIcon> pictures;
    for (int state : {FrmssjsN::closedState, FrmssjsN::openState, FrmssjsN::unknownState}) {
        QIcon icon;
        icon.addPixmap(padlock(16, state));
        icon.addPixmap(padlock(32, state));
        pictures << icon;
    }
    return pictures;
}

}  // namespace

FrmssjsN::FrmssjsN(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmssjsN"));
    setWindowTitle(QStringLiteral("實時監控門鎖狀態"));
    doorlist = ui::named(new ListView(this), "doorlist");
    doorlist->setPictures(lockPictures());
    Toolbar1 = ui::named(new QToolBar(this), "Toolbar1");
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (auto [key, caption] : {std::pair{"ico", "大圖標"}, std::pair{"smallico", "小圖標"}, std::pair{"list", "列表"},
                                std::pair{"detail", "詳細資料"}}) {
        QAction* button = Toolbar1->addAction(QString::fromUtf8(caption));
        button->setData(QString::fromLatin1(key));
        button->setObjectName(QString::fromLatin1(key));
    }
    ico = ui::named(new QPushButton(QStringLiteral("大圖標"), this), "ico");
    smico = ui::named(new QPushButton(QStringLiteral("小圖標"), this), "smico");
    list = ui::named(new QPushButton(QStringLiteral("列表"), this), "list");
    details = ui::named(new QPushButton(QStringLiteral("詳細資料"), this), "details");
    closew = ui::named(new QPushButton(QStringLiteral("關閉"), this), "closew");
    for (QPushButton* b : {ico, smico, list, details, closew})
        b->setAutoDefault(false);
    DgTime2 = ui::named(new QLCDNumber(8, this), "DgTime2");
    DgTime2->setSegmentStyle(QLCDNumber::Flat);
    DgTime2->setMinimumSize(140, 32);

    auto* grid = new QGridLayout(this);
    // Two outer columns of the same width keep the clock in the middle.
    grid->addWidget(Toolbar1, 0, 0, Qt::AlignLeft);
    grid->addWidget(DgTime2, 0, 1, Qt::AlignCenter);
    for (int column : {0, 2}) {
        grid->setColumnStretch(column, 1);
        grid->setColumnMinimumWidth(column, Toolbar1->sizeHint().width());
    }
    grid->addWidget(doorlist, 1, 0, 1, 3);
    grid->setRowStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {ico, smico, list, details})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(closew);
    grid->addLayout(buttons, 2, 0, 1, 3);
    resize(792, 540);

    connect(Toolbar1, &QToolBar::actionTriggered, this,
            [this](QAction* button) { Toolbar1_ButtonClick(button->data().toString()); });
    connect(ico, &QPushButton::clicked, this, &FrmssjsN::ico_Click);
    connect(smico, &QPushButton::clicked, this, &FrmssjsN::smico_Click);
    connect(list, &QPushButton::clicked, this, &FrmssjsN::list_Click);
    connect(details, &QPushButton::clicked, this, &FrmssjsN::details_Click);
    connect(closew, &QPushButton::clicked, this, &FrmssjsN::closew_Click);
    connect(&Timer1, &QTimer::timeout, this, &FrmssjsN::Timer1_Timer);
    connect(&Comm, &serial::SerialPort::OnComm, this, &FrmssjsN::Comm_OnComm);
    connect(&clockTick, &QTimer::timeout, this, &FrmssjsN::showClock);
    Timer1.setInterval(100);
    clockTick.start(1000);
    showClock();
}

bool FrmssjsN::Form_Load() {
    jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("select * from doors order by clng(地址)"));
    if (rs.Eof()) {
        ui::MsgBox(QStringLiteral("請先設置門號地址！"));
    } else {
        int used = 0;
        for (const Column& c : columns) {
            const QString caption = QString::fromUtf8(c.caption);
            // The stated widths, widened where the caption or a usual value would be cut.
            const QFontMetrics text = doorlist->fontMetrics();
            const int least = qMax(text.horizontalAdvance(caption), text.horizontalAdvance(QString::fromUtf8(c.usual))) + 24;
            const int width = c.twips > 0 ? qMax(c.twips / twipsPerPixel, least) : qMax(doorlist->width() - used, least);
            doorlist->addColumn(caption, width);
            used += width;
        }
    }
    for (; !rs.Eof(); rs.MoveNext()) {
        const QVariant address = rs.Field(QStringLiteral("地址"));
        controllerList.push_back(address.toInt());
        for (int lock : {1, 2}) {
            if (rs.Field(QStringLiteral("dtype%1").arg(lock)).isNull())
                continue;
            const QString text = rowText(address, lock, rs.Field(QStringLiteral("namedr%1").arg(lock)));
            lockRowTable.push_back(LockRow{text, address.toInt(), lock});
            const int row = doorlist->addRow(text, unknownState + 1);
            doorlist->setText(row, 2, stateText(unknownState));
        }
    }
    rs.Close();
    if (!controller::openFromSettings(Comm)) {
        ui::MsgBox(QStringLiteral("串口沒有打開！"));
        return false;
    }
    pollPosition = 0;
    busy = 0;
    Timer1.start();
    return true;
}

void FrmssjsN::Timer1_Timer() {
    // With no controller there is nothing to ask.
    if (busy || controllerList.empty() || !controller::openFromSettings(Comm))
        return;
    BusyRun run(this, busy);
    lock1Row = lock2Row = -1;
    const int address = controllerList[pollPosition];
    for (std::size_t k = 0; k < lockRowTable.size(); ++k)
        if (lockRowTable[k].address == address)
            (lockRowTable[k].lock == 1 ? lock1Row : lock2Row) = int(k) + 1;
    polledAddress = address;
    pollPosition = (pollPosition + 1) % controllerList.size();
    // No event for what is left of the last reply while the frame goes out.
    Comm.setRThreshold(0);
    emptyBuffers(Comm);
    if (controller::sendFrame(Comm, frames::ReadLockStateFrame(address)) && !run.windowGone())
        Comm.setRThreshold(2);
}

void FrmssjsN::Comm_OnComm() {
    BusyRun run(this, busy);
    if (Comm.CommEvent() != serial::comEvReceive) {
        emptyBuffers(Comm);
        return;
    }
    Comm.setInputLen(0);
    const frames::LockState state = frames::decodeLockState(Comm.Input(), polledAddress);
    showState(lock1Row, stateOf(state.lock1));
    showState(lock2Row, stateOf(state.lock2));
    emptyBuffers(Comm);
    Comm.setRThreshold(0);
    if (stateOf(state.lock1) != openState && stateOf(state.lock2) != openState)
        return;
    readSwipe();
}

void FrmssjsN::readSwipe() {
    QPointer<FrmssjsN> alive(this);
    if (!controller::sendFrame(Comm, frames::ReadSwipeFrame(polledAddress))) {
        if (alive)
            emptyBuffers(Comm);
        return;
    }
    const serial::Stopwatch sent;
    // Its length is judged once it has all come. False too when the window
    // closed the port meanwhile: then nothing more.
    const bool complete = serial::waitForWhole(Comm, 9, swipeWaitSeconds, serial::Limit::AtLeast, sent);
    if (!alive)
        return;
    if (!complete) {
        if (Comm.PortOpen())
            emptyBuffers(Comm);
        return;
    }
    const QByteArray reply = Comm.Input();
    const auto swipe =
        reply.size() <= longestSwipeReply ? frames::decodeSwipe(reply, polledAddress) : std::nullopt;
    if (!swipe) {
        emptyBuffers(Comm);
        return;
    }
    controller::AckSwipe(Comm, std::uint8_t(reply[0]));
    int row = -1;
    QString direction;
    switch (swipe->flag) {
    case 1: row = lock1Row; direction = QStringLiteral("進門"); break;
    case 2: row = lock1Row; direction = QStringLiteral("出門"); break;
    case 3: row = lock2Row; direction = QStringLiteral("進門"); break;
    case 4: row = lock2Row; direction = QStringLiteral("出門"); break;
    default: return;
    }
    if (row != -1)
        showSwipe(row, swipe->physical, direction);
}

void FrmssjsN::showState(int row, int state) {
    if (row == -1 || doorlist->picture(row) == state + 1)
        return;
    doorlist->setPicture(row, state + 1);
    doorlist->setText(row, 2, stateText(state));
}

void FrmssjsN::showSwipe(int row, const QString& physical, const QString& direction) {
    const std::optional<cardstore::SwipeHolder> holder = swipeHolder(physical);
    if (!holder) {
        if (!doorlist->text(row, cardColumn).isEmpty())
            for (int column = cardColumn; column <= timeColumn; ++column)
                doorlist->setText(row, column, QString());
        return;
    }
    // The same card again leaves the row as it is, its time included.
    if (holder->card.toString() == doorlist->text(row, cardColumn))
        return;
    doorlist->setText(row, cardColumn, holder->card.toString());
    doorlist->setText(row, nameColumn, holder->name.toString());
    doorlist->setText(row, departmentColumn, holder->department.toString());
    doorlist->setText(row, jobColumn, holder->job.toString());
    doorlist->setText(row, directionColumn, direction);
    doorlist->setText(row, timeColumn, QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")));
}

void FrmssjsN::Toolbar1_ButtonClick(const QString& key) {
    if (key == QStringLiteral("ico"))
        ico_Click();
    else if (key == QStringLiteral("smallico"))
        smico_Click();
    else if (key == QStringLiteral("list"))
        list_Click();
    else if (key == QStringLiteral("detail"))
        details_Click();
}

void FrmssjsN::ico_Click() { doorlist->setView(ListView::lvwIcon); }
void FrmssjsN::smico_Click() { doorlist->setView(ListView::lvwSmallIcon); }
void FrmssjsN::list_Click() { doorlist->setView(ListView::lvwList); }
void FrmssjsN::details_Click() { doorlist->setView(ListView::lvwReport); }

void FrmssjsN::closew_Click() { close(); }

void FrmssjsN::showClock() { DgTime2->display(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))); }

void FrmssjsN::hideEvent(QHideEvent* event) {
    // Minimised, the window goes on watching.
    if (!event->spontaneous())
        Form_Unload();
    QDialog::hideEvent(event);
}

// Also while a handler waits for a swipe: the timers stop first, and the
// closed port ends that wait without the handler touching it again.
void FrmssjsN::Form_Unload() {
    clockTick.stop();
    stopPolling();
}

void FrmssjsN::stopPolling() {
    Timer1.stop();
    Comm.setRThreshold(0);
    if (Comm.PortOpen()) {
        emptyBuffers(Comm);
        Comm.setPortOpen(false);
    }
}

void FrmssjsN::openLine() { controller::openFromSettings(Comm); }
