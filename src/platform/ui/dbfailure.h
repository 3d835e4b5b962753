#pragma once
#include "database.h"

#include <functional>

namespace ui {

// Tells the operator that the database refused a statement, instead of
// letting the error end the program.
void reportDbFailure(const jet::DbError& error);
// The same failure as one line for a label: the reason in the system's
// words, without the statement.
QString dbFailureText(const jet::DbError& error);

// Runs the statements of one operation as a whole: when the database refuses
// one of them, the earlier ones are taken back and the operator is told (by
// `failed`, where the window has more to say than the engine's words), so
// nothing is left half-written. Returns whether the work was stored.
bool storeAtomically(jet::Database& db, const std::function<void()>& work,
                     const std::function<void(const jet::DbError&)>& failed = reportDbFailure);

}  // namespace ui
