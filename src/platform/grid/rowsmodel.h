#pragma once
#include "boundgrid.h"
#include "database.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QVector>

namespace grid {

// The rows of a select, read a page at a time when first asked for: the
// count is taken at refresh, each page by its own short statement.
class RowsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int PageSize = 200;

    using QAbstractTableModel::QAbstractTableModel;

    void setDatabaseName(const QString& name);
    QString databaseName() const { return path; }
    void setRecordSource(const QString& select) { source = select; }
    QString recordSource() const { return source; }
    void setColumns(const QList<Column>& columns);

    // Counts the rows and reads the first page; throws jet::DbError.
    void refresh();

    int count() const { return rowCount(); }
    QStringList fieldNames() const { return names; }
    // Throws jet::DbError for an unknown field or a row out of range.
    QVariant value(int row, const QString& field) const;
    int pagesRead() const { return static_cast<int>(pages.size()); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    using Page = QVector<QVector<QVariant>>;
    const Page& page(int number) const;
    Page readPage(int number, bool takeNames) const;
    int fieldIndex(const QString& name) const;
    void mapColumns();
    void clear();

    QString path;
    QString source;
    QList<Column> wanted;
    mutable jet::Database db;  // the grid's own handle; reading a page is no change to the model
    int rows = 0;
    QStringList names;
    QVector<int> shown;   // field index of each column shown, -1 for an unknown field
    QStringList captions;
    mutable QHash<int, Page> pages;
    mutable QStringList namesRead;
};

}  // namespace grid
