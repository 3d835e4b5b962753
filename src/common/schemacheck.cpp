#include "schemacheck.h"

#include "dbfile.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <optional>
#include <utility>
#include <sqlite3.h>

namespace dbfile {

namespace {

struct Handle {
    sqlite3* db = nullptr;
    ~Handle() { sqlite3_close_v2(db); }
};

QString text(sqlite3_stmt* st, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, column)));
}

using Columns = QMap<QString, QSet<QString>>;  // lower-cased table or view -> its columns, lower-cased

// Every table and view with its columns; none when the file can't be read as a database.
std::optional<Columns> columnsOf(sqlite3* db)
{
    Columns out;
    sqlite3_stmt* st = nullptr;
    const char* objects =
        "select m.name, p.name from sqlite_master m, pragma_table_info(m.name) p "
        "where m.type in ('table', 'view') and m.name not like 'sqlite_%'";
    if (sqlite3_prepare_v2(db, objects, -1, &st, nullptr) != SQLITE_OK)
        return std::nullopt;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        out[text(st, 0).toLower()].insert(text(st, 1).toLower());
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        return std::nullopt;
    return out;
}

// The installed schema, laid out in memory.
void installed(Handle& wanted)
{
    sqlite3_open_v2(":memory:", &wanted.db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(wanted.db, schemaScript().toUtf8().constData(), nullptr, nullptr, nullptr);
}

// A file stopped in the middle of a write is taken back by the first
// handle that may write it; a handle that may only read can't read it then.
bool openForReading(const QString& path, Handle& file)
{
    const QByteArray name = QFile::encodeName(path);
    if (sqlite3_open_v2(name.constData(), &file.db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK)
        return true;
    sqlite3_close_v2(file.db);
    file.db = nullptr;
    return sqlite3_open_v2(name.constData(), &file.db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
}

}  // namespace

QString schemaMismatch(const QString& path)
{
    if (!QFile::exists(path))
        return QStringLiteral("找不到文件 %1").arg(path);
    Handle wanted;
    installed(wanted);
    const std::optional<Columns> want = columnsOf(wanted.db);

    Handle file;
    std::optional<Columns> have;
    if (openForReading(path, file))
        have = columnsOf(file.db);
    if (!have || !want)
        return QStringLiteral("%1 不是可讀的數據庫文件").arg(path);

    QStringList missing;
    for (auto table = want->cbegin(); table != want->cend(); ++table) {
        if (!have->contains(table.key())) {
            missing << table.key();
            continue;
        }
        const QSet<QString>& present = (*have)[table.key()];
        QStringList columns(table.value().cbegin(), table.value().cend());
        columns.sort();
        for (const QString& c : columns)
            if (!present.contains(c))
                missing << table.key() + QLatin1Char('.') + c;
    }
    if (missing.isEmpty())
        return QString();
    return QStringLiteral("%1 不是本系統的數據庫，缺少 %2").arg(path, missing.join(QStringLiteral("、")));
}

namespace {

// The installed indexes a file lacks: their names and the statements that make them.
QList<QPair<QString, QString>> missingIndexes(sqlite3* file)
{
    Handle wanted;
    installed(wanted);
    QSet<QString> present;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(file, "select lower(name) from sqlite_master where type = 'index'", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        present.insert(text(st, 0));
    sqlite3_finalize(st);

    QList<QPair<QString, QString>> out;
    static const QRegularExpression create(QStringLiteral("^\\s*create\\s+(unique\\s+)?index\\s+"),
                                           QRegularExpression::CaseInsensitiveOption);
    sqlite3_prepare_v2(wanted.db, "select name, sql from sqlite_master where type = 'index' and sql is not null", -1,
                       &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        const QString name = text(st, 0);
        if (present.contains(name.toLower()))
            continue;
        QString statement = text(st, 1);
        statement.replace(create, QStringLiteral("create \\1index if not exists "));
        out.append({name, statement});
    }
    sqlite3_finalize(st);
    return out;
}

// `shownAs` names the file for the operator; `starting` is told once, before
// the first index is made.
QString makeIndexes(sqlite3* file, const QString& shownAs, const std::function<void()>& starting = {})
{
    std::function<void()> first = starting;
    for (const auto& [name, statement] : missingIndexes(file)) {
        if (first)
            std::exchange(first, nullptr)();
        char* error = nullptr;
        const bool made = sqlite3_exec(file, statement.toUtf8().constData(), nullptr, nullptr, &error) == SQLITE_OK;
        const QString why = QString::fromUtf8(error ? error : sqlite3_errmsg(file));
        sqlite3_free(error);
        if (!made)
            return QStringLiteral("%1 缺少索引 %2，無法補建：%3").arg(shownAs, name, why);
    }
    return QString();
}

// Whether the engine finds every page of the file whole; the file is only read.
bool isWhole(sqlite3* file)
{
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(file, "pragma integrity_check(1)", -1, &st, nullptr) != SQLITE_OK)
        return false;
    const bool whole = sqlite3_step(st) == SQLITE_ROW && text(st, 0) == QLatin1String("ok");
    sqlite3_finalize(st);
    return whole;
}

}  // namespace

QString makeMissingIndexes(const QString& path, const std::function<void()>& starting)
{
    Handle file;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &file.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return QStringLiteral("%1 不是可讀的數據庫文件").arg(path);
    sqlite3_busy_timeout(file.db, 5000);
    return makeIndexes(file.db, path, starting);
}

QString unfitForStart(const QString& path)
{
    if (const QString wrong = schemaMismatch(path); !wrong.isEmpty())
        return wrong;
    Handle file;
    if (!openForReading(path, file))
        return QStringLiteral("%1 不是可讀的數據庫文件").arg(path);
    if (!isWhole(file.db))
        return QStringLiteral("%1 已損壞，不能使用。").arg(path);
    if (missingIndexes(file.db).isEmpty())
        return QString();
    // The indexes are tried on a private copy that goes with its handle, so
    // the file stays as it was whatever medium it lies on.
    Handle trial;
    sqlite3_open_v2("", &trial.db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_backup* copy = sqlite3_backup_init(trial.db, "main", file.db, "main");
    const bool copied = copy && sqlite3_backup_step(copy, -1) == SQLITE_DONE;
    sqlite3_backup_finish(copy);
    if (!copied)
        return QStringLiteral("%1 無法讀取：%2").arg(path, QString::fromUtf8(sqlite3_errmsg(trial.db)));
    return makeIndexes(trial.db, path);
}

}  // namespace dbfile
