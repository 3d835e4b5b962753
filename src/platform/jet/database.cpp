#include "database.h"

#include "connection.h"
#include "dialect.h"
#include "recordset.h"
#include "recordsetdata.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
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

void Database::Close()
{
    if (conn)
        conn->close();
    conn.reset();
}

void CompactDatabase(const QString& source, const QString& destination, const std::function<void()>& whileAlone)
{
    const QString dst = databasePath(destination);
    if (QFile::exists(dst))
        throw DbError(QStringLiteral("Database '%1' already exists.").arg(dst));
    Connection c(databasePath(source));
    if (whileAlone && !c.lockExclusively())
        throw DbError(QStringLiteral("數據庫文件 '%1' 正被另一程序打開，不能壓縮。").arg(c.path()));
    {
        Statement st(c.handle(), QStringLiteral("vacuum into ?1"));
        const QByteArray utf8 = dst.toUtf8();
        sqlite3_bind_text(st.get(), 1, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
        st.step();
    }
    if (whileAlone)
        whileAlone();
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
