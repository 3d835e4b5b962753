#include "querywindow.h"

#include "app.h"
#include "dbfailure.h"
#include "msgbox.h"
#include "orderedrows.h"
#include "progress.h"
#include "programfolder.h"
#include "recordset.h"
#include "sqlvalue.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <QLocale>
#include <algorithm>
#include <memory>

namespace querywindow {

void layOut(QWidget* window, QLayout* filters, std::initializer_list<QPushButton*> buttons, QWidget* grid)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* b : buttons)
        row->addWidget(b);
    auto* whole = new QVBoxLayout(window);
    whole->addLayout(filters);
    whole->addLayout(row);
    whole->addWidget(grid, 1);
}

QList<grid::Column> columns(std::initializer_list<std::pair<const char*, const char*>> captionsAndFields)
{
    QList<grid::Column> shown;
    for (const auto& [caption, field] : captionsAndFields)
        shown.append({QString::fromUtf8(caption), QString::fromUtf8(field)});
    return shown;
}

void listOrders(QComboBox* box, const QStringList& items, const QString& caption)
{
    box->addItems(items);
    box->setCurrentIndex(-1);
    box->setEditText(caption);
}

QString joined(const QStringList& clauses) { return clauses.join(QStringLiteral(" and ")); }

QString statement(const QString& start, const QString& opening, const QStringList& clauses, const QString& sort)
{
    return start + (clauses.isEmpty() ? QString() : opening + joined(clauses)) + sort;
}

QString rangeClause(const QString& equal, const QString& between, const QString& first, const QString& last)
{
    return first == last ? equal + first + QStringLiteral(" ") : between + first + QStringLiteral(" and ") + last;
}

bool addClauses(QStringList& clauses, std::initializer_list<TextFilter> filters)
{
    for (const TextFilter& f : filters) {
        if (!f.ticked->isChecked())
            continue;
        const QString value = f.box->currentText().trimmed();
        if (value.isEmpty() || (f.address && !isAddress(value))) {
            ui::MsgBox(QString::fromUtf8(f.missing), 48);
            return false;
        }
        clauses << QString::fromUtf8(f.clause) + (f.address ? sql::number(qint64(value.toInt())) : sql::text(value));
    }
    return true;
}

bool isAddress(const QString& text)
{
    bool whole = false;
    const int address = text.trimmed().toInt(&whole);
    return whole && address >= 0 && address <= 99;
}

int pickedItem(const QComboBox* box)
{
    const int item = box->currentIndex();
    return item >= 0 && box->currentText() == box->itemText(item) ? item : -1;
}

void show(grid::BoundGrid* grid, const QString& statement)
{
    grid->setRecordSource(statement);
    try {
        grid->Refresh();
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
}

QString passModeText(const QVariant& mode)
{
    static const QString texts[] = {QStringLiteral("進出"), QStringLiteral("進"), QStringLiteral("出"),
                                    QStringLiteral("禁止")};
    bool number = false;
    const qlonglong n = mode.toLongLong(&number);
    return mode.isValid() && !mode.isNull() && number && n >= 0 && n <= 3 ? texts[n] : QString();
}

QVariant directionText(const QVariant& flag)
{
    static const QString texts[] = {QStringLiteral("鎖一進"), QStringLiteral("鎖一出"), QStringLiteral("鎖二進"),
                                    QStringLiteral("鎖二出")};
    bool number = false;
    const qlonglong n = flag.toLongLong(&number);
    return flag.isValid() && !flag.isNull() && number && n >= 1 && n <= 4 ? QVariant(texts[n - 1]) : QVariant();
}

namespace {

// A large result is counted between events; the print takes every row.
void waitUntilCounted(grid::BoundGrid* grid)
{
    if (!grid->isCounting())
        return;
    QEventLoop counted;
    QObject::connect(grid, &grid::BoundGrid::recordCountFinished, &counted, &QEventLoop::quit);
    if (grid->isCounting())
        counted.exec();
}

bool confirmedLong(const report::ReportControl& control, int rows)
{
    if (rows <= LongPrint)
        return true;
    const QLocale numbers(QLocale::Chinese, QLocale::Taiwan);
    const QString prompt = QStringLiteral("將打印 %1 行，至少 %2 頁，是否繼續？")
                               .arg(numbers.toString(rows), numbers.toString(control.leastPages(rows)));
    return ui::MsgBox(prompt, 4 + 32 + 256) == ui::vbYes;
}

}  // namespace

void print(QWidget* window, report::ReportControl& control, grid::BoundGrid* grid, const QString& templateName,
           const std::function<void()>& stage)
{
    control.setDataFiles(0, app::databaseFile());
    control.setReportFileName(platform::programFile(templateName));
    try {
        waitUntilCounted(grid);
        if (!confirmedLong(control, grid->RecordCount()))
            return;
        {
            const app::CollectionHold printing(QStringLiteral("打印報表"));
            jet::Transaction staging(app::db);
            stage();
            staging.Commit();
        }
        control.PrintReport(window);
    } catch (const Cancelled&) {
    } catch (const report::ReportError& e) {
        ui::MsgBox(e.message(), 48);
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    }
}

QList<Staged> copied(std::initializer_list<const char*> fields)
{
    QList<Staged> staged;
    for (const char* name : fields) {
        const QString field = QString::fromUtf8(name);
        staged.append({field, field, {}});
    }
    return staged;
}

Staged passMode(const QString& field) { return {field, field, [](const QVariant& v) { return QVariant(passModeText(v)); }}; }

namespace {

constexpr int stagedPerRead = 1000;

// Where each staging column's field stands among the listed ones.
QVector<int> fieldsOf(const jet::OrderedRows& rows, const QList<Staged>& columns)
{
    QVector<int> at;
    const QStringList& names = rows.names();
    for (const Staged& c : columns) {
        const auto found = std::find_if(names.begin(), names.end(), [&](const QString& n) {
            return n.compare(c.field, Qt::CaseInsensitive) == 0;
        });
        if (found == names.end())
            throw jet::DbError(QStringLiteral("Item not found in this collection: '%1'.").arg(c.field));
        at << static_cast<int>(found - names.begin());
    }
    return at;
}

}  // namespace

void stageRows(grid::BoundGrid* grid, const QString& table, const QList<Staged>& columns)
{
    // On the screen before the last print's rows are cleared, which takes a
    // while after a long print.
    ui::Progress progress(grid->window(), QStringLiteral("正在準備打印的數據……"), grid->RecordCount());
    QCoreApplication::processEvents();
    app::db.Execute(QStringLiteral("delete * from ") + table);
    const std::unique_ptr<jet::OrderedRows> rows = grid->listedRows(app::db);
    const QVector<int> fields = fieldsOf(*rows, columns);
    jet::Recordset staging = app::db.OpenRecordset(table, jet::dbOpenTable);
    int staged = 0;
    for (std::vector<jet::KeyedRow> read = rows->after(nullptr, stagedPerRead); !read.empty();
         read = rows->after(&read.back().key, stagedPerRead)) {
        for (const jet::KeyedRow& row : read) {
            staging.AddNew();
            for (qsizetype c = 0; c < columns.size(); ++c) {
                const QVariant& value = row.values.at(fields[c]);
                staging.SetField(columns[c].column, columns[c].written ? columns[c].written(value) : value);
            }
            staging.Update();
        }
        staged += static_cast<int>(read.size());
        if (!progress.at(staged))
            throw Cancelled();
    }
    staging.Close();
}

}  // namespace querywindow
