#include "form2.h"

#include "app.h"
#include "exchanges.h"
#include "msgbox.h"
#include "placement.h"
#include "porterror.h"
#include "pointer.h"
#include "recordreader.h"
#include "recordset.h"
#include "sqlvalue.h"
#include "wait.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>

using serial::Limit;

namespace {

// Twips as the grid's column widths are given, at 15 to the pixel.
int twips(int t) { return t / 15; }

}  // namespace

// While a collection or a clear runs: the hourglass, the buttons held, the
// window kept open and the exit told to wait.
struct Form2::Busy {
    explicit Busy(Form2& w) : w(w) {
        w.running = true;
        w.holdButtons(true);
        ui::hourglass(true);
    }
    ~Busy() {
        ui::hourglass(false);
        w.running = false;
        w.holdButtons(false);
    }
    Form2& w;
    const app::CollectionHold held{QStringLiteral("數據采集")};
    app::ExchangeScope counted;
};

Form2::Form2(QWidget* parent) : HeldDialog(parent) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("                        數   据   采   集"));
    const auto named = [this](auto* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    Label1 = named(new QLabel(QStringLiteral("請選擇門禁地址﹕"), this), "Label1");
    ctext = named(new QComboBox(this), "ctext");
    ctext->setEditable(false);  // only a listed address can be chosen
    ctext->setMinimumContentsLength(6);
    cdok = named(new QPushButton(QStringLiteral("采集數据"), this), "cdok");
    Command1 = named(new QPushButton(QStringLiteral("清存儲器"), this), "Command1");
    cdexit = named(new QPushButton(QStringLiteral("結  束"), this), "cdexit");
    for (QPushButton* b : {cdok, Command1, cdexit})
        b->setAutoDefault(false);
    Frame1 = named(new QGroupBox(this), "Frame1");
    Label2 = named(new QLabel(QStringLiteral("記錄數(條)  "), Frame1), "Label2");
    Label3 = named(new QLabel(Frame1), "Label3");
    Label3->setMinimumWidth(Label3->fontMetrics().horizontalAdvance(QStringLiteral("第65535條記錄 ")));
    progress = named(new QProgressBar(Frame1), "progress");
    shownProgress = RecordProgress(progress);
    grid = named(new QTableWidget(0, 5, this), "grid");
    grid->setHorizontalHeaderLabels(
        {QStringLiteral(" 地址"), QStringLiteral("  卡號"), QStringLiteral("   日期"), QStringLiteral("   時間"), QStringLiteral("標志")});
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setMinimumSize(460, 220);
    labtext = named(new QLabel(this), "labtext");
    Label4 = named(new QLabel(this), "Label4");
    for (QLabel* l : {labtext, Label4}) {
        l->setWordWrap(true);
        l->setMinimumHeight(2 * l->fontMetrics().height() + 4);
    }
    ui::keepRoomWhenHidden(grid);
    grid->hide();

    auto* frameRow = new QHBoxLayout(Frame1);
    frameRow->addWidget(Label2);
    frameRow->addWidget(Label3);
    frameRow->addWidget(progress, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(Label1);
    top->addWidget(ctext);
    top->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cdok);
    buttons->addWidget(Command1);
    buttons->addStretch();
    buttons->addWidget(cdexit);
    auto* layout = new QGridLayout(this);
    layout->addLayout(top, 0, 0);
    layout->addWidget(Frame1, 1, 0);
    layout->addWidget(grid, 2, 0);
    layout->addWidget(labtext, 3, 0);
    layout->addWidget(Label4, 4, 0);
    layout->addLayout(buttons, 5, 0);
    layout->setRowStretch(2, 1);
    resize(620, 460);
    ui::placeWhenShown(this, ui::PlaceOn::Screen);

    connect(cdok, &QPushButton::clicked, this, &Form2::cdok_Click);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(cdexit, &QPushButton::clicked, this, &Form2::cdexit_Click);
}

bool Form2::Form_Load() {
    Label4->clear();
    ctext->clear();
    jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("select distinct 地址  from doors"), jet::dbOpenSnapshot);
    for (; !rs.Eof(); rs.MoveNext())
        ctext->addItem(rs.Field(QStringLiteral("地址")).toString());
    rs.Close();
    MSComm1.setPortOpen(false);
    try {
        controller::configurePort(MSComm1);
        MSComm1.setPortOpen(true);
    } catch (const serial::PortError& e) {
        // The window opens all the same: a collection tries the port again.
        Label4->setText(portErrorText(e, app::comport));
    }
    return true;
}

void Form2::holdButtons(bool held) {
    for (QPushButton* b : {cdok, Command1, cdexit})
        b->setEnabled(!held);
}

