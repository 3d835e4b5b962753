#include "wait.h"

#include "serialport.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <thread>

namespace serial {

namespace {

class SteadyClock : public WaitClock {
public:
    std::chrono::nanoseconds now() const override {
        return std::chrono::steady_clock::now().time_since_epoch();
    }
    void sleep(std::chrono::nanoseconds d) const override { std::this_thread::sleep_for(d); }
};

class ScaledClock : public WaitClock {
public:
    explicit ScaledClock(double factor) : factor(factor) {}
    std::chrono::nanoseconds now() const override {
        const auto real = std::chrono::steady_clock::now() - origin;
        return std::chrono::nanoseconds(qint64(double(real.count()) * factor));
    }
    void sleep(std::chrono::nanoseconds d) const override {
        std::this_thread::sleep_for(std::chrono::nanoseconds(qint64(double(d.count()) / factor)));
    }

private:
    double factor;
    std::chrono::steady_clock::time_point origin = std::chrono::steady_clock::now();
};

std::shared_ptr<const WaitClock>& installed() {
    static std::shared_ptr<const WaitClock> clock = std::make_shared<SteadyClock>();
    return clock;
}

// How often a wait looks at the clock when no byte wakes it: arrivals
// wake it at once through the port's notifier.
constexpr int tickMs = 5;

}  // namespace

const WaitClock& waitClock() { return *installed(); }

void setWaitClock(std::shared_ptr<const WaitClock> clock) {
    installed() = clock ? std::move(clock) : std::make_shared<SteadyClock>();
}

std::shared_ptr<const WaitClock> scaledClock(double factor) { return std::make_shared<ScaledClock>(factor); }

Stopwatch::Stopwatch() : start(waitClock().now()) {}

void Stopwatch::restart() { start = waitClock().now(); }

double Stopwatch::seconds() const {
    return std::chrono::duration<double>(waitClock().now() - start).count();
}

bool Stopwatch::passed(double limit, Limit how) const {
    const double s = seconds();
    return how == Limit::AtLeast ? s >= limit : s > limit;
}

bool waitFor(SerialPort& port, const std::function<bool(int)>& done, double limit, Limit how,
             const Stopwatch& from) {
    QPointer<SerialPort> alive(&port);
    QTimer tick;
    tick.start(tickMs);
    for (;;) {
        if (!alive || !alive->PortOpen())
            return false;
        if (done(alive->InBufferCount()))
            return true;
        if (from.passed(limit, how)) {
            alive->markUnanswered();
            return false;
        }
        // Sleeps until a byte, the tick or another event arrives.
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

bool settle(SerialPort& port) {
    QPointer<SerialPort> alive(&port);
    QTimer tick;
    tick.start(tickMs);
    const Stopwatch since;
    const double longest = 3 * port.quietPeriod();
    while (alive && alive->isSettling() && !since.passed(longest, Limit::AtLeast)) {
        alive->setInBufferCount(0);
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    if (!alive || !alive->PortOpen())
        return false;
    alive->settled();
    return true;
}

bool waitForBytes(SerialPort& port, int n, double limit, Limit how, const Stopwatch& from) {
    QPointer<SerialPort> alive(&port);
    if (n > 1)
        port.wakeAt(n);
    const bool arrived = waitFor(port, [n](int count) { return count >= n; }, limit, how, from);
    if (n > 1 && alive)
        alive->wakeAt(0);
    return arrived;
}

// Well beyond the gaps between a reply's bytes, and beyond the wait's own
// tick, at which it may first see a byte that came.
double replyGap(const SerialPort& port) { return std::max(0.1, 4 * port.byteTime()); }

bool waitForWhole(SerialPort& port, int n, double limit, Limit how, const Stopwatch& from) {
    const double quiet = replyGap(port);
    int seen = -1;
    Stopwatch lastArrival;
    return waitFor(
        port,
        [&](int count) {
            if (count != seen) {
                seen = count;
                lastArrival.restart();
            }
            return count >= n && lastArrival.passed(quiet, Limit::AtLeast);
        },
        limit, how, from);
}

bool staysQuiet(SerialPort& port) {
    QPointer<SerialPort> alive(&port);
    QTimer tick;
    tick.start(tickMs);
    const Stopwatch since;
    const double gap = replyGap(port);
    while (alive && alive->PortOpen() && alive->InBufferCount() == 0) {
        if (since.passed(gap, Limit::AtLeast))
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return false;
}

void pause(double seconds) {
    waitClock().sleep(std::chrono::nanoseconds(qint64(seconds * 1e9)));
}

}  // namespace serial
