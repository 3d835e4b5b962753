#include "boundgrid.h"

#include "dberror.h"
#include "rowsmodel.h"

#include <QHeaderView>

namespace grid {

BoundGrid::BoundGrid(QWidget* parent) : QTableView(parent), rows(new RowsModel(this))
{
    setModel(rows);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab moves on to the next control, as from any other; the arrow keys
    // move within the rows. Going from cell to cell, Tab would hold a
    // keyboard-only operator in a grid of many rows.
    setTabKeyNavigation(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    connect(rows, &RowsModel::countFinished, this, &BoundGrid::recordCountFinished);
}

BoundGrid::~BoundGrid() = default;

void BoundGrid::setDatabaseName(const QString& path) { rows->setDatabaseName(path); }
QString BoundGrid::DatabaseName() const { return rows->databaseName(); }
void BoundGrid::setRecordSource(const QString& select) { rows->setRecordSource(select); }
QString BoundGrid::RecordSource() const { return rows->recordSource(); }
void BoundGrid::setColumns(const QList<Column>& columns)
{
    rows->setColumns(columns);
    // Showing other columns is no move to another row.
    if (current >= 0 && rows->columnCount() > 0) {
        refreshing = true;
        setCurrentIndex(rows->index(current, 0));
        refreshing = false;
    }
}

void BoundGrid::Refresh()
{
    refreshing = true;
    current = -1;
    try {
        rows->refresh();
    } catch (...) {
        refreshing = false;
        throw;
    }
    if (rows->count() > 0 && rows->columnCount() > 0) {
        setCurrentIndex(rows->index(0, 0));
        current = 0;
    }
    refreshing = false;
    emit currentRowChanged(current);
}

int BoundGrid::RecordCount() const { return rows->count(); }

bool BoundGrid::isCounting() const { return rows->counting(); }

std::unique_ptr<jet::OrderedRows> BoundGrid::listedRows(const jet::Database& db) const { return rows->listedRows(db); }

void BoundGrid::setEditTable(const QString& table)
{
    rows->setEditTable(table);
    setEditTriggers(rows->editTable().isEmpty()
                        ? QAbstractItemView::NoEditTriggers
                        : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                              | QAbstractItemView::AnyKeyPressed);
}

QString BoundGrid::EditTable() const { return rows->editTable(); }

int BoundGrid::Row() const { return current; }

void BoundGrid::setRow(int row)
{
    if (row < 0 || row >= rows->count())
        throw jet::DbError(QStringLiteral("Invalid row number."));
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    setCurrentIndex(rows->index(row, column));
    scrollTo(currentIndex());
}

QStringList BoundGrid::FieldNames() const { return rows->fieldNames(); }

QVariant BoundGrid::Field(const QString& name) const { return rows->value(current, name); }

QVariant BoundGrid::Field(int row, const QString& name) const { return rows->value(row, name); }

void BoundGrid::currentChanged(const QModelIndex& now, const QModelIndex& previous)
{
    QTableView::currentChanged(now, previous);
    if (refreshing)
        return;
    const int row = now.isValid() ? now.row() : -1;
    if (row == current)
        return;
    current = row;
    emit currentRowChanged(row);
}

}  // namespace grid
