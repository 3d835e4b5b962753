#include "swipeplayer.h"

#include <QDateTime>
#include <QStringList>
#include <algorithm>

namespace ctlsim {

std::optional<PlannedSwipe> parseSwipe(const QString& text) {
    const QStringList parts = text.trimmed().split(QLatin1Char(':'));
    if (parts.size() != 3)
        return std::nullopt;
    bool addressOk = false, flagOk = false;
    PlannedSwipe s;
    s.address = parts[0].trimmed().toInt(&addressOk);
    s.flag = parts[2].trimmed().toInt(&flagOk);
    const QString digits = parts[1].trimmed();
    const bool digitsOk = !digits.isEmpty() && digits.size() <= 10 &&
                          std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit() && c.unicode() < 128; });
    if (!addressOk || s.address < 0 || s.address > 99 || !flagOk || s.flag < 1 || s.flag > 4 || !digitsOk)
        return std::nullopt;
    s.physical = digits.rightJustified(10, QLatin1Char('0'));
    return s;
}

SwipePlayer::SwipePlayer(Simulator& sim, std::vector<int> addresses, std::vector<PlannedSwipe> planned)
    : sim(sim), addresses(std::move(addresses)), planned(std::move(planned)) {}

SwipePlayer::~SwipePlayer() {
    {
        std::lock_guard guard(lock);
        stopping = true;
    }
    wake.notify_all();
    if (worker.joinable())
        worker.join();
}

void SwipePlayer::start(std::chrono::milliseconds every) {
    worker = std::thread([this, every] {
        std::unique_lock guard(lock);
        while (!stopping) {
            guard.unlock();
            playNext();
            guard.lock();
            wake.wait_for(guard, every, [this] { return stopping; });
        }
    });
}

std::optional<PlannedSwipe> SwipePlayer::next() {
    if (!planned.empty())
        return planned[played++ % planned.size()];
    // Every card every controller holds, in a fixed order.
    std::vector<PlannedSwipe> held;
    for (int address : addresses)
        for (const auto& [card, entry] : sim.controller(address).cards)
            held.push_back(PlannedSwipe{address, entry.physical, 1});
    if (held.empty())
        return std::nullopt;
    PlannedSwipe s = held[played % held.size()];
    s.flag = (played / held.size()) % 2 == 0 ? 1 : 2;
    ++played;
    return s;
}

std::optional<PlannedSwipe> SwipePlayer::playNext() {
    const std::optional<PlannedSwipe> s = next();
    if (!s || !sim.hasController(s->address))
        return std::nullopt;
    bool queued = false;
    sim.edit(s->address, [&](Controller& c) {
        if (c.swipes.size() >= queueLimit)
            return;
        c.swipes.push_back(Swipe{s->physical, s->flag});
        c.lockOpenedAt[s->flag <= 2 ? 0 : 1] = QDateTime::currentDateTime();
        queued = true;
    });
    return queued ? s : std::nullopt;
}

}  // namespace ctlsim
