#pragma once
#include <QObject>
#include <QPointer>

// A monitor's busy flag for the run of one of its handlers: 1 from here,
// back to 0 on every way out, unless the window went meanwhile. Its poll
// skips while the flag is set, so one exchange at most is under way.
class BusyRun {
public:
    BusyRun(QObject* window, short& flag) : window(window), flag(flag) { flag = 1; }
    ~BusyRun() {
        if (window)
            flag = 0;
    }
    BusyRun(const BusyRun&) = delete;
    BusyRun& operator=(const BusyRun&) = delete;
    bool windowGone() const { return !window; }

private:
    QPointer<QObject> window;
    short& flag;
};
