#pragma once
#include <QColor>
#include <QIcon>
#include <QString>

namespace ui {

// The hourglass over the whole screen while an exchange runs. Counted: it
// shows from the first wait that switches it on until the last of them has
// switched it off, so one window's exchange ending leaves another's
// hourglass up. An off without its on does nothing.
void hourglass(bool on);
// How many waits hold it now; back to that many (a handler that failed
// half-way never switches its own off).
int hourglassCount();
void restoreHourglass(int count);
// Once, after the application object is made: the hourglass also while the
// program waits for another program to let go of the database.
void showHourglassWhileDbWaits();

// A small round picture with a sign on it, for the lists' image lists.
QIcon drawnIcon(const QColor& fill, const QString& sign);

}  // namespace ui
