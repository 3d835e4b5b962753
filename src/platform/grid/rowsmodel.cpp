#include "rowsmodel.h"

#include "fieldtext.h"
#include "recordset.h"

namespace grid {

namespace {

// The select as the grid runs it: a trailing semicolon would end the
// statement before the paging clause.
QString bareSelect(QString select)
{
    select = select.trimmed();
    while (select.endsWith(QLatin1Char(';')))
        select = select.chopped(1).trimmed();
    return select;
}

}  // namespace

void RowsModel::setDatabaseName(const QString& name)
{
    const QString file = jet::databasePath(name);
    if (file != path && db.isOpen())
        db.Close();
    path = file;
}

void RowsModel::setColumns(const QList<Column>& columns)
{
    beginResetModel();
    wanted = columns;
    mapColumns();
    endResetModel();
}

void RowsModel::clear()
{
    rows = 0;
    names.clear();
    pages.clear();
    mapColumns();
}

void RowsModel::refresh()
{
    beginResetModel();
    clear();
    try {
        if (!db.isOpen())
            db = jet::OpenDatabase(path);
        const QString select = bareSelect(source);
        jet::Recordset counted = db.OpenRecordset(
            QStringLiteral("select count(*) from (") + select + QLatin1Char(')'), jet::dbOpenSnapshot);
        const int total = counted.Eof() ? 0 : counted.Field(0).toInt();
        counted.Close();
        Page first = readPage(0, true);
        names = namesRead;
        rows = total;
        pages.insert(0, std::move(first));
        mapColumns();
    } catch (...) {
        clear();
        endResetModel();
        throw;
    }
    endResetModel();
}

RowsModel::Page RowsModel::readPage(int number, bool takeNames) const
{
    const QString select = bareSelect(source) + QStringLiteral(" limit %1 offset %2")
                                                    .arg(PageSize)
                                                    .arg(static_cast<qint64>(number) * PageSize);
    jet::Recordset rs = db.OpenRecordset(select, jet::dbOpenSnapshot);
    if (takeNames)
        namesRead = rs.FieldNames();
    const int width = static_cast<int>(rs.FieldNames().size());
    Page result;
    result.reserve(PageSize);
    while (!rs.Eof()) {
        QVector<QVariant> row;
        row.reserve(width);
        for (int i = 0; i < width; ++i)
            row << rs.Field(i);
        result << std::move(row);
        rs.MoveNext();
    }
    return result;
}

const RowsModel::Page& RowsModel::page(int number) const
{
    auto it = pages.constFind(number);
    if (it == pages.constEnd())
        it = pages.insert(number, readPage(number, false));
    return *it;
}

int RowsModel::fieldIndex(const QString& name) const
{
    const QString wantedName = name.trimmed();
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(wantedName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void RowsModel::mapColumns()
{
    shown.clear();
    captions.clear();
    if (wanted.isEmpty()) {
        for (int i = 0; i < names.size(); ++i) {
            shown << i;
            captions << names[i];
        }
        return;
    }
    for (const Column& c : wanted) {
        shown << fieldIndex(c.field);
        captions << c.caption;
    }
}

QVariant RowsModel::value(int row, const QString& field) const
{
    const int column = fieldIndex(field);
    if (column < 0)
        throw jet::DbError(QStringLiteral("Item not found in this collection: '%1'.").arg(field));
    if (row < 0 || row >= rows)
        throw jet::DbError(QStringLiteral("No current record."));
    const Page& p = page(row / PageSize);
    const int inPage = row % PageSize;
    // Rows deleted through another handle since the refresh leave a page short.
    if (inPage >= p.size())
        throw jet::DbError(QStringLiteral("Record is deleted."));
    return p[inPage].value(column);
}

int RowsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows; }

int RowsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(shown.size());
}

QVariant RowsModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.column() >= shown.size())
        return {};
    const int column = shown[index.column()];
    if (column < 0)
        return {};
    try {
        const Page& p = page(index.row() / PageSize);
        const int inPage = index.row() % PageSize;
        return inPage < p.size() ? jet::fieldText(p[inPage].value(column)) : QString();
    } catch (const jet::DbError&) {
        // A handle closed under the grid (a restore, say) shows empty cells
        // until the next refresh.
        return {};
    }
}

QVariant RowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return section < captions.size() ? captions[section] : QVariant();
}

}  // namespace grid
