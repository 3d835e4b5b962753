#include "connection.h"

#include "database.h"
#include "sqlvalue.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace jet {

namespace {

QString columnText(sqlite3_stmt* st, int i)
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
    return QString::fromUtf8(p, sqlite3_column_bytes(st, i));
}

void registerFunctions(sqlite3* db)
{
    // clng() of Basic: rounds to a whole number; text holding a number counts as that number.
    auto clng = [](sqlite3_context* ctx, int, sqlite3_value** argv) {
        if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return;
        }
        const double v = sqlite3_value_double(argv[0]);
        sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(std::nearbyint(v)));
    };
    auto cdbl = [](sqlite3_context* ctx, int, sqlite3_value** argv) {
        if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
            sqlite3_result_null(ctx);
        else
            sqlite3_result_double(ctx, sqlite3_value_double(argv[0]));
    };
    auto cstr = [](sqlite3_context* ctx, int, sqlite3_value** argv) {
        sqlite3_result_value(ctx, argv[0]);
        if (sqlite3_value_type(argv[0]) != SQLITE_NULL) {
            const auto* t = sqlite3_value_text(argv[0]);
            sqlite3_result_text(ctx, reinterpret_cast<const char*>(t), -1, SQLITE_TRANSIENT);
        }
    };
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "clng", 1, flags, nullptr, clng, nullptr, nullptr);
    sqlite3_create_function(db, "cint", 1, flags, nullptr, clng, nullptr, nullptr);
    sqlite3_create_function(db, "cdbl", 1, flags, nullptr, cdbl, nullptr, nullptr);
    sqlite3_create_function(db, "cstr", 1, flags, nullptr, cstr, nullptr, nullptr);
}

// A shared flock on each database file while any connection of this process
// has it open; another process's compaction then sees the file is in use.
// flock, not the engine's own byte-range locks, which are held only while a
// statement runs. One descriptor per file for all connections of the
// process, closed only once the last of them is: closing a second
// descriptor of a file drops every byte-range lock the process holds on it,
// the engine's included.
class SharedLocks {
public:
    bool acquire(const QString& path)
    {
        const std::lock_guard guard(mutex);
        Holder& h = held[key(path)];
        if (h.users == 0) {
            h.fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
            if (h.fd < 0 || flock(h.fd, LOCK_SH | LOCK_NB) != 0) {
                const int error = errno;
                if (h.fd >= 0)
                    ::close(h.fd);
                held.erase(key(path));
                errno = error;
                return false;
            }
        }
        ++h.users;
        return true;
    }
    void release(const QString& path)
    {
        const std::lock_guard guard(mutex);
        const auto it = held.find(key(path));
        if (it == held.end() || --it->second.users > 0)
            return;
        ::close(it->second.fd);
        held.erase(it);
    }
    // Only the one connection asking may have the file open, here or elsewhere.
    bool exclusive(const QString& path)
    {
        const std::lock_guard guard(mutex);
        const auto it = held.find(key(path));
        return it != held.end() && it->second.users == 1 && flock(it->second.fd, LOCK_EX | LOCK_NB) == 0;
    }

private:
    struct Holder {
        int fd = -1;
        int users = 0;
    };
    static QString key(const QString& path) { return QFileInfo(path).absoluteFilePath(); }
    std::mutex mutex;  // a benchmark may open connections from threads of its own
    std::map<QString, Holder> held;
};

SharedLocks& sharedLocks()
{
    // Never destroyed: handles held in process-wide values close at exit, after
    // every function's statics are gone.
    static SharedLocks* locks = new SharedLocks;
    return *locks;
}

}  // namespace

