#include "clocktimer.h"

ClockTimer::ClockTimer(QObject* parent) : QObject(parent) {
    look.setInterval(200);
    connect(&look, &QTimer::timeout, this, &ClockTimer::check);
}

void ClockTimer::start() {
    since.restart();
    next = interval;
    look.start();
}

void ClockTimer::stop() { look.stop(); }

void ClockTimer::check() {
    if (!since.passed(next, serial::Limit::AtLeast))
        return;
    next += interval;
    emit timeout();
}
