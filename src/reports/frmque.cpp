#include "frmque.h"

#include "app.h"
#include "boundgrid.h"
#include "datepicker.h"
#include "named.h"
#include "timepicker.h"
#include "pagedvalues.h"
#include "querywindow.h"
#include "sqlvalue.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>

namespace {

using ui::named;

const QString base = QStringLiteral(
    "select people.姓名,people.部門,people.職務,data.* from data,people where data.卡號=people.卡號");

// The sort of each item of the order list, in its order.
const char* const orders[][2] = {
    {"1 按日期", " order by data.日期,data.時間,data.地址,data.卡號"},
    {"2 按時間", " order by data.時間"},
    {"3 按地址", " order by data.地址,data.日期,data.時間"},
    {"4 按卡號", " order by data.卡號,data.日期,data.時間"},
    {"5 按部門", " order by people.部門,data.日期,data.時間"},
    {"6 按姓名", " order by people.姓名,data.日期,data.時間"},
};

QTime timeOf(const QVariant& v) { return v.typeId() == QMetaType::QDateTime ? v.toDateTime().time() : v.toTime(); }

}  // namespace

Frmque::Frmque(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Frmque"));
    setWindowTitle(QStringLiteral("打卡數据查詢"));
    buildControls();
    Form_Load();
}

void Frmque::buildControls()
{
    const char* captions[] = {" 日  期", "地  址", "卡 號", " 時  間", "姓 名"};
    for (int i = 0; i < 5; ++i) {
        Cck[i] = new QCheckBox(QString::fromUtf8(captions[i]), this);
        Cck[i]->setObjectName(QStringLiteral("Cck_%1").arg(i));
    }
    t1s = named(new ui::DatePicker(this), "t1s");
    t1e = named(new ui::DatePicker(this), "t1e");
    t2s = named(new ui::TimePicker(this), "t2s");
    t2e = named(new ui::TimePicker(this), "t2e");
    for (QTimeEdit* t : {t2s, t2e})
        t->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    Cdoor = ui::pickBox(this, "Cdoor");
    Cka = ui::pickBox(this, "Cka");
    Cna = ui::pickBox(this, "Cna");
    Corder = ui::pickBox(this, "Corder");
    Corder->setMinimumContentsLength(8);
    for (QComboBox* box : {Cdoor, Cka, Cna})
        box->setMinimumContentsLength(8);
    Ccx = named(new QPushButton(QStringLiteral("查  看"), this), "Ccx");
    Command2 = named(new QPushButton(QStringLiteral("打印報表"), this), "Command2");
    Command1 = named(new QPushButton(QStringLiteral("退  出"), this), "Command1");
    for (QPushButton* b : {Ccx, Command2, Command1})
        b->setAutoDefault(false);
    DBGrid1 = named(new grid::BoundGrid(this), "DBGrid1");

    auto* filters = new QGridLayout;
    const auto range = [](QWidget* first, QWidget* last) {
        auto* row = new QHBoxLayout;
        row->addWidget(first);
        row->addWidget(new QLabel(QStringLiteral("－")));
        row->addWidget(last);
        row->addStretch();
        return row;
    };
    filters->addWidget(Cck[0], 0, 0);
    filters->addLayout(range(t1s, t1e), 0, 1, 1, 3);
    filters->addWidget(Cck[3], 0, 4);
    filters->addLayout(range(t2s, t2e), 0, 5, 1, 3);
    filters->addWidget(Cck[1], 1, 0);
    filters->addWidget(Cdoor, 1, 1);
    filters->addWidget(Cck[2], 1, 2);
    filters->addWidget(Cka, 1, 3);
    filters->addWidget(Cck[4], 1, 4);
    filters->addWidget(Cna, 1, 5);
    filters->addWidget(Corder, 1, 6, 1, 2);
    filters->setColumnStretch(8, 1);
    querywindow::layOut(this, filters, {Ccx, Command2, Command1}, DBGrid1);
    resize(784, 540);

    connect(Ccx, &QPushButton::clicked, this, &Frmque::Ccx_Click);
    connect(Command2, &QPushButton::clicked, this, &Frmque::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &Frmque::Command1_Click);
}

void Frmque::Form_Load()
{
    DBGrid1->setColumns(querywindow::columns({{"姓名", "姓名"}, {"大廈", "部門"}, {"職務", "職務"}, {"卡號", "卡號"},
                                              {"日期", "日期"}, {"時間", "時間"}, {"地址", "地址"},
                                              {"進出標誌", "flagio"}, {"採集標誌", "flag"}}));
    DBGrid1->setEditTable(QStringLiteral("data"));
    DBGrid1->setDatabaseName(app::databaseFile());
    querywindow::show(DBGrid1, base);

    // Over millions of swipes the lists take each value by one step on an
    // index, and only as far as they are scrolled.
    using ui::PagedValues;
    ui::listValues(Cdoor, app::db, QStringLiteral("data"), QStringLiteral("地址"), PagedValues::Reading::Seeking,
                   PagedValues::Blanks::Skipped);
    ui::listValues(Cka, app::db, QStringLiteral("data"), QStringLiteral("卡號"), PagedValues::Reading::Seeking,
                   PagedValues::Blanks::Skipped);
    ui::listValues(Cna, app::db, QStringLiteral("people"), QStringLiteral("姓名"), PagedValues::Reading::Seeking,
                   PagedValues::Blanks::Skipped);
    querywindow::listOrders(Corder, orders, QStringLiteral("排序方法"));

    t1s->setDate(QDate::currentDate());
    t1e->setDate(QDate::currentDate());
    t2s->setTime(QTime(8, 0));
    t2e->setTime(QTime(18, 0));
}

void Frmque::Ccx_Click()
{
    QStringList clauses;
    if (Cck[0]->isChecked())
        clauses << querywindow::rangeClause(QStringLiteral(" data.日期 ="), QStringLiteral(" data.日期  between "),
                                            sql::date(t1s->date()), sql::date(t1e->date()));
    if (Cck[3]->isChecked())
        clauses << querywindow::rangeClause(QStringLiteral(" data.時間="), QStringLiteral(" data.時間 between "),
                                            sql::time(t2s->time()), sql::time(t2e->time()));
    if (!querywindow::addClauses(clauses, {{Cck[1], Cdoor, " data.地址=", "請選擇地址", true},
                                           {Cck[2], Cka, " data.卡號=", "請選擇卡號"},
                                           {Cck[4], Cna, " people.姓名=", "請選擇姓名"}}))
        return;
    const QString statement = querywindow::statement(base + QStringLiteral(" "), QStringLiteral(" and "), clauses,
                                                     querywindow::sortOf(orders, Corder));
    querywindow::show(DBGrid1, statement);
}

void Frmque::Command2_Click()
{
    grid::BoundGrid* g = DBGrid1;
    querywindow::print(this, CRP, g, QStringLiteral("drda2.rpt"), [g] {
        QList<querywindow::Staged> columns = querywindow::copied({"姓名", "部門", "職務", "地址", "卡號", "日期"});
        columns.append({QStringLiteral("時間"), QStringLiteral("時間"), [](const QVariant& t) {
                            return t.isNull() || !t.isValid() ? QVariant() : QVariant(jet::storedTime(timeOf(t)));
                        }});
        columns.append({QStringLiteral("flag"), QStringLiteral("flag"), querywindow::directionText});
        querywindow::stageRows(g, QStringLiteral("dataPT"), columns);
    });
}

void Frmque::Command1_Click() { close(); }
