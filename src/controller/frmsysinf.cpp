#include "frmsysinf.h"

#include "app.h"
#include "exchanges.h"
#include "keys.h"
#include "recordset.h"
#include "pointer.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

namespace {

constexpr int keyRole = Qt::UserRole;
constexpr int pictureRole = Qt::UserRole + 1;

// This window's scale: 1 = Monday .. 7 = Sunday.
QString weekdayName(const QString& value) {
    static const QStringList names = {QStringLiteral("Monday"),   QStringLiteral("Tuesday"), QStringLiteral("Wednesday"),
                                      QStringLiteral("Thursday"), QStringLiteral("Friday"),  QStringLiteral("Saturday"),
                                      QStringLiteral("Sunday")};
    const QString v = value.trimmed();
    return v.size() == 1 && v[0] >= QLatin1Char('1') && v[0] <= QLatin1Char('7') ? names[v.toInt() - 1] : value;
}

}  // namespace

FrmSysInf::FrmSysInf(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmSysInf"));
    setWindowTitle(QStringLiteral("硬件信息"));
    Label1 = new QLabel(QStringLiteral("地址選擇"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    AdrView = new QTreeWidget(this);
    AdrView->setObjectName(QStringLiteral("AdrView"));
    AdrView->setHeaderHidden(true);
    Label2 = new QLabel(QStringLiteral("系統信息"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    ListView1 = new QListWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    // Room for the eight lines of a read, none of them cut off.
    const QFontMetrics lines = ListView1->fontMetrics();
    ListView1->setMinimumSize(lines.horizontalAdvance(QStringLiteral(" 打卡記錄數： 65535 ")) + 24,
                              8 * (lines.height() + 6) + 2 * ListView1->frameWidth());
    exitclose = new QPushButton(QStringLiteral("關閉"), this);
    exitclose->setObjectName(QStringLiteral("exitclose"));
    exitclose->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Label2, 0, 1);
    grid->addWidget(AdrView, 1, 0);
    grid->addWidget(ListView1, 1, 1);
    grid->addWidget(exitclose, 2, 1, Qt::AlignRight);
    grid->setColumnStretch(1, 2);

    ImageList1 = {
        {QStringLiteral("opened"), ui::drawnIcon(QColor(200, 150, 40), QStringLiteral("-"))},
        {QStringLiteral("closed"), ui::drawnIcon(QColor(200, 150, 40), QStringLiteral("+"))},
        {QStringLiteral("info"), ui::drawnIcon(QColor(40, 100, 200), QStringLiteral("…"))},
        {QStringLiteral("ok"), ui::drawnIcon(QColor(30, 150, 60), QStringLiteral("✓"))},
        {QStringLiteral("info1"), ui::drawnIcon(QColor(120, 120, 120), QStringLiteral("i"))},
        {QStringLiteral("failed"), ui::drawnIcon(QColor(200, 40, 40), QStringLiteral("✗"))},
    };

    connect(exitclose, &QPushButton::clicked, this, &FrmSysInf::close);
    connect(AdrView, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* node) { AdrView_NodeClick(node); });
    AdrView->installEventFilter(this);
    connect(AdrView, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) {
        if (node == root())
            setPicture(node, QStringLiteral("opened"));
    });
    connect(AdrView, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* node) {
        if (node != root())
            return;
        setPicture(node, QStringLiteral("closed"));
        ListView1->clear();
    });
    Form_Load();
}

void FrmSysInf::Form_Load() {
    auto* top = new QTreeWidgetItem(AdrView, QStringList{QStringLiteral("地址")});
    top->setData(0, keyRole, QStringLiteral("Root"));
    setPicture(top, QStringLiteral("closed"));
    jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("select distinct 地址 from doors order by 地址"), jet::dbOpenSnapshot);
    for (int n = 1; !rs.Eof(); rs.MoveNext(), ++n) {
        auto* node = new QTreeWidgetItem(top, QStringList{rs.Field(QStringLiteral("地址")).toString()});
        node->setData(0, keyRole, QStringLiteral("Root%1").arg(n));
        setPicture(node, QStringLiteral("info1"));
    }
    rs.Close();
    // A port that can't be opened now is tried again by each read.
    Comm.setPortOpen(false);
    try {
        controller::configurePort(Comm);
        Comm.setPortOpen(true);
    } catch (const serial::PortError&) {
    }
}

// An address chosen by keyboard is read as a clicked one: moved onto with
// the arrow keys, or the current one with Enter or Space.
bool FrmSysInf::eventFilter(QObject* watched, QEvent* event) {
    if (watched != AdrView || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (ui::isEnter(key) || key->key() == Qt::Key_Space) {
        AdrView_NodeClick(AdrView->currentItem());
        return true;
    }
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        QTreeWidgetItem* before = AdrView->currentItem();
        static_cast<QObject*>(AdrView)->event(event);
        if (AdrView->currentItem() != before)
            AdrView_NodeClick(AdrView->currentItem());
        return true;
    }
    default: return false;
    }
}

void FrmSysInf::hideEvent(QHideEvent* event) {
    Comm.setPortOpen(false);
    QDialog::hideEvent(event);
}

QTreeWidgetItem* FrmSysInf::root() const { return AdrView->topLevelItem(0); }

QString FrmSysInf::pictureOf(const QTreeWidgetItem* node) const { return node->data(0, pictureRole).toString(); }

void FrmSysInf::setPicture(QTreeWidgetItem* node, const QString& key) {
    node->setData(0, pictureRole, key);
    node->setIcon(0, ImageList1.value(key));
}

void FrmSysInf::AdrView_NodeClick(QTreeWidgetItem* node) {
    if (!node || node->text(0) == QStringLiteral("地址"))
        return;
    bool ok = false;
    const int address = node->text(0).toInt(&ok);
    // One read at a time on the port: a click during a read is let go.
    if (!ok || address < 1 || Comm.isBusy())
        return;
    ListView1->setViewMode(QListView::ListMode);
    ListView1->clear();
    for (int i = 0; i < root()->childCount(); ++i)
        setPicture(root()->child(i), QStringLiteral("info1"));
    setPicture(node, QStringLiteral("info"));
    ListView1->addItem(QStringLiteral("正在通信中,請稍后..."));
    if (!controller::ReadSys(Comm, address)) {
        setPicture(node, QStringLiteral("failed"));
        ListView1->clear();
        ListView1->addItem(QStringLiteral("通信不通"));
        return;
    }
    const auto values = controller::readSysInfLine();
    if (!values)
        return;
    const QStringList& v = *values;
    setPicture(node, QStringLiteral("ok"));
    ListView1->clear();
    ListView1->addItems({
        QStringLiteral(" 地址：  ") + QString::number(address),
        QStringLiteral(" 打卡記錄數：") + v[0],
        QStringLiteral(" 鎖一延時：") + v[1],
        QStringLiteral(" 鎖二延時：") + v[2],
        QStringLiteral(" 日    期：") + v[3],
        QStringLiteral(" 時    間：") + v[4],
        QStringLiteral(" 星    期：") + weekdayName(v[5]),
        QStringLiteral(" 版 本 號：") + v[6],
    });
}
