#include "sjkwf2.h"

#include "app.h"
#include "dbfailure.h"
#include "keys.h"
#include "msgbox.h"
#include "named.h"
#include "recordset.h"
#include "sqlvalue.h"
#include "working.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScreen>

namespace {

// Its text comes from its list only: typed characters are dropped.
QComboBox* listOnly(QWidget* parent, const char* name)
{
    auto* box = ui::named(new QComboBox(parent), name);
    new ui::KeyFilter(box, [](QKeyEvent* key) { return ui::typed(key).isNull(); });
    box->setMinimumContentsLength(10);
    return box;
}

QDate dayOf(const QComboBox* box) { return box->currentData().toDate(); }

}  // namespace

sjkwf2::sjkwf2(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("sjkwf2"));
    setWindowTitle(QStringLiteral("門禁系統數据維護"));
    auto* tables = new QGroupBox(QStringLiteral("數据庫選擇"), this);
    Cdb = listOnly(tables, "Cdb");
    auto* days = new QGroupBox(QStringLiteral("日期"), this);
    Combo1 = listOnly(days, "Combo1");
    Combo2 = listOnly(days, "Combo2");
    Command1 = ui::named(new QPushButton(QStringLiteral("刪除數据"), this), "Command1");
    Command2 = ui::named(new QPushButton(QStringLiteral("退出"), this), "Command2");
    for (QPushButton* b : {Command1, Command2})
        b->setAutoDefault(false);

    (new QGridLayout(tables))->addWidget(Cdb, 0, 0);
    auto* range = new QGridLayout(days);
    range->addWidget(Combo1, 0, 0);
    range->addWidget(new QLabel(QStringLiteral("-->"), days), 0, 1);
    range->addWidget(Combo2, 0, 2);
    auto* grid = new QGridLayout(this);
    grid->addWidget(tables, 0, 0, 1, 2);
    grid->addWidget(days, 1, 0, 1, 2);
    grid->addWidget(Command1, 2, 0);
    grid->addWidget(Command2, 2, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);  // nothing in it grows

    Cdb->addItems({QStringLiteral("開門原始記錄表"), QStringLiteral("考勤分析數据庫")});
    Cdb->setCurrentIndex(-1);
    // The box takes no typing, so every activation is a choice of a table
    // (from the list or by the arrow keys), the same one again included,
    // which lists its days anew.
    connect(Cdb, &QComboBox::activated, this, &sjkwf2::Cdb_Click);
    connect(Command1, &QPushButton::clicked, this, &sjkwf2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &sjkwf2::Command2_Click);
}

// Centred on the screen, a little below the middle.
void sjkwf2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (placed || !screen())
        return;
    placed = true;
    const QRect s = screen()->availableGeometry();
    move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2 + 20);
}

QString sjkwf2::table() const
{
    return Cdb->currentIndex() == 0 ? QStringLiteral("data") : QStringLiteral("datakq");
}

void sjkwf2::Cdb_Click()
{
    Combo1->clear();
    Combo2->clear();
    if (Cdb->currentIndex() < 0)
        return;
    const bool swipes = Cdb->currentIndex() == 0;
    try {
        if (app::db.OpenRecordset(table(), jet::dbOpenTable).Eof()) {
            ui::MsgBox(QStringLiteral("無記錄"));
            return;
        }
        // Day after day through the index on 日期, earliest first: the
        // table itself is never read whole.
        QDate day;
        for (;;) {
            const QString after = day.isValid() ? QStringLiteral(" where 日期 > ") + sql::date(day) : QString();
            jet::Recordset rs = app::db.OpenRecordset(
                QStringLiteral("select min(日期) from ") + table() + after, jet::dbOpenSnapshot);
            // A computed column carries no type: its value comes as text.
            const QVariant next = rs.Eof() ? QVariant() : jet::parseDateTime(rs.Field(0).toString());
            if (next.typeId() != QMetaType::QDate)
                break;
            day = next.toDate();
            const QString text = swipes ? day.toString(QStringLiteral("yyyy-MM-dd"))
                                        : QLocale().toString(day, QLocale::ShortFormat);
            Combo1->addItem(text, day);
            Combo2->addItem(text, day);
        }
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
    Combo1->setCurrentIndex(Combo1->count() > 0 ? 0 : -1);
    Combo2->setCurrentIndex(Combo2->count() - 1);
}

void sjkwf2::Command1_Click()
{
    if (Cdb->currentIndex() < 0) {
        ui::MsgBox(QStringLiteral("請輸入數据庫名稱！"));
        return;
    }
    if (Combo1->currentIndex() < 0) {
        Combo1->setFocus();
        return;
    }
    if (Combo2->currentIndex() < 0) {
        Combo2->setFocus();
        return;
    }
    const QDate first = dayOf(Combo1);
    const QDate last = dayOf(Combo2);
    if (first > last) {
        ui::MsgBox(QStringLiteral("前一個日期不能大于后一個日期，請重新選擇日期！"));
        return;
    }
    if (ui::MsgBox(QStringLiteral("您确實要清除從 ") + Combo1->currentText() + QStringLiteral(" 到 ") + Combo2->currentText()
                       + QStringLiteral(" 之間") + Cdb->currentText() + QStringLiteral("中所有數据！"),
                   4 + 32 + 256, QStringLiteral("警    告"))
        != ui::vbYes)
        return;
    const QString where = first == last ? QStringLiteral(" where 日期 = ") + sql::date(first)
                                        : QStringLiteral(" where 日期 between ") + sql::date(first)
                                              + QStringLiteral(" and ") + sql::date(last);
    int deleted = 0;
    try {
        const app::CollectionHold purging(QStringLiteral("過期數據處理"));
        const ui::Working notice(QStringLiteral("正在刪除過期數據，請稍候…"));
        deleted = app::db.Execute(QStringLiteral("delete * from ") + table() + where);
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return;
    }
    ui::MsgBox(QStringLiteral("刪除成功！共刪除 %1 條記錄。").arg(deleted));
}

void sjkwf2::Command2_Click() { close(); }
