#include "collectionhold.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace app {

namespace {

struct Holds {
    std::vector<std::pair<unsigned long long, QString>> active;  // oldest first
    unsigned long long next = 0;
    std::function<void()> released;
};

Holds& holds()
{
    static Holds h;
    return h;
}

}  // namespace

CollectionHold::CollectionHold(const QString& what) : id(++holds().next) { holds().active.emplace_back(id, what); }

CollectionHold::~CollectionHold()
{
    auto& active = holds().active;
    active.erase(std::remove_if(active.begin(), active.end(), [this](const auto& h) { return h.first == id; }),
                 active.end());
    if (active.empty() && holds().released)
        holds().released();
}

QString CollectionHold::controllerExchange() { return QStringLiteral("門禁控制器通信"); }

bool collectionHeld() { return !holds().active.empty(); }

QString collectionHolder() { return holds().active.empty() ? QString() : holds().active.front().second; }

void setCollectionReleased(std::function<void()> released) { holds().released = std::move(released); }

}  // namespace app