void Form2::hideEvent(QHideEvent* event) {
    MSComm1.setPortOpen(false);
    HeldDialog::hideEvent(event);
}

void Form2::cdexit_Click() { close(); }

void Form2::endFailed(const QString& text) {
    ctext->setFocus();
    if (!text.isNull())
        labtext->setText(text);
    Label4->clear();
    MSComm1.setInBufferCount(0);
    MSComm1.setOutBufferCount(0);
    MSComm1.setPortOpen(false);
}

void Form2::cdok_Click() {
    if (running)
        return;
    grid->hide();
    Label3->clear();
    if (!controller::openFromSettings(MSComm1)) {
        Label4->setText(QStringLiteral("串口通信端口沒有打開"));
        return;
    }
    labtext->clear();
    Busy busy(*this);
    const QString chosen = ctext->currentText().trimmed();
    const int a = chosen.toInt();
    collected.clear();
    if (chosen.isEmpty()) {
        QApplication::beep();
        MSComm1.setPortOpen(false);
        ctext->setFocus();
        return;
    }
    Label4->setText(QStringLiteral("正在采集數据..."));
    if (!controller::sendFrame(MSComm1, frames::CollectRecordsFrame(a))) {
        endFailed(QStringLiteral("系統忙，請重試,發送采集指令時出錯!"));
        return;
    }
    MSComm1.setInputLen(1);
    serial::Stopwatch wait;
    if (!serial::waitForBytes(MSComm1, 1, 1, Limit::MoreThan, wait)) {
        endFailed(QStringLiteral("系統忙，請重試,發送采集指令時出錯!"));
        return;
    }
    if (!frames::AddressEcho(MSComm1.Input(), a)) {
        endFailed(QStringLiteral("系統忙，請重試,接受采集數据總數時沒有得到正确的門禁控制器地址信號!"));
        return;
    }
    wait.restart();
    if (!serial::waitForBytes(MSComm1, 2, 3, Limit::AtLeast, wait)) {
        endFailed(QStringLiteral("系統忙，請重試,接收采集數据總數時等待超時!"));
        return;
    }
    MSComm1.setInputLen(2);
    const auto header = frames::decodeCollectHeader(QByteArray(1, char(a)) + MSComm1.Input());
    const int m = header ? header->count : 0;
    if (m == 0) {
        endFailed(QStringLiteral("沒有數据可以采集"));
        return;
    }
    shownProgress.start(m);
    const Reading read = readRecords(a, m);
    const int n = int(collected.size());
    shownProgress.finish(n + read.missed + read.unreadable);

    Label4->setText(QStringLiteral("數据采集完畢!"));
    showGrid();
    const swipes::StoreResult stored = swipes::storeRows(app::db, collected);

    labtext->setText(QStringLiteral("正确采集到  %1 條記錄!  應正确采集 %2條記錄!!").arg(n).arg(m));
    // The clear is advised only when every record is in data: it would lose
    // any that did not arrive, could not be read or were not stored.
    const int notArrived = m - n - read.unreadable;
    QStringList problems;
    if (read.stoppedAt > 0)
        problems << QStringLiteral("第 %1 條記錄無法讀取, 采集停在這條記錄").arg(read.stoppedAt);
    if (notArrived > 0)
        problems << QStringLiteral("有 %1 條記錄沒有正确采集到").arg(notArrived);
    if (read.unreadable > 0)
        problems << QStringLiteral("有 %1 條記錄數据不正确, 無法讀取").arg(read.unreadable);
    if (stored.failed() > 0)
        problems << QStringLiteral("有 %1 條記錄未能存入數据庫 (%2)").arg(stored.failed()).arg(stored.error);
    // A record the controller keeps that way stops every collection at it.
    if (read.stoppedAt > 0)
        problems << QStringLiteral("重新采集也會停在這條記錄, 請不要清空該門禁控制器存儲器中的數据!");
    else if (problems.isEmpty())
        problems << QStringLiteral("您已采集完該門禁控制器里的數据,請清空該門禁控制器存儲器中的數据!");
    else
        problems << QStringLiteral("請重新采集, 不要清空該門禁控制器存儲器中的數据!");
    Label4->setText(problems.join(QStringLiteral(", ")));
    ctext->setFocus();
    Frame1->setTitle(QString());
}

