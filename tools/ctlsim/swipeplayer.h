#pragma once
#include "simulator.h"

#include <QString>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace ctlsim {

// A swipe at a controller: the card's physical number and the direction
// code (1 lock-1 in, 2 lock-1 out, 3 lock-2 in, 4 lock-2 out).
struct PlannedSwipe {
    int address = 0;
    QString physical;  // ten digits
    int flag = 1;
};
// "5:0001234567:1": address 0..99, up to ten digits (padded), direction 1..4.
std::optional<PlannedSwipe> parseSwipe(const QString& text);

// Plays live swipes on the simulated line, as people holding their cards to
// the readers: each swipe goes into its controller's queue of swipes not yet
// acknowledged and opens the lock it passes for that lock's open delay, after
// which the lock closes again. The swipes given are played in turn, round
// and round; with none given, the cards the controllers hold (those
// downloaded through the card window) are, one after another, going in
// through lock 1 on one round and out on the next.
class SwipePlayer {
public:
    SwipePlayer(Simulator& sim, std::vector<int> addresses, std::vector<PlannedSwipe> planned);
    ~SwipePlayer();
    SwipePlayer(const SwipePlayer&) = delete;
    SwipePlayer& operator=(const SwipePlayer&) = delete;

    // Plays one swipe now and one at each interval after, in a thread of its
    // own, until the player goes.
    void start(std::chrono::milliseconds every);
    // Plays the next swipe; nothing when there is no card to swipe.
    std::optional<PlannedSwipe> playNext();

    // A controller keeps at most this many swipes no monitor has taken.
    static constexpr std::size_t queueLimit = 100;

private:
    std::optional<PlannedSwipe> next();

    Simulator& sim;
    std::vector<int> addresses;
    std::vector<PlannedSwipe> planned;
    std::size_t played = 0;
    std::thread worker;
    std::mutex lock;
    std::condition_variable wake;
    bool stopping = false;
};

}  // namespace ctlsim