namespace {

QString folderOf(const QString& path) { return QFileInfo(path).absolutePath(); }

// Where the engine puts the files of a sort or a compaction: the first of
// these that it may write.
QString engineTemporaryFolder()
{
    if (sqlite3_temp_directory)
        return QString::fromUtf8(sqlite3_temp_directory);
    QStringList candidates;
    for (const char* variable : {"SQLITE_TMPDIR", "TMPDIR"})
        if (const QString v = qEnvironmentVariable(variable); !v.isEmpty())
            candidates << v;
    candidates << QStringLiteral("/var/tmp") << QStringLiteral("/usr/tmp") << QStringLiteral("/tmp");
    for (const QString& c : std::as_const(candidates))
        if (::access(QFile::encodeName(c).constData(), W_OK | X_OK) == 0)
            return c;
    return QStringLiteral(".");
}

// The operator's words for the failures he can act on; empty for the
// others, which keep the engine's own.
QString systemWords(int code, const QString& path)
{
    switch (code) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("數據庫文件正被另一程序使用，請稍後再試。");
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
        if (const QString why = writeRefusal(path); !why.isEmpty())
            return why;
        return code == SQLITE_CANTOPEN ? QStringLiteral("無法打開數據庫文件 %1。").arg(path) : QString();
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("數據庫文件 %1 已損壞。請在「數據庫備份」中用「數据恢复」恢复一個備份。").arg(path);
    case SQLITE_FULL:
        return QStringLiteral("磁盤已滿：數據庫文件 %1 所在的磁盤或臨時文件夾 %2 已沒有空間。")
            .arg(path, engineTemporaryFolder());
    default:
        return QString();
    }
}

}  // namespace

QString writeRefusal(const QString& path)
{
    const QString file = QFileInfo(path).absoluteFilePath();
    if (::access(QFile::encodeName(file).constData(), W_OK) != 0)
        return QStringLiteral("數據庫文件 %1 不能寫入：本程序的用戶沒有寫這個文件的權限。").arg(file);
    if (::access(QFile::encodeName(folderOf(file)).constData(), W_OK | X_OK) != 0)
        return QStringLiteral("數據庫文件 %1 不能寫入：本程序的用戶不能在文件夾 %2 中建立文件，"
                              "而每次寫入都要在數據庫文件旁建立日誌文件。")
            .arg(file, folderOf(file));
    return QString();
}

[[noreturn]] void raise(sqlite3* db, const QString& context)
{
    if (!db)
        throw DbError(QStringLiteral("Object invalid or no longer set: the database is closed."), 0, context);
    const int code = sqlite3_extended_errcode(db) & 0xFF;
    const char* file = sqlite3_db_filename(db, "main");
    const QString words = systemWords(code, QString::fromUtf8(file ? file : ""));
    throw DbError(words.isEmpty() ? QString::fromUtf8(sqlite3_errmsg(db)) : words, code, context);
}

ColumnKind kindOfDeclaredType(const char* decl)
{
    if (!decl)
        return ColumnKind::Other;
    const QByteArray t = QByteArray(decl).toUpper();
    if (t.contains("DATE") || t.contains("TIME"))
        return ColumnKind::DateTime;
    if (t.contains("BOOL") || t.contains("BIT") || t.contains("YESNO"))
        return ColumnKind::Boolean;
    if (t.contains("INT"))
        return ColumnKind::Integer;
    if (t.contains("CHAR") || t.contains("TEXT") || t.contains("CLOB"))
        return ColumnKind::Text;
    if (t.contains("REAL") || t.contains("DOUB") || t.contains("FLOA") || t.contains("NUM"))
        return ColumnKind::Real;
    return ColumnKind::Other;
}

QVariant fromStored(sqlite3_stmt* st, int i, ColumnKind kind)
{
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(st, i);
        if (kind == ColumnKind::Boolean)
            return v != 0;
        if (kind == ColumnKind::Real)
            return static_cast<double>(v);
        if (kind == ColumnKind::Text)
            return columnText(st, i);
        return v;
    }
    case SQLITE_FLOAT: {
        const double v = sqlite3_column_double(st, i);
        if (kind == ColumnKind::Boolean)
            return v != 0;
        if (kind == ColumnKind::Text)
            return columnText(st, i);
        return v;
    }
    default: {
        const QString text = columnText(st, i);
        if (kind == ColumnKind::DateTime) {
            const QVariant v = parseDateTime(text);
            if (v.isValid())
                return v;
        }
        return text;
    }
    }
}

