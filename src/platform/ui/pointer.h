#pragma once
#include <QColor>
#include <QIcon>
#include <QString>

namespace ui {

// The hourglass over the whole screen while an exchange runs.
void hourglass(bool on);

// A small round picture with a sign on it, for the lists' image lists.
QIcon drawnIcon(const QColor& fill, const QString& sign);

}  // namespace ui
