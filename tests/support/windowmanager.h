#pragma once
#include <QRect>
#include <QString>

class QWidget;

// The tests of where windows stand, run once more on a real X server with
// a light window manager (Xvfb and openbox), where a window's frame is
// known only once the window manager has framed it.
namespace testsupport {

// Whether this test program runs as the child started below.
bool underWindowManager();

// Starts Xvfb (a screen the size of this one) and openbox on it, runs this
// test program there on the xcb platform with the gtest filter given, and
// expects every test of it to pass. Skips the test when Xvfb or openbox is
// missing, and does nothing inside that child.
void runUnderWindowManager(const QString& filter);

// The window's frame as the window system has it now (the widget's own
// record of it may lag behind).
QRect frameOf(const QWidget* window);

// Waits until the window manager has framed the window and the window has
// taken its place (at once where there is no window manager).
void waitUntilFramed(QWidget* window);

}  // namespace testsupport