namespace {

[[noreturn]] void conversionError(const QVariant& value, ColumnKind kind)
{
    const QString wanted = kind == ColumnKind::DateTime  ? QStringLiteral("日期或時間")
                           : kind == ColumnKind::Boolean ? QStringLiteral("是或否")
                                                         : QStringLiteral("數字");
    throw DbError(QStringLiteral("「%1」不是%2，不能存入這一欄。").arg(value.toString(), wanted));
}

void bindText(sqlite3_stmt* st, int index, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(st, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

void bindDateLike(sqlite3_stmt* st, int index, const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::QDate: bindText(st, index, storedDate(v.toDate())); return;
    case QMetaType::QTime: bindText(st, index, storedTime(v.toTime())); return;
    case QMetaType::QDateTime: bindText(st, index, storedDateTime(v.toDateTime())); return;
    default: break;
    }
    const QVariant parsed = parseDateTime(v.toString());
    if (!parsed.isValid())
        conversionError(v, ColumnKind::DateTime);
    bindDateLike(st, index, parsed);
}

}  // namespace

void bindValue(sqlite3_stmt* st, int index, const QVariant& v, ColumnKind kind)
{
    if (!v.isValid() || v.isNull()) {
        sqlite3_bind_null(st, index);
        return;
    }
    const int type = v.typeId();
    const bool isText = type == QMetaType::QString;
    if (isText)
        refuseUnstorable(v.toString());
    const bool isDateLike = type == QMetaType::QDate || type == QMetaType::QTime
                            || type == QMetaType::QDateTime;
    switch (kind) {
    case ColumnKind::DateTime:
        bindDateLike(st, index, v);
        return;
    case ColumnKind::Boolean: {
        if (isText) {
            const QString t = v.toString().trimmed().toLower();
            if (t == QLatin1String("true") || t == QLatin1String("yes"))
                sqlite3_bind_int(st, index, 1);
            else if (t == QLatin1String("false") || t == QLatin1String("no"))
                sqlite3_bind_int(st, index, 0);
            else {
                bool ok = false;
                const double d = t.toDouble(&ok);
                if (!ok)
                    conversionError(v, kind);
                sqlite3_bind_int(st, index, d != 0);
            }
        } else {
            sqlite3_bind_int(st, index, v.toBool() ? 1 : 0);
        }
        return;
    }
    case ColumnKind::Integer:
    case ColumnKind::Real: {
        bool ok = true;
        double d = 0;
        if (isText)
            d = v.toString().trimmed().toDouble(&ok);
        else if (isDateLike)
            ok = false;
        else
            d = v.toDouble(&ok);
        if (!ok)
            conversionError(v, kind);
        if (kind == ColumnKind::Integer)
            sqlite3_bind_int64(st, index, static_cast<sqlite3_int64>(std::nearbyint(d)));
        else
            sqlite3_bind_double(st, index, d);
        return;
    }
    case ColumnKind::Text:
        if (isDateLike)
            bindDateLike(st, index, v);
        else if (type == QMetaType::Bool)
            bindText(st, index, v.toBool() ? QStringLiteral("True") : QStringLiteral("False"));
        else
            bindText(st, index, v.toString());
        return;
    case ColumnKind::Other:
        break;
    }
    if (isDateLike)
        bindDateLike(st, index, v);
    else if (type == QMetaType::Bool)
        sqlite3_bind_int(st, index, v.toBool() ? 1 : 0);
    else if (type == QMetaType::Double || type == QMetaType::Float)
        sqlite3_bind_double(st, index, v.toDouble());
    else if (isText || type == QMetaType::QByteArray)
        bindText(st, index, v.toString());
    else
        sqlite3_bind_int64(st, index, v.toLongLong());
}

namespace {

sqlite3_stmt* prepareOne(sqlite3* db, const QString& text)
{
    if (!db)
        raise(nullptr, text);
    refuseUnstorable(text);  // a value joined in by hand
    const QByteArray utf8 = text.toUtf8();
    const char* tail = nullptr;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), static_cast<int>(utf8.size()), &st, &tail) != SQLITE_OK)
        raise(db, text);
    // One statement at a time: whatever follows a ';' is refused, never run.
    if (tail && *tail) {
        const QString rest = QString::fromUtf8(tail).trimmed();
        if (!rest.isEmpty() && rest != QLatin1String(";")) {
            sqlite3_finalize(st);
            throw DbError(QStringLiteral("Characters found after end of SQL statement: '%1'.").arg(rest));
        }
    }
    if (!st)
        throw DbError(QStringLiteral("Invalid SQL statement: '%1'.").arg(text));
    return st;
}

