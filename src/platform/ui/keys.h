#pragma once
#include <QChar>
#include <QObject>
#include <functional>

class QKeyEvent;
class QWidget;

// What the windows' entry boxes make of the keys an operator types.
namespace ui {

// Swallows the key presses the predicate refuses (returns false for).
class KeyFilter : public QObject {
public:
    using Accept = std::function<bool(QKeyEvent*)>;
    KeyFilter(QWidget* box, Accept accept);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Accept accept;
};

// Enter in the box moves the focus on as Tab does; the box does nothing else
// with it. An editable combo box has it in its text part as well, for the
// keys sent there.
void enterMovesOn(QWidget* box);

bool isEnter(const QKeyEvent* key);
bool isBackspace(const QKeyEvent* key);
// The printable character the key types; a null character for keys that
// type none and for Tab, Enter, Backspace and the other control keys.
QChar typed(const QKeyEvent* key);

// Keys that type a character, and Enter, Backspace and Escape: what an entry
// box's key filter looks at. Cursor and focus keys are left alone.
bool typesCharacter(const QKeyEvent* key);
bool typesDigit(const QKeyEvent* key);
// A modifier or lock key pressed or released on its own (Shift, Ctrl, Alt,
// AltGr, Meta, Caps Lock...): on its way to a character or a shortcut, it
// means nothing yet.
bool isModifierOnly(const QKeyEvent* key);

}  // namespace ui
