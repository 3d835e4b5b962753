#pragma once
#include <QStringList>

class QWidget;

namespace testsupport {

// What keeps a shown window from being usable on an 800 x 600 screen: the
// window larger than that screen less a title bar, a control outside its
// parent, controls on top of each other, a label or button cut short, a
// combo box too narrow for its longest item. Empty when the window fits.
QStringList fitProblems(const QWidget* window);

}  // namespace testsupport