bool stepOne(sqlite3* db, sqlite3_stmt* st)
{
    const int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    raise(db, QString::fromUtf8(sqlite3_sql(st)));
}

}  // namespace

Statement::Statement(sqlite3* handle, const QString& text) : db(handle), st(prepareOne(handle, text)) {}

Statement::~Statement() { sqlite3_finalize(st); }

bool Statement::step() { return stepOne(db, st); }

CachedStatement::CachedStatement(const Connection& c, const QString& sqliteText)
    : conn(c), text(sqliteText), st(c.take(sqliteText))
{
}

CachedStatement::~CachedStatement() { conn.giveBack(text, st); }

bool CachedStatement::step() { return stepOne(conn.handle(), st); }

sqlite3_stmt* Connection::take(const QString& text) const
{
    if (auto it = idle.find(text); it != idle.end()) {
        sqlite3_stmt* st = *it;
        idle.erase(it);
        return st;
    }
    return prepareOne(handle(), text);
}

void Connection::giveBack(const QString& text, sqlite3_stmt* st) const
{
    constexpr qsizetype kept = 64;
    if (!db || idle.contains(text) || idle.size() >= kept) {
        sqlite3_finalize(st);
        return;
    }
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    idle.insert(text, st);
}

namespace {

std::atomic<quint64> commitsOfThisProgram{0};

int countCommit(void*)
{
    ++commitsOfThisProgram;
    return 0;  // let it commit
}

qint64 now()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// How long a look at other programs' commits holds: within one handler's
// walk over rows nothing asks again; between the operator's moves it does.
constexpr qint64 othersLookHolds = 50;

}  // namespace

namespace {

// How long one operation of the operator's waits, all its statements
// together, for another program to let go of the file.
constexpr qint64 busyTimeout = lockWaitMilliseconds;

void (*waitNotice)(bool) = nullptr;

// The wait of the operation under way on this thread; its deadline is set
// by its first wait.
struct OperationWait {
    qint64 deadline = 0;
    bool told = false;
};
thread_local OperationWait operationWait;

// The operation is over once the program is back at its event loop.
void endOfOperation()
{
    if (operationWait.told && waitNotice)
        waitNotice(false);
    operationWait = {};
}

bool onEventLoopThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && app->thread() == QThread::currentThread();
}

int waitForOthers(void*, int tries)
{
    const qint64 t = now();
    if (!onEventLoopThread()) {
        // No operator's operation to measure: each statement waits for itself.
        if (tries == 0)
            operationWait.deadline = t + busyTimeout;
    } else if (operationWait.deadline == 0) {
        operationWait.deadline = t + busyTimeout;
        QMetaObject::invokeMethod(QCoreApplication::instance(), endOfOperation, Qt::QueuedConnection);
        if (waitNotice) {
            waitNotice(true);
            operationWait.told = true;
        }
    }
    const qint64 left = operationWait.deadline - t;
    if (left <= 0)
        return 0;
    QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, 10)));
    return 1;
}

}  // namespace

void onWaitForOthers(void (*notice)(bool waiting)) { waitNotice = notice; }

void awaitOtherHandles(sqlite3* db) { sqlite3_busy_handler(db, waitForOthers, nullptr); }

ChangeStamp Connection::changeStamp() const
{
    ChangeStamp stamp;
    stamp.own = sqlite3_total_changes64(handle());
    stamp.commits = commitsOfThisProgram;
    stamp.taken = now();
    CachedStatement version(*this, QStringLiteral("pragma data_version"));
    if (version.step())
        stamp.others = sqlite3_column_int64(version.get(), 0);
    return stamp;
}

bool Connection::unchangedSince(const ChangeStamp& stamp) const
{
    if (sqlite3_total_changes64(handle()) != stamp.own || commitsOfThisProgram != stamp.commits)
        return false;
    if (now() - stamp.taken < othersLookHolds)
        return true;
    CachedStatement version(*this, QStringLiteral("pragma data_version"));
    return version.step() && sqlite3_column_int64(version.get(), 0) == stamp.others;
}

