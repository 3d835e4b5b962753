#include "orderedrows.h"

#include "database.h"
#include "dialect.h"
#include "selectparts.h"

#include <QSet>

namespace jet {

std::unique_ptr<OrderedRows> sameRows(const OrderedRows& rows, const Database& db)
{
    if (!db.isOpen())
        throw DbError(QStringLiteral("Object invalid or no longer set: the database is closed."));
    return rows.sameRowsThrough(db.conn);
}

QString quoteName(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

namespace {

QString keyColumn(int i) { return QStringLiteral("kestrom_k%1").arg(i); }
QString rowidColumn(int i) { return QStringLiteral("kestrom_r%1").arg(i); }

// A table name as written, without its quotes or schema.
QString bareName(const QString& written)
{
    QString name = written.trimmed();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0 && !name.endsWith(QLatin1Char('"')) && !name.endsWith(QLatin1Char(']')))
        name = name.mid(dot + 1);
    if (name.size() >= 2) {
        const QChar first = name.front();
        if (first == QLatin1Char('"') || first == QLatin1Char('`'))
            return name.mid(1, name.size() - 2).replace(QString(2, first), QString(first));
        if (first == QLatin1Char('['))
            return name.mid(1, name.size() - 2);
    }
    return name;
}

bool isNull(const QVariant& v) { return !v.isValid() || v.isNull(); }

void bindAll(sqlite3_stmt* st, const QVector<QVariant>& values)
{
    for (int i = 0; i < values.size(); ++i)
        bindValue(st, i + 1, values[i], ColumnKind::Other);
}

QString scratchName()
{
    static int serial = 0;
    return QStringLiteral("kestrom_rows_%1").arg(++serial);
}

const char* declaredType(ColumnKind kind)
{
    switch (kind) {
    case ColumnKind::Text: return "text collate nocase";
    case ColumnKind::Integer: return "integer";
    case ColumnKind::Real: return "real";
    case ColumnKind::DateTime: return "datetime";
    case ColumnKind::Boolean: return "boolean";
    case ColumnKind::Other: break;
    }
    return "";
}

QString joined(const QString& a, const QString& b)
{
    if (a.isEmpty())
        return b;
    if (b.isEmpty())
        return a;
    return a + QStringLiteral(" and ") + b;
}

}  // namespace

OrderedRows::OrderedRows(std::shared_ptr<Connection> c, const QString& select, Options o)
    : conn(std::move(c)), options(o)
{
    QString text = select.trimmed();
    while (text.endsWith(QLatin1Char(';')))
        text = text.chopped(1).trimmed();
    selectText = text;
    describe(text);
    if (const auto parts = splitSelect(text)) {
        try {
            if (openDirect(*parts)) {
                resolveOrigins();
                return;
            }
            if (!options.live) {
                forget();
                openSortedIds(*parts);
                resolveOrigins();
                return;
            }
        } catch (const DbError&) {
            // The select itself was accepted above; only reading it by key was
            // not (a sort term naming a result column, say): read it whole.
        }
        forget();
    }
    openCopied(text);
    resolveOrigins();
}

OrderedRows::~OrderedRows() { dropScratch(); }

void OrderedRows::dropScratch()
{
    if (scratch.isEmpty())
        return;
    if (conn->isOpen()) {
        const QByteArray drop = "drop table if exists temp." + quoteName(scratch).toUtf8();
        sqlite3_exec(conn->handle(), drop.constData(), nullptr, nullptr, nullptr);
    }
    scratch.clear();
}

void OrderedRows::forget()
{
    dropScratch();
    mode = Mode::Direct;
    baseTables.clear();
    tableRefs.clear();
    innerColumns.clear();
    innerFrom.clear();
    innerWhere.clear();
    descending.clear();
    sortTerms = 0;
    // The bounds stay: the rows' ids sorted once are those within them.
}

void OrderedRows::describe(const QString& select)
{
    Statement st(conn->handle(), select);
    for (int i = 0; i < st.columnCount(); ++i) {
        columnNames << QString::fromUtf8(sqlite3_column_name(st.get(), i));
        columnKinds << kindOfDeclaredType(sqlite3_column_decltype(st.get(), i));
        const char* table = sqlite3_column_table_name(st.get(), i);
        const char* column = sqlite3_column_origin_name(st.get(), i);
        originTables << (table ? QString::fromUtf8(table) : QString());
        origins << Origin{-1, column ? QString::fromUtf8(column) : QString()};
    }
}

void OrderedRows::resolveOrigins()
{
    for (int i = 0; i < origins.size(); ++i) {
        origins[i].table = -1;
        if (originTables[i].isEmpty())
            continue;
        for (int t = 0; t < baseTables.size(); ++t) {
            if (baseTables[t].compare(originTables[i], Qt::CaseInsensitive) == 0) {
                origins[i].table = t;
                break;
            }
        }
    }
}

bool OrderedRows::useTables(const SelectParts& parts)
{
    for (const auto& t : parts.tables) {
        bool isView = false;
        const QString real = conn->objectName(bareName(t.name), &isView);
        if (real.isEmpty() || isView)
            return false;
        baseTables << real;
        tableRefs << t.ref;
    }
    return true;
}

bool OrderedRows::openDirect(const SelectParts& parts)
{
    if (!useTables(parts))
        return false;
    QStringList columns = parts.columns;
    sortTerms = static_cast<int>(parts.order.size());
    for (const auto& term : parts.order) {
        columns << term.expression + QStringLiteral(" as ") + keyColumn(static_cast<int>(descending.size()));
        descending << term.descending;
    }
    // Row ids complete the order, so that every row has a key of its own.
    for (const QString& ref : std::as_const(tableRefs)) {
        columns << ref + QStringLiteral(".rowid as ") + keyColumn(static_cast<int>(descending.size()));
        descending << false;
    }
    for (int t = 0; t < tableRefs.size(); ++t)
        columns << tableRefs[t] + QStringLiteral(".rowid as ") + rowidColumn(t);
    innerColumns = columns.join(QStringLiteral(", "));
    innerFrom = parts.from;
    innerWhere = parts.where;
    if (options.membersOf && options.membersOf->bounds.size() == baseTables.size()) {
        bounds = options.membersOf->bounds;
        added = options.membersOf->added;
    } else if (!options.live) {
        for (const QString& table : std::as_const(baseTables)) {
            Statement max(conn->handle(), QStringLiteral("select max(rowid) from ") + quoteName(table));
            bounds << (max.step() ? sqlite3_column_int64(max.get(), 0) : 0);
        }
        added.resize(baseTables.size());
    }
    mode = Mode::Direct;
    const QString start = rowsQuery(QString(), false);
    Statement check(conn->handle(), start);  // throws when the keys can't be read as written
    return options.live || !sortsWhole(start);
}

bool OrderedRows::sortsWhole(const QString& query) const
{
    Statement plan(conn->handle(), QStringLiteral("explain query plan ") + query);
    while (plan.step()) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(plan.get(), 3));
        const QString detail = QString::fromUtf8(text ? text : "");
        // A whole sort at every read, or the select not merged into the
        // reading one, so that no index serves the key conditions.
        if (detail.contains(QLatin1String("USE TEMP B-TREE FOR ORDER BY")) || detail.contains(QLatin1String("kestrom_q")))
            return true;
    }
    return false;
}

