#pragma once

class QWidget;

// Where windows and their controls stand.
namespace ui {

enum class PlaceOn {
    MainWindow,  // the working area of the main window, below its menu bar
    Screen,
};

// Places a window when it is first shown, once its size is known: centred
// on the main window's working area (the screen when no main window is up)
// and kept inside the screen's free area. The first placement given to a
// window holds, and a window that moved itself before it was shown stays
// where it put itself.
void placeWhenShown(QWidget* window, PlaceOn on = PlaceOn::MainWindow);

// A hidden control keeps its room in the window's layout, so that showing
// it (a progress bar, a test panel) neither grows the window nor moves the
// controls the operator is about to click.
void keepRoomWhenHidden(QWidget* control);

}  // namespace ui
