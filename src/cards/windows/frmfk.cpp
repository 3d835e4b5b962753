#include "frmfk.h"

#include "app.h"
#include "dbfailure.h"
#include "exchanges.h"
#include "keys.h"
#include "layout.h"
#include "msgbox.h"
#include "named.h"
#include "pagedvalues.h"
#include "pick.h"
#include "recordset.h"
#include "serialport.h"
#include "sqlvalue.h"
#include "windowkit.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QTimeEdit>

namespace {

using ui::named;

QString textOf(const QVariant& v) { return v.isValid() && !v.isNull() ? v.toString() : QString(); }

QValidator* digits(const char* pattern, QObject* parent)
{
    return new QRegularExpressionValidator(QRegularExpression(QString::fromLatin1(pattern)), parent);
}

}  // namespace

FrmFK::FrmFK(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmFK"));
    setWindowTitle(QStringLiteral("卡操作"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    installEntryRules();
    Form_Load();
}

// Controls stand where the window was drawn; the layout rescaling moves them
// in proportion when the window is resized.
void FrmFK::buildControls()
{
    resize(700, 440);
    setMinimumSize(480, 330);
    int labels = 0;
    const auto label = [this, &labels](QWidget* parent, const char* text, QRect at) {
        auto* l = new QLabel(QString::fromUtf8(text), parent);
        l->setObjectName(QStringLiteral("Label%1").arg(++labels));
        l->setGeometry(at);
        return l;
    };

    Frame1 = named(new QGroupBox(QStringLiteral("基本信息"), this), "Frame1");
    Frame1->setGeometry(8, 4, 592, 162);
    Tkh = ui::pickBox(Frame1, "Tkh");
    Tname = named(new QLineEdit(Frame1), "Tname");
    Tzhiwu = named(new QLineEdit(Frame1), "Tzhiwu");
    tsfz = named(new QLineEdit(Frame1), "tsfz");
    Cdw = named(new QLineEdit(Frame1), "Cdw");
    const std::pair<const char*, QWidget*> rows[] = {
        {"卡號：", Tkh}, {"姓名：", Tname}, {"職務：", Tzhiwu}, {"身份證：", tsfz}, {"大廈：", Cdw}};
    for (int i = 0; i < 5; ++i) {
        label(Frame1, rows[i].first, QRect(12, 22 + i * 28, 64, 24));
        rows[i].second->setGeometry(78, 22 + i * 28, 170, 24);
    }
    // The holder's data comes from the personnel records, never from here.
    for (QLineEdit* box : {Tname, Tzhiwu, tsfz, Cdw})
        box->setReadOnly(true);

    Frame2 = named(new QGroupBox(Frame1), "Frame2");
    Frame2->setGeometry(262, 14, 322, 140);
    Option1[0] = named(new QRadioButton(QStringLiteral("鍵盤輸入"), Frame2), "Option1_0");
    Option1[0]->setGeometry(10, 10, 110, 24);
    Option1[1] = named(new QRadioButton(QStringLiteral("從發卡机讀入"), Frame2), "Option1_1");
    Option1[1]->setGeometry(122, 10, 134, 24);
    Option1[0]->setChecked(true);
    label(Frame2, "* 物理卡號：", QRect(10, 42, 100, 24));
    tcard = named(new QLineEdit(Frame2), "tcard");
    tcard->setGeometry(112, 42, 160, 24);
    Cdk = ui::pickBox(Frame2, "Cdk");
    Cdk->setGeometry(112, 76, 60, 24);
    Cdk->setToolTip(QStringLiteral("發卡机地址"));
    Command1 = named(new QPushButton(QStringLiteral("讀卡(&R)"), Frame2), "Command1");
    Command1->setGeometry(178, 74, 94, 28);
    Command1->setVisible(false);

    Frame3 = named(new QGroupBox(QStringLiteral("使用時間限制："), this), "Frame3");
    Frame3->setGeometry(8, 172, 592, 260);
    Frame3->setEnabled(false);
    Frame4 = named(new QGroupBox(QStringLiteral("選擇地址"), Frame3), "Frame4");
    Frame4->setGeometry(8, 20, 116, 232);
    dooraddr = named(new QListWidget(Frame4), "dooraddr");
    dooraddr->setGeometry(8, 22, 100, 202);
    dooraddr->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Frame5 = named(new QGroupBox(QStringLiteral("進出控制"), Frame3), "Frame5");
    Frame5->setGeometry(134, 128, 450, 124);
    buildTerms(Frame3, Frame5);
    for (int i = 0; i < 3; ++i) {
        const int y = 26 + i * 34;
        Ch[i]->setGeometry(134, y, 84, 24);
        label(Frame3, "-->", QRect(356, y, 30, 24));
    }
    for (int i = 0; i < 2; ++i) {
        ddate[i]->setGeometry(i == 0 ? 220 : 390, 26, 130, 24);
        tweek[i]->setGeometry(i == 0 ? 220 : 390, 60, 130, 24);
        dtime[i]->setGeometry(i == 0 ? 220 : 390, 94, 130, 24);
    }
    label(Frame5, "鎖號1：", QRect(10, 28, 66, 24));
    label(Frame5, "鎖號2：", QRect(10, 74, 66, 24));
    for (int m = 0; m < 4; ++m) {
        Op[m]->setGeometry(78 + m * 92, 28, 90, 24);
        Opp[m]->setGeometry(78 + m * 92, 74, 90, 24);
    }

    Cmdadd = named(new QPushButton(QStringLiteral("添加(&T)"), this), "Cmdadd");
    cmdchg = named(new QPushButton(QStringLiteral("修改(&C)"), this), "cmdchg");
    cmddel = named(new QPushButton(QStringLiteral("刪除(&S)"), this), "cmddel");
    Command2 = named(new QPushButton(QStringLiteral("退出(&X)"), this), "Command2");
    int y = 24;
    for (QPushButton* b : {Cmdadd, cmdchg, cmddel, Command2}) {
        b->setGeometry(612, y, 80, 36);
        y += 80;
    }

    connect(Command1, &QPushButton::clicked, this, &FrmFK::Command1_Click);
    connect(Cmdadd, &QPushButton::clicked, this, &FrmFK::Cmdadd_Click);
    connect(cmdchg, &QPushButton::clicked, this, &FrmFK::cmdchg_Click);
    connect(cmddel, &QPushButton::clicked, this, &FrmFK::cmddel_Click);
    connect(Command2, &QPushButton::clicked, this, &QWidget::close);
    connect(dooraddr, &QListWidget::itemClicked, this, &FrmFK::dooraddr_Click);
    for (QRadioButton* option : Option1)
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                Option1_Click();
        });
}

