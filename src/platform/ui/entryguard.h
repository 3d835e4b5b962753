#pragma once

// What no entry box takes: a NUL, which no value can hold (it would end the
// statement the value is written into). Typed or pasted into any line edit
// or editable combo box of the program by any kind of paste or by a drop,
// it is dropped and the rest kept.
namespace ui {

// Once, after the application object is made.
void dropNulInEntryBoxes();

}  // namespace ui
