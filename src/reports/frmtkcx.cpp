#include "frmtkcx.h"

#include "app.h"
#include "boundgrid.h"
#include "datepicker.h"
#include "named.h"
#include "pagedvalues.h"
#include "querywindow.h"
#include "sqlvalue.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

using ui::named;

const char* const orders[][2] = {
    {"部門", " order by 部門,卡號,日期"},
    {"姓名", " order by 姓名,日期"},
    {"卡號", " order by 卡號,地址,日期"},
    {"地址", " order by 地址,部門,卡號,日期"},
    {"日期", " order by 日期,部門,卡號"},
};

}  // namespace

FrmTkcx::FrmTkcx(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmTkcx"));
    setWindowTitle(QStringLiteral("退卡查詢"));
    buildControls();
    Form_Load();
}

void FrmTkcx::buildControls()
{
    const std::pair<int, const char*> labels[] = {{0, "大廈"}, {1, "姓名"}, {2, "卡號"}, {4, "退卡日期"}};
    for (const auto& [index, text] : labels) {
        Label1[index] = new QLabel(QString::fromUtf8(text), this);
        Label1[index]->setObjectName(QStringLiteral("Label1_%1").arg(index));
        Label1[index]->installEventFilter(this);
    }
    for (int i = 0; i < 4; ++i) {
        Ch[i] = new QCheckBox(this);
        Ch[i]->setObjectName(QStringLiteral("Ch_%1").arg(i));
    }
    Cbm = ui::pickBox(this, "Cbm");
    Cxm = ui::pickBox(this, "Cxm");
    Ckh = ui::pickBox(this, "Ckh");
    Combo1 = ui::pickBox(this, "Combo1");
    for (QComboBox* box : {Cbm, Cxm, Ckh, Combo1})
        box->setMinimumContentsLength(10);
    DTP1 = named(new ui::DatePicker(this), "DTP1");
    DTP2 = named(new ui::DatePicker(this), "DTP2");
    Command1 = named(new QPushButton(QStringLiteral("查 看"), this), "Command1");
    Command2 = named(new QPushButton(QStringLiteral("打 印"), this), "Command2");
    Command3 = named(new QPushButton(QStringLiteral("關 閉"), this), "Command3");
    for (QPushButton* b : {Command1, Command2, Command3})
        b->setAutoDefault(false);
    DBGrid1 = named(new grid::BoundGrid(this), "DBGrid1");

    auto* filters = new QGridLayout;
    const std::pair<int, QComboBox*> rows[] = {{0, Cbm}, {1, Cxm}, {2, Ckh}};
    for (const auto& [i, box] : rows) {
        filters->addWidget(Ch[i], i, 0);
        filters->addWidget(Label1[i], i, 1);
        filters->addWidget(box, i, 2);
    }
    filters->addWidget(Ch[3], 0, 3);
    filters->addWidget(Label1[4], 0, 4);
    filters->addWidget(DTP1, 1, 3, 1, 2);
    filters->addWidget(DTP2, 2, 3, 1, 2);
    filters->addWidget(Combo1, 0, 5);
    filters->addWidget(Command1, 0, 8);
    filters->addWidget(Command2, 1, 8);
    filters->addWidget(Command3, 2, 8);
    filters->setColumnStretch(7, 1);
    auto* whole = new QVBoxLayout(this);
    whole->addLayout(filters);
    whole->addWidget(DBGrid1, 1);
    resize(784, 540);

    connect(Command1, &QPushButton::clicked, this, &FrmTkcx::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FrmTkcx::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &FrmTkcx::Command3_Click);
}

void FrmTkcx::Form_Load()
{
    const QDate today = QDate::currentDate();
    DTP1->setDate(QDate(today.year(), today.month(), 1));
    DTP2->setDate(today);

    DBGrid1->setColumns(querywindow::columns(
        {{"大廈", "部門"}, {"姓名", "姓名"}, {"卡號", "卡號"}, {"物理卡號", "物理卡號"}, {"地址", "地址"},
         {"鎖一狀態", "ctrl_state1"}, {"鎖二狀態", "ctrl_state2"}, {"開始時間", "開始時間"}, {"截止時間", "截止時間"},
         {"開始星期", "開始星期"}, {"截止星期", "截止星期"}, {"開始日期", "開始日期"}, {"截止日期", "截止日期"},
         {"日期", "日期"}}));
    DBGrid1->setDatabaseName(app::databaseFile());
    querywindow::show(DBGrid1, QStringLiteral("select * from Dfaka"));

    using ui::PagedValues;
    ui::listValues(Cbm, app::db, QStringLiteral("dfaka"), QStringLiteral("部門"), PagedValues::Reading::Scanning,
                   PagedValues::Blanks::Skipped);
    ui::listValues(Ckh, app::db, QStringLiteral("dfaka"), QStringLiteral("卡號"), PagedValues::Reading::Scanning,
                   PagedValues::Blanks::Skipped);
    ui::listValues(Cxm, app::db, QStringLiteral("dfaka"), QStringLiteral("姓名"), PagedValues::Reading::Scanning,
                   PagedValues::Blanks::Skipped);
    querywindow::listOrders(Combo1, orders, QStringLiteral("排序方式"));
}

// Values are taken as typed, without a check: an empty box lists the rows
// whose column holds the empty text.
void FrmTkcx::Command1_Click()
{
    QStringList clauses;
    const std::pair<const char*, QComboBox*> texts[] = {{"部門=", Cbm}, {"姓名=", Cxm}, {"卡號=", Ckh}};
    for (int i = 0; i < 3; ++i)
        if (Ch[i]->isChecked())
            clauses << QString::fromUtf8(texts[i].first) + sql::text(texts[i].second->currentText());
    if (Ch[3]->isChecked())
        clauses << QStringLiteral("日期 between ") + sql::date(DTP1->date()) + QStringLiteral(" and ")
                       + sql::date(DTP2->date());
    // The key is compared as typed, so one typed by hand sorts too.
    const QString key = Combo1->currentText().trimmed();
    QString sort;
    for (const auto& order : orders)
        if (key == QString::fromUtf8(order[0]))
            sort = QString::fromUtf8(order[1]);
    querywindow::show(DBGrid1, querywindow::statement(QStringLiteral("select * from Dfaka"), QStringLiteral(" where "),
                                                      clauses, sort));
}

void FrmTkcx::Command2_Click()
{
    grid::BoundGrid* g = DBGrid1;
    querywindow::print(this, Cr, g, QStringLiteral("drtk.rpt"), [g] {
        querywindow::stageRows(g, QStringLiteral("dfakapt"),
                               querywindow::copied({"姓名", "部門", "物理卡號", "卡號", "地址", "開始日期", "開始時間",
                                                       "開始星期", "截止日期", "截止時間", "截止星期"})
                                   << querywindow::passMode(QStringLiteral("ctrl_state1"))
                                   << querywindow::passMode(QStringLiteral("ctrl_state2")));
    });
}

void FrmTkcx::Command3_Click() { close(); }

void FrmTkcx::Label1_Click(int index)
{
    QCheckBox* box = Ch[index == 4 ? 3 : index];
    box->setChecked(!box->isChecked());
}

bool FrmTkcx::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int i = 0; i < 5; ++i)
            if (Label1[i] && watched == Label1[i]) {
                Label1_Click(i);
                return true;
            }
    }
    return QDialog::eventFilter(watched, event);
}
