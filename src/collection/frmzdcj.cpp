#include "frmzdcj.h"

#include "app.h"
#include "exchanges.h"
#include "recordreader.h"
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
#include <algorithm>

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
    std::vector<std::pair<int, QStringList>> collected;
    keptLines.clear();
    setAsideLines.clear();
    {
        const BorrowedLine borrowed;
        app::ExchangeScope counted;
        for (int k = 0; k <= app::cjcount && isVisible(); ++k) {
            const int a = app::cjaddr[std::size_t(k)];
            LabDoor->setText(QStringLiteral("門禁控制器 %1 (第 %2 台, 共 %3 台)").arg(a).arg(k + 1).arg(app::cjcount + 1));
            reasons.clear();
            collectdoor(k);
            collected.emplace_back(a, reasons);
        }
        // Closed before the monitors take the line back.
        MSComm1.setInBufferCount(0);
        MSComm1.setOutBufferCount(0);
        MSComm1.setPortOpen(false);
    }
    keepOutcome(outcomeOf(collected));
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

namespace {

QString sourceName(int address) {
    return address < 0 ? QStringLiteral("seda.dat") : QStringLiteral("門禁控制器 %1").arg(address);
}

int countOf(const std::map<int, int>& counts, int address) {
    const auto found = counts.find(address);
    return found == counts.end() ? 0 : found->second;
}

// What became of one controller's lines of seda.dat.
QStringList lineProblems(int kept, int setAside, const QString& error) {
    QStringList problems;
    if (kept > 0)
        problems << QStringLiteral("%1 條記錄未能存入 (%2), 已保留在 seda.dat").arg(kept).arg(error);
    if (setAside > 0)
        problems << QStringLiteral("%1 行無法讀取, 已移至 seda.bad").arg(setAside);
    return problems;
}

// For each source of lines beyond those given, in address order and
// seda.dat last, what became of its lines.
QStringList othersProblems(const std::vector<int>& given, const std::map<int, int>& kept,
                           const std::map<int, int>& setAside, const QString& error) {
    std::vector<int> others;
    for (const auto* counts : {&kept, &setAside})
        for (const auto& [address, n] : *counts)
            if (n > 0 && std::find(given.begin(), given.end(), address) == given.end() &&
                std::find(others.begin(), others.end(), address) == others.end())
                others.push_back(address);
    std::sort(others.begin(), others.end(), [](int x, int y) { return x >= 0 && (y < 0 || x < y); });
    QStringList problems;
    for (int source : others)
        problems << QStringLiteral("%1: %2").arg(
                        sourceName(source),
                        lineProblems(countOf(kept, source), countOf(setAside, source), error).join(QStringLiteral(", ")));
    return problems;
}

}  // namespace

// A line kept over by several imports is told of once, as the last left it.
QStringList FrmZDCJ::outcomeOf(const std::vector<std::pair<int, QStringList>>& collected) const {
    QStringList failures;
    std::vector<int> named;
    for (const auto& [a, why] : collected) {
        named.push_back(a);
        const QStringList all = why + lineProblems(countOf(keptLines, a), countOf(setAsideLines, a), keptError);
        if (!all.isEmpty())
            failures << QStringLiteral("%1: %2").arg(sourceName(a), all.join(QStringLiteral(", ")));
    }
    return failures + othersProblems(named, keptLines, setAsideLines, keptError);
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
    collecting = a;
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
    swipes::RecordReader reader(a, swipes::OutOfRange::Whole);
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
        reader.take(MSComm1.Input());
        progress.read(i);
    }
    // Nothing after the last record: the stream ended where its count said.
    reader.finish(reader.undecided() && serial::staysQuiet(MSComm1));
    const std::vector<swipes::SwipeRow>& rows = reader.rows();
    QString done = QStringLiteral("正确采集到  %1 條記錄").arg(rows.size());
    if (reader.unreadable() > 0) {
        reasons << QStringLiteral("%1 條記錄數据不正确, 未存入").arg(reader.unreadable());
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
    // Every import reads the whole file: what it kept is all that is kept.
    keptLines = result.failedBy;
    keptError = result.error;
    for (const auto& [address, n] : result.unreadableBy)
        setAsideLines[address] += n;
    // This controller's lines first, then those of each other it met.
    const int a = collecting;
    QStringList problems = lineProblems(countOf(result.failedBy, a), countOf(result.unreadableBy, a), result.error);
    problems << othersProblems({a}, result.failedBy, result.unreadableBy, result.error);
    QString text = Lab->text() + QStringLiteral("   已經存入");
    if (!problems.isEmpty())
        text += QStringLiteral(", ") + problems.join(QStringLiteral(", "));
    Lab->setText(text);
}
