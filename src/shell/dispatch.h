#pragma once
#include <vector>

class QWidget;

// Which window each menu entry opens, and how. The program fills the table
// at start (src/app/menuwindows.cpp) from every subsystem's windows, so the
// menu itself depends on none of them; an entry without a row opens nothing.
namespace dispatch {

enum class Shown {
    Modal,     // the main window waits until it closes
    Modeless,  // one copy, brought forward when chosen again
};

// Makes the entry's window, loaded and ready to show; nullptr when its load
// decided not to open after all.
using Opener = QWidget* (*)();

struct Row {
    int id;  // entry ID of the menu
    Shown shown;
    Opener open;
};

// Replaces the whole table (the program at start, tests with windows of their own).
void setTable(std::vector<Row> rows);
const Row* find(int id);

// Shows a window modally and returns once it has closed; the window is
// deleted then. Windows open centred on the main window unless they placed
// themselves (ui::placeWhenShown), and Esc closes them as their close does
// (ui::closeOnEscape).
void showModal(QWidget* window);

// Shows a window beside the others, placed as a modal one is, and deletes
// it once it has closed (deleteWhenClosed).
void showModeless(QWidget* window);

// Deletes a modeless window once it has closed and no controller exchange
// runs (a window closed during one of its own waits outlives the handler
// that waits).
void deleteWhenClosed(QWidget* window);

}  // namespace dispatch
