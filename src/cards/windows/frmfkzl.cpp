#include "frmfkzl.h"

#include "app.h"
#include "cardentry.h"
#include "dbfailure.h"
#include "exchanges.h"
#include "frames.h"
#include "issuedcards.h"
#include "msgbox.h"
#include "placement.h"
#include "recordset.h"
#include "sqlvalue.h"
#include "keys.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

FrmFKZL::FrmFKZL(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmFKZL"));
    setWindowTitle(QStringLiteral("發卡信息重整"));
    setAttribute(Qt::WA_DeleteOnClose);

    Label1 = new QLabel(QStringLiteral("提示：此項操作將重新清理門禁控制器，使得控制器\n的開門名單与發卡庫相符。"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("請選擇地址:"), this);
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setMinimumContentsLength(4);  // an address, and room to spare
    Label3 = new QLabel(QStringLiteral("已發卡數："), this);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    PrgBar = new QProgressBar(this);
    PrgBar->setObjectName(QStringLiteral("PrgBar"));
    ui::keepRoomWhenHidden(PrgBar);
    PrgBar->setVisible(false);
    Command1 = new QPushButton(QStringLiteral("開始"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("退出"), this);
    Command2->setObjectName(QStringLiteral("Command2"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0, 1, 4);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Combo1, 1, 1);
    grid->addWidget(Label3, 1, 2);
    grid->addWidget(Text1, 1, 3);
    grid->addWidget(PrgBar, 2, 0, 1, 4);
    grid->addWidget(Command1, 3, 2);
    grid->addWidget(Command2, 3, 3);

    connect(Command1, &QPushButton::clicked, this, &FrmFKZL::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QWidget::close);
    Form_Load();
}

void FrmFKZL::Form_Load()
{
    MSComm1 = new serial::SerialPort(this);
    try {
        controller::configurePort(*MSComm1);
    } catch (const serial::PortError&) {
        // Refused settings: the port won't open, which the rebuild reports.
    }
    try {
        jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("select distinct 地址 from doors order by 地址"));
        for (; !rs.Eof(); rs.MoveNext()) {
            Combo1->addItem(rs.Field(0).toString());
            addresses << rs.Field(0).toInt();
        }
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
    Combo1->setCurrentIndex(-1);
    counter = 0;
}

void FrmFKZL::closeEvent(QCloseEvent* event)
{
    // Not in the middle of an exchange: the controller's list would be left
    // half rebuilt without the operator knowing.
    if (running)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

// Escape as well: the window is not taken away from under a waiting exchange.
void FrmFKZL::reject()
{
    if (!running)
        QDialog::reject();
}

// No button is the window's default one: Enter in the address box must not
// erase a controller's list. A button with the focus takes its own Enter.
void FrmFKZL::keyPressEvent(QKeyEvent* event)
{
    if (!ui::isEnter(event))
        QDialog::keyPressEvent(event);
}

void FrmFKZL::Command1_Click()
{
    if (running)
        return;
    if (Combo1->currentIndex() < 0 || Combo1->currentText().trimmed().isEmpty()) {
        ui::MsgBox(QStringLiteral("請先選擇地址!"), 0);
        Combo1->setFocus();
        return;
    }
    const app::CollectionHold held(QStringLiteral("發卡信息重整"));
    running = true;
    rebuild();
    running = false;
}

namespace {

// A window column holding what is no date, weekday or time would go out as
// no window: the card would open the door at any day and hour.
QString unreadable(const jet::Recordset& row)
{
    QStringList reasons;
    for (const auto& [column, text] : cardstore::unreadableWindows(row))
        reasons << column + QStringLiteral("「") + text + QStringLiteral("」無法識別");
    return reasons.join(QStringLiteral("，"));
}

}  // namespace

// Every row is read and checked before the controller's list is erased: a
// row that can't be sent would otherwise leave the controller without that
// card and every one after it, however often the operator retried.
void FrmFKZL::rebuild()
{
    const int a = addresses.value(Combo1->currentIndex());
    QList<cardstore::IssuedCard> issued;
    QStringList unreadWindows;  // of each row
    try {
        jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("select * from faka where 地址=")
                                                  + sql::number(qint64(a)) + QStringLiteral(" order by 卡號"));
        for (; !rs.Eof(); rs.MoveNext()) {
            issued << cardstore::fromRow(rs);
            unreadWindows << unreadable(rs);
        }
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return;
    }
    QList<cardstore::IssuedCard> sendable;
    QStringList unsent;
    for (qsizetype i = 0; i < issued.size(); ++i) {
        const cardstore::IssuedCard& card = issued[i];
        QStringList reasons{unsendable(card), unreadWindows[i]};
        reasons.removeAll(QString());
        if (reasons.isEmpty())
            sendable << card;
        else
            unsent << card.card + QStringLiteral("：") + reasons.join(QStringLiteral("，"));
    }
    if (!goOnWithout(unsent, QStringLiteral("重整")))
        return;

    if (!clearCardList(a))
        return;
    if (issued.isEmpty()) {
        ui::MsgBox(QStringLiteral("沒有發卡信息！"), 0);
        Command2->setFocus();
        return;
    }

    PrgBar->setVisible(true);
    PrgBar->setMaximum(int(sendable.size()) * 100);
    PrgBar->setValue(0);
    counter = 0;
    for (const cardstore::IssuedCard& card : sendable) {
        while (!download(card)) {
            if (ui::MsgBox(QStringLiteral("   通信故障!"), 5, QStringLiteral("出錯")) != ui::vbRetry)
                return;
        }
        PrgBar->setValue(PrgBar->value() + 100);
        ++counter;
        Text1->setText(QString::number(counter));
        QApplication::processEvents();
    }
    // Every card that could be sent has been: a cancelled download returned above.
    if (unsent.isEmpty())
        ui::MsgBox(QStringLiteral("重整成功！"), 0);
    else
        ui::MsgBox(QStringLiteral("重整完畢！已下載 %1 張卡；%2 張卡無法下載，控制器中沒有這些卡。")
                       .arg(counter)
                       .arg(unsent.size()),
                   48);
    counter = 0;
    PrgBar->setValue(PrgBar->maximum());
    PrgBar->setVisible(false);
    Command2->setFocus();
}

// The list erasure: 3 seconds for the echo. Every way it can fail is told,
// and the port is closed, so the next try starts on a clean line.
bool FrmFKZL::clearCardList(int address)
{
    const controller::Outcome outcome = controller::ClearCardList(*MSComm1, address, controller::rebuildClear);
    switch (outcome) {
    case controller::Outcome::Ok: return true;
    case controller::Outcome::PortFailed: ui::MsgBox(QStringLiteral("串口通信端口沒有打開"), 48); break;
    case controller::Outcome::NoReply: ui::MsgBox(QStringLiteral("通信故障！"), 0); break;
    // Whether the controller erased its list before answering wrongly is not
    // known: the operator is told to run the rebuild again.
    case controller::Outcome::WrongReply:
        ui::MsgBox(QStringLiteral("控制器應答出錯，名單可能已部分清除，請重新重整！"), 48);
        break;
    case controller::Outcome::Refused: ui::MsgBox(QStringLiteral("控制器應答出錯，名單沒有清除！"), 48); break;
    }
    MSComm1->setInBufferCount(0);
    MSComm1->setPortOpen(false);
    return false;
}

bool FrmFKZL::download(const cardstore::IssuedCard& card)
{
    frames::CardEntry entry = cardEntry(card);
    return controller::addtodoor(*MSComm1, entry, controller::rebuildAdd);
}