Connection::Connection(const QString& path) : file(path)
{
    if (!QFileInfo(path).isFile())
        throw DbError(QStringLiteral("Could not find file '%1'.").arg(path));
    // Before the file is opened: a compaction under way refuses this, one
    // that comes later sees it.
    if (!sharedLocks().acquire(file)) {
        const int error = errno;
        throw DbError(error == EWOULDBLOCK
                          ? QStringLiteral("數據庫文件 '%1' 正在被壓縮，請稍後再試。").arg(path)
                          : QStringLiteral("Could not open '%1': %2").arg(path, QString::fromLocal8Bit(std::strerror(error))));
    }
    locked = true;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        const QString words = systemWords(rc & 0xFF, path);
        const QString msg = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        close();
        throw DbError(words.isEmpty() ? QStringLiteral("Could not open '%1': %2").arg(path, msg) : words, rc & 0xFF);
    }
    awaitOtherHandles(db);
    sqlite3_commit_hook(db, countCommit, nullptr);
    sqlite3_extended_result_codes(db, 1);
    registerFunctions(db);
    // A damaged file or one that is no database fails here rather than at the first statement.
    if (sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK) {
        const int code = sqlite3_extended_errcode(db) & 0xFF;
        // No window is open yet to restore a backup from.
        const bool damaged = code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
        const QString words = damaged ? QStringLiteral("數據庫文件 %1 已損壞，或不是數據庫文件。").arg(path)
                                      : systemWords(code, path);
        const QString msg = words.isEmpty() ? QStringLiteral("Unrecognized database format '%1': %2")
                                                  .arg(path, QString::fromUtf8(sqlite3_errmsg(db)))
                                            : words;
        close();
        throw DbError(msg, code);
    }
}

Connection::~Connection() { close(); }

void Connection::close()
{
    for (sqlite3_stmt* st : std::as_const(idle))
        sqlite3_finalize(st);
    idle.clear();
    if (db) {
        sqlite3_close_v2(db);
        db = nullptr;
    }
    if (locked) {
        sharedLocks().release(file);
        locked = false;
    }
    transactionDepth = 0;
}

bool Connection::lockExclusively() { return locked && sharedLocks().exclusive(file); }

sqlite3* Connection::handle() const
{
    if (!db)
        throw DbError(QStringLiteral("Object invalid or no longer set: the database is closed."));
    return db;
}

void Connection::fail(const QString& what) const { raise(db, what); }

QString Connection::objectName(const QString& name, bool* isView) const
{
    Statement st(handle(),
                 QStringLiteral("select name, type from sqlite_master where type in ('table','view') "
                                "and lower(name) = lower(?1)"));
    bindText(st.get(), 1, name.trimmed());
    if (!st.step())
        return {};
    if (isView)
        *isView = columnText(st.get(), 1) == QLatin1String("view");
    return columnText(st.get(), 0);
}

QString Connection::realIndexName(const QString& table, const QString& index) const
{
    // SQLite index names are global; each Jet index is stored as <table>_<index>.
    Statement st(handle(),
                 QStringLiteral("select name from sqlite_master where type = 'index' "
                                "and lower(tbl_name) = lower(?1) and lower(name) = lower(?2)"));
    bindText(st.get(), 1, table);
    bindText(st.get(), 2, table + QLatin1Char('_') + index);
    return st.step() ? columnText(st.get(), 0) : QString();
}

QStringList Connection::indexColumns(const QString& realIndex) const
{
    Statement st(handle(), QStringLiteral("select name from pragma_index_info(?1) order by seqno"));
    bindText(st.get(), 1, realIndex);
    QStringList cols;
    while (st.step())
        cols << columnText(st.get(), 0);
    return cols;
}

ColumnKind Connection::columnKind(const QString& table, const QString& column) const
{
    Statement st(handle(), QStringLiteral("select type from pragma_table_info(?1) where lower(name) = lower(?2)"));
    bindText(st.get(), 1, table);
    bindText(st.get(), 2, column);
    if (!st.step())
        return ColumnKind::Other;
    return kindOfDeclaredType(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
}

}  // namespace jet