void OrderedRows::openSortedIds(const SelectParts& parts)
{
    if (!useTables(parts))
        throw DbError(QStringLiteral("no base tables"));
    scratch = scratchName();
    const QString ids = QStringLiteral("temp.") + quoteName(scratch);
    QStringList idColumns, sortedIds, columns, joins;
    for (int t = 0; t < tableRefs.size(); ++t) {
        idColumns << rowidColumn(t) + QStringLiteral(" integer");
        sortedIds << tableRefs[t] + QStringLiteral(".rowid");
    }
    Statement(conn->handle(), QStringLiteral("create table %1 (%2)").arg(ids, idColumns.join(QStringLiteral(", ")))).step();
    QStringList order;
    for (const auto& term : parts.order)
        order << term.expression + (term.descending ? QStringLiteral(" desc") : QString());
    order << sortedIds;
    QString fill = QStringLiteral("insert into %1 select %2 from %3").arg(ids, sortedIds.join(QStringLiteral(", ")), parts.from);
    const QString where = joined(parts.where.isEmpty() ? QString() : QLatin1Char('(') + parts.where + QLatin1Char(')'),
                                 membership());
    if (!where.isEmpty())
        fill += QStringLiteral(" where ") + where;
    fill += QStringLiteral(" order by ") + order.join(QStringLiteral(", "));
    Statement(conn->handle(), fill).step();

    // The ids table comes first in from: a bare * would show its columns too.
    for (const QString& c : parts.columns) {
        if (c.trimmed() != QLatin1String("*")) {
            columns << c;
            continue;
        }
        for (const QString& ref : std::as_const(tableRefs))
            columns << ref + QStringLiteral(".*");
    }
    columns << QStringLiteral("kestrom_g.rowid as ") + keyColumn(0);
    descending << false;
    for (int t = 0; t < tableRefs.size(); ++t) {
        columns << QStringLiteral("kestrom_g.") + rowidColumn(t) + QStringLiteral(" as ") + rowidColumn(t);
        joins << tableRefs[t] + QStringLiteral(".rowid = kestrom_g.") + rowidColumn(t);
    }
    innerColumns = columns.join(QStringLiteral(", "));
    innerFrom = ids + QStringLiteral(" as kestrom_g cross join ") + parts.from;
    innerWhere = joins.join(QStringLiteral(" and "));
    mode = Mode::SortedIds;
    Statement check(conn->handle(), rowsQuery(QString(), false));
}

