#include "frmfkxxcx.h"

#include "app.h"
#include "boundgrid.h"
#include "msgbox.h"
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
    const char* const columns[][2] = {
        {"姓名", "姓名"},         {"卡號", "卡號"},         {"地址", "地址"},         {"鎖一", "ctrl_state1"},
        {"鎖二", "ctrl_state2"},  {"開始日期", "開始日期"}, {"截止日期", "截止日期"}, {"開始星期", "開始星期"},
        {"截止星期", "截止星期"}, {"開始時間", "開始時間"}, {"截止時間", "截止時間"}, {"物理卡號", "物理卡號"},
        {"大廈", "部門"},         {"職務", "職務"},
    };
    QList<grid::Column> shown;
    for (const auto& [caption, field] : columns)
        shown.append({QString::fromUtf8(caption), QString::fromUtf8(field)});
    DBGrid1->setColumns(shown);
    DBGrid1->setDatabaseName(app::databaseFile());
    querywindow::show(DBGrid1, base);

    ui::listValues(Tka, app::db, QStringLiteral("faka"), QStringLiteral("卡號"), ui::PagedValues::Reading::Scanning,
                   ui::PagedValues::Blanks::Skipped);
    ui::listValues(Txm, app::db, QStringLiteral("fakapl"), QStringLiteral("姓名"),
                   ui::PagedValues::Reading::Scanning, ui::PagedValues::Blanks::Skipped);
    ui::listValues(Cbm, app::db, QStringLiteral("fakapl"), QStringLiteral("部門"),
                   ui::PagedValues::Reading::Scanning, ui::PagedValues::Blanks::Skipped);
    ui::listValues(Cdoor, app::db, QStringLiteral("faka"), QStringLiteral("地址"),
                   ui::PagedValues::Reading::Scanning, ui::PagedValues::Blanks::Skipped);
    for (const auto& order : orders)
        Corder->addItem(QString::fromUtf8(order[0]));
    Corder->setCurrentIndex(-1);
    Corder->setEditText(QString());
}

void FrmFKXXCX::Ccx_Click()
{
    QStringList clauses;
    const struct {
        int box;
        QComboBox* value;
        const char* column;
        const char* missing;
    } texts[] = {
        {3, Cbm, " people.部門=", "請輸入部門"},
        {0, Txm, " people.姓名=", "請輸入姓名"},
        {1, Cdoor, " faka.地址=", "請選擇地址"},
        {2, Tka, " faka.卡號=", "請輸入卡號"},
    };
    for (const auto& t : texts) {
        if (!Cck[t.box]->isChecked())
            continue;
        const QString value = t.value->currentText().trimmed();
        const bool address = t.value == Cdoor;
        if (value.isEmpty() || (address && !querywindow::isAddress(value))) {
            ui::MsgBox(QString::fromUtf8(t.missing), 48);
            return;
        }
        clauses << QString::fromUtf8(t.column) + (address ? sql::number(qint64(value.toInt())) : sql::text(value));
    }
    QString statement = base + QStringLiteral(" ");
    if (!clauses.isEmpty())
        statement += QStringLiteral(" and ") + querywindow::joined(clauses);
    if (const int order = querywindow::pickedItem(Corder); order >= 0)
        statement += QString::fromUtf8(orders[order][1]);
    querywindow::show(DBGrid1, statement);
}

void FrmFKXXCX::Command2_Click()
{
    using querywindow::copied;
    grid::BoundGrid* g = DBGrid1;
    const auto passMode = [g](const char* field) {
        const QString name = QString::fromLatin1(field);
        return querywindow::Staged{name, [g, name](int row) { return querywindow::passModeText(g->Field(row, name)); }};
    };
    querywindow::print(this, Cr, g, QStringLiteral("faka.rpt"), [=] {
        QList<querywindow::Staged> columns;
        for (const char* field : {"物理卡號", "卡號", "地址", "開始日期", "開始時間", "開始星期", "截止日期", "截止時間",
                                  "截止星期"})
            columns << copied(g, QString::fromUtf8(field));
        columns << passMode("ctrl_state1") << passMode("ctrl_state2");
        querywindow::stageRows(g, QStringLiteral("fakapt"), columns);
    });
}

void FrmFKXXCX::Command1_Click() { close(); }
