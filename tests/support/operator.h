#pragma once
#include <QString>

class QComboBox;
class QWidget;

// What an operator does with the mouse and the keyboard, through the event
// loop, so that a window sees the signals the operator causes.
namespace testsupport {

// Opens the box's list and chooses the item with this text: a click on it,
// or in a list shown like a menu the arrow keys and Enter.
void pickFromList(QComboBox* box, const QString& text);

// Clicks into the box, selects what it holds and types the text over it.
void typeOver(QWidget* box, const QString& text);

// Types the text into the focused control key by key as a keyboard sends
// it: a character typed with Shift (':', a capital) comes between a press
// and a release of the Shift key.
void typeAsKeyboard(const QString& text);

// Clicks the control (a button, a check box) in its middle.
void click(QWidget* control);

}  // namespace testsupport
