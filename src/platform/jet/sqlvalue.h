#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QVariant>

// The one way a value is joined into a statement text. Text is quoted with
// its apostrophes doubled, so a typed value can never end the literal early;
// a text holding a NUL is refused (jet::refuseUnstorable); numbers, dates
// and times are written in one locale-independent form that
// the database layer reads back whatever the computer's regional settings.
namespace sql {

QString text(const QString& value);            // 'O''Brien'
QString number(qint64 value);                  // 42
QString number(double value);                  // 0.5
QString boolean(bool value);                   // true / false
QString date(const QDate& value);              // #2026-12-10#
QString time(const QTime& value);              // #09:30:00#
QString dateTime(const QDateTime& value);      // #2026-12-10 09:30:00#

}  // namespace sql

namespace jet {

// A NUL can be neither stored in a text column nor written into a statement
// (it ends the statement's text): a value holding one is refused (DbError)
// in words an operator understands.
void refuseUnstorable(const QString& value);

// Storage forms of date and time values: one ISO text form, so that text
// order is time order and "between" compares days and times.
QString storedDate(const QDate& d);            // 2026-12-10
QString storedTime(const QTime& t);            // 09:30:00
QString storedDateTime(const QDateTime& dt);   // date alone at midnight, time alone on 1899-12-30

// Reads a date or time written in any of the forms a user or a statement
// may give (2026-12-10, 2026/12/10, 12/10/2026, 9:30, 09:30:00, both).
// Returns an invalid QVariant when the text is no date or time.
QVariant parseDateTime(const QString& text);

}  // namespace jet
