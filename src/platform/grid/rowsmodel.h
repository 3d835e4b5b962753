#pragma once
#include "boundgrid.h"
#include "database.h"
#include "orderedrows.h"

#include <QAbstractTableModel>
#include <QCache>
#include <QElapsedTimer>
#include <QTimer>
#include <memory>
#include <vector>

namespace grid {

// The rows of a select, a page at a time when first asked for. Each page is
// read by the key of the row before it, so a page far into a large result
// costs what the first one does. The keys that start the pages are found by
// counting the rows: at refresh up to CountedAtRefresh of them, the rest in
// short steps between events, the row count growing as they are counted.
class RowsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int PageSize = 200;
    static constexpr qint64 CountedAtRefresh = 100000;

    explicit RowsModel(QObject* parent = nullptr);
    ~RowsModel() override;

    void setDatabaseName(const QString& name);
    QString databaseName() const { return path; }
    void setRecordSource(const QString& select) { source = select; }
    QString recordSource() const { return source; }
    void setColumns(const QList<Column>& columns);
    void setEditTable(const QString& table);
    QString editTable() const { return editing; }

    // Reads the first page and counts the rows as far as it counts at
    // refresh; throws jet::DbError.
    void refresh();

    int count() const { return rowCount(); }
    // Whether rows are still being counted (the count may still grow).
    bool counting() const { return !countDone; }
    QStringList fieldNames() const { return names; }
    // Throws jet::DbError for an unknown field or a row out of range.
    QVariant value(int row, const QString& field) const;
    int pagesRead() const { return static_cast<int>(pages.size()); }
    // The rows listed, read through another handle; throws jet::DbError.
    std::unique_ptr<jet::OrderedRows> listedRows(const jet::Database& other) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    // Every row is counted: RecordCount is final.
    void countFinished(int rows);

private:
    using Page = std::vector<jet::KeyedRow>;
    enum class Reading { Waiting, ForPaint };
    Page* page(int number, Reading reading) const;
    Page readPage(int number) const;
    jet::KeyedRow* loadedRow(int row, Reading reading = Reading::Waiting) const;
    void askAgain();
    bool countOn(qint64 rows);
    void countInBackground();
    void showCounted();
    int fieldIndex(const QString& name) const;
    int editableTable() const;
    void mapColumns();
    void clear();

    QString path;
    QString source;
    QString editing;
    QList<Column> wanted;
    mutable jet::Database db;  // the grid's own handle; reading a page is no change to the model
    std::unique_ptr<jet::OrderedRows> rows;
    QStringList names;
    QVector<int> shown;   // field index of each column shown, -1 for an unknown field
    QStringList captions;

    int counted = 0;                   // rows counted so far
    int shownRows = 0;                 // the rows the grid shows: those counted when it last took them in
    QElapsedTimer shownSince;
    bool countDone = true;
    std::vector<jet::RowKey> pageEnds;  // key of the last row of each full page counted
    jet::RowKey countedTo;             // where counting goes on from
    QTimer countTimer;

    mutable QCache<int, Page> pages;
    mutable bool lockedOut = false;  // a page the view asked for met another handle's lock
    mutable QTimer lockRetry;
};

}  // namespace grid
