#pragma once
#include "dberror.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

struct sqlite3;

namespace jet {

class Connection;
class OrderedRows;
class Recordset;

enum RecordsetType { dbOpenTable = 1, dbOpenDynaset = 2, dbOpenSnapshot = 4, dbOpenDefault = 0 };

// A handle on a database file, in place of a DAO Database. Copies share one
// connection; a default-constructed handle is closed. Statements are written
// in the dialect the windows use: "delete * from T", #date# literals,
// true/false, clng(), text comparison that ignores letter case.
class Database {
public:
    Database() = default;

    bool isOpen() const;
    QString path() const;

    // Runs one insert, update or delete statement; returns the rows it touched.
    int Execute(const QString& statement);

    // A table name opens a table-type recordset (seekable on its indexes),
    // a view name or a select opens a dynaset. Throws DbError when refused.
    Recordset OpenRecordset(const QString& source, RecordsetType type = dbOpenDefault);

    // Transactions nest: a BeginTrans inside an open one starts a savepoint,
    // so a writer can make its statements one whole whether or not its
    // caller has a transaction open. CommitTrans and Rollback end the
    // innermost level; a Rollback with none open does nothing.
    void BeginTrans();
    void CommitTrans();
    void Rollback();

    void Close();

private:
    friend Database OpenDatabase(const QString&, bool, bool, const QString&);
    friend std::unique_ptr<OrderedRows> openOrderedRows(const Database&, const QString&);
    friend std::unique_ptr<OrderedRows> sameRows(const OrderedRows&, const Database&);
    friend class LockNotAwaited;
    explicit Database(std::shared_ptr<Connection> c) : conn(std::move(c)) {}
    Connection& connection() const;
    std::shared_ptr<Connection> conn;
};

// While it lives, a statement through the handle that meets another handle's
// lock fails at once instead of waiting for it to go; met() tells whether
// one did.
class LockNotAwaited {
public:
    explicit LockNotAwaited(const Database& db);
    ~LockNotAwaited();
    LockNotAwaited(const LockNotAwaited&) = delete;
    LockNotAwaited& operator=(const LockNotAwaited&) = delete;
    bool met() const { return lockMet; }

private:
    static int refuse(void* self, int attempts);
    ::sqlite3* db;
    bool lockMet = false;
};

// Opens by a connect string (";database=<folder>\kestrom.mdb;pwd=...") or by
// the file's path alone. The password is accepted and ignored, as the engine
// ignores it for a file that has none. A missing or damaged file raises DbError.
Database OpenDatabase(const QString& name, bool exclusive = false, bool readOnly = false,
                      const QString& connect = QString());

// The file a name or connect string points at ("\" read as the path separator).
QString databasePath(const QString& nameOrConnect);

// Why the program can't write a database file, in the operator's words:
// the file itself, or the folder where each write makes its journal, is
// closed to the program's user. Empty when it can be written.
QString writeRefusal(const QString& path);

// `notice` is told true when a statement starts waiting for another
// program to let go of its file, and false once the operation that waited
// is over (the program back at its event loop), for the hourglass. One
// operation waits at most one busy time in all, however many statements
// it runs.
void onWaitForOthers(void (*notice)(bool waiting));

// Closes every handle opened through OpenDatabase, as closing the engine's
// default workspace does; their recordsets become unusable.
void CloseDefaultWorkspace();

// Writes a compacted copy of a closed database file into a new file.
void CompactDatabase(const QString& source, const QString& destination);

// Compacts a closed database file where it lies: the same file (through a
// link, the one it names), so its links, mode and group stay, and another
// program that only has it open goes on with it. Refused (DbError, the file
// as it was) while another copy of this program has it open or another
// program is in the middle of a transaction on it. Stopped at any moment,
// the file is the old one or the compacted one: the engine's journal beside
// it takes back a half-done compaction at the next open.
void CompactInPlace(const QString& path);

// How many pages a closed database file has, and how many of them are free:
// left by deleted rows, used again by later rows, given back to the disk
// only by a compaction.
struct PageUse {
    qint64 pages = 0;
    qint64 free = 0;
};
PageUse PagesOf(const QString& path);

// Writes the whole of one database file into another where it lies, the
// same way and under the same refusals as CompactInPlace.
void CopyInto(const QString& source, const QString& destination);

// The statements of one whole: begun when made, taken back when it goes
// without Commit (a failure thrown through it), nested like BeginTrans.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();

private:
    Database& db;
    bool open = true;
};

// Runs a script of plain SQLite statements (used to lay out a new file).
void ExecuteScript(const QString& path, const QString& script);

}  // namespace jet
