#pragma once

class QWidget;

namespace ui {

// Esc closes the window as its own close does: through its close event, so
// with the same questions and the same refusal while an exchange runs. It
// does so wherever the focus is in the window, an entry box that refuses
// other keys included; an open list and a grid's cell editor, which take Esc
// themselves, still do.
void closeOnEscape(QWidget* window);

}  // namespace ui
