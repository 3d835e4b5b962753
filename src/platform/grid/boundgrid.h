#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QTableView>
#include <QVariant>

namespace grid {

class RowsModel;

// A column the grid shows: its header and the field of the select it shows.
struct Column {
    QString caption;
    QString field;
};

// A read-only grid over the rows of one select, in place of a data control
// with its bound grid. It reads through a database handle of its own, opened
// by the file's path at the first refresh, and fetches rows page by page as
// they scroll into view; no statement stays open between events. Writes made
// through other handles show after the next Refresh().
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

    int RecordCount() const;
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

signals:
    // The current row changed: the operator moved to another row, setRow()
    // chose one, or a refresh made the first row current (row -1: empty).
    void currentRowChanged(int row);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    RowsModel* rows;
    int current = -1;
    bool refreshing = false;
};

}  // namespace grid
