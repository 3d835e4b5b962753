#include "frmbm.h"

#include "app.h"
#include "dbfailure.h"
#include "issuedcards.h"
#include "keys.h"
#include "msgbox.h"
#include "recordset.h"
#include "sqlvalue.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

Frmbm::Frmbm(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Frmbm"));
    setWindowTitle(QStringLiteral("大廈管理"));
    setAttribute(Qt::WA_DeleteOnClose);

    Label2 = new QLabel(QStringLiteral("大廈名稱:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Tbm = new QLineEdit(this);
    Tbm->setObjectName(QStringLiteral("Tbm"));
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    List1 = new QListWidget(Frame1);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addWidget(List1);
    Cmdadd = new QPushButton(QStringLiteral("添加"), this);
    Cmdadd->setObjectName(QStringLiteral("Cmdadd"));
    Cmdch = new QPushButton(QStringLiteral("修改"), this);
    Cmdch->setObjectName(QStringLiteral("Cmdch"));
    cmddel = new QPushButton(QStringLiteral("刪除"), this);
    cmddel->setObjectName(QStringLiteral("cmddel"));
    cmdexit = new QPushButton(QStringLiteral("退出"), this);
    cmdexit->setObjectName(QStringLiteral("cmdexit"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label2, 0, 0);
    grid->addWidget(Tbm, 0, 1, 1, 3);
    grid->addWidget(Frame1, 1, 0, 1, 4);
    grid->addWidget(Cmdadd, 2, 0);
    grid->addWidget(Cmdch, 2, 1);
    grid->addWidget(cmddel, 2, 2);
    grid->addWidget(cmdexit, 2, 3);

    Tbm->installEventFilter(this);
    connect(List1, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { Tbm->setText(item->text()); });
    connect(Cmdadd, &QPushButton::clicked, this, &Frmbm::Cmdadd_Click);
    connect(Cmdch, &QPushButton::clicked, this, &Frmbm::Cmdch_Click);
    connect(cmddel, &QPushButton::clicked, this, &Frmbm::cmddel_Click);
    connect(cmdexit, &QPushButton::clicked, this, &QWidget::close);

    refreshList();
}

bool Frmbm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Tbm && event->type() == QEvent::KeyPress) {
        if (ui::isEnter(static_cast<QKeyEvent*>(event))) {
            focusNextChild();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Frmbm::refreshList()
{
    List1->clear();
    jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("select * from department order by 部門"), jet::dbOpenDynaset);
    if (!rs.Eof()) {
        rs.MoveFirst();
        for (; !rs.Eof(); rs.MoveNext())
            List1->addItem(rs.Field(QStringLiteral("部門")).toString());
    }
    rs.Close();
    List1->clearSelection();
    List1->setCurrentRow(-1);
}

bool Frmbm::exists(const QString& name)
{
    jet::Recordset rs = app::db.OpenRecordset(QStringLiteral("select * from department where 部門=") + sql::text(name),
                                              jet::dbOpenDynaset);
    const bool found = !rs.Eof();
    rs.Close();
    return found;
}

void Frmbm::Cmdadd_Click()
{
    const QString name = Tbm->text().trimmed();
    if (name.isEmpty()) {
        ui::MsgBox(QStringLiteral("請輸入部門"), 48);
        return;
    }
    try {
        if (exists(name)) {
            ui::MsgBox(QStringLiteral("該部門已存在"), 0);
        } else {
            app::db.Execute(QStringLiteral("insert into department values (") + sql::text(name) + ')');
            refreshList();
        }
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
    Tbm->setFocus();
}

void Frmbm::Cmdch_Click()
{
    QListWidgetItem* selected = List1->currentItem();
    if (!selected || !selected->isSelected()) {
        ui::MsgBox(QStringLiteral("請選擇要修改的部門"), 0);
        return;
    }
    const QString name = Tbm->text().trimmed();
    if (name.isEmpty()) {
        ui::MsgBox(QStringLiteral("請輸入部門"), 48);
        return;
    }
    const QString old = selected->text().trimmed();
    try {
        if (exists(name)) {
            ui::MsgBox(QStringLiteral("該部門已存在"), 0);
            return;
        }
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return;
    }
    // The register and the people take the new name together or not at all.
    ui::storeAtomically(app::db, [&] {
        app::db.Execute(QStringLiteral("update department set 部門=") + sql::text(name) + QStringLiteral(" where 部門=")
                        + sql::text(old));
        app::db.Execute(QStringLiteral("update people set 部門=") + sql::text(name) + QStringLiteral(" where 部門=")
                        + sql::text(old));
    });
    refreshList();
}

void Frmbm::cmddel_Click()
{
    QListWidgetItem* selected = List1->currentItem();
    if (!selected || !selected->isSelected()) {
        ui::MsgBox(QStringLiteral("請選擇要刪除的部門"), 0);
        return;
    }
    const QString name = selected->text().trimmed();
    try {
        if (exists(name)) {
            if (ui::MsgBox(QStringLiteral("是否要同時刪除該部門的所有人員？"), 4 + 256, QStringLiteral("提示")) == ui::vbYes) {
                deleteWithPeople(name);
            } else {
                ui::MsgBox(QStringLiteral("沒有刪除該部門的人員！"), 0);
                app::db.Execute(QStringLiteral("delete * from department  where 部門=") + sql::text(name));
            }
        }
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
    refreshList();
    Tbm->clear();
}

// Removes the department's people and their issued cards from the database
// only: the controllers keep the cards, which a rebuild of their lists then
// leaves out. The history rows are written before any issued card goes.
void Frmbm::deleteWithPeople(const QString& name)
{
    const QString department = sql::text(name);
    ui::storeAtomically(app::db, [&] {
        jet::Recordset issued = app::db.OpenRecordset(QStringLiteral(" select ") + cardstore::archivedColumns()
                                                          + QStringLiteral(" from fakapl where 部門=") + department,
                                                      jet::dbOpenDynaset);
        for (; !issued.Eof(); issued.MoveNext())
            cardstore::archive(app::db, issued);
        issued.Close();
        app::db.Execute(QStringLiteral("delete * from faka  where 卡號 in (select 卡號 from people where 部門=") + department
                        + ')');
        app::db.Execute(QStringLiteral("delete * from people  where 部門=") + department);
        app::db.Execute(QStringLiteral("delete * from department  where 部門=") + department);
    });
}
