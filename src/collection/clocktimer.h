#pragma once
#include "wait.h"

#include <QObject>
#include <QTimer>

// A timer whose interval passes on the wait clock of the exchanges
// (wait.h) rather than on the event loop's, so that a run with that clock
// made fast sees minutes go by in moments. Ticks keep their schedule from
// the start; the timer looks at the clock a few times a second, so a tick
// comes at most that late.
class ClockTimer : public QObject {
    Q_OBJECT
public:
    explicit ClockTimer(QObject* parent = nullptr);

    void setInterval(double seconds) { interval = seconds; }
    double Interval() const { return interval; }
    // Counts the interval from now.
    void start();
    void stop();
    bool isActive() const { return look.isActive(); }

signals:
    void timeout();

private:
    void check();

    double interval = 1;
    serial::Stopwatch since;
    double next = 0;  // seconds since the start of the next tick
    QTimer look;
};
