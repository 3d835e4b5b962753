#include "frmzdcj.h"

#include "app.h"
#include "exchanges.h"
#include "linelender.h"
#include "recordset.h"
#include "runlog.h"
#include "sedafile.h"
#include "swipestore.h"
#include "wait.h"

#include <QDateTime>
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
    QStringList failures;
    {
        const BorrowedLine borrowed;
        app::ExchangeScope counted;
        for (int k = 0; k <= app::cjcount && isVisible(); ++k) {
            const int a = app::cjaddr[std::size_t(k)];
            LabDoor->setText(QStringLiteral("門禁控制器 %1 (第 %2 台, 共 %3 台)").arg(a).arg(k + 1).arg(app::cjcount + 1));
            reasons.clear();
            collectdoor(k);
            if (!reasons.isEmpty())
                failures << QStringLiteral("門禁控制器 %1: %2").arg(a).arg(reasons.join(QStringLiteral(", ")));
        }
        // Closed before the monitors take the line back.
        MSComm1.setInBufferCount(0);
        MSComm1.setOutBufferCount(0);
        MSComm1.setPortOpen(false);
    }
    keepOutcome(failures);
    running = false;
    close();
}

// Nobody watches the run and its window closes at its end: what it did is
// left where the operator finds it later, the main window and the log.
void FrmZDCJ::keepOutcome(const QStringList& failures) {
    QString what;
    QString few;
    if (app::cjcount < 0)
        what = few = QStringLiteral("沒有門禁控制器可以采集");
    else if (failures.isEmpty())
        what = few = QStringLiteral("%1 台門禁控制器已全部采集").arg(app::cjcount + 1);
    else {
        what = failures.join(QStringLiteral("; "));
        few = QStringLiteral("%1/%2 台未能全部采集").arg(failures.size()).arg(app::cjcount + 1);
    }
    const QDateTime ended = QDateTime::currentDateTime();
    const QString late = app::cjdeferral.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(app::cjdeferral);
    app::cjoutcome = ended.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral(" 自動采集") + late +
                     QStringLiteral(": ") + what;
    app::cjoutcomeShort = ended.toString(QStringLiteral("MM/dd HH:mm")) + QStringLiteral(" 自動采集") +
                          (late.isEmpty() ? QString() : QStringLiteral("(推遲)")) + QStringLiteral(": ") + few;
    if (!collection::logRun(app::cjoutcome)) {
        app::cjoutcome += QStringLiteral(" (寫入 collection.log 時出錯)");
        app::cjoutcomeShort += QStringLiteral(" (日誌出錯)");
    }
}

void FrmZDCJ::fail(const QString& why) {
    Lab->setText(why);
    reasons << why;
}

void FrmZDCJ::hideEvent(QHideEvent* event) {
    MSComm1.setInBufferCount(0);
    MSComm1.setOutBufferCount(0);
    MSComm1.setPortOpen(false);
    HeldDialog::hideEvent(event);
}

void FrmZDCJ::collectdoor(int k) {
    if (!controller::openFromSettings(MSComm1)) {
        fail(QStringLiteral("串口通信端口沒有打開"));
        return;
    }
    Lab->clear();
    progress.start(0);
    const int a = app::cjaddr[std::size_t(k)];
    if (!controller::sendFrame(MSComm1, frames::CollectRecordsFrame(a))) {
        fail(QStringLiteral("沒有數据輸出!"));
        return;
    }
    const serial::Stopwatch sent;
    if (!serial::waitForBytes(MSComm1, 3, 3, Limit::AtLeast, sent)) {
        fail(QStringLiteral("沒有數据輸出!"));
        return;
    }
    MSComm1.setInputLen(3);
    const auto header = frames::decodeCollectHeader(MSComm1.Input());
    if (!header || header->address != a) {
        fail(QStringLiteral("終端沒有數据輸出!"));
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
            fail(QStringLiteral("數据輸出故障!"));
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
    if (missed > 0) {
        reasons << QStringLiteral("%1 條記錄數据不正确, 未存入").arg(missed);
        done += QStringLiteral(" (%1)").arg(reasons.last());
    }
    done += QStringLiteral("\r\n");
    MSComm1.setInBufferCount(0);
    MSComm1.setOutBufferCount(0);
    MSComm1.setPortOpen(false);
    if (!seda::append(rows)) {
        reasons << QStringLiteral("寫入 seda.dat 時出錯, 記錄未存入");
        Lab->setText(done + reasons.last());
        return;
    }
    Lab->setText(done);
    savecollected();
}

void FrmZDCJ::savecollected() {
    if (!QFile::exists(seda::sedaFile()))
        return;
    const seda::ImportResult result = seda::importFile(app::db);
    QStringList problems;
    if (result.failed > 0)
        problems << QStringLiteral("%1 條記錄未能存入 (%2), 已保留在 seda.dat").arg(result.failed).arg(result.error);
    if (result.unreadable > 0)
        problems << QStringLiteral("%1 行無法讀取, 已移至 seda.bad").arg(result.unreadable);
    reasons << problems;
    QString text = Lab->text() + QStringLiteral("   已經存入");
    if (!problems.isEmpty())
        text += QStringLiteral(", ") + problems.join(QStringLiteral(", "));
    Lab->setText(text);
}
