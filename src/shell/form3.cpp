#include "form3.h"

#include "app.h"
#include "msgbox.h"
#include "placement.h"
#include "sqlvalue.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

// The default operator: name and password brivel, and every one of the
// thirty yes/no columns true.
QString defaultOperator()
{
    QString values = sql::text(QStringLiteral("brivel")) + QLatin1Char(',') + sql::text(QStringLiteral("brivel"));
    for (int i = 0; i < 30; ++i)
        values += QLatin1Char(',') + sql::boolean(true);
    return QStringLiteral("insert into user values(") + values + QLatin1Char(')');
}

}  // namespace

Form3::Form3(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("數据庫初始化"));
    Label1 = new QLabel(QStringLiteral("請輸入公司名稱："), this);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Command1 = new QPushButton(QStringLiteral("确定"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("退出"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Pro = new QProgressBar(this);
    Pro->setObjectName(QStringLiteral("Pro"));
    ui::keepRoomWhenHidden(Pro);
    Pro->hide();

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Text1, 0, 1, 1, 2);
    grid->addWidget(Pro, 1, 0, 1, 3);
    grid->addWidget(Command1, 2, 1);
    grid->addWidget(Command2, 2, 2);

    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
}

std::vector<Form3::Step> Form3::steps(const QString& companyName)
{
    return {
        {QStringLiteral("delete * from user"), 0},
        {defaultOperator(), 2},
        {QStringLiteral("delete * from department"), 0},
        {QStringLiteral("delete * from doors"), 3},
        {QStringLiteral("delete * from key"), 4},
        {QStringLiteral("update system set zhi=1,detail=") + sql::text(companyName) +
             QStringLiteral(" where name='串口號'"),
         0},
        {QStringLiteral("update system set zhi=0,detail='9600,n,8,1' where name='通訊設置'"), 0},
        {QStringLiteral("update system set zhi=2048,dw='字節' where name='輸入緩沖區'"), 0},
        {QStringLiteral("update system set zhi=512,dw='字符' where name='輸出緩沖區'"), 0},
        {QStringLiteral("update system set zhi=1 where name='發卡机'"), 5},
        {QStringLiteral("delete * from datakq"), 6},
        {QStringLiteral("delete * from data"), 7},
        {QStringLiteral("delete * from faka"), 8},
        {QStringLiteral("delete * from people"), 9},
        {QStringLiteral("delete * from key"), 10},
        {QStringLiteral("delete * from dfaka"), 11},
        {QStringLiteral("delete * from dpeople"), 12},
    };
}

void Form3::Command1_Click()
{
    if (ui::MsgBox(QStringLiteral("此操作將初始化所有系統數据庫,\r\n\r\n繼續嗎？"), 4 + 48 + 256) != ui::vbYes)
        return;
    Pro->setMaximum(12);
    Pro->setValue(1);
    Pro->show();
    // All or nothing: a failure half-way must never leave the operators
    // deleted without the default one in their place.
    const app::CollectionHold initialising(QStringLiteral("數據庫初始化"));
    try {
        app::db.BeginTrans();
        for (const Step& step : steps(Text1->text())) {
            app::db.Execute(step.statement);
            if (step.progressAfter)
                Pro->setValue(step.progressAfter);
        }
        app::db.CommitTrans();
    } catch (const jet::DbError& e) {
        app::db.Rollback();
        Pro->hide();
        ui::MsgBox(QStringLiteral("數據庫初始化失敗，數據庫未作任何改動。\n") + e.message(), 16);
        return;
    }
    Pro->hide();
}

void Form3::Command2_Click() { close(); }
