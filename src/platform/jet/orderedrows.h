#pragma once
#include "connection.h"
#include "dberror.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>
#include <optional>
#include <vector>

namespace jet {

class Database;
struct SelectParts;

// Where a row stands in the order of its select: its sort values, then what
// tells equal ones apart. Opaque to callers; compared only by the database.
using RowKey = QVector<QVariant>;

struct KeyedRow {
    RowKey key;
    QVector<qint64> rowids;  // the row id in each of tables(), when the rows have them
    QVector<QVariant> values;
};

// The rows of one select in a fixed order, reached by key: every read is one
// short statement that starts after (or before) a row's key, so no statement
// stays open between calls, whatever the size of the result, and reads far
// into the result cost what reads at its start cost.
//
// A plain select (tables joined by commas, no grouping) is read from its
// tables directly, its order completed by their row ids; when the database
// would have to sort the whole result for every read, the row ids are sorted
// once into a temporary table instead. Any other select (distinct, grouped,
// over a view...) is copied once into a temporary table.
//
// Membership: with 'live' set, every read sees the tables as they are (table
// recordsets). Without it, the rows are those the select returned when it was
// opened, read afresh at each look (so changes and deletions show), plus any
// row include() adds; rows inserted since through other statements stay out.
class OrderedRows {
public:
    struct Options {
        bool live = false;
        // Not live: the rows of this one, of the same select through
        // another handle, instead of those the select returns now (looked
        // at only while opening).
        const OrderedRows* membersOf = nullptr;
    };

    OrderedRows(std::shared_ptr<Connection> conn, const QString& sqliteSelect, Options options);
    ~OrderedRows();
    OrderedRows(const OrderedRows&) = delete;
    OrderedRows& operator=(const OrderedRows&) = delete;

    const QStringList& names() const { return columnNames; }
    const QVector<ColumnKind>& kinds() const { return columnKinds; }
    // The base tables rows carry row ids of, by their stored names; empty
    // when the rows are copies.
    const QStringList& tables() const { return baseTables; }
    // The table (index into tables()) and column a result column shows;
    // -1 and empty for a computed one.
    int columnTable(int column) const { return origins[column].table; }
    QString columnOrigin(int column) const { return origins[column].column; }

    // Up to 'count' rows after 'from' (from the first when null), and when
    // 'through' is given none past it. With 'criteria', only the rows that
    // meet it: a condition on the result's columns, in SQLite's dialect.
    std::vector<KeyedRow> after(const RowKey* from, int count, const RowKey* through = nullptr,
                                const QString& criteria = QString()) const;
    // Up to 'count' rows before 'from' (from the last when null), nearest first.
    std::vector<KeyedRow> before(const RowKey* from, int count, const QString& criteria = QString()) const;
    // The first row whose leading sort values equal 'values' (bound as 'kinds').
    std::optional<KeyedRow> seek(const QVector<QVariant>& values, const QVector<ColumnKind>& kinds) const;
    // The row with this row id in tables()[table], when it is one of the rows.
    std::optional<KeyedRow> byRowid(int table, qint64 rowid) const;
    // The same row read again, as it stands now (gone when it was deleted).
    std::optional<KeyedRow> reread(const KeyedRow& row) const;
    // Writes one value into the stored row a result column shows (by the
    // row id of its table); throws DbError when refused.
    void write(const KeyedRow& row, int column, const QVariant& value) const;
    // The value of a result column as the stored row it shows holds it now
    // (as the row was read, for a computed column or a row gone).
    QVariant stored(const KeyedRow& row, int column) const;

    qint64 count() const;
    // The same rows in the same order, read through another handle of the
    // file: none stored since these were opened. (A select read whole as a
    // copy is copied again, as its rows are then.)
    std::unique_ptr<OrderedRows> sameRowsThrough(std::shared_ptr<Connection> other) const;
    // The rows up to and including 'key'.
    qint64 countThrough(const RowKey& key) const;

    // Walks at most 'limit' rows after 'from' reading only their keys: the
    // key of every 'every'-th row (counted from the first row after 'from')
    // and of the last row walked. Counting a large result costs no more than
    // its index does.
    struct Walk {
        std::vector<RowKey> marks;
        RowKey last;
        qint64 rows = 0;
    };
    Walk walk(const RowKey* from, int every, qint64 limit) const;

    // True when the rows stand in a temporary table; then row i (from 0)
    // has the key positionKey(i) and counting is cheap.
    bool positional() const { return mode != Mode::Direct; }
    static RowKey positionKey(qint64 index) { return RowKey{QVariant(index + 1)}; }

    // Makes a row added to tables()[table] through the caller one of the
    // rows: at its place in the order, or at the end of a sorted copy.
    void include(int table, qint64 rowid);

private:
    enum class Mode { Direct, SortedIds, Copied };
    struct Origin {
        int table = -1;
        QString column;
    };
    struct Part {
        QString condition;
        QVector<QVariant> values;
    };

    void describe(const QString& select);
    bool openDirect(const SelectParts& parts);
    void openSortedIds(const SelectParts& parts);
    void openCopied(const QString& select);
    bool useTables(const SelectParts& parts);
    void resolveOrigins();
    void forget();
    QString innerSelect() const;
    QString membership() const;
    QString rowsQuery(const QString& condition, bool reverse, const QString& columns = QStringLiteral("*")) const;
    std::vector<KeyedRow> read(const QVector<Part>& parts, int count, bool reverse, const QString& criteria) const;
    std::optional<KeyedRow> first(const Part& part) const;
    KeyedRow rowFrom(sqlite3_stmt* st) const;
    RowKey keyFrom(sqlite3_stmt* st, int first) const;
    Part exactlyBeyond(const RowKey& from, bool reverse) const;
    QVector<Part> beyond(const RowKey* from, bool reverse) const;
    bool sortsWhole(const QString& query) const;
    void dropScratch();

    std::shared_ptr<Connection> conn;
    Options options;
    QString selectText;
    Mode mode = Mode::Direct;
    QStringList columnNames;
    QVector<ColumnKind> columnKinds;
    QVector<Origin> origins;
    QStringList originTables;       // the stored table of each result column; empty for a computed one
    QStringList baseTables;
    QStringList tableRefs;          // how the select refers to each base table
    QString innerColumns;           // the select's own columns, then its key and row id columns
    QString innerFrom;
    QString innerWhere;
    QVector<bool> descending;       // one per key column
    int sortTerms = 0;              // the key columns the select sorts by; row ids follow
    QVector<qint64> bounds;         // largest row id of each table at opening; not live only
    QVector<QVector<qint64>> added; // rows include() made members, per table
    QString scratch;                // the temporary table, when there is one
};

// The ordered rows of a select in the windows' dialect, read through a handle.
std::unique_ptr<OrderedRows> openOrderedRows(const Database& db, const QString& select);
// The same rows in the same order, read through another handle of their file.
std::unique_ptr<OrderedRows> sameRows(const OrderedRows& rows, const Database& db);

QString quoteName(const QString& name);

}  // namespace jet
