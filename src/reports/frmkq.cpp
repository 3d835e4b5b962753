#include "frmkq.h"

#include "app.h"
#include "boundgrid.h"
#include "datepicker.h"
#include "named.h"
#include "pagedvalues.h"
#include "querywindow.h"
#include "sqlvalue.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

using ui::named;

const char* const orders[][2] = {
    {"1 按日期", " order by datakq.日期,datakq.卡號"},
    {"2 按卡號", " order by datakq.卡號,datakq.日期"},
    {"3 按部門", " order by datakq.部門,datakq.日期"},
    {"4 按姓名", " order by datakq.姓名,datakq.日期"},
};

}  // namespace

Frmkq::Frmkq(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Frmkq"));
    setWindowTitle(QStringLiteral("考勤匯總數据查詢"));
    buildControls();
    Form_Load();
}

void Frmkq::buildControls()
{
    const std::pair<int, const char*> boxes[] = {{0, "日期"}, {1, "部門"}, {2, "卡號"}, {4, "姓名"}};
    for (const auto& [i, caption] : boxes) {
        Cck[i] = new QCheckBox(QString::fromUtf8(caption), this);
        Cck[i]->setObjectName(QStringLiteral("Cck_%1").arg(i));
    }
    t1s = named(new ui::DatePicker(this), "t1s");
    t1e = named(new ui::DatePicker(this), "t1e");
    Cka = ui::pickBox(this, "Cka");
    Cna = ui::pickBox(this, "Cna");
    Cbm = ui::pickBox(this, "Cbm");
    Corder = ui::pickBox(this, "Corder");
    for (QComboBox* box : {Cka, Cna, Cbm, Corder})
        box->setMinimumContentsLength(8);
    Ccx = named(new QPushButton(QStringLiteral("查  看"), this), "Ccx");
    Command2 = named(new QPushButton(QStringLiteral("打印報表"), this), "Command2");
    Command1 = named(new QPushButton(QStringLiteral("退  出"), this), "Command1");
    for (QPushButton* b : {Ccx, Command2, Command1})
        b->setAutoDefault(false);
    DBGrid1 = named(new grid::BoundGrid(this), "DBGrid1");

    auto* filters = new QGridLayout;
    filters->addWidget(Cck[0], 0, 0);
    auto* days = new QHBoxLayout;
    days->addWidget(t1s);
    days->addWidget(new QLabel(QStringLiteral("－")));
    days->addWidget(t1e);
    days->addStretch();
    filters->addLayout(days, 0, 1, 1, 3);
    filters->addWidget(Cck[1], 0, 4);
    filters->addWidget(Cbm, 0, 5);
    filters->addWidget(Cck[2], 1, 0);
    filters->addWidget(Cka, 1, 1);
    filters->addWidget(Cck[4], 1, 2);
    filters->addWidget(Cna, 1, 3);
    filters->addWidget(Corder, 1, 5);
    filters->setColumnStretch(6, 1);
    querywindow::layOut(this, filters, {Ccx, Command2, Command1}, DBGrid1);
    resize(784, 540);

    connect(Ccx, &QPushButton::clicked, this, &Frmkq::Ccx_Click);
    connect(Command2, &QPushButton::clicked, this, &Frmkq::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &Frmkq::Command1_Click);
}

void Frmkq::Form_Load()
{
    DBGrid1->setColumns(querywindow::columns({{"姓名", "姓名"}, {"卡號", "卡號"}, {"日期", "日期"}, {"時間1", "時間1"},
                                              {"時間2", "時間2"}, {"時間3", "時間3"}, {"時間4", "時間4"},
                                              {"時數", "hrs"}, {"遲到", "late"}, {"早退", "leavee"},
                                              {"缺席", "absent"}, {"大廈", "部門"}, {"職務", "職務"}}));
    DBGrid1->setEditTable(QStringLiteral("datakq"));
    DBGrid1->setDatabaseName(app::databaseFile());
    query = QStringLiteral("select * from datakq");
    querywindow::show(DBGrid1, query);

    // From people, a page at a time by their indexes: a choice may match no
    // attendance row.
    using ui::PagedValues;
    ui::listValues(Cbm, app::db, QStringLiteral("people"), QStringLiteral("部門"), PagedValues::Reading::Seeking,
                   PagedValues::Blanks::Skipped);
    ui::listValues(Cka, app::db, QStringLiteral("people"), QStringLiteral("卡號"), PagedValues::Reading::Seeking,
                   PagedValues::Blanks::Skipped);
    ui::listValues(Cna, app::db, QStringLiteral("people"), QStringLiteral("姓名"), PagedValues::Reading::Seeking,
                   PagedValues::Blanks::Skipped);
    querywindow::listOrders(Corder, orders, QStringLiteral("排序方法"));

    t1s->setDate(QDate::currentDate());
    t1e->setDate(QDate::currentDate());
}

void Frmkq::Ccx_Click()
{
    QStringList clauses;
    if (Cck[0]->isChecked())
        clauses << querywindow::rangeClause(QStringLiteral(" datakq.日期 ="), QStringLiteral(" datakq.日期  between "),
                                            sql::date(t1s->date()), sql::date(t1e->date()));
    if (!querywindow::addClauses(clauses, {{Cck[2], Cka, " datakq.卡號=", "請選擇卡號"},
                                           {Cck[4], Cna, " datakq.姓名=", "請選擇姓名"},
                                           {Cck[1], Cbm, " datakq.部門=", "請選擇部門"}}))
        return;
    query = querywindow::statement(QStringLiteral("select * from datakq "), QStringLiteral(" where "), clauses,
                                   querywindow::sortOf(orders, Corder));
    querywindow::show(DBGrid1, query);
}

// The rows are copied a share at a time under a bar, in the grid's order.
void Frmkq::Command2_Click()
{
    grid::BoundGrid* g = DBGrid1;
    querywindow::print(this, CRP, g, QStringLiteral("drkq.rpt"), [g] {
        querywindow::stageRows(g, QStringLiteral("datakqPT"),
                               querywindow::copied({"卡號", "日期", "姓名", "部門", "職務", "時間1", "時間2", "時間3",
                                                    "時間4", "late", "leavee", "absent", "hrs"}));
    });
}

void Frmkq::Command1_Click() { close(); }
