#include "recordset.h"

#include "dialect.h"
#include "recordsetdata.h"

#include <QRegularExpression>

namespace jet {

namespace {

[[noreturn]] void noCurrentRecord() { throw DbError(QStringLiteral("No current record.")); }

constexpr int firstBatch = 8;
constexpr int largestBatch = 256;

}  // namespace

void RecordsetData::read(const QString& select, bool live)
{
    rows = std::make_unique<OrderedRows>(conn, select, OrderedRows::Options{live});
    byName.clear();
    const QStringList& names = rows->names();
    for (int i = 0; i < names.size(); ++i)
        byName.insert(names[i].toLower(), i);
    reached = 0;
    reachedAll = false;
    toFirst();
}

int RecordsetData::column(const QString& name) const
{
    const auto it = byName.constFind(name.trimmed().toLower());
    if (it == byName.constEnd())
        throw DbError(QStringLiteral("Item not found in this collection: '%1'.").arg(name));
    return *it;
}

const KeyedRow& RecordsetData::current() const
{
    if (currentDeleted)
        throw DbError(QStringLiteral("Record is deleted."));
    if (place != Place::OnRow)
        noCurrentRecord();
    return row;
}

void RecordsetData::land(KeyedRow r, std::optional<qint64> at)
{
    row = std::move(r);
    place = Place::OnRow;
    empty = false;
    currentDeleted = false;
    noMatch = false;
    index = at;
    if (at)
        reached = std::max(reached, *at + 1);
}

// The first row, with a few after it read at the same time for a walk.
void RecordsetData::toFirst()
{
    ahead.clear();
    batch = firstBatch;
    aheadStamp = conn->changeStamp();
    auto got = rows->after(nullptr, batch);
    if (got.empty()) {
        place = Place::AfterLast;
        empty = true;
        currentDeleted = false;
        index = 0;
        return;
    }
    ahead.assign(std::make_move_iterator(got.begin() + 1), std::make_move_iterator(got.end()));
    land(std::move(got.front()), 0);
}

std::optional<KeyedRow> RecordsetData::next()
{
    if (!ahead.empty() && conn->unchangedSince(aheadStamp)) {
        KeyedRow r = std::move(ahead.front());
        ahead.pop_front();
        return r;
    }
    ahead.clear();
    aheadStamp = conn->changeStamp();
    auto got = rows->after(&row.key, batch);
    batch = std::min(batch * 2, largestBatch);
    if (got.empty())
        return std::nullopt;
    ahead.assign(std::make_move_iterator(got.begin() + 1), std::make_move_iterator(got.end()));
    return std::move(got.front());
}

qint64 RecordsetData::rowsReached()
{
    if (!index) {
        if (place == Place::OnRow)
            index = rows->countThrough(row.key) - (currentDeleted ? 0 : 1);
        else if (place == Place::AfterLast)
            index = rows->count();
        else
            index = -1;
    }
    if (place == Place::OnRow && !currentDeleted)
        reached = std::max(reached, *index + 1);
    else if (place == Place::AfterLast)
        reached = std::max(reached, *index);
    return reached;
}

std::unique_ptr<RecordsetData> openRecordsetData(const std::shared_ptr<Connection>& conn,
                                                 const QString& source, RecordsetType type)
{
    if (!conn || !conn->isOpen())
        throw DbError(QStringLiteral("Object invalid or no longer set: the database is closed."));
    auto d = std::make_unique<RecordsetData>();
    d->conn = conn;
    const QString text = source.trimmed();
    static const QRegularExpression isSelect(QStringLiteral("^select\\b"), QRegularExpression::CaseInsensitiveOption);
    if (!text.contains(isSelect)) {
        bool isView = false;
        const QString name = conn->objectName(text, &isView);
        if (name.isEmpty())
            throw DbError(QStringLiteral("The database engine cannot find the input table or query '%1'.").arg(text));
        if (isView && type == dbOpenTable)
            throw DbError(QStringLiteral("Invalid operation: '%1' is a query, not a table.").arg(text));
        if (!isView) {
            d->table = name;
            d->tableType = type == dbOpenTable || type == dbOpenDefault;
        }
        // A table recordset sees the table as it is at every move.
        d->read(QStringLiteral("select * from ") + quoteName(name), d->tableType);
        return d;
    }
    if (type == dbOpenTable)
        throw DbError(QStringLiteral("Invalid argument: a table-type recordset needs a table name."));
    d->read(toSqlite(text), false);
    // A select over one base table yields rows that can be edited and deleted like the table's own.
    if (type != dbOpenSnapshot && d->rows->tables().size() == 1)
        d->table = d->rows->tables().front();
    return d;
}

Recordset::Recordset() = default;
Recordset::~Recordset() = default;
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;
Recordset::Recordset(std::unique_ptr<RecordsetData> data) : d(std::move(data)) {}

namespace {
RecordsetData& open(const std::unique_ptr<RecordsetData>& d)
{
    if (!d || !d->conn->isOpen())
        throw DbError(QStringLiteral("Object invalid or no longer set."));
    return *d;
}
}  // namespace

bool Recordset::isOpen() const { return d && d->conn->isOpen(); }

bool Recordset::Eof() const { return open(d).place == RecordsetData::Place::AfterLast; }

bool Recordset::Bof() const
{
    const auto& r = open(d);
    return r.place == RecordsetData::Place::BeforeFirst || (r.empty && r.place == RecordsetData::Place::AfterLast);
}

bool Recordset::NoMatch() const { return open(d).noMatch; }

int Recordset::RecordCount() const
{
    auto& r = open(d);
    return static_cast<int>(r.tableType ? r.rows->count() : r.rowsReached());
}

void Recordset::MoveFirst()
{
    auto& r = open(d);
    r.toFirst();
    if (r.empty)
        noCurrentRecord();
}

void Recordset::MoveLast()
{
    auto& r = open(d);
    r.ahead.clear();
    auto got = r.rows->before(nullptr, 1);
    if (got.empty()) {
        r.toFirst();
        noCurrentRecord();
    }
    std::optional<qint64> at;
    if (!r.tableType) {
        at = r.rows->count() - 1;
        r.reachedAll = true;
    }
    r.land(std::move(got.front()), at);
}

void Recordset::MoveNext()
{
    auto& r = open(d);
    using Place = RecordsetData::Place;
    if (r.place == Place::AfterLast)
        noCurrentRecord();
    std::optional<qint64> at;
    if (r.index)
        at = r.place == Place::BeforeFirst ? 0 : r.currentDeleted ? *r.index : *r.index + 1;
    if (r.place == Place::BeforeFirst) {
        r.toFirst();
        return;
    }
    // After Delete the next row is the one that followed the deleted one.
    if (auto next = r.next()) {
        r.land(std::move(*next), at);
        return;
    }
    r.place = Place::AfterLast;
    r.currentDeleted = false;
    r.noMatch = false;
    r.index = at;
    if (at) {
        r.reached = std::max(r.reached, *at);
        r.reachedAll = true;
    }
}

void Recordset::MovePrevious()
{
    auto& r = open(d);
    using Place = RecordsetData::Place;
    if (r.place == Place::BeforeFirst)
        noCurrentRecord();
    r.ahead.clear();
    std::optional<qint64> at;
    if (r.index)
        at = *r.index - 1;
    auto got = r.rows->before(r.place == Place::AfterLast ? nullptr : &r.row.key, 1);
    if (got.empty()) {
        r.place = Place::BeforeFirst;
        r.currentDeleted = false;
        r.noMatch = false;
        r.index = -1;
        return;
    }
    r.land(std::move(got.front()), at);
}

QStringList Recordset::FieldNames() const { return open(d).rows->names(); }

QVariant Recordset::Field(const QString& name) const
{
    const auto& r = open(d);
    const int c = r.column(name);
    if (r.mode != RecordsetData::Mode::None && r.buffer.contains(c))
        return r.buffer.value(c);
    if (r.mode == RecordsetData::Mode::Adding)
        return {};
    return r.current().values[c];
}

QVariant Recordset::Field(int index) const
{
    const auto& r = open(d);
    if (index < 0 || index >= r.rows->names().size())
        throw DbError(QStringLiteral("Item not found in this collection: %1.").arg(index));
    return Field(r.rows->names()[index]);
}

void Recordset::SetField(const QString& name, const QVariant& value)
{
    auto& r = open(d);
    if (r.mode == RecordsetData::Mode::None)
        throw DbError(QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    r.buffer.insert(r.column(name), value);
}

void Recordset::AddNew()
{
    auto& r = open(d);
    if (!r.updatable())
        throw DbError(QStringLiteral("Database or object is read-only."));
    r.mode = RecordsetData::Mode::Adding;
    r.buffer.clear();
}

void Recordset::Edit()
{
    auto& r = open(d);
    if (!r.updatable())
        throw DbError(QStringLiteral("Database or object is read-only."));
    r.current();
    r.mode = RecordsetData::Mode::Editing;
    r.buffer.clear();
}

void Recordset::CancelUpdate()
{
    auto& r = open(d);
    r.mode = RecordsetData::Mode::None;
    r.buffer.clear();
}

void Recordset::Update()
{
    auto& r = open(d);
    const auto mode = r.mode;
    if (mode == RecordsetData::Mode::None)
        throw DbError(QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    const auto buffer = r.buffer;
    r.mode = RecordsetData::Mode::None;
    r.buffer.clear();

    QList<int> cols = buffer.keys();
    std::sort(cols.begin(), cols.end());
    // A column is written under the name it has in the table, whatever the select called it.
    auto stored = [&r](int c) {
        const QString origin = r.rows->columnOrigin(c);
        return quoteName(origin.isEmpty() ? r.rows->names()[c] : origin);
    };
    sqlite3* h = r.conn->handle();
    qint64 rowid = 0;
    QString text;
    if (mode == RecordsetData::Mode::Adding) {
        if (cols.isEmpty()) {
            text = QStringLiteral("insert into %1 default values").arg(quoteName(r.table));
        } else {
            QStringList names, marks;
            for (int c : cols) {
                names << stored(c);
                marks << QStringLiteral("?");
            }
            text = QStringLiteral("insert into %1 (%2) values (%3)")
                       .arg(quoteName(r.table), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        }
    } else {
        rowid = r.current().rowids.value(0);
        if (cols.isEmpty())
            return;
        QStringList sets;
        for (int c : cols)
            sets << stored(c) + QStringLiteral("=?");
        text = QStringLiteral("update %1 set %2 where rowid=?").arg(quoteName(r.table), sets.join(QLatin1Char(',')));
    }
    {
        CachedStatement st(*r.conn, text);
        int i = 1;
        for (int c : cols)
            bindValue(st.get(), i++, buffer.value(c), r.rows->kinds()[c]);
        if (mode == RecordsetData::Mode::Editing)
            sqlite3_bind_int64(st.get(), i, rowid);
        st.step();
    }
    r.ahead.clear();
    if (mode == RecordsetData::Mode::Editing) {
        // Read the row back so defaults and conversions show as stored.
        if (auto back = r.rows->reread(r.row))
            r.row = std::move(*back);
        return;
    }
    rowid = sqlite3_last_insert_rowid(h);
    r.rows->include(0, rowid);
    if (r.reachedAll)
        ++r.reached;  // every row had been reached, so the new one counts too
    // Past the last row (or in no row at all) the new one becomes current.
    if (r.place == RecordsetData::Place::AfterLast)
        if (auto added = r.rows->byRowid(0, rowid))
            r.land(std::move(*added), std::nullopt);
}

void Recordset::Delete()
{
    auto& r = open(d);
    if (!r.updatable())
        throw DbError(QStringLiteral("Database or object is read-only."));
    const qint64 rowid = r.current().rowids.value(0);
    CachedStatement st(*r.conn, QStringLiteral("delete from %1 where rowid=?").arg(quoteName(r.table)));
    sqlite3_bind_int64(st.get(), 1, rowid);
    st.step();
    r.ahead.clear();
    r.reached = std::max<qint64>(0, r.reached - 1);
    r.currentDeleted = true;
}

namespace {

void find(RecordsetData& r, const QString& criteria, bool forward, bool fromCurrent)
{
    using Place = RecordsetData::Place;
    const QString condition = toSqlite(criteria);
    const RowKey* from = nullptr;
    if (fromCurrent) {
        if (r.place == (forward ? Place::AfterLast : Place::BeforeFirst)) {
            r.noMatch = true;
            return;
        }
        if (r.place == Place::OnRow)
            from = &r.row.key;
    }
    auto got = forward ? r.rows->after(from, 1, nullptr, condition) : r.rows->before(from, 1, condition);
    if (got.empty()) {
        r.noMatch = true;
        return;
    }
    r.ahead.clear();
    r.land(std::move(got.front()), std::nullopt);
}

}  // namespace

void Recordset::FindFirst(const QString& criteria) { find(open(d), criteria, true, false); }

void Recordset::FindNext(const QString& criteria) { find(open(d), criteria, true, true); }

void Recordset::FindLast(const QString& criteria) { find(open(d), criteria, false, false); }

void Recordset::FindPrevious(const QString& criteria) { find(open(d), criteria, false, true); }

void Recordset::SetIndex(const QString& name)
{
    auto& r = open(d);
    if (!r.tableType)
        throw DbError(QStringLiteral("Operation is not supported for this type of object."));
    const QString real = r.conn->realIndexName(r.table, name.trimmed());
    if (real.isEmpty())
        throw DbError(QStringLiteral("'%1' isn't an index in this table.").arg(name));
    QStringList columns = r.conn->indexColumns(real), order;
    for (const auto& c : columns)
        order << quoteName(c);
    r.read(QStringLiteral("select * from %1 order by %2").arg(quoteName(r.table), order.join(QLatin1Char(','))), true);
    r.indexName = name.trimmed();
    r.indexColumns = columns;
}

QString Recordset::Index() const { return open(d).indexName; }

void Recordset::Seek(const QString& comparison, const QVariant& key1, const QVariant& key2)
{
    auto& r = open(d);
    if (r.indexColumns.isEmpty())
        throw DbError(QStringLiteral("Operation is not supported without a current index."));
    if (comparison.trimmed() != QLatin1String("="))
        throw DbError(QStringLiteral("Seek supports only \"=\"."));
    QVector<QVariant> keys{key1};
    if (key2.isValid() && r.indexColumns.size() > 1)
        keys << key2;
    QVector<ColumnKind> kinds;
    for (int i = 0; i < keys.size(); ++i)
        kinds << r.conn->columnKind(r.table, r.indexColumns[i]);
    r.mode = RecordsetData::Mode::None;
    r.ahead.clear();
    // Asked of the file itself: rows that statements on this handle added since the open are found too.
    if (auto found = r.rows->seek(keys, kinds)) {
        r.land(std::move(*found), std::nullopt);
        return;
    }
    r.place = RecordsetData::Place::AfterLast;
    r.currentDeleted = false;
    r.noMatch = true;
}

void Recordset::Close() { d.reset(); }

}  // namespace jet
