#pragma once
#include "dberror.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

namespace jet {

class Connection;
struct RecordsetData;

// In place of a DAO recordset. Rows are read as it moves to them, each read
// one short statement from the key of the current row (see OrderedRows), so
// opening one on a table of millions of rows costs one look-up and no lock
// is held between calls; edits, additions and deletions go to the file at
// once. A table recordset sees the table as it is at every move; a dynaset
// or snapshot the rows its select returned when it opened (read afresh, so
// changes and deletions show) and the rows it added itself.
// Field values: Null is an invalid QVariant, distinct from empty text; dates
// read back as QDate, times of day as QTime, both as QDateTime, yes/no as bool.
class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;

    bool isOpen() const;
    bool Eof() const;
    bool Bof() const;
    bool NoMatch() const;
    // Table type: all rows. Dynaset: the rows reached so far, all after MoveLast.
    int RecordCount() const;

    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();

    QStringList FieldNames() const;
    QVariant Field(const QString& name) const;
    QVariant Field(int index) const;
    void SetField(const QString& name, const QVariant& value);

    void AddNew();
    void Edit();
    void Update();
    void CancelUpdate();
    void Delete();

    void FindFirst(const QString& criteria);
    void FindNext(const QString& criteria);
    void FindLast(const QString& criteria);
    void FindPrevious(const QString& criteria);

    // Table type only: the index by its name on this table, then an exact
    // seek with one or two keys in the index's column order.
    void SetIndex(const QString& name);
    QString Index() const;
    void Seek(const QString& comparison, const QVariant& key1, const QVariant& key2 = QVariant());

    void Close();

private:
    friend class Database;
    explicit Recordset(std::unique_ptr<RecordsetData> d);
    std::unique_ptr<RecordsetData> d;
};

}  // namespace jet
