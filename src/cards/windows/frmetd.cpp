#include "frmetd.h"

#include "app.h"
#include "dbfailure.h"
#include "exchanges.h"
#include "named.h"
#include "pagedvalues.h"
#include "pick.h"
#include "recordset.h"
#include "serialport.h"
#include "selectionhint.h"
#include "sqlvalue.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {

using ui::named;

void onlyDigits(QComboBox* box, const char* pattern)
{
    box->lineEdit()->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QString::fromLatin1(pattern)), box));
}

}  // namespace

FrmEtD::FrmEtD(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmEtD"));
    setWindowTitle(QStringLiteral("增擴卡机"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    Form_Load();
}

void FrmEtD::buildControls()
{
    Frame1 = named(new QGroupBox(QStringLiteral("選擇要擴展的卡號、地址或部門"), this), "Frame1");
    Option1 = named(new QRadioButton(QStringLiteral("卡號"), Frame1), "Option1");
    Option2 = named(new QRadioButton(QStringLiteral("地址"), Frame1), "Option2");
    Option5 = named(new QRadioButton(QStringLiteral("大廈"), Frame1), "Option5");
    Ckh = ui::pickBox(Frame1, "Ckh");
    // Typed numbers the controllers can take, and nothing that could end a statement's literal.
    onlyDigits(Ckh, "\\d{0,6}");
    dz = ui::pickBox(Frame1, "dz");
    onlyDigits(dz, "\\d{0,2}");
    bm = ui::pickBox(Frame1, "bm");
    auto* choose = new QGridLayout(Frame1);
    int row = 0;
    for (auto [option, box] : {std::pair{Option1, Ckh}, std::pair{Option2, dz}, std::pair{Option5, bm}}) {
        choose->addWidget(option, row, 0);
        choose->addWidget(new QLabel(QStringLiteral("→"), Frame1), row, 1);
        choose->addWidget(box, row++, 2);
        box->setMinimumWidth(140);
        box->installEventFilter(this);
    }
    choose->setColumnStretch(2, 1);

    Frame5 = named(new QGroupBox(QStringLiteral("擴展到以下地址"), this), "Frame5");
    Ldr = named(new QListWidget(Frame5), "Ldr");
    Ldr->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Label12 = named(new QLabel(severalAddressesHint(), Frame5), "Label12");
    Label12->setWordWrap(true);
    auto* targetsBox = new QVBoxLayout(Frame5);
    targetsBox->addWidget(Ldr);
    targetsBox->addWidget(Label12);

    Frame3 = named(new QGroupBox(QStringLiteral("日期時間限制"), this), "Frame3");
    Frame2 = named(new QGroupBox(QStringLiteral("進出控制"), this), "Frame2");
    buildTerms(Frame3, Frame2);
    auto* windows = new QGridLayout(Frame3);
    for (int i = 0; i < 3; ++i) {
        windows->addWidget(Ch[i], i, 0);
        windows->addWidget(new QLabel(QStringLiteral("-->"), Frame3), i, 2);
    }
    for (int i = 0; i < 2; ++i) {
        windows->addWidget(ddate[i], 0, 1 + 2 * i);
        windows->addWidget(tweek[i], 1, 1 + 2 * i);
        windows->addWidget(dtime[i], 2, 1 + 2 * i);
        windows->setColumnStretch(1 + 2 * i, 1);
    }
    Label7 = named(new QLabel(QStringLiteral("鎖號1："), Frame2), "Label7");
    Label9 = named(new QLabel(QStringLiteral("鎖號2："), Frame2), "Label9");
    auto* modes = new QGridLayout(Frame2);
    modes->addWidget(Label7, 0, 0);
    modes->addWidget(Label9, 1, 0);
    for (int m = 0; m < 4; ++m) {
        modes->addWidget(Op[m], 0, 1 + m);
        modes->addWidget(Opp[m], 1, 1 + m);
    }

    Label1 = named(new QLabel(this), "Label1");
    Label1->setWordWrap(true);
    Progress = named(new QProgressBar(this), "Progress");
    Progress->setFormat(QStringLiteral("%v / %m"));
    Progress->setVisible(false);
    Command1 = named(new QPushButton(QStringLiteral("增加"), this), "Command1");
    Command2 = named(new QPushButton(QStringLiteral("退出"), this), "Command2");
    Command1->setAutoDefault(false);
    Command2->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Frame1, 0, 0);
    grid->addWidget(Label1, 0, 1);
    grid->addWidget(Frame5, 1, 0, 2, 1);
    grid->addWidget(Frame3, 1, 1);
    grid->addWidget(Frame2, 2, 1);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(Progress, 1);
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    ui::onPick(Ckh, this, [this] { Ckh_Click(); });
    ui::onPick(dz, this, [this] { dz_Click(); });
    ui::onPick(bm, this, [this] { dz_Click(); });
    connect(Ldr, &QListWidget::itemClicked, this, &FrmEtD::Ldr_Click);
    connect(Command1, &QPushButton::clicked, this, &FrmEtD::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FrmEtD::reject);
}

void FrmEtD::Form_Load()
{
    try {
        // Departments with a card issued. The issued cards lead, each
        // finding its holder by the people's card index: on a new site most
        // people have no card yet, and going through a department's people
        // costs a row read for each of them.
        jet::Recordset departments = app::db.OpenRecordset(
            QStringLiteral("select distinct 部門 from department where 部門 is not null and 部門 in (select "
                           "people.部門 from (select distinct 卡號 from faka) as issued cross join people on "
                           "people.卡號=issued.卡號)"),
            jet::dbOpenSnapshot);
        for (; !departments.Eof(); departments.MoveNext())
            bm->addItem(departments.Field(0).toString());
        jet::Recordset doors = app::db.OpenRecordset(QStringLiteral("select distinct 地址 from doors"));
        for (; !doors.Eof(); doors.MoveNext())
            Ldr->addItem(QString::number(doors.Field(0).toLongLong()));
        // The issued cards and the addresses that hold them, a page at a time.
        ui::listValues(Ckh, app::db, QStringLiteral("faka"), QStringLiteral("卡號"));
        ui::listValues(dz, app::db, QStringLiteral("faka"), QStringLiteral("地址"));
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
    for (QComboBox* box : {Ckh, dz, bm}) {
        box->setCurrentIndex(-1);
        box->setEditText(QString());
    }
    MSComm1 = new serial::SerialPort(this);
    try {
        controller::configurePort(*MSComm1);
    } catch (const serial::PortError&) {
        // Settings the port refuses fail each exchange, which the run reports.
    }
}

bool FrmEtD::eventFilter(QObject* watched, QEvent* event)
{
    // Focusing a source box chooses its way of extending.
    if (event->type() == QEvent::FocusIn) {
        if (watched == Ckh)
            Option1->setChecked(true);
        else if (watched == dz)
            Option2->setChecked(true);
        else if (watched == bm)
            Option5->setChecked(true);
    }
    return QDialog::eventFilter(watched, event);
}

void FrmEtD::Ckh_Click()
{
    const QString card = Ckh->currentText().trimmed();
    untickWindows();
    try {
        jet::Recordset issued =
            app::db.OpenRecordset(QStringLiteral("select * from fakapl where 卡號=") + sql::text(card));
        if (issued.Eof()) {
            jet::Recordset person =
                app::db.OpenRecordset(QStringLiteral("select * from people where 卡號=") + sql::text(card));
            if (!person.Eof())
                resetWindowValues();
            Ldr->clearSelection();
            return;
        }
        // On to the targets; through the other source boxes the focus would change the mode.
        Ldr->setFocus(Qt::TabFocusReason);
        showTerms(cardstore::fromRow(issued));
        Ldr->clearSelection();
        jet::Recordset at = app::db.OpenRecordset(
            QStringLiteral("select distinct doors.地址 from faka,doors where faka.地址=doors.地址 and faka.卡號=")
            + sql::text(card));
        for (; !at.Eof(); at.MoveNext())
            for (QListWidgetItem* item : Ldr->findItems(QString::number(at.Field(0).toLongLong()), Qt::MatchExactly))
                item->setSelected(true);
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
}

void FrmEtD::dz_Click()
{
    clearPassModes();
    untickWindows();
    resetWindowValues();
    Ldr->clearSelection();
}

void FrmEtD::Ldr_Click(QListWidgetItem* item)
{
    if (item && Option1->isChecked() && !Ckh->currentText().isEmpty())
        showTermsAt(item->text().toInt(), Ckh->currentText().trimmed());
}

void FrmEtD::closeEvent(QCloseEvent* event)
{
    // A run ends at its next pair and the window closes then, never from
    // under a waiting exchange.
    if (running) {
        closeAsked = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void FrmEtD::reject()
{
    if (running) {
        closeAsked = true;
        return;
    }
    QDialog::reject();
}
