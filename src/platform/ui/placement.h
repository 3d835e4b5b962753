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
// and kept, frame and all, inside the screen's free area below the main
// window's menu bar, made smaller where it is larger than that and may be.
// A window manager frames a window only once it is up: until then the
// window is placed for the frame it framed other windows with, and placed
// anew if its own frame turns out otherwise. The first placement given to a
// window holds, and a window that moved itself before it was shown stays
// where it put itself.
void placeWhenShown(QWidget* window, PlaceOn on = PlaceOn::MainWindow);

// Sizes and places a window when it is first shown so that, frame and all,
// it fills the screen's free area below the main window's menu bar (the
// whole free area while no main window is up), from the top of that area.
// Before any frame is known, it leaves what a window manager's frame
// usually takes, and fills the room exactly once its frame is known.
void fillWhenShown(QWidget* window);

// The room a window of its own placing may take, frame and all: the free
// area of the screen it stands on, below the main window's menu bar.
QRect freeRoom(const QWidget* window);

// What of that room is left to the window inside its frame (the frame it
// will have, while it has none yet).
QSize innerRoom(const QWidget* window);

// A hidden control keeps its room in the window's layout, so that showing
// it (a progress bar, a test panel) neither grows the window nor moves the
// controls the operator is about to click.
void keepRoomWhenHidden(QWidget* control);

}  // namespace ui
