#include "rowsmodel.h"

#include "dbfailure.h"
#include "fieldtext.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <optional>

namespace grid {

namespace {

constexpr int cachedPages = 64;
constexpr int stepMilliseconds = 15;  // counting between events holds the event loop no longer
constexpr int showEveryMilliseconds = 250;
constexpr int lockRetryMilliseconds = 100;

}  // namespace

RowsModel::RowsModel(QObject* parent) : QAbstractTableModel(parent), pages(cachedPages)
{
    countTimer.setSingleShot(true);
    countTimer.setInterval(0);
    connect(&countTimer, &QTimer::timeout, this, &RowsModel::countInBackground);
    lockRetry.setSingleShot(true);
    lockRetry.setInterval(lockRetryMilliseconds);
    connect(&lockRetry, &QTimer::timeout, this, &RowsModel::askAgain);
}

RowsModel::~RowsModel() = default;

void RowsModel::setDatabaseName(const QString& name)
{
    const QString file = jet::databasePath(name);
    if (file != path && db.isOpen()) {
        clear();
        db.Close();
    }
    path = file;
}

void RowsModel::setColumns(const QList<Column>& columns)
{
    beginResetModel();
    wanted = columns;
    mapColumns();
    endResetModel();
}

void RowsModel::setEditTable(const QString& table) { editing = table.trimmed(); }

void RowsModel::clear()
{
    countTimer.stop();
    lockRetry.stop();
    lockedOut = false;
    rows.reset();
    counted = 0;
    shownRows = 0;
    shownSince.invalidate();
    countDone = true;
    pageEnds.clear();
    countedTo.clear();
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
        rows = jet::openOrderedRows(db, source);
        names = rows->names();
        mapColumns();
        if (rows->positional()) {
            counted = static_cast<int>(rows->count());
        } else {
            countDone = false;
            countOn(CountedAtRefresh);
        }
        shownRows = counted;
        if (counted > 0)
            pages.insert(0, new Page(readPage(0)));
    } catch (...) {
        clear();
        endResetModel();
        throw;
    }
    endResetModel();
    if (!countDone)
        countTimer.start();
}

// Counts up to 'most' more rows, noting the key that ends each page; returns
// whether the count is complete.
bool RowsModel::countOn(qint64 most)
{
    const qint64 limit = std::max<qint64>(PageSize, most / PageSize * PageSize);
    const auto walked = rows->walk(counted > 0 ? &countedTo : nullptr, PageSize, limit);
    for (const auto& key : walked.marks)
        pageEnds.push_back(key);
    counted += static_cast<int>(walked.rows);
    if (walked.rows < limit || counted >= std::numeric_limits<int>::max() - limit) {
        countDone = true;
    } else {
        countedTo = walked.last;
    }
    return countDone;
}

void RowsModel::countInBackground()
{
    if (countDone || !rows)
        return;
    QElapsedTimer clock;
    clock.start();
    try {
        while (!countOn(PageSize * 50) && clock.elapsed() < stepMilliseconds) {
        }
    } catch (const jet::DbError&) {
        // The handle went away under the grid (a restore, say): what is
        // counted stays shown until the next refresh.
        countDone = true;
    }
    // The view takes in new rows now and then, not at every step: each
    // time costs it in proportion to the rows it has.
    if (countDone || !shownSince.isValid() || shownSince.elapsed() >= showEveryMilliseconds)
        showCounted();
    if (countDone)
        emit countFinished(counted);
    else
        countTimer.start();
}

void RowsModel::showCounted()
{
    shownSince.start();
    if (counted == shownRows)
        return;
    beginInsertRows({}, shownRows, counted - 1);
    shownRows = counted;
    endInsertRows();
}

bool RowsModel::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && !countDone; }

void RowsModel::fetchMore(const QModelIndex& parent)
{
    if (!parent.isValid())
        countInBackground();
}

RowsModel::Page RowsModel::readPage(int number) const
{
    const qint64 first = static_cast<qint64>(number) * PageSize;
    if (rows->positional()) {
        const jet::RowKey from = jet::OrderedRows::positionKey(first - 1);
        const jet::RowKey through = jet::OrderedRows::positionKey(first + PageSize - 1);
        return rows->after(number > 0 ? &from : nullptr, PageSize, &through);
    }
    const jet::RowKey* from = number > 0 ? &pageEnds[number - 1] : nullptr;
    const jet::RowKey* through = number < static_cast<int>(pageEnds.size()) ? &pageEnds[number] : nullptr;
    return rows->after(from, PageSize, through);
}

