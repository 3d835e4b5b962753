#include "frmzdcj.h"

#include "app.h"
#include "exchanges.h"
#include "recordset.h"
#include "sedafile.h"
#include "swipestore.h"
#include "wait.h"

#include <QFile>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

using serial::Limit;

FrmZDCJ::FrmZDCJ(QWidget* parent) : HeldDialog(parent) {
    setObjectName(QStringLiteral("FrmZDCJ"));
    setWindowTitle(QStringLiteral("自動采集數据"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setFixedSize(1, 1);  // takes the focus; nothing to see
    LabDoor = new QLabel(this);
    LabDoor->setObjectName(QStringLiteral("LabDoor"));
    Lab = new QLabel(this);
    Lab->setObjectName(QStringLiteral("Lab"));
    Lab->setWordWrap(true);
    Lab->setMinimumHeight(3 * Lab->fontMetrics().height());
    Bar = new QProgressBar(this);
    Bar->setObjectName(QStringLiteral("Bar"));
    progress = RecordProgress(Bar);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Text1);
    layout->addWidget(LabDoor);
    layout->addWidget(Lab);
    layout->addWidget(Bar);
    resize(460, 170);
    Text1->installEventFilter(this);
    setFocusProxy(Text1);
    Form_Load();
}

void FrmZDCJ::Form_Load() {
    own = jet::OpenDatabase(app::databaseFile());
    app::cjcount = -1;
    jet::Recordset rs = own.OpenRecordset(QStringLiteral("doors"), jet::dbOpenTable);
    for (; !rs.Eof() && app::cjcount < short(app::cjaddr.size() - 1); rs.MoveNext())
        app::cjaddr[std::size_t(++app::cjcount)] = short(rs.Field(QStringLiteral("地址")).toInt());
    rs.Close();
}

bool FrmZDCJ::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text1 && event->type() == QEvent::FocusIn)
        Text1_GotFocus();
    return QDialog::eventFilter(watched, event);
}

void FrmZDCJ::Text1_GotFocus() {
    // Once per showing: the focus coming back after another window took it
    // must not start a second run over the first.
    if (started)
        return;
    started = true;
    QTimer::singleShot(0, this, &FrmZDCJ::run);
}

void FrmZDCJ::run() {
    running = true;
    {
        app::ExchangeScope counted;
        for (int k = 0; k <= app::cjcount && isVisible(); ++k) {
            LabDoor->setText(QStringLiteral("門禁控制器 %1 (第 %2 台, 共 %3 台)")
                                 .arg(app::cjaddr[std::size_t(k)])
                                 .arg(k + 1)
                                 .arg(app::cjcount + 1));
            collectdoor(k);
        }
    }
    running = false;
    close();
}

void FrmZDCJ::hideEvent(QHideEvent* event) {
    MSComm1.setInBufferCount(0);
    MSComm1.setOutBufferCount(0);
    MSComm1.setPortOpen(false);
    HeldDialog::hideEvent(event);
}

void FrmZDCJ::collectdoor(int k) {
    if (!controller::openFromSettings(MSComm1)) {
        Lab->setText(QStringLiteral("串口通信端口沒有打開"));
        return;
    }
    Lab->clear();
    progress.start(0);
    const int a = app::cjaddr[std::size_t(k)];
    if (!controller::sendFrame(MSComm1, frames::CollectRecordsFrame(a))) {
        Lab->setText(QStringLiteral("沒有數据輸出!"));
        return;
    }
    const serial::Stopwatch sent;
    if (!serial::waitForBytes(MSComm1, 3, 3, Limit::AtLeast, sent)) {
        Lab->setText(QStringLiteral("沒有數据輸出!"));
        return;
    }
    MSComm1.setInputLen(3);
    const auto header = frames::decodeCollectHeader(MSComm1.Input());
    if (!header || header->address != a) {
        Lab->setText(QStringLiteral("終端沒有數据輸出!"));
        MSComm1.setInBufferCount(0);
        MSComm1.setOutBufferCount(0);
        return;
    }
    const int m = header->count;
    if (m == 0) {
        Lab->setText(QStringLiteral("終端沒有數据輸出!"));
        return;
    }
    Lab->setText(QStringLiteral("正在采集第1條記錄"));
    progress.start(m);
    std::vector<swipes::SwipeRow> rows;
    rows.reserve(std::size_t(m));
    int missed = 0;
    MSComm1.setInputLen(11);
    for (int i = 1; i <= m; ++i) {
        const serial::Stopwatch wait;
        if (!serial::waitForBytes(MSComm1, 11, 2, Limit::AtLeast, wait)) {
            // What was read stays in the controller and comes again next run.
            Lab->setText(QStringLiteral("數据輸出故障!"));
            progress.finish(i - 1);
            MSComm1.setInBufferCount(0);
            MSComm1.setOutBufferCount(0);
            MSComm1.setPortOpen(false);
            return;
        }
        if (const auto row = swipes::decodeRecord(MSComm1.Input(), a, swipes::OutOfRange::Whole))
            rows.push_back(*row);
        else
            ++missed;
        progress.read(i);
    }
    QString done = QStringLiteral("正确采集到  %1 條記錄").arg(m - missed);
    if (missed > 0)
        done += QStringLiteral(" (%1 條記錄數据不正确, 未存入)").arg(missed);
    done += QStringLiteral("\r\n");
    MSComm1.setInBufferCount(0);
    MSComm1.setOutBufferCount(0);
    MSComm1.setPortOpen(false);
    if (!seda::append(rows)) {
        Lab->setText(done + QStringLiteral("寫入 seda.dat 時出錯, 記錄未存入"));
        return;
    }
    Lab->setText(done);
    savecollected();
}

void FrmZDCJ::savecollected() {
    if (!QFile::exists(seda::sedaFile()))
        return;
    const seda::ImportResult result = seda::importFile(app::db);
    QString text = Lab->text() + QStringLiteral("   已經存入");
    if (result.failed > 0)
        text += QStringLiteral(", %1 條記錄未能存入 (%2), 已保留在 seda.dat").arg(result.failed).arg(result.error);
    Lab->setText(text);
}