void OrderedRows::openCopied(const QString& select)
{
    scratch = scratchName();
    const QString copy = QStringLiteral("temp.") + quoteName(scratch);
    QStringList defs, columns;
    QSet<QString> seen;
    for (int i = 0; i < columnNames.size(); ++i) {
        // A result may name two columns alike; a table can't.
        QString name = columnNames[i];
        for (int n = 1; seen.contains(name.toLower()); ++n)
            name = columnNames[i] + QLatin1Char(':') + QString::number(n);
        seen.insert(name.toLower());
        defs << quoteName(name) + QLatin1Char(' ') + QLatin1String(declaredType(columnKinds[i]));
        columns << QStringLiteral("kestrom_g.") + quoteName(name);
    }
    Statement(conn->handle(), QStringLiteral("create table %1 (%2)").arg(copy, defs.join(QStringLiteral(", ")))).step();
    try {
        Statement(conn->handle(), QStringLiteral("insert into %1 %2").arg(copy, select)).step();
    } catch (...) {
        dropScratch();
        throw;
    }
    columns << QStringLiteral("kestrom_g.rowid as ") + keyColumn(0);
    descending << false;
    innerColumns = columns.join(QStringLiteral(", "));
    innerFrom = copy + QStringLiteral(" as kestrom_g");
    mode = Mode::Copied;
}

// The rows of the tables that may be among the rows: none stored after
// the bounds, but those include() added.
QString OrderedRows::membership() const
{
    QString where;
    for (int t = 0; t < bounds.size() && t < tableRefs.size(); ++t) {
        // The unary plus keeps the bound a filter: no index is chosen for it.
        QString member = QStringLiteral("+%1.rowid <= %2").arg(tableRefs[t]).arg(bounds[t]);
        if (!added[t].isEmpty()) {
            QStringList ids;
            for (qint64 id : added[t])
                ids << QString::number(id);
            member = QStringLiteral("(%1 or %2.rowid in (%3))").arg(member, tableRefs[t], ids.join(QLatin1Char(',')));
        }
        where = joined(where, member);
    }
    return where;
}

