#pragma once
#include <QString>
#include <functional>

// A controller took a card whose rows the database then refused: the card
// comes out of that controller again (`remove` runs the delete exchange),
// and the operator is told whether the two agree again.
void withdrawUnstored(int address, const QString& card, const std::function<bool()>& remove);

// The controller holds a card the database has no row for.
QString controllerAhead(int address, const QString& card);
