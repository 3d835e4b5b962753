#pragma once

namespace jet {
class DbError;
}

// Tells the operator that a database step failed and nothing of it was
// stored, instead of letting the error end the program.
void reportDbFailure(const jet::DbError& e);
