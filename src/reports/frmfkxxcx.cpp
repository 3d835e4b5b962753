#include "frmfkxxcx.h"

#include "app.h"
#include "boundgrid.h"
#include "named.h"
#include "pagedvalues.h"
#include "querywindow.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

using ui::named;

// The holder's post is selected for the grid's 職務 column.
const QString base = QStringLiteral("select faka.*,people.姓名,people.部門,people.rmno,people.職務 from faka,people "
                                    "where faka.卡號=people.卡號");

const char* const orders[][2] = {
    {"1 按地址", " order by faka.地址"},
    {"2 按卡號", " order by faka.卡號"},
    {"3 按姓名", " order by people.姓名"},
};

}  // namespace

FrmFKXXCX::FrmFKXXCX(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmFKXXCX"));
    setWindowTitle(QStringLiteral("發卡信息查詢"));
    buildControls();
    Form_Load();
}

void FrmFKXXCX::buildControls()
{
    Label1[0] = named(new QLabel(QStringLiteral("請選擇排序方法："), this), "Label1_0");
    Label1[1] = named(new QLabel(QStringLiteral("請選擇查詢項目："), this), "Label1_1");
    const char* captions[] = {"姓名", "地址", "卡號", "大廈"};
    for (int i = 0; i < 4; ++i) {
        Cck[i] = new QCheckBox(QString::fromUtf8(captions[i]), this);
        Cck[i]->setObjectName(QStringLiteral("Cck_%1").arg(i));
    }
    Cdoor = ui::pickBox(this, "Cdoor");
    Tka = ui::pickBox(this, "Tka");
    Cbm = ui::pickBox(this, "Cbm");
    Txm = ui::pickBox(this, "Txm");
    Corder = ui::pickBox(this, "Corder");
    for (QComboBox* box : {Cdoor, Tka, Cbm, Txm, Corder})
        box->setMinimumContentsLength(8);
    Ccx = named(new QPushButton(QStringLiteral("查  看"), this), "Ccx");
    Command2 = named(new QPushButton(QStringLiteral("打 印"), this), "Command2");
    Command1 = named(new QPushButton(QStringLiteral("退  出"), this), "Command1");
    for (QPushButton* b : {Ccx, Command2, Command1})
        b->setAutoDefault(false);
    DBGrid1 = named(new grid::BoundGrid(this), "DBGrid1");

    auto* filters = new QGridLayout;
    filters->addWidget(Label1[1], 0, 0, 1, 4);
    filters->addWidget(Cck[1], 1, 0);
    filters->addWidget(Cdoor, 1, 1);
    filters->addWidget(Cck[2], 1, 2);
    filters->addWidget(Tka, 1, 3);
    filters->addWidget(Label1[0], 1, 4);
    filters->addWidget(Corder, 1, 5);
    filters->addWidget(Cck[3], 2, 0);
    filters->addWidget(Cbm, 2, 1);
    filters->addWidget(Cck[0], 2, 2);
    filters->addWidget(Txm, 2, 3);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {Ccx, Command2, Command1})
        buttons->addWidget(b);
    filters->addLayout(buttons, 2, 4, 1, 2);
    filters->setColumnStretch(6, 1);
    auto* whole = new QVBoxLayout(this);
    whole->addLayout(filters);
    whole->addWidget(DBGrid1, 1);
    resize(784, 540);

    connect(Ccx, &QPushButton::clicked, this, &FrmFKXXCX::Ccx_Click);
    connect(Command2, &QPushButton::clicked, this, &FrmFKXXCX::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &FrmFKXXCX::Command1_Click);
}

void FrmFKXXCX::Form_Load()
{
    DBGrid1->setColumns(querywindow::columns(
        {{"姓名", "姓名"}, {"卡號", "卡號"}, {"地址", "地址"}, {"鎖一", "ctrl_state1"}, {"鎖二", "ctrl_state2"},
         {"開始日期", "開始日期"}, {"截止日期", "截止日期"}, {"開始星期", "開始星期"}, {"截止星期", "截止星期"},
         {"開始時間", "開始時間"}, {"截止時間", "截止時間"}, {"物理卡號", "物理卡號"}, {"大廈", "部門"},
         {"職務", "職務"}}));
    DBGrid1->setDatabaseName(app::databaseFile());
    querywindow::show(DBGrid1, base);

    using ui::PagedValues;
    const std::pair<QComboBox*, const char*> lists[] = {
        {Tka, "faka"}, {Txm, "fakapl"}, {Cbm, "fakapl"}, {Cdoor, "faka"}};
    const char* const listed[] = {"卡號", "姓名", "部門", "地址"};
    for (int i = 0; i < 4; ++i)
        ui::listValues(lists[i].first, app::db, QString::fromUtf8(lists[i].second), QString::fromUtf8(listed[i]),
                       PagedValues::Reading::Scanning, PagedValues::Blanks::Skipped);
    querywindow::listOrders(Corder, orders, QString());
}

void FrmFKXXCX::Ccx_Click()
{
    QStringList clauses;
    if (!querywindow::addClauses(clauses, {{Cck[3], Cbm, " people.部門=", "請輸入部門"},
                                           {Cck[0], Txm, " people.姓名=", "請輸入姓名"},
                                           {Cck[1], Cdoor, " faka.地址=", "請選擇地址", true},
                                           {Cck[2], Tka, " faka.卡號=", "請輸入卡號"}}))
        return;
    const QString statement = querywindow::statement(base + QStringLiteral(" "), QStringLiteral(" and "), clauses,
                                                     querywindow::sortOf(orders, Corder));
    querywindow::show(DBGrid1, statement);
}

void FrmFKXXCX::Command2_Click()
{
    grid::BoundGrid* g = DBGrid1;
    querywindow::print(this, Cr, g, QStringLiteral("faka.rpt"), [g] {
        querywindow::stageRows(g, QStringLiteral("fakapt"),
                               querywindow::copied({"物理卡號", "卡號", "地址", "開始日期", "開始時間", "開始星期",
                                                       "截止日期", "截止時間", "截止星期"})
                                   << querywindow::passMode(QStringLiteral("ctrl_state1"))
                                   << querywindow::passMode(QStringLiteral("ctrl_state2")));
    });
}

void FrmFKXXCX::Command1_Click() { close(); }
