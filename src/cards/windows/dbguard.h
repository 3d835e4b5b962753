#pragma once
#include "database.h"

#include <functional>

namespace cards {

// Runs the statements of one operation as a whole: when the database refuses
// one of them, the earlier ones are taken back and the operator is told, so
// nothing is left half-written. Returns whether the work was stored.
bool storeAtomically(jet::Database& db, const std::function<void()>& work);

// Tells the operator that the database refused a statement.
void reportDbError(const jet::DbError& error);

}  // namespace cards