QString OrderedRows::innerSelect() const
{
    QString where = innerWhere.isEmpty() ? QString() : QLatin1Char('(') + innerWhere + QLatin1Char(')');
    if (mode == Mode::Direct)
        where = joined(where, membership());
    QString s = QStringLiteral("select ") + innerColumns + QStringLiteral(" from ") + innerFrom;
    if (!where.isEmpty())
        s += QStringLiteral(" where ") + where;
    return s;
}

QString OrderedRows::rowsQuery(const QString& condition, bool reverse, const QString& columns) const
{
    QStringList order;
    for (int i = 0; i < descending.size(); ++i)
        order << keyColumn(i) + (descending[i] != reverse ? QStringLiteral(" desc") : QString());
    QString q = QStringLiteral("select ") + columns + QStringLiteral(" from (") + innerSelect() + QStringLiteral(") as kestrom_q");
    if (!condition.isEmpty())
        q += QStringLiteral(" where ") + condition;
    return q + QStringLiteral(" order by ") + order.join(QStringLiteral(", ")) + QStringLiteral(" limit ?");
}

RowKey OrderedRows::keyFrom(sqlite3_stmt* st, int first) const
{
    RowKey key;
    key.reserve(descending.size());
    for (int i = 0; i < descending.size(); ++i)
        key << fromStored(st, first + i, ColumnKind::Other);
    return key;
}

KeyedRow OrderedRows::rowFrom(sqlite3_stmt* st) const
{
    KeyedRow row;
    const int width = static_cast<int>(columnNames.size());
    row.values.reserve(width);
    for (int i = 0; i < width; ++i)
        row.values << fromStored(st, i, columnKinds[i]);
    row.key = keyFrom(st, width);
    const int ids = width + static_cast<int>(descending.size());
    for (int t = 0; t < baseTables.size(); ++t)
        row.rowids << sqlite3_column_int64(st, ids + t);
    return row;
}

// Rows strictly beyond a key in the order (before it when 'reverse'):
// beyond on the first key column, or equal on it and beyond on the next...
// NULL sorts first, so it is compared with "is", never with "<" or ">"
// alone: the condition is true or false for every row, never null, so that
// its negation (the rows up to a key) takes in the rows of empty values too.
OrderedRows::Part OrderedRows::exactlyBeyond(const RowKey& from, bool reverse) const
{
    QStringList alternatives;
    Part part;
    QString equal;
    QVector<QVariant> equalValues;
    for (int i = 0; i < descending.size(); ++i) {
        // The leading ranges of beyond() take the read to the key through an
        // index; this condition only sorts out the rows there, compared as
        // stored (a unary plus drops the column's affinity, so no text is
        // tried as a number row after row) in the column's collation.
        const QString k = QLatin1Char('+') + keyColumn(i);
        const QVariant& v = from[i];
        const bool towardLarger = reverse == descending[i];
        QString step;
        QVector<QVariant> stepValues;
        if (towardLarger) {
            step = isNull(v) ? k + QStringLiteral(" is not null") : QStringLiteral("(%1 > ? and %1 is not null)").arg(k);
            if (!isNull(v))
                stepValues << v;
        } else if (!isNull(v)) {
            step = QStringLiteral("(%1 < ? or %1 is null)").arg(k);
            stepValues << v;
        }
        if (!step.isEmpty()) {
            alternatives << QLatin1Char('(') + joined(equal, step) + QLatin1Char(')');
            part.values << equalValues << stepValues;
        }
        equal = joined(equal, k + QStringLiteral(" is ?"));
        equalValues << v;
    }
    part.condition = alternatives.isEmpty() ? QStringLiteral("0")
                                            : QLatin1Char('(') + alternatives.join(QStringLiteral(" or ")) + QLatin1Char(')');
    return part;
}

