#pragma once
#include "connection.h"
#include "database.h"

#include <QHash>
#include <memory>
#include <vector>

namespace jet {

struct RecordsetData {
    struct Row {
        qint64 rowid = 0;
        QVector<QVariant> values;
    };
    enum class Mode { None, Editing, Adding };

    std::shared_ptr<Connection> conn;
    bool tableType = false;
    QString table;             // the base table rows are written back to; empty when read-only
    QString loadSql;           // what (re)reads the rows; first column the rowid when 'table' is set
    QStringList names;
    QVector<ColumnKind> kinds;
    QHash<QString, int> byName;  // lower-cased name -> column
    std::vector<Row> rows;

    qsizetype pos = 0;         // -1 before the first row, rows.size() past the last
    bool currentDeleted = false;
    qsizetype reached = 0;     // rows reached so far, for a dynaset's RecordCount
    bool noMatch = false;
    Mode mode = Mode::None;
    QHash<int, QVariant> buffer;

    QString indexName;
    QStringList indexColumns;

    void load();
    bool updatable() const { return !table.isEmpty(); }
    int column(const QString& name) const;
    const Row& current() const;
    void moved();
};

std::unique_ptr<RecordsetData> openRecordsetData(const std::shared_ptr<Connection>& conn,
                                                 const QString& source, RecordsetType type);

QString quoteName(const QString& name);

}  // namespace jet
