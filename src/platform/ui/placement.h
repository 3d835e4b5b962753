#pragma once

#include <QRect>

class QWidget;

// Where windows and their controls stand.
namespace ui {

enum class PlaceOn {
    MainWindow,  // the working area of the main window, below its menu bar
    Screen,
};

// Places a window when it is first shown, once its size is known: centred
// on the main window's working area (the screen when no main window is up)
// and kept inside the screen's free area below the main window's menu bar,
// made smaller where it is larger than that and may be. The first placement given to a
// window holds, and a window that moved itself before it was shown stays
// where it put itself.
void placeWhenShown(QWidget* window, PlaceOn on = PlaceOn::MainWindow);

// Sizes and places a window when it is first shown so that, frame and all,
// it fills the screen's free area below the main window's menu bar (the
// whole free area while no main window is up), from the top of that area:
// less what a window manager's frame usually takes where the window's own
// frame is not known to be larger.
void fillWhenShown(QWidget* window);

// The room a window of its own placing may take: the free area of the
// screen it stands on, below the main window's menu bar.
QRect freeRoom(const QWidget* window);

// A hidden control keeps its room in the window's layout, so that showing
// it (a progress bar, a test panel) neither grows the window nor moves the
// controls the operator is about to click.
void keepRoomWhenHidden(QWidget* control);

}  // namespace ui
