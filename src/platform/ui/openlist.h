#pragma once
#include <QComboBox>
#include <QString>
#include <QStringList>
#include <functional>

namespace ui {

// A pick box (see named.h) over a growing table: the box holds no list of
// its own; each time the operator opens it, it lists what `items` gives for
// the text typed so far, so a table of any size is never read whole into a
// box. The typed text stays as it is.
using ListFor = std::function<QStringList(const QString& typed)>;
QComboBox* openListBox(QWidget* parent, const char* name, ListFor items);

}  // namespace ui
