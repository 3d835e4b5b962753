#pragma once
#include <QList>
#include <QRect>
#include <QStringList>
#include <initializer_list>

class QWidget;

namespace testsupport {

// What keeps a shown window from being usable on an 800 x 600 screen: the
// window larger than that screen less a title bar (unless its frame fills
// the screen, title bar and all), a control outside its
// parent, controls on top of each other, a label or button cut short, a
// combo box too narrow for its longest item. Empty when the window fits.
QStringList fitProblems(const QWidget* window);

// Where the window and its controls stand on the screen, and their sizes:
// what must not change while a window shows a panel, a progress bar or a
// result.
QList<QRect> placesOf(const QWidget* window, std::initializer_list<const QWidget*> controls);

}  // namespace testsupport
