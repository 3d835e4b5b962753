#pragma once
#include "database.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>
#include <functional>
#include <optional>

// Attendance: the swipes of table data turned into one datakq row per card
// and day, against the working day of table owt. Plain database work, no
// window, so the attendance window and the benchmark run the same code.
namespace attendance {

// The working day: the four period times of owt's first row.
struct WorkingHours {
    QTime morningStart;    // 上班時間
    QTime morningEnd;      // 下班時間
    QTime afternoonStart;  // timeB
    QTime afternoonEnd;    // timeE
};

// The working day as stored; none when owt has no row (or a period of its
// first row is empty), so there is nothing to measure a day against.
std::optional<WorkingHours> readWorkingHours(jet::Database& db);

// A day's four times. Midnight stands for a missing time, as datakq stores
// it: a swipe at exactly 00:00:00 can't be told from none.
struct DayTimes {
    QTime in1;   // 時間1, morning in
    QTime out1;  // 時間2, morning out
    QTime in2;   // 時間3, afternoon in
    QTime out2;  // 時間4, afternoon out
    bool empty() const;
    bool operator==(const DayTimes&) const = default;
};

bool isSet(const QTime& t);

// The times of one card's day, picked from the times of all its swipes of
// that day (one entry per swipe, ascending) by their time of day alone.
DayTimes pickTimes(const QList<QTime>& swipes, const WorkingHours& hours);

// The figures of a row. Hours are kept in hundredths, each half-day rounded
// by itself, so that 2.67 + 3.58 is exactly 6.25.
struct Figures {
    int late = 0;    // minutes, morning and afternoon together
    int leavee = 0;  // minutes; the afternoon's replaces the morning's
    int absent = 0;  // minutes, charged Monday to Friday only
    int hundredths = 0;
    double hrs() const { return hundredths / 100.0; }
    bool operator==(const Figures&) const = default;
};

Figures figures(const DayTimes& times, const WorkingHours& hours, const QDate& day);

// What the run tells as it goes.
struct Progress {
    std::function<void(int cards)> started;  // once the card list is known
    std::function<void()> cardDone;          // after each card with a person
};

// Rebuilds the attendance rows of the days first..last: every day of that
// range with swipes loses all its rows and gets one per card that swiped
// that day (none when the card has no holder any more or its swipes give
// no time). A day without any swipe keeps its rows, so a range whose
// swipes were purged keeps its attendance. Throws jet::DbError; the caller
// holds the transaction that makes the run one whole.
void rebuild(jet::Database& db, const WorkingHours& hours, const QDate& first, const QDate& last,
             const Progress& progress = {});

// Every card of table data, ascending; found by the index on 卡號, a look-up
// per card, not by reading the table.
QStringList swipedCards(jet::Database& db);

}  // namespace attendance
