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
    try {
        jet::Recordset rs =
            app::db.OpenRecordset(QStringLiteral("select * from department order by 部門"), jet::dbOpenDynaset);
        if (!rs.Eof()) {
            rs.MoveFirst();
            for (; !rs.Eof(); rs.MoveNext())
                List1->addItem(rs.Field(QStringLiteral("部門")).toString());
        }
        rs.Close();
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
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
            const HeldCards held = heldCards(name);
            QString question = QStringLiteral("是否要同時刪除該部門的所有人員？");
            if (!held.isEmpty())
                question += QStringLiteral("\n\n") + held.described()
                            + QStringLiteral("刪除人員不會從控制器中刪除這些卡。");
            if (ui::MsgBox(question, 4 + 256, QStringLiteral("提示")) == ui::vbYes) {
                if (deleteWithPeople(name) && !held.isEmpty())
                    ui::MsgBox(QStringLiteral("該部門的人員已刪除。") + held.stillAdmitted(), 48);
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

QString Frmbm::HeldCards::described() const
{
    QStringList at;
    for (const auto& [address, count] : perAddress)
        at << QStringLiteral("地址 %1 有 %2 張").arg(address).arg(count);
    return QStringLiteral("該部門人員的 %1 張卡仍在控制器中：%2。").arg(cards).arg(at.join(QStringLiteral("，")));
}

QString Frmbm::HeldCards::stillAdmitted() const
{
    QStringList addresses;
    for (const auto& held : perAddress)
        addresses << QString::number(held.first);
    return QStringLiteral("地址 %1 的控制器仍保留這些卡：在對這些地址做「發卡信息重整」之前，這些卡仍可開門！")
        .arg(addresses.join(QStringLiteral("、")));
}

// The issued cards that the delete with people takes out of the database,
// counted by address: the controllers there keep them.
Frmbm::HeldCards Frmbm::heldCards(const QString& name)
{
    HeldCards held;
    jet::Recordset rs = app::db.OpenRecordset(
        QStringLiteral("select 地址, count(*) from faka where 卡號 in (select 卡號 from people where 部門=") + sql::text(name)
            + QStringLiteral(") group by 地址 order by 地址"),
        jet::dbOpenSnapshot);
    for (; !rs.Eof(); rs.MoveNext())
        held.perAddress.append({rs.Field(0).toInt(), rs.Field(1).toInt()});
    rs.Close();
    // A card held at several addresses is one card.
    jet::Recordset cards = app::db.OpenRecordset(
        QStringLiteral("select count(*) from people where 部門=") + sql::text(name)
            + QStringLiteral(" and 卡號 in (select 卡號 from faka)"),
        jet::dbOpenSnapshot);
    held.cards = cards.Field(0).toInt();
    cards.Close();
    return held;
}

// Removes the department's people and their issued cards from the database
// only: the controllers keep the cards, which a rebuild of their lists then
// leaves out. The history rows are written before any issued card goes.
bool Frmbm::deleteWithPeople(const QString& name)
{
    const QString department = sql::text(name);
    return ui::storeAtomically(app::db, [&] {
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
