#pragma once
#include "database.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTime>
#include <QVariant>
#include <optional>
#include <utility>

namespace jet {
class Recordset;
}

// The issued-card store: table faka is the database's copy of the card list
// inside each controller, one row per card per address. Every writer here is
// called only after the controller acknowledged the exchange, so a row never
// stands for a card the controller doesn't hold.
namespace cardstore {

// One card at one controller, with the windows as the controller got them.
// A window that is absent reads as null dates, weekdays 0 and null times.
struct IssuedCard {
    int address = 0;
    QString card;        // 卡號, six digits
    QString physical;    // 物理卡號
    int lock1Mode = 0;   // PassMode 0..3, -1 when the stored value is none of them
    int lock2Mode = 0;
    QDate startDate, endDate;
    int startWeekday = 0, endWeekday = 0;  // WindowWeekday 1..7
    QTime startTime, endTime;

    bool hasDateWindow() const { return startDate.isValid() && endDate.isValid(); }
    bool hasWeekdayWindow() const { return startWeekday != 0 || endWeekday != 0; }
    bool hasTimeWindow() const { return startTime.isValid() && endTime.isValid(); }
};

// What the stored columns mean to a reader: a date window is there when its
// dates are not Null; a weekday window when neither day is Null and not both
// are 0; a time window when neither time is Null and not both are 00:00.
bool dateWindowStored(const QVariant& start, const QVariant& end);
bool weekdayWindowStored(const QVariant& start, const QVariant& end);
bool timeWindowStored(const QVariant& start, const QVariant& end);
// A stored pass mode, or -1 for Null or a value outside 0..3.
int passModeStored(const QVariant& value);

// The card of the current row of a faka or fakapl recordset, windows read
// by the rules above.
IssuedCard fromRow(const jet::Recordset& row);

// The window columns of the current faka row that hold a value but no date,
// weekday or time a reader can take (fromRow reads them as no window), each
// with the text it holds.
QList<std::pair<QString, QString>> unreadableWindows(const jet::Recordset& row);

// Whether the card has a row at this address; whether it has one anywhere.
bool isIssuedAt(jet::Database& db, int address, const QString& card);
bool isIssued(jet::Database& db, const QString& card);

// Writes the row of a card the controller acknowledged: the insert, then each
// window that is switched on, as one whole (a savepoint inside a caller's
// transaction): a failure or a crash half-way leaves no row.
void insertIssued(jet::Database& db, const IssuedCard& card);

// Deletes the row of a card at an address, without a history row: the card
// is written again at once (a change), or was never given up.
void removeIssued(jet::Database& db, int address, const QString& card);

// The card holder's data as the card window shows it.
struct Holder {
    QString card, name, department, job, idNumber;
};
// Creates the holder's people row when there is none, and sets its name,
// department, job title and identity-card number, as one whole; other
// columns stay.
void writeHolder(jet::Database& db, const Holder& holder);

// The card the controller at the address has just given up: its fakapl row
// goes into the returned-card history dated today (none when the card has no
// holder), then its faka row goes; both or neither.
void archiveAndRemove(jet::Database& db, int address, const QString& card);

// One returned-card history row, dated today, from the current row of a
// fakapl recordset that selects the columns the history keeps.
void archive(jet::Database& db, const jet::Recordset& fakaplRow);

// The fakapl columns the history keeps, as a select list.
QString archivedColumns();

// The holder of a card a controller reports live, found by its physical
// number: the first faka row with exactly that number, joined with its
// people row. A field the people row holds as Null stays Null here.
struct SwipeHolder {
    QVariant card, name, department, job, photo;
    int address = 0;
};
// Nothing when no issued card with a holder carries the number.
std::optional<SwipeHolder> holderByPhysical(jet::Database& db, const QString& physical);

}  // namespace cardstore
