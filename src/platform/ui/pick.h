#pragma once
#include <QObject>
#include <functional>

class QComboBox;

namespace ui {

// Calls `picked` when the operator chooses an item from the box's open
// list, by mouse or by Enter on the highlighted item; never for typed text.
// QComboBox::activated alone won't do: Qt also emits it when typed text
// matches an item and the box loses focus, or for arrow keys with the list
// closed, which would throw the operator's typed edits away.
void onPick(QComboBox* box, QObject* context, std::function<void()> picked);

}  // namespace ui
