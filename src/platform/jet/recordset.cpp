#include "recordset.h"

#include "dialect.h"
#include "recordsetdata.h"

#include <QRegularExpression>
#include <QSet>

namespace jet {

QString quoteName(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

namespace {

[[noreturn]] void noCurrentRecord() { throw DbError(QStringLiteral("No current record.")); }

QString columnName(sqlite3_stmt* st, int i) { return QString::fromUtf8(sqlite3_column_name(st, i)); }

// A select over one base table, without distinct, grouping or computed
// columns, yields rows that can be edited and deleted like the table's own.
QString updatableTable(const Connection& conn, const QString& select, QString* columns, QString* rest)
{
    static const QRegularExpression single(
        QStringLiteral("^\\s*select\\s+(.+?)\\s+from\\s+([^\\s,()'\"]+)\\s*((?:where|order\\s+by)\\b.*)?$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = single.match(select);
    if (!m.hasMatch())
        return {};
    const QString cols = m.captured(1);
    static const QRegularExpression notPlain(QStringLiteral("^\\s*distinct\\b|\\(|\\bgroup\\s+by\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (cols.contains(notPlain) || m.captured(3).contains(QRegularExpression(
                                       QStringLiteral("\\bgroup\\s+by\\b"), QRegularExpression::CaseInsensitiveOption)))
        return {};
    bool isView = false;
    const QString table = conn.objectName(m.captured(2), &isView);
    if (table.isEmpty() || isView)
        return {};
    *columns = cols;
    *rest = m.captured(3);
    return table;
}

}  // namespace

void RecordsetData::load()
{
    Statement st(conn->handle(), loadSql);
    const int first = updatable() ? 1 : 0;
    const int count = st.columnCount();
    names.clear();
    kinds.clear();
    byName.clear();
    for (int i = first; i < count; ++i) {
        const QString n = columnName(st.get(), i);
        byName.insert(n.toLower(), static_cast<int>(names.size()));
        names << n;
        kinds << kindOfDeclaredType(sqlite3_column_decltype(st.get(), i));
    }
    rows.clear();
    while (st.step()) {
        Row r;
        r.rowid = updatable() ? sqlite3_column_int64(st.get(), 0) : static_cast<qint64>(rows.size());
        r.values.reserve(count - first);
        for (int i = first; i < count; ++i)
            r.values << fromStored(st.get(), i, kinds[i - first]);
        rows.push_back(std::move(r));
    }
    pos = 0;
    currentDeleted = false;
    reached = rows.empty() ? 0 : 1;
    mode = Mode::None;
    buffer.clear();
}

int RecordsetData::column(const QString& name) const
{
    const auto it = byName.constFind(name.trimmed().toLower());
    if (it == byName.constEnd())
        throw DbError(QStringLiteral("Item not found in this collection: '%1'.").arg(name));
    return *it;
}

const RecordsetData::Row& RecordsetData::current() const
{
    if (currentDeleted)
        throw DbError(QStringLiteral("Record is deleted."));
    if (pos < 0 || pos >= static_cast<qsizetype>(rows.size()))
        noCurrentRecord();
    return rows[pos];
}

void RecordsetData::moved()
{
    currentDeleted = false;
    noMatch = false;
    if (pos >= 0 && pos < static_cast<qsizetype>(rows.size()))
        reached = std::max(reached, pos + 1);
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
        if (isView) {
            if (type == dbOpenTable)
                throw DbError(QStringLiteral("Invalid operation: '%1' is a query, not a table.").arg(text));
            d->loadSql = QStringLiteral("select * from ") + quoteName(name);
        } else {
            d->table = name;
            d->tableType = type == dbOpenTable || type == dbOpenDefault;
            d->loadSql = QStringLiteral("select rowid, * from ") + quoteName(name);
        }
    } else {
        if (type == dbOpenTable)
            throw DbError(QStringLiteral("Invalid argument: a table-type recordset needs a table name."));
        const QString sqlite = toSqlite(text);
        QString columns, rest;
        const QString table = type == dbOpenSnapshot ? QString() : updatableTable(*conn, sqlite, &columns, &rest);
        if (table.isEmpty()) {
            d->loadSql = sqlite;
        } else {
            d->table = table;
            d->loadSql = QStringLiteral("select ") + quoteName(table) + QStringLiteral(".rowid, ") + columns
                         + QStringLiteral(" from ") + quoteName(table) + QLatin1Char(' ') + rest;
        }
    }
    d->load();
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

bool Recordset::Eof() const
{
    const auto& r = open(d);
    return r.rows.empty() || r.pos >= static_cast<qsizetype>(r.rows.size());
}

bool Recordset::Bof() const
{
    const auto& r = open(d);
    return r.rows.empty() || r.pos < 0;
}

bool Recordset::NoMatch() const { return open(d).noMatch; }

int Recordset::RecordCount() const
{
    const auto& r = open(d);
    const auto n = static_cast<qsizetype>(r.rows.size());
    return static_cast<int>(r.tableType ? n : std::min(r.reached, n));
}

void Recordset::MoveFirst()
{
    auto& r = open(d);
    if (r.rows.empty())
        noCurrentRecord();
    r.pos = 0;
    r.moved();
}

void Recordset::MoveLast()
{
    auto& r = open(d);
    if (r.rows.empty())
        noCurrentRecord();
    r.pos = static_cast<qsizetype>(r.rows.size()) - 1;
    r.moved();
}

void Recordset::MoveNext()
{
    auto& r = open(d);
    const auto n = static_cast<qsizetype>(r.rows.size());
    if (r.pos >= n && !r.currentDeleted)
        noCurrentRecord();
    // After Delete the position already names the row that followed.
    if (!r.currentDeleted)
        ++r.pos;
    r.pos = std::min(r.pos, n);
    r.moved();
}

void Recordset::MovePrevious()
{
    auto& r = open(d);
    if (r.pos < 0)
        noCurrentRecord();
    --r.pos;
    r.moved();
}

QStringList Recordset::FieldNames() const { return open(d).names; }

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
    if (index < 0 || index >= r.names.size())
        throw DbError(QStringLiteral("Item not found in this collection: %1.").arg(index));
    return Field(r.names[index]);
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
    sqlite3* h = r.conn->handle();
    qint64 rowid = 0;
    QString text;
    if (mode == RecordsetData::Mode::Adding) {
        if (cols.isEmpty()) {
            text = QStringLiteral("insert into %1 default values").arg(quoteName(r.table));
        } else {
            QStringList names, marks;
            for (int c : cols) {
                names << quoteName(r.names[c]);
                marks << QStringLiteral("?");
            }
            text = QStringLiteral("insert into %1 (%2) values (%3)")
                       .arg(quoteName(r.table), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        }
    } else {
        rowid = r.current().rowid;
        if (cols.isEmpty())
            return;
        QStringList sets;
        for (int c : cols)
            sets << quoteName(r.names[c]) + QStringLiteral("=?");
        text = QStringLiteral("update %1 set %2 where rowid=?").arg(quoteName(r.table), sets.join(QLatin1Char(',')));
    }
    {
        Statement st(h, text);
        int i = 1;
        for (int c : cols)
            bindValue(st.get(), i++, buffer.value(c), r.kinds[c]);
        if (mode == RecordsetData::Mode::Editing)
            sqlite3_bind_int64(st.get(), i, rowid);
        st.step();
    }
    if (mode == RecordsetData::Mode::Adding)
        rowid = sqlite3_last_insert_rowid(h);

    // Read the row back so defaults and conversions show as stored.
    QStringList names;
    for (const auto& n : r.names)
        names << quoteName(n);
    Statement back(h, QStringLiteral("select %1 from %2 where rowid=?")
                          .arg(names.join(QLatin1Char(',')), quoteName(r.table)));
    sqlite3_bind_int64(back.get(), 1, rowid);
    RecordsetData::Row row;
    row.rowid = rowid;
    if (back.step())
        for (int i = 0; i < r.names.size(); ++i)
            row.values << fromStored(back.get(), i, r.kinds[i]);
    if (mode == RecordsetData::Mode::Adding) {
        const bool allReached = r.reached >= static_cast<qsizetype>(r.rows.size());
        r.rows.push_back(std::move(row));
        if (allReached)
            r.reached = static_cast<qsizetype>(r.rows.size());
    } else {
        r.rows[r.pos] = std::move(row);
    }
}

void Recordset::Delete()
{
    auto& r = open(d);
    if (!r.updatable())
        throw DbError(QStringLiteral("Database or object is read-only."));
    const qint64 rowid = r.current().rowid;
    Statement st(r.conn->handle(), QStringLiteral("delete from %1 where rowid=?").arg(quoteName(r.table)));
    sqlite3_bind_int64(st.get(), 1, rowid);
    st.step();
    r.rows.erase(r.rows.begin() + r.pos);
    r.reached = std::max<qsizetype>(0, r.reached - 1);
    r.currentDeleted = true;
}

namespace {

// Positions of the rows that meet a criterion, in the recordset's order.
QSet<qsizetype> matching(RecordsetData& r, const QString& criteria)
{
    const QString where = toSqlite(criteria);
    sqlite3* h = r.conn->handle();
    QSet<qsizetype> hits;
    if (r.updatable()) {
        Statement st(h, QStringLiteral("select rowid from %1 where %2").arg(quoteName(r.table), where));
        QSet<qint64> ids;
        while (st.step())
            ids.insert(sqlite3_column_int64(st.get(), 0));
        for (qsizetype i = 0; i < static_cast<qsizetype>(r.rows.size()); ++i)
            if (ids.contains(r.rows[i].rowid))
                hits.insert(i);
        return hits;
    }
    // Rows of a join or a view: judge them in a scratch table of the same columns.
    static int serial = 0;
    const QString scratch = QStringLiteral("temp.kestrom_find_%1").arg(++serial);
    QStringList defs, marks;
    for (int i = 0; i < r.names.size(); ++i) {
        static const char* types[] = {"", "text collate nocase", "integer", "real", "datetime", "boolean"};
        defs << quoteName(r.names[i]) + QLatin1Char(' ') + QLatin1String(types[static_cast<int>(r.kinds[i])]);
        marks << QStringLiteral("?");
    }
    Statement(h, QStringLiteral("create table %1 (pos integer, %2)").arg(scratch, defs.join(QLatin1Char(',')))).step();
    struct Drop {
        sqlite3* h;
        QString name;
        ~Drop() { sqlite3_exec(h, ("drop table if exists " + name.toUtf8()).constData(), nullptr, nullptr, nullptr); }
    } drop{h, scratch};
    {
        Statement ins(h, QStringLiteral("insert into %1 values (?, %2)").arg(scratch, marks.join(QLatin1Char(','))));
        for (qsizetype p = 0; p < static_cast<qsizetype>(r.rows.size()); ++p) {
            sqlite3_reset(ins.get());
            sqlite3_bind_int64(ins.get(), 1, p);
            for (int i = 0; i < r.names.size(); ++i)
                bindValue(ins.get(), i + 2, r.rows[p].values[i], r.kinds[i]);
            ins.step();
        }
    }
    Statement st(h, QStringLiteral("select pos from %1 where %2").arg(scratch, where));
    while (st.step())
        hits.insert(sqlite3_column_int64(st.get(), 0));
    return hits;
}

void find(RecordsetData& r, const QString& criteria, qsizetype from, int step)
{
    const QSet<qsizetype> hits = matching(r, criteria);
    const auto n = static_cast<qsizetype>(r.rows.size());
    for (qsizetype i = from; i >= 0 && i < n; i += step) {
        if (hits.contains(i)) {
            r.pos = i;
            r.moved();
            return;
        }
    }
    r.noMatch = true;
}

}  // namespace

void Recordset::FindFirst(const QString& criteria) { find(open(d), criteria, 0, 1); }

void Recordset::FindNext(const QString& criteria)
{
    auto& r = open(d);
    find(r, criteria, r.currentDeleted ? r.pos : r.pos + 1, 1);
}

void Recordset::FindLast(const QString& criteria)
{
    auto& r = open(d);
    find(r, criteria, static_cast<qsizetype>(r.rows.size()) - 1, -1);
}

void Recordset::FindPrevious(const QString& criteria)
{
    auto& r = open(d);
    find(r, criteria, r.pos - 1, -1);
}

void Recordset::SetIndex(const QString& name)
{
    auto& r = open(d);
    if (!r.tableType)
        throw DbError(QStringLiteral("Operation is not supported for this type of object."));
    const QString real = r.conn->realIndexName(r.table, name.trimmed());
    if (real.isEmpty())
        throw DbError(QStringLiteral("'%1' isn't an index in this table.").arg(name));
    r.indexName = name.trimmed();
    r.indexColumns = r.conn->indexColumns(real);
    QStringList order;
    for (const auto& c : r.indexColumns)
        order << quoteName(c);
    r.loadSql = QStringLiteral("select rowid, * from %1 order by %2, rowid")
                    .arg(quoteName(r.table), order.join(QLatin1Char(',')));
    r.load();
}

QString Recordset::Index() const { return open(d).indexName; }

void Recordset::Seek(const QString& comparison, const QVariant& key1, const QVariant& key2)
{
    auto& r = open(d);
    if (r.indexColumns.isEmpty())
        throw DbError(QStringLiteral("Operation is not supported without a current index."));
    if (comparison.trimmed() != QLatin1String("="))
        throw DbError(QStringLiteral("Seek supports only \"=\"."));
    QList<QVariant> keys{key1};
    if (key2.isValid() && r.indexColumns.size() > 1)
        keys << key2;
    QStringList conds, order;
    for (int i = 0; i < keys.size(); ++i)
        conds << quoteName(r.indexColumns[i]) + QStringLiteral("=?");
    for (const auto& c : r.indexColumns)
        order << quoteName(c);
    Statement st(r.conn->handle(), QStringLiteral("select rowid from %1 where %2 order by %3, rowid limit 1")
                                       .arg(quoteName(r.table), conds.join(QStringLiteral(" and ")),
                                            order.join(QLatin1Char(','))));
    for (int i = 0; i < keys.size(); ++i)
        bindValue(st.get(), i + 1, keys[i], r.conn->columnKind(r.table, r.indexColumns[i]));
    r.mode = RecordsetData::Mode::None;
    if (!st.step()) {
        r.pos = static_cast<qsizetype>(r.rows.size());
        r.currentDeleted = false;
        r.noMatch = true;
        return;
    }
    const qint64 rowid = sqlite3_column_int64(st.get(), 0);
    // Read the row afresh: statements on this handle may have changed or added it since the open.
    Statement one(r.conn->handle(), QStringLiteral("select rowid, * from %1 where rowid=?").arg(quoteName(r.table)));
    sqlite3_bind_int64(one.get(), 1, rowid);
    one.step();
    RecordsetData::Row row;
    row.rowid = rowid;
    for (int i = 0; i < r.names.size(); ++i)
        row.values << fromStored(one.get(), i + 1, r.kinds[i]);
    auto it = std::find_if(r.rows.begin(), r.rows.end(), [&](const auto& x) { return x.rowid == rowid; });
    if (it == r.rows.end()) {
        r.rows.push_back(std::move(row));
        it = r.rows.end() - 1;
    } else {
        *it = std::move(row);
    }
    r.pos = it - r.rows.begin();
    r.moved();
}

void Recordset::Close() { d.reset(); }

}  // namespace jet
