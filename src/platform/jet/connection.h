#pragma once
#include "dberror.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>
#include <sqlite3.h>

namespace jet {

enum class ColumnKind { Other, Text, Integer, Real, DateTime, Boolean };

ColumnKind kindOfDeclaredType(const char* decltype_);
// The value as the windows see it, from what SQLite stored.
QVariant fromStored(sqlite3_stmt* st, int column, ColumnKind kind);
// Binds a window's value in the column's storage form; throws on a value
// the column can't hold (text that is no date in a date column).
void bindValue(sqlite3_stmt* st, int index, const QVariant& value, ColumnKind kind);

class Statement {
public:
    Statement(sqlite3* db, const QString& sqliteText);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return st; }
    bool step();  // true while a row is there
    int columnCount() const { return sqlite3_column_count(st); }

private:
    sqlite3* db;
    sqlite3_stmt* st = nullptr;
};

class Connection;

// A statement prepared once and kept by its connection for the next use of
// the same text. Each use ends with a reset, so no statement holds the
// file's lock once the call that used it returns.
class CachedStatement {
public:
    CachedStatement(const Connection& conn, const QString& sqliteText);
    ~CachedStatement();
    CachedStatement(const CachedStatement&) = delete;
    CachedStatement& operator=(const CachedStatement&) = delete;
    sqlite3_stmt* get() const { return st; }
    bool step();  // true while a row is there
    int columnCount() const { return sqlite3_column_count(st); }

private:
    const Connection& conn;
    QString text;
    sqlite3_stmt* st = nullptr;
};

// What tells whether the file may have changed since an earlier look: this
// connection's own changes, the commits of every handle of this program, and
// (looked at again only when some time has passed, as it costs a read of the
// file) those of other programs.
struct ChangeStamp {
    sqlite3_int64 own = -1;
    quint64 commits = 0;
    sqlite3_int64 others = -1;
    qint64 taken = 0;  // milliseconds on a monotonic clock
};

class Connection {
public:
    explicit Connection(const QString& path);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* handle() const;
    const QString& path() const { return file; }
    bool isOpen() const { return db != nullptr; }
    void close();
    [[noreturn]] void fail(const QString& what) const;

    // Levels of BeginTrans still open on this connection: 0 none, 1 the
    // transaction itself, each further level a savepoint inside it.
    int transactionDepth = 0;

    // Every connection holds a shared lock on its file while it is open; the
    // exclusive one succeeds only when no other connection, in this or
    // another process, has the file open.
    bool lockExclusively();

    // Name of the table or view as stored, whatever letter case was asked;
    // empty when there is none. 'isView' tells which.
    QString objectName(const QString& name, bool* isView = nullptr) const;
    QString realIndexName(const QString& table, const QString& index) const;
    QStringList indexColumns(const QString& realIndex) const;
    ColumnKind columnKind(const QString& table, const QString& column) const;

    ChangeStamp changeStamp() const;
    bool unchangedSince(const ChangeStamp& stamp) const;

private:
    friend class CachedStatement;
    sqlite3_stmt* take(const QString& text) const;
    void giveBack(const QString& text, sqlite3_stmt* st) const;

    QString file;
    sqlite3* db = nullptr;
    mutable QHash<QString, sqlite3_stmt*> idle;  // prepared statements between uses, by their text
    bool locked = false;
};

// How long one operation waits, all its statements together, for another
// handle's lock before it fails.
inline constexpr int lockWaitMilliseconds = 5000;

// Gives a handle that wait back (a handle whose waits were switched off).
void awaitOtherHandles(sqlite3* db);

[[noreturn]] void raise(sqlite3* db, const QString& context);

}  // namespace jet
