#pragma once
#include "exchanges.h"

#include <QString>

// What the controller windows share beyond the program's window kit: the
// exchanges' messages and pointer, and the delay limit's message.
namespace controller {

// Messages through the program's message boxes; the hourglass over the
// whole screen while an exchange runs.
WindowHooks windowHooks();

// Shown when a delay is longer than the controller's byte holds.
QString delayTooLong();

}  // namespace controller
