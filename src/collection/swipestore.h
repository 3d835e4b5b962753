#pragma once
#include "database.h"
#include "frames.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <optional>
#include <vector>

// Swipe records on their way from a controller's memory into table data.
// Both collectors store the same forms (日期 'yyyy-MM-dd', 時間 'HH:mm:00')
// and refuse the same duplicates, so each sees the other's rows.
namespace swipes {

struct SwipeRow {
    QString card;      // six digits
    QDate date;
    QTime time;        // seconds 0
    int address = 0;   // the controller it was collected from
    int flag = 0;
};

// How a collector mends a date or time out of range.
enum class OutOfRange {
    EachField,  // manual: month or day 1, hour or minute 0, each on its own
    Whole,      // unattended: the date 1999-01-01, the time 0:00
};

// The day of a two-digit year: 00..29 are 2000..2029, 30..99 1930..1999.
int fullYear(int twoDigits);

// A stored record as a row of the controller at `address` (the record's own
// address byte is not stored). Nothing unless every byte is one a
// controller sends (its address first, packed decimal card, date and time,
// a flag 1..4): a stream read out of step gives other bytes, and a row made
// from them would be a swipe that never happened.
std::optional<SwipeRow> toRow(const frames::StoredRecord& record, const QByteArray& bytes, int address,
                              OutOfRange rule);

// The eleven bytes of a stored record (its address byte first) as a row.
std::optional<SwipeRow> decodeRecord(const QByteArray& bytes, int address, OutOfRange rule);

// A row with the same card, day, time, flag and address is stored already.
bool isStored(jet::Database& db, const SwipeRow& row);
// One insert naming the six columns; flagIO follows flag.
void insertRow(jet::Database& db, const SwipeRow& row);
// The insert unless the row is stored already; true when it was new.
bool storeIfNew(jet::Database& db, const SwipeRow& row);

struct StoreResult {
    int stored = 0;                      // new rows written
    int already = 0;                     // found stored before
    std::vector<std::size_t> failedRows; // indexes of the rows the database refused
    QString error;                       // the first failure, in the words shown to the operator
    int failed() const { return int(failedRows.size()); }
};
// Stores the rows not stored yet in one transaction. A row the database
// refuses is left out and counted; should the whole fail to commit, every
// row counts as failed and none is written.
StoreResult storeRows(jet::Database& db, const std::vector<SwipeRow>& rows);

}  // namespace swipes