// The same rows, in one or two parts each led by a plain range on the first
// key column, so that an index on it takes the read straight to the key.
QVector<OrderedRows::Part> OrderedRows::beyond(const RowKey* from, bool reverse) const
{
    if (!from)
        return {Part{}};
    const Part exact = exactlyBeyond(*from, reverse);
    auto led = [&](const QString& range, const QVector<QVariant>& values) {
        return Part{exact.condition + QStringLiteral(" and ") + range, exact.values + values};
    };
    const QString k0 = keyColumn(0);
    const QVariant& v0 = (*from)[0];
    const bool towardLarger = reverse == descending[0];
    if (!isNull(v0) && towardLarger) {
        // Further sort columns sorted the same way join the range, which an
        // index on them then takes whole (the row ids that tell ties apart
        // stay out: they would be compared again at every row).
        QStringList columns{k0}, marks{QStringLiteral("?")};
        QVector<QVariant> values{v0};
        for (int i = 1; i < sortTerms && descending[i] == descending[0] && !isNull((*from)[i]); ++i) {
            columns << keyColumn(i);
            marks << QStringLiteral("?");
            values << (*from)[i];
        }
        const QString range = columns.size() == 1
                                  ? k0 + QStringLiteral(" >= ?")
                                  : QStringLiteral("(%1) >= (%2)").arg(columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        return {led(range, values)};
    }
    if (!isNull(v0))
        return {led(k0 + QStringLiteral(" <= ?"), {v0}), led(k0 + QStringLiteral(" is null"), {})};
    if (towardLarger)
        return {led(k0 + QStringLiteral(" is null"), {}), led(k0 + QStringLiteral(" is not null"), {})};
    return {led(k0 + QStringLiteral(" is null"), {})};
}

std::vector<KeyedRow> OrderedRows::read(const QVector<Part>& parts, int count, bool reverse, const QString& criteria) const
{
    std::vector<KeyedRow> rows;
    for (const Part& part : parts) {
        const qsizetype wanted = count - static_cast<qsizetype>(rows.size());
        if (wanted <= 0)
            break;
        const QString condition = criteria.isEmpty() ? part.condition
                                                     : joined(part.condition, QLatin1Char('(') + criteria + QLatin1Char(')'));
        CachedStatement st(*conn, rowsQuery(condition, reverse));
        bindAll(st.get(), part.values);
        sqlite3_bind_int64(st.get(), static_cast<int>(part.values.size()) + 1, wanted);
        while (st.step())
            rows.push_back(rowFrom(st.get()));
    }
    return rows;
}

std::optional<KeyedRow> OrderedRows::first(const Part& part) const
{
    auto rows = read({part}, 1, false, QString());
    if (rows.empty())
        return std::nullopt;
    return std::move(rows.front());
}

std::vector<KeyedRow> OrderedRows::after(const RowKey* from, int count, const RowKey* through, const QString& criteria) const
{
    QVector<Part> parts = beyond(from, false);
    if (through) {
        const Part past = exactlyBeyond(*through, false);
        for (Part& p : parts) {
            p.condition = joined(p.condition, QStringLiteral("not ") + past.condition);
            p.values << past.values;
        }
    }
    return read(parts, count, false, criteria);
}

std::vector<KeyedRow> OrderedRows::before(const RowKey* from, int count, const QString& criteria) const
{
    return read(beyond(from, true), count, true, criteria);
}

std::optional<KeyedRow> OrderedRows::seek(const QVector<QVariant>& values, const QVector<ColumnKind>& kinds) const
{
    QStringList equal;
    for (int i = 0; i < values.size(); ++i)
        equal << keyColumn(i) + QStringLiteral(" = ?");
    CachedStatement st(*conn, rowsQuery(equal.join(QStringLiteral(" and ")), false));
    for (int i = 0; i < values.size(); ++i)
        bindValue(st.get(), i + 1, values[i], kinds[i]);
    sqlite3_bind_int64(st.get(), static_cast<int>(values.size()) + 1, 1);
    if (!st.step())
        return std::nullopt;
    return rowFrom(st.get());
}

std::optional<KeyedRow> OrderedRows::byRowid(int table, qint64 rowid) const
{
    return first(Part{rowidColumn(table) + QStringLiteral(" = ?"), {QVariant(rowid)}});
}

std::optional<KeyedRow> OrderedRows::reread(const KeyedRow& row) const
{
    if (mode != Mode::Direct)
        return first(Part{keyColumn(0) + QStringLiteral(" = ?"), {row.key.value(0)}});
    QStringList equal;
    QVector<QVariant> values;
    for (int t = 0; t < row.rowids.size(); ++t) {
        equal << rowidColumn(t) + QStringLiteral(" = ?");
        values << QVariant(row.rowids[t]);
    }
    return first(Part{equal.join(QStringLiteral(" and ")), values});
}

void OrderedRows::write(const KeyedRow& row, int column, const QVariant& value) const
{
    const int table = origins[column].table;
    if (table < 0 || table >= row.rowids.size())
        throw DbError(QStringLiteral("Field '%1' can't be updated.").arg(columnNames[column]));
    CachedStatement st(*conn, QStringLiteral("update %1 set %2=? where rowid=?")
                                  .arg(quoteName(baseTables[table]), quoteName(origins[column].column)));
    bindValue(st.get(), 1, value, columnKinds[column]);
    sqlite3_bind_int64(st.get(), 2, row.rowids[table]);
    st.step();
}

QVariant OrderedRows::stored(const KeyedRow& row, int column) const
{
    const int table = origins[column].table;
    if (table < 0 || table >= row.rowids.size())
        return row.values.value(column);
    CachedStatement st(*conn, QStringLiteral("select %2 from %1 where rowid=?")
                                  .arg(quoteName(baseTables[table]), quoteName(origins[column].column)));
    sqlite3_bind_int64(st.get(), 1, row.rowids[table]);
    return st.step() ? fromStored(st.get(), 0, columnKinds[column]) : row.values.value(column);
}

qint64 OrderedRows::count() const
{
    CachedStatement st(*conn, QStringLiteral("select count(*) from (") + innerSelect() + QStringLiteral(") as kestrom_q"));
    return st.step() ? sqlite3_column_int64(st.get(), 0) : 0;
}

qint64 OrderedRows::countThrough(const RowKey& key) const
{
    const Part past = exactlyBeyond(key, false);
    CachedStatement st(*conn, QStringLiteral("select count(*) from (") + innerSelect()
                                  + QStringLiteral(") as kestrom_q where not ") + past.condition);
    bindAll(st.get(), past.values);
    return st.step() ? sqlite3_column_int64(st.get(), 0) : 0;
}

OrderedRows::Walk OrderedRows::walk(const RowKey* from, int every, qint64 limit) const
{
    QStringList keys;
    for (int i = 0; i < descending.size(); ++i)
        keys << keyColumn(i);
    Walk w;
    for (const Part& part : beyond(from, false)) {
        if (w.rows >= limit)
            break;
        CachedStatement st(*conn, rowsQuery(part.condition, false, keys.join(QStringLiteral(", "))));
        bindAll(st.get(), part.values);
        sqlite3_bind_int64(st.get(), static_cast<int>(part.values.size()) + 1, limit - w.rows);
        while (st.step()) {
            ++w.rows;
            if (w.rows % every == 0)
                w.marks.push_back(keyFrom(st.get(), 0));
            if (w.rows == limit)
                w.last = keyFrom(st.get(), 0);
        }
    }
    return w;
}

void OrderedRows::include(int table, qint64 rowid)
{
    if (mode != Mode::Copied && table < added.size())
        added[table] << rowid;
    if (mode == Mode::SortedIds) {
        CachedStatement st(*conn, QStringLiteral("insert into temp.%1 (%2) values (?)").arg(quoteName(scratch), rowidColumn(table)));
        sqlite3_bind_int64(st.get(), 1, rowid);
        st.step();
    }
}

std::unique_ptr<OrderedRows> OrderedRows::sameRowsThrough(std::shared_ptr<Connection> other) const
{
    return std::make_unique<OrderedRows>(std::move(other), selectText, Options{options.live, this});
}

std::unique_ptr<OrderedRows> openOrderedRows(const Database& db, const QString& select)
{
    if (!db.isOpen())
        throw DbError(QStringLiteral("Object invalid or no longer set: the database is closed."));
    return std::make_unique<OrderedRows>(db.conn, toSqlite(select), OrderedRows::Options{});
}

}  // namespace jet
