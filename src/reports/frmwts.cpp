#include "frmwts.h"

#include "app.h"
#include "dbfailure.h"
#include "keys.h"
#include "msgbox.h"
#include "named.h"
#include "timepicker.h"
#include "numbers.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>

namespace {

// The most an allowance can sensibly be: ten hours.
constexpr int maxAllowance = 600;

QTimeEdit* timePicker(QWidget* parent, const char* name)
{
    auto* t = ui::named(new ui::TimePicker(parent), name);
    t->setDisplayFormat(QStringLiteral("HH:mm"));
    t->setWrapping(true);
    return t;
}

QGroupBox* period(QWidget* parent, const char* name, const QString& title, QTimeEdit* start, QTimeEdit* end)
{
    auto* box = ui::named(new QGroupBox(title, parent), name);
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(QStringLiteral("上班時間："), box), 0, 0);
    grid->addWidget(start, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("下班時間："), box), 0, 2);
    grid->addWidget(end, 0, 3);
    return box;
}

QLineEdit* minuteBox(QWidget* parent, const char* name)
{
    auto* box = ui::named(new QLineEdit(QStringLiteral("5"), parent), name);
    box->setMaxLength(5);
    box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 8);
    return box;
}

void setFromColumn(QTimeEdit* picker, const QVariant& value)
{
    if (value.typeId() == QMetaType::QTime)
        picker->setTime(value.toTime());
    else if (value.typeId() == QMetaType::QDateTime)
        picker->setTime(value.toDateTime().time());
}

}  // namespace

FrmWTS::FrmWTS(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmWTS"));
    setWindowTitle(QStringLiteral("上下班時間設置"));
    DTX1 = timePicker(this, "DTX1");
    DTX2 = timePicker(this, "DTX2");
    DTX3 = timePicker(this, "DTX3");
    DTX4 = timePicker(this, "DTX4");
    Frame1 = period(this, "Frame1", QStringLiteral("上午"), DTX1, DTX2);
    Frame2 = period(this, "Frame2", QStringLiteral("下午"), DTX3, DTX4);
    Text1 = minuteBox(this, "Text1");
    Text2 = minuteBox(this, "Text2");
    Command1 = ui::named(new QPushButton(QStringLiteral("确 定"), this), "Command1");
    Command2 = ui::named(new QPushButton(QStringLiteral("退 出"), this), "Command2");
    for (QPushButton* b : {Command1, Command2})
        b->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Frame1, 0, 0, 1, 4);
    grid->addWidget(Frame2, 1, 0, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("遲到"), this), 2, 0);
    grid->addWidget(Text1, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("分鐘以上算遲到"), this), 2, 2, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("早退"), this), 3, 0);
    grid->addWidget(Text2, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("分鐘算以上早退"), this), 3, 2, 1, 2);
    grid->addWidget(Command1, 4, 2);
    grid->addWidget(Command2, 4, 3);
    grid->setSizeConstraint(QLayout::SetFixedSize);  // nothing in it grows

    for (QLineEdit* box : {Text1, Text2})
        box->installEventFilter(this);
    connect(Command1, &QPushButton::clicked, this, &FrmWTS::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FrmWTS::Command2_Click);
}

bool FrmWTS::Form_Load()
{
    DTX1->setTime(QTime(8, 30));
    DTX2->setTime(QTime(11, 30));
    DTX3->setTime(QTime(13, 30));
    DTX4->setTime(QTime(17, 30));
    try {
        conn = jet::OpenDatabase(app::databaseFile());
        rs = conn.OpenRecordset(QStringLiteral("owt"), jet::dbOpenTable);
        if (!rs.Eof()) {
            rs.MoveFirst();
            setFromColumn(DTX1, rs.Field(QStringLiteral("上班時間")));
            setFromColumn(DTX2, rs.Field(QStringLiteral("下班時間")));
            setFromColumn(DTX3, rs.Field(QStringLiteral("timeB")));
            setFromColumn(DTX4, rs.Field(QStringLiteral("timeE")));
        }
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return false;
    }
    return true;
}

// Enter in a minute box moves on to the next control.
bool FrmWTS::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && ui::isEnter(static_cast<QKeyEvent*>(event))) {
        (watched == Text1 ? static_cast<QWidget*>(Text2) : Command1)->setFocus();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// An empty box counts as 0 and a fraction is rounded to the whole minute,
// a half to the even one. What isn't a number, or comes to less than none
// or more than ten hours once rounded, is refused, so no threshold is
// stored from a mistyped value.
bool FrmWTS::readAllowance(QLineEdit* box, int* minutes)
{
    if (box->text().trimmed().isEmpty())
        box->setText(QStringLiteral("0"));
    const std::optional<qint64> n = ui::roundedNumber(box->text().trimmed());
    if (!n || *n < 0 || *n > maxAllowance) {
        ui::MsgBox(QStringLiteral("遲到和早退的分鐘數應為0到%1之間的整數！").arg(maxAllowance), 48);
        box->setFocus();
        box->selectAll();
        return false;
    }
    *minutes = static_cast<int>(*n);
    return true;
}

void FrmWTS::Command1_Click()
{
    int late = 0;
    int early = 0;
    if (!readAllowance(Text1, &late) || !readAllowance(Text2, &early))
        return;
    const QTime t1 = DTX1->time();
    const QTime t2 = DTX2->time();
    const QTime t3 = DTX3->time();
    const QTime t4 = DTX4->time();
    try {
        if (rs.Eof() && rs.Bof()) {
            rs.AddNew();
        } else {
            rs.MoveFirst();
            rs.Edit();
        }
        rs.SetField(QStringLiteral("timeB"), t3);
        rs.SetField(QStringLiteral("timeE"), t4);
        rs.SetField(QStringLiteral("lat"), t3.addSecs(late * 60));
        // After the afternoon end, unlike the morning's threshold before its end.
        rs.SetField(QStringLiteral("Let"), t4.addSecs(early * 60));
        rs.SetField(QStringLiteral("上班時間"), t1);
        rs.SetField(QStringLiteral("下班時間"), t2);
        rs.SetField(QStringLiteral("遲到時間"), t1.addSecs(late * 60));
        rs.SetField(QStringLiteral("早退時間"), t2.addSecs(-early * 60));
        rs.Update();
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return;
    }
    close();
}

void FrmWTS::Command2_Click() { close(); }
