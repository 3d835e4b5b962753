#pragma once
#include "dberror.h"

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

private:
    QString file;
    sqlite3* db = nullptr;
    bool locked = false;
};

[[noreturn]] void raise(sqlite3* db, const QString& context);

}  // namespace jet
