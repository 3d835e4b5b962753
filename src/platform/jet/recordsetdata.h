#pragma once
#include "connection.h"
#include "database.h"
#include "orderedrows.h"

#include <QHash>
#include <deque>
#include <memory>
#include <optional>

namespace jet {

struct RecordsetData {
    enum class Mode { None, Editing, Adding };
    enum class Place { BeforeFirst, OnRow, AfterLast };

    std::shared_ptr<Connection> conn;
    std::unique_ptr<OrderedRows> rows;
    bool tableType = false;
    QString table;  // the base table rows are written back to; empty when read-only
    QHash<QString, int> byName;  // lower-cased name -> column

    Place place = Place::AfterLast;
    KeyedRow row;                 // the current row; after Delete, where it stood
    bool currentDeleted = false;
    bool empty = true;            // the last look from the start found no row
    std::optional<qint64> index;  // position of the current row, when known
    qint64 reached = 0;           // rows reached so far, for a dynaset's RecordCount
    bool reachedAll = false;      // the last row was reached from a known position
    bool noMatch = false;
    Mode mode = Mode::None;
    QHash<int, QVariant> buffer;

    // Rows read ahead of the current one while walking forward; good as long
    // as the file has not changed since.
    std::deque<KeyedRow> ahead;
    ChangeStamp aheadStamp;
    int batch = 0;

    QString indexName;
    QStringList indexColumns;

    void read(const QString& select, bool live);
    bool updatable() const { return !table.isEmpty(); }
    int column(const QString& name) const;
    const KeyedRow& current() const;
    void land(KeyedRow r, std::optional<qint64> at);
    void toFirst();
    std::optional<KeyedRow> next();
    qint64 rowsReached();
};

std::unique_ptr<RecordsetData> openRecordsetData(const std::shared_ptr<Connection>& conn,
                                                 const QString& source, RecordsetType type);

}  // namespace jet