// Reads the announced records one by one; a record whose data doesn't come
// is skipped (missed), one that came is kept only when the stream shows it
// read in step, a stream that breaks off ends the reading.
Form2::Reading Form2::readRecords(int a, int m) {
    Reading read;
    swipes::RecordReader reader(a, swipes::OutOfRange::EachField);
    bool lastTaken = false;
    for (int i = 1; i <= m; ++i) {
        Label3->clear();
        Label3->setText(QStringLiteral("第%1條記錄 ").arg(i));
        serial::Stopwatch wait;
        if (!serial::waitForBytes(MSComm1, 1, 1, Limit::MoreThan, wait)) {
            endFailed(QStringLiteral("系統忙，請重試，接收數据時沒有得到正确的門禁控制器地址信號!"));
            break;
        }
        MSComm1.setInputLen(1);
        const QByteArray addressByte = MSComm1.Input();
        if (!frames::AddressEcho(addressByte, a)) {
            endFailed(QString());
            read.stoppedAt = i;
            break;
        }
        wait.restart();
        if (!serial::waitForBytes(MSComm1, 10, 3, Limit::AtLeast, wait)) {
            if (!MSComm1.PortOpen())
                break;  // the window went, or the line
            labtext->setText(QStringLiteral("數据輸出故障,采集數据時等待超時，沒有得到正确的采集數据!"));
            ++read.missed;
            continue;
        }
        MSComm1.setInputLen(10);
        reader.take(addressByte + MSComm1.Input());
        lastTaken = i == m;
        shownProgress.read(i);
    }
    // Nothing after the last record: the stream ended where its count said.
    reader.finish(lastTaken && reader.undecided() && MSComm1.PortOpen() && serial::staysQuiet(MSComm1));
    collected = reader.rows();
    read.unreadable = reader.unreadable();
    return read;
}

void Form2::showGrid() {
    grid->setRowCount(int(collected.size()));
    for (int k = 0; k < int(collected.size()); ++k) {
        const swipes::SwipeRow& r = collected[std::size_t(k)];
        const QStringList cells = {QString::number(r.address), r.card, jet::storedDate(r.date), jet::storedTime(r.time),
                                   QStringLiteral("  ") + QString::number(r.flag)};
        for (int c = 0; c < cells.size(); ++c)
            grid->setItem(k, c, new QTableWidgetItem(cells[c]));
    }
    // The widths were chosen for a smaller font than the program's: a column
    // never gets narrower than its values, so no date shows cut.
    const auto setWidth = [this](int column, int width) {
        grid->resizeColumnToContents(column);
        grid->setColumnWidth(column, std::max(width, grid->columnWidth(column)));
    };
    setWidth(0, twips(800));
    setWidth(2, twips(1200));
    setWidth(3, twips(1100));
    setWidth(4, twips(600));
    grid->show();
}

void Form2::clearGrid() {
    collected.clear();
    grid->clearContents();
    grid->setRowCount(0);
}

void Form2::Command1_Click() {
    if (running)
        return;
    const QString chosen = ctext->currentText().trimmed();
    if (chosen.isEmpty()) {
        Label4->setText(QStringLiteral("請先選擇門禁控制器"));
        ctext->setFocus();
        return;
    }
    if (ui::MsgBox(QStringLiteral("确信要刪除地址號為'%1'的門禁控制器上的數据嗎？！").arg(ctext->currentText()), 36,
                   QStringLiteral("提示信息")) != ui::vbYes)
        return;
    Label4->setText(QStringLiteral("在清存儲器之前,請确保已經正确采集到將該門禁控制器中的數据"));
    labtext->setText(QStringLiteral("請選擇另一台門禁控制器清除數据..."));
    const int a = chosen.toInt();
    if (!controller::openFromSettings(MSComm1)) {
        Label4->setText(QStringLiteral("串口通信端口沒有打開"));
        labtext->clear();
        return;
    }
    Busy busy(*this);
    Label4->setText(QStringLiteral("正在清理數据..."));
    switch (controller::ClearMemory(MSComm1, a, controller::collectionClear)) {
    case controller::Outcome::Ok:
        labtext->setText(QStringLiteral("已正确清除%1門禁控制器存儲器中的數据!").arg(ctext->currentText()));
        Label4->clear();
        clearGrid();
        return;
    case controller::Outcome::WrongReply:
        labtext->setText(QStringLiteral("接受的驗證碼不正确"));
        break;
    case controller::Outcome::NoReply:
        labtext->setText(QStringLiteral("清存儲器時接受驗證碼等待超時"));
        break;
    case controller::Outcome::PortFailed:
        labtext->clear();
        Label4->setText(QStringLiteral("串口通信端口沒有打開"));
        MSComm1.setPortOpen(false);
        return;
    case controller::Outcome::Refused:
        return;
    }
    Label4->clear();
    MSComm1.setPortOpen(false);
    ctext->setFocus();
}
