#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QTableView>
#include <QVariant>
#include <memory>

namespace jet {
class Database;
class OrderedRows;
}  // namespace jet

namespace grid {

class RowsModel;

// A column the grid shows: its header and the field of the select it shows.
struct Column {
    QString caption;
    QString field;
};

// A grid over the rows of one select, in place of a data control with its
// bound grid. It reads through a database handle of its own, opened by the
// file's path at the first refresh, and fetches rows page by page as they
// scroll into view, each page by the key of the row before it, so the end
// of a large result shows as fast as its start; no statement stays open
// between events. Writes made through other handles show after the next
// Refresh(). Read-only unless setEditTable() names a table.
class BoundGrid : public QTableView {
    Q_OBJECT
public:
    explicit BoundGrid(QWidget* parent = nullptr);
    ~BoundGrid() override;

    // The database file, by its path (connect strings are accepted too).
    void setDatabaseName(const QString& path);
    QString DatabaseName() const;
    // A select in the windows' dialect; takes effect at the next Refresh().
    void setRecordSource(const QString& select);
    QString RecordSource() const;

    // Runs the record source again, makes the first row current (none when
    // the result is empty) and emits currentRowChanged once. A statement the
    // engine refuses throws jet::DbError and leaves the grid empty.
    void Refresh();

    // The columns shown, in order. Without any, every column of the select
    // is shown under its own name. Field values stay reachable by name
    // whether or not a column shows them.
    void setColumns(const QList<Column>& columns);

    // The rows counted so far. A result of up to 100 000 rows is counted
    // at Refresh(); a larger one shows its first rows at once and is counted
    // on between events, the grid growing until recordCountFinished().
    int RecordCount() const;
    bool isCounting() const;
    // The rows the grid lists, in its order, read through another handle of
    // the file (one writing elsewhere meanwhile, say): none stored since the
    // last Refresh(). Throws jet::DbError.
    std::unique_ptr<jet::OrderedRows> listedRows(const jet::Database& db) const;
    // The current row, 0-based; -1 when the grid is empty.
    int Row() const;
    // Makes a row current; emits currentRowChanged when the row changes.
    void setRow(int row);

    // Column names of the select, in its order.
    QStringList FieldNames() const;
    // A field of the current row / of any row, by the select's column name
    // (letter case ignored). Null is an invalid QVariant, distinct from
    // empty text. Throws jet::DbError for an unknown name or a row that
    // isn't there ("No current record.").
    QVariant Field(const QString& name) const;
    QVariant Field(int row, const QString& name) const;

    // Edits in place: empty (the default) keeps the grid read-only. Given a
    // table of the select, the cells of that table's columns become editable
    // and an edit is written at once to the listed row of that table, found
    // by its row id. A value the database refuses is reported to the
    // operator and the cell goes back to the stored value. Columns of other
    // tables and computed ones stay read-only.
    void setEditTable(const QString& table);
    QString EditTable() const;

signals:
    // The current row changed: the operator moved to another row, setRow()
    // chose one, or a refresh made the first row current (row -1: empty).
    void currentRowChanged(int row);
    // Counting is complete: RecordCount() is final.
    void recordCountFinished(int rows);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    RowsModel* rows;
    int current = -1;
    bool refreshing = false;
};

}  // namespace grid