// The page, read when it isn't yet. A paint never waits on the database:
// while another handle holds its lock (a print writing its rows, say), a
// page not read yet is none (its rows show empty) and the view is asked
// again a moment later.
RowsModel::Page* RowsModel::page(int number, Reading reading) const
{
    if (Page* p = pages.object(number))
        return p;
    if (!rows)
        throw jet::DbError(QStringLiteral("No current record."));
    if (reading == Reading::ForPaint && lockedOut)
        return nullptr;
    std::optional<jet::LockNotAwaited> noWait;
    if (reading == Reading::ForPaint)
        noWait.emplace(db);
    Page* read = nullptr;
    try {
        read = new Page(readPage(number));
    } catch (const jet::DbError&) {
        if (!noWait || !noWait->met())
            throw;
        lockedOut = true;
        lockRetry.start();
        return nullptr;
    }
    pages.insert(number, read);
    return read;
}

jet::KeyedRow* RowsModel::loadedRow(int row, Reading reading) const
{
    Page* p = page(row / PageSize, reading);
    const int inPage = row % PageSize;
    return p && inPage < static_cast<int>(p->size()) ? &(*p)[inPage] : nullptr;
}

void RowsModel::askAgain()
{
    lockedOut = false;
    if (shownRows > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(shownRows - 1, columnCount() - 1));
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
    if (row < 0 || row >= shownRows)
        throw jet::DbError(QStringLiteral("No current record."));
    // Rows deleted through another handle since the refresh leave a page short.
    const jet::KeyedRow* r = loadedRow(row);
    if (!r)
        throw jet::DbError(QStringLiteral("Record is deleted."));
    return r->values.value(column);
}

std::unique_ptr<jet::OrderedRows> RowsModel::listedRows(const jet::Database& other) const
{
    // A grid that lists nothing (its statement refused) or rows of another file has no rows to share.
    if (!rows || QFileInfo(other.path()).canonicalFilePath() != QFileInfo(db.path()).canonicalFilePath())
        return jet::openOrderedRows(other, source);
    return jet::sameRows(*rows, other);
}

int RowsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownRows; }

int RowsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(shown.size());
}

QVariant RowsModel::data(const QModelIndex& index, int role) const
{
    if ((role != Qt::DisplayRole && role != Qt::EditRole) || !index.isValid() || index.column() >= shown.size())
        return {};
    const int column = shown[index.column()];
    if (column < 0)
        return {};
    try {
        const jet::KeyedRow* r = loadedRow(index.row(), Reading::ForPaint);
        return r ? jet::fieldText(r->values.value(column)) : QString();
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

// The table edits go to, as an index into the rows' tables; -1 when none.
int RowsModel::editableTable() const
{
    if (editing.isEmpty() || !rows)
        return -1;
    const QStringList& tables = rows->tables();
    for (int t = 0; t < tables.size(); ++t)
        if (tables[t].compare(editing, Qt::CaseInsensitive) == 0)
            return t;
    return -1;
}

Qt::ItemFlags RowsModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (!index.isValid() || index.column() >= shown.size())
        return f;
    const int column = shown[index.column()];
    const int table = editableTable();
    if (column >= 0 && table >= 0 && rows->columnTable(column) == table)
        f |= Qt::ItemIsEditable;
    return f;
}

bool RowsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const int column = shown[index.column()];
    jet::KeyedRow* r = nullptr;
    try {
        r = loadedRow(index.row());
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return false;
    }
    if (!r) {
        ui::reportDbFailure(jet::DbError(QStringLiteral("Record is deleted.")));
        return false;
    }
    // An emptied cell of a number, date or yes/no column holds nothing.
    QVariant written = value;
    if (rows->kinds()[column] != jet::ColumnKind::Text && value.typeId() == QMetaType::QString
        && value.toString().trimmed().isEmpty())
        written = QVariant();
    bool stored = true;
    try {
        rows->write(*r, column, written);
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        stored = false;
    }
    // Show the row as stored, whether the value went in or not: as the
    // select now joins the edited row (a swipe given another holder's card),
    // else, when it joins it no more, with the edited value as stored.
    try {
        auto back = rows->reread(*r);
        if (!back)
            back = rows->byRowid(editableTable(), r->rowids[editableTable()]);
        if (back)
            *r = std::move(*back);
        else
            r->values[column] = rows->stored(*r, column);
    } catch (const jet::DbError&) {
    }
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
    return stored;
}

}  // namespace grid