void FrmFK::installEntryRules()
{
    // Pasted text meets the typing rules' alphabet; the issuer address is 0 to 99.
    Tkh->lineEdit()->setValidator(digits("\\d*", Tkh));
    tcard->setValidator(digits("\\d*", tcard));
    Cdk->lineEdit()->setValidator(digits("\\d{0,2}", Cdk));
    // Keys typed reach the combo boxes first, which hand them on to their
    // text part past its filters; filter both.
    for (QWidget* box : {static_cast<QWidget*>(Tkh), static_cast<QWidget*>(Tkh->lineEdit())})
        new ui::KeyFilter(box, [](QKeyEvent* key) {
            return !ui::typesCharacter(key) || ui::typesDigit(key) || ui::isBackspace(key);
        });
    for (QObject* watched : {static_cast<QObject*>(tcard), static_cast<QObject*>(Cdk),
                             static_cast<QObject*>(Cdk->lineEdit())})
        watched->installEventFilter(this);
    connect(Tkh, &QComboBox::editTextChanged, this, &FrmFK::Tkh_Change);
    // A pick from the list is looked up by the text rule when it has six
    // characters; any other pick here.
    ui::onPick(Tkh, this, [this] {
        if (Tkh->currentText().trimmed().size() != 6)
            Tkh_Click();
    });
    connect(tcard, &QLineEdit::textChanged, this, &FrmFK::tcard_Change);
    connect(Cdk, &QComboBox::editTextChanged, this, &FrmFK::Cdk_Change);
}

