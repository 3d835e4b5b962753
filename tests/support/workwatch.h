#pragma once
#include <QString>
#include <QStringList>

namespace testsupport {

// Looks at the screen from inside the engine's work: every few steps of
// every statement on a handle opened while the watch lasts, as the operator
// would see it then (the event loop is held by the work).
class WorkWatch {
public:
    WorkWatch();
    ~WorkWatch();
    WorkWatch(const WorkWatch&) = delete;
    WorkWatch& operator=(const WorkWatch&) = delete;

    // The lines of the work notices seen drawn with the hourglass on, once
    // each in the order first seen; "(no hourglass)" after a line seen
    // without it.
    QStringList seen;
    int looks = 0;  // how often the engine looked

    void look();
};

// The line of the work notice on the screen, or an empty text.
QString workNoticeShown();

}  // namespace testsupport
