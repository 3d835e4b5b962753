#include "database.h"

#include "connection.h"
#include "dialect.h"
#include "recordset.h"
#include "recordsetdata.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <memory>
#include <utility>
#include <vector>

namespace jet {

namespace {

std::vector<std::weak_ptr<Connection>>& workspace()
{
    static std::vector<std::weak_ptr<Connection>> open;
    return open;
}

}  // namespace

QString databasePath(const QString& nameOrConnect)
{
    QString path = nameOrConnect.trimmed();
    static const QRegularExpression database(QStringLiteral("(?:^|;)\\s*database\\s*=\\s*([^;]*)"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (auto m = database.match(path); m.hasMatch())
        path = m.captured(1).trimmed();
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(path);
}

Database OpenDatabase(const QString& name, bool /*exclusive*/, bool /*readOnly*/, const QString& connect)
{
    const QString path = databasePath(name.trimmed().isEmpty() ? connect : name);
    auto conn = std::make_shared<Connection>(path);
    auto& open = workspace();
    std::erase_if(open, [](const auto& w) { return w.expired(); });
    open.push_back(conn);
    return Database(conn);
}

void CloseDefaultWorkspace()
{
    for (auto& w : workspace())
        if (auto c = w.lock())
            c->close();
    workspace().clear();
}

bool Database::isOpen() const { return conn && conn->isOpen(); }

QString Database::path() const { return conn ? conn->path() : QString(); }

Connection& Database::connection() const
{
    if (!isOpen())
        throw DbError(QStringLiteral("Object invalid or no longer set: the database is closed."));
    return *conn;
}

int Database::Execute(const QString& statement)
{
    Connection& c = connection();
    Statement st(c.handle(), toSqlite(statement));
    while (st.step()) {
    }
    return sqlite3_changes(c.handle());
}

Recordset Database::OpenRecordset(const QString& source, RecordsetType type)
{
    return Recordset(openRecordsetData(conn, source, type));
}

namespace {

void run(Connection& c, const QString& statement)
{
    Statement st(c.handle(), statement);
    st.step();
}

QString savepoint(int level) { return QStringLiteral("level%1").arg(level); }

}  // namespace

void Database::BeginTrans()
{
    Connection& c = connection();
    // The engine ends a transaction itself on some failures (a full disk):
    // the levels counted for it are gone then.
    if (sqlite3_get_autocommit(c.handle()))
        c.transactionDepth = 0;
    run(c, c.transactionDepth == 0 ? QStringLiteral("begin") : QStringLiteral("savepoint ") + savepoint(c.transactionDepth));
    ++c.transactionDepth;
}

void Database::CommitTrans()
{
    Connection& c = connection();
    if (c.transactionDepth <= 1 || sqlite3_get_autocommit(c.handle())) {
        c.transactionDepth = 0;
        run(c, QStringLiteral("commit"));
        return;
    }
    --c.transactionDepth;
    run(c, QStringLiteral("release ") + savepoint(c.transactionDepth));
}

void Database::Rollback()
{
    if (!isOpen())
        return;
    Connection& c = *conn;
    if (sqlite3_get_autocommit(c.handle())) {
        c.transactionDepth = 0;
        return;
    }
    if (c.transactionDepth <= 1) {
        c.transactionDepth = 0;
        run(c, QStringLiteral("rollback"));
        return;
    }
    --c.transactionDepth;
    // Back to where the level began; the level itself then goes.
    run(c, QStringLiteral("rollback to ") + savepoint(c.transactionDepth));
    run(c, QStringLiteral("release ") + savepoint(c.transactionDepth));
}

Transaction::Transaction(Database& db) : db(db) { db.BeginTrans(); }

Transaction::~Transaction()
{
    if (!open)
        return;
    try {
        db.Rollback();
    } catch (const DbError&) {
        // The connection went; so did what the level held.
    }
}

void Transaction::Commit()
{
    open = false;
    db.CommitTrans();
}

LockNotAwaited::LockNotAwaited(const Database& handle) : db(handle.connection().handle())
{
    sqlite3_busy_handler(db, &LockNotAwaited::refuse, this);
}

LockNotAwaited::~LockNotAwaited() { awaitOtherHandles(db); }

int LockNotAwaited::refuse(void* self, int)
{
    static_cast<LockNotAwaited*>(self)->lockMet = true;
    return 0;
}

void Database::Close()
{
    if (conn)
        conn->close();
    conn.reset();
}

void CompactDatabase(const QString& source, const QString& destination)
{
    const QString dst = databasePath(destination);
    if (QFile::exists(dst))
        throw DbError(QStringLiteral("Database '%1' already exists.").arg(dst));
    Connection c(databasePath(source));
    Statement st(c.handle(), QStringLiteral("vacuum into ?1"));
    const QByteArray utf8 = dst.toUtf8();
    sqlite3_bind_text(st.get(), 1, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    st.step();
}

namespace {

// Other copies of this program are seen by their shared lock on the file;
// other programs only by the engine's own lock, which they hold while a
// transaction of theirs is open. Waiting for one of those a moment is
// enough: an operator closing the program can't wait for another's work.
constexpr int othersWait = 1000;  // milliseconds

Connection& alone(Connection& c, const QString& what)
{
    if (!c.lockExclusively())
        throw DbError(QStringLiteral("數據庫文件 '%1' 正被另一程序打開，不能%2。").arg(c.path(), what));
    sqlite3_busy_timeout(c.handle(), othersWait);
    return c;
}

[[noreturn]] void refused(sqlite3* db, const QString& path, const QString& what)
{
    const int code = sqlite3_extended_errcode(db) & 0xFF;
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
        throw DbError(QStringLiteral("另一程序正在使用數據庫文件 '%1'，不能%2。").arg(path, what));
    raise(db, what);
}

}  // namespace

void CompactInPlace(const QString& path)
{
    const QString what = QStringLiteral("壓縮");
    Connection c(databasePath(path));
    alone(c, what);
    if (sqlite3_exec(c.handle(), "vacuum", nullptr, nullptr, nullptr) != SQLITE_OK)
        refused(c.handle(), c.path(), what);
}

PageUse PagesOf(const QString& path)
{
    Connection c(databasePath(path));
    PageUse use;
    for (const auto& [pragma, count] : {std::pair{"pragma page_count", &use.pages}, {"pragma freelist_count", &use.free}}) {
        Statement st(c.handle(), QString::fromLatin1(pragma));
        if (!st.step())
            c.fail(QStringLiteral("讀取"));
        *count = sqlite3_column_int64(st.get(), 0);
    }
    return use;
}

void CopyInto(const QString& source, const QString& destination)
{
    const QString what = QStringLiteral("寫入");
    const QString from = databasePath(source);
    sqlite3* src = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(from).constData(), &src, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        const QString msg = QString::fromUtf8(src ? sqlite3_errmsg(src) : "out of memory");
        sqlite3_close_v2(src);
        throw DbError(QStringLiteral("Could not open '%1': %2").arg(from, msg));
    }
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> closeSource(src, sqlite3_close_v2);
    Connection c(databasePath(destination));
    alone(c, what);
    sqlite3_backup* copy = sqlite3_backup_init(c.handle(), "main", src, "main");
    if (!copy)
        refused(c.handle(), c.path(), what);
    const int rc = sqlite3_backup_step(copy, -1);
    sqlite3_backup_finish(copy);  // leaves the step's failure on the destination's handle
    if (rc != SQLITE_DONE)
        refused(c.handle(), c.path(), what);
}

void ExecuteScript(const QString& path, const QString& script)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK) {
        const QString msg = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close_v2(db);
        throw DbError(QStringLiteral("Could not create '%1': %2").arg(path, msg));
    }
    char* err = nullptr;
    const int rc = sqlite3_exec(db, script.toUtf8().constData(), nullptr, nullptr, &err);
    const QString msg = err ? QString::fromUtf8(err) : QString();
    sqlite3_free(err);
    sqlite3_close_v2(db);
    if (rc != SQLITE_OK)
        throw DbError(QStringLiteral("Script failed on '%1': %2").arg(path, msg));
}

}  // namespace jet
