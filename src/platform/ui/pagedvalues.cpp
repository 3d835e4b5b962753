#include "pagedvalues.h"

#include "dbfailure.h"
#include "recordset.h"
#include "sqlvalue.h"

#include <QSignalBlocker>

namespace ui {

PagedValues::PagedValues(jet::Database& database, const QString& tableName, const QString& columnName,
                         QObject* parent, int rows, Reading how, Blanks blankValues)
    : QAbstractListModel(parent), db(database), table(tableName), column(columnName), pageSize(rows), reading(how),
      blanks(blankValues)
{
    fetchMore(QModelIndex());
}

int PagedValues::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(values.size());
}

QVariant PagedValues::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= values.size() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return values.at(index.row());
}

bool PagedValues::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && !complete; }

void PagedValues::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    QStringList page;
    try {
        // A page of nothing but blanks left out is no page to show.
        do
            page = nextPage();
        while (page.isEmpty() && !complete);
    } catch (const jet::DbError& e) {
        // A list that can't be read is told once and offers what it has.
        complete = true;
        reportDbFailure(e);
        return;
    }
    if (page.isEmpty())
        return;
    const int first = static_cast<int>(values.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(page.size()) - 1);
    values += page;
    endInsertRows();
}

QStringList PagedValues::nextPage()
{
    QStringList page = reading == Reading::Seeking ? soughtPage() : scannedPage();
    if (blanks == Blanks::Skipped)
        page.removeIf([](const QString& v) { return v.trimmed().isEmpty(); });
    return page;
}

// After the last value read, in the column's order; the first page starts
// from the beginning, Null included.
QStringList PagedValues::scannedPage()
{
    QString select = QStringLiteral("select distinct ") + column + QStringLiteral(" from ") + table;
    if (last.isValid())
        select += QStringLiteral(" where ") + column + QStringLiteral(" > ") + sql::text(last.toString());
    else if (started)
        select += QStringLiteral(" where ") + column + QStringLiteral(" is not null");
    started = true;
    select += QStringLiteral(" order by ") + column + QStringLiteral(" limit ") + QString::number(pageSize);
    QStringList page;
    jet::Recordset rs = db.OpenRecordset(select, jet::dbOpenSnapshot);
    for (; !rs.Eof(); rs.MoveNext()) {
        const QVariant v = rs.Field(0);
        page << v.toString();
        if (v.isValid() && !v.isNull())
            last = v.toString();
    }
    rs.Close();
    complete = page.size() < pageSize;
    return page;
}

// Each value is the least one after the last: one step on the index. A page
// ends early when the column has no more values.
QStringList PagedValues::soughtPage()
{
    started = true;
    QStringList page;
    while (page.size() < pageSize) {
        QString select = QStringLiteral("select min(") + column + QStringLiteral(") from ") + table;
        if (last.isValid())
            select += QStringLiteral(" where ") + column + QStringLiteral(" > ") + sql::text(last.toString());
        jet::Recordset rs = db.OpenRecordset(select, jet::dbOpenSnapshot);
        const QVariant v = rs.Eof() ? QVariant() : rs.Field(0);
        rs.Close();
        if (!v.isValid() || v.isNull()) {
            complete = true;
            break;
        }
        last = v.toString();
        page << last.toString();
    }
    return page;
}

void listValues(QComboBox* box, jet::Database& db, const QString& table, const QString& column,
                PagedValues::Reading reading, PagedValues::Blanks blanks)
{
    const QString text = box->currentText();
    const QSignalBlocker quiet(box);
    box->setModel(new PagedValues(db, table, column, box, 200, reading, blanks));  // deletes the box's own old list
    box->setCurrentIndex(-1);
    box->setEditText(text);
}

}  // namespace ui
