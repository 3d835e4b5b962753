#pragma once
#include "database.h"

#include <QDate>

// The attendance run written the plain way: the range's rows deleted, then
// for every card of data and every day of the range a select per pick, as
// the old program's statements read. Slow (it asks the database for each
// card and day), and so the yardstick the indexed run is checked and
// measured against.
namespace pickbyselect {

void run(jet::Database& db, const QDate& first, const QDate& last);

}  // namespace pickbyselect