void FrmFK::Form_Load()
{
    Comm = new serial::SerialPort(this);
    try {
        QStringList addresses;
        jet::Recordset doors = app::db.OpenRecordset(QStringLiteral("select distinct 地址 from doors"));
        for (; !doors.Eof(); doors.MoveNext())
            addresses << QString::number(doors.Field(0).toLongLong());
        doors.Close();
        listPeopleCards();
        {
            const QSignalBlocker quiet(Cdk);
            Cdk->addItems(addresses);
            Cdk->setCurrentIndex(-1);
            Cdk->setEditText(QString());
        }
        if (addresses.isEmpty()) {
            ui::MsgBox(QStringLiteral("請先對門鎖進行設置"), 48);
        } else {
            dooraddr->addItems(addresses);
            resetWindowValues();
            try {
                controller::configurePort(*Comm);
            } catch (const serial::PortError&) {
                // Settings the port refuses fail each exchange, which reports them.
            }
            Frame3->setEnabled(true);
        }
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
    applyTabOrder();
    SaveLayout(*this);
}

// People run to hundreds of thousands: the list reads a page of them at a
// time as it is scrolled.
void FrmFK::listPeopleCards() { ui::listValues(Tkh, app::db, QStringLiteral("people"), QStringLiteral("卡號")); }

void FrmFK::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ApplyLayout(*this);
}

// ---- entry rules and focus ----

bool FrmFK::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == tcard)
            return !tcardKey(key);
        if (watched == Cdk || watched == Cdk->lineEdit())
            return !cdkKey(key);
    }
    if (event->type() == QEvent::FocusIn && watched == Cdk)
        Option1[1]->setChecked(true);
    return QWidget::eventFilter(watched, event);
}

bool FrmFK::tcardKey(QKeyEvent* key)
{
    if (!ui::typesCharacter(key))
        return true;
    const bool enter = ui::isEnter(key), backspace = ui::isBackspace(key);
    if (!enter && !backspace && tcard->text().trimmed().size() >= 10) {
        moveFocusOn();
        return false;
    }
    if (enter) {
        if (tcard->text().size() == 10)
            moveFocusOn();
        else
            ui::MsgBox(QStringLiteral("卡號長度應為10"), 0);
        return false;
    }
    return backspace || ui::typesDigit(key);
}

bool FrmFK::cdkKey(QKeyEvent* key)
{
    if (!ui::typesCharacter(key))
        return true;
    if (ui::isEnter(key)) {
        moveFocusOn();
        return false;
    }
    if (ui::isBackspace(key))
        return true;
    return ui::typesDigit(key) && Cdk->currentText().trimmed().size() < 2;
}

void FrmFK::Tkh_Change()
{
    if (Tkh->currentText().trimmed().size() != 6)
        return;
    Tkh_Click();
    moveFocusOn();
}

void FrmFK::tcard_Change()
{
    if (tcard->text().trimmed().size() >= 10)
        moveFocusOn();
}

void FrmFK::Cdk_Change()
{
    const QString text = Cdk->currentText().trimmed();
    if (text.size() <= 2)
        app::fkjdz = short(text.toInt());  // empty gives 0
}

void FrmFK::Option1_Click()
{
    Command1->setVisible(Option1[1]->isChecked());
    applyTabOrder();
}

QList<QWidget*> FrmFK::focusOrder() const
{
    const auto stop = [](const std::array<QRadioButton*, 4>& group) -> QWidget* {
        for (QRadioButton* b : group)
            if (b->isChecked())
                return b;
        return group[0];
    };
    QWidget* inputMode = Option1[1]->isChecked() ? Option1[1] : Option1[0];
    QList<QWidget*> order{Tkh};
    if (Option1[0]->isChecked())
        order << inputMode << tcard;
    else
        order << tcard << inputMode;
    order << Cdk << Command1 << dooraddr << Ch[0] << ddate[0] << ddate[1] << Ch[1] << tweek[0] << tweek[1] << Ch[2]
          << dtime[0] << dtime[1] << stop(Op) << stop(Opp) << Cmdadd << cmdchg << cmddel << Command2 << Cdw << tsfz
          << Tzhiwu << Tname;
    return order;
}

