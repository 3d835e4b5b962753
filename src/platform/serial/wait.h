#pragma once
#include <chrono>
#include <functional>
#include <memory>

namespace serial {

class SerialPort;

// The clock every wait of an exchange reads: monotonic, so a wait across
// midnight or a clock change lasts as long as any other. Tests install a
// faster one so that multi-second limits pass in a fraction of the time.
class WaitClock {
public:
    virtual ~WaitClock() = default;
    virtual std::chrono::nanoseconds now() const = 0;
    // Sleeps the thread for this much of the clock's time.
    virtual void sleep(std::chrono::nanoseconds d) const = 0;
};
const WaitClock& waitClock();
// Installs a clock (nullptr: the system's monotonic clock again).
void setWaitClock(std::shared_ptr<const WaitClock> clock);

// The system's monotonic clock running `factor` times as fast.
std::shared_ptr<const WaitClock> scaledClock(double factor);

// The two comparisons the exchanges use against a limit.
enum class Limit {
    AtLeast,   // ends when T seconds or more have passed
    MoreThan,  // ends only when more than T seconds have passed
};

// Time since a start point on the wait clock.
class Stopwatch {
public:
    Stopwatch();
    void restart();
    double seconds() const;
    bool passed(double limit, Limit how) const;

private:
    std::chrono::nanoseconds start;
};

// Polls the port's waiting count until `done(count)` holds or the limit
// has passed since `from`, letting the window's events run between polls
// without spinning. False on timeout, or when the port was closed or
// destroyed meanwhile (its window closed during the wait, or the device
// hung up). A timeout leaves the line settling (SerialPort::markUnanswered).
bool waitFor(SerialPort& port, const std::function<bool(int)>& done, double limit, Limit how,
             const Stopwatch& from);
// At least n bytes waiting.
bool waitForBytes(SerialPort& port, int n, double limit, Limit how, const Stopwatch& from);
// At least n bytes waiting and the line quiet since the last of them for a
// few bytes' time at its speed: a reply whose length tells whether it is
// well formed has all come. At the line's speed its first n bytes are
// there well before its last.
bool waitForWhole(SerialPort& port, int n, double limit, Limit how, const Stopwatch& from);
// Nothing waits and nothing comes for that same few bytes' time: a reply
// that ended there had nothing after it. Not a timeout: the line is left
// as it is.
bool staysQuiet(SerialPort& port);

// Before a frame goes out: on a line whose last exchange timed out, drops
// what arrives until the line has been quiet for the port's quiet period
// (a line that never falls quiet is given three of them), letting events
// run. False when the port was closed or destroyed meanwhile.
bool settle(SerialPort& port);

// A fixed pause that runs no events.
void pause(double seconds);

}  // namespace serial