namespace {

template <class Group>
bool member(const Group& group, const QWidget* w)
{
    return std::find(group.begin(), group.end(), w) != group.end();
}

}  // namespace

// One step along the focus order, as a Tab would go, from the control that
// has the focus; an option group is one stop.
void FrmFK::moveFocusOn()
{
    const QList<QWidget*> order = focusOrder();
    const QWidget* now = focusWidget();
    const auto sameStop = [&](const QWidget* stop) {
        if (stop == now || (now && stop->isAncestorOf(now)))
            return true;
        for (const auto* group : {&Op, &Opp})
            if (member(*group, stop) && member(*group, now))
                return true;
        return member(Option1, stop) && member(Option1, now);
    };
    qsizetype at = -1;
    for (qsizetype i = 0; i < order.size() && at < 0; ++i)
        if (sameStop(order[i]))
            at = i;
    for (qsizetype step = 1; step <= order.size(); ++step) {
        QWidget* next = order[(at + step) % order.size()];
        if (next->isVisibleTo(this) && next->isEnabled()) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

// Tab follows the same order; Qt makes each option group one stop.
void FrmFK::applyTabOrder()
{
    QList<QWidget*> chain;
    for (QWidget* w : focusOrder()) {
        if (member(Op, w))
            chain.append(QList<QWidget*>(Op.begin(), Op.end()));
        else if (member(Opp, w))
            chain.append(QList<QWidget*>(Opp.begin(), Opp.end()));
        else
            chain << w;
    }
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

// ---- lookups ----

void FrmFK::showPerson(const QVariant& name, const QVariant& job, const QVariant& department, const QVariant& id)
{
    Tname->setText(textOf(name));
    Tzhiwu->setText(textOf(job));
    Cdw->setText(textOf(department));
    tsfz->setText(textOf(id));
}

void FrmFK::Tkh_Click()
{
    const QString c = Tkh->currentText().trimmed();
    untickWindows();
    try {
        jet::Recordset issued = app::db.OpenRecordset(QStringLiteral("select * from fakapl where 卡號=") + sql::text(c));
        if (issued.Eof()) {
            jet::Recordset person =
                app::db.OpenRecordset(QStringLiteral("select * from people where 卡號=") + sql::text(c));
            if (person.Eof()) {
                showPerson({}, {}, {}, {});
                tcard->clear();
            } else {
                showPerson(person.Field(QStringLiteral("姓名")), person.Field(QStringLiteral("職務")),
                           person.Field(QStringLiteral("部門")), person.Field(QStringLiteral("身份證號")));
                tcard->clear();
                resetWindowValues();
            }
            dooraddr->clearSelection();
            return;
        }
        moveFocusOn();
        showPerson(issued.Field(QStringLiteral("姓名")), issued.Field(QStringLiteral("職務")),
                   issued.Field(QStringLiteral("部門")), issued.Field(QStringLiteral("身份證號")));
        tcard->setText(textOf(issued.Field(QStringLiteral("物理卡號"))).trimmed());
        showTerms(cardstore::fromRow(issued));
        dooraddr->clearSelection();
        jet::Recordset at = app::db.OpenRecordset(
            QStringLiteral("select doors.地址 from faka,doors where faka.地址=doors.地址 and faka.卡號=") + sql::text(c));
        for (; !at.Eof(); at.MoveNext()) {
            const QString address = QString::number(at.Field(0).toLongLong());
            for (QListWidgetItem* item : dooraddr->findItems(address, Qt::MatchExactly))
                item->setSelected(true);
        }
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
}

void FrmFK::dooraddr_Click(QListWidgetItem* item)
{
    if (!item)
        return;
    currentAddress = item->text();
    if (!Tkh->currentText().isEmpty())
        showTermsAt(currentAddress.toInt(), Tkh->currentText().trimmed());
}

void FrmFK::closeEvent(QCloseEvent* event)
{
    // The window goes only between addresses, never from under a waiting
    // exchange: the run ends after the address under way and closes it then.
    if (running) {
        closeAsked = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
