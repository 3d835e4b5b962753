#pragma once
#include <QString>
#include <functional>

namespace app {

// An operation the unattended collection must not start inside: a window
// with the shared handle closed (backup and restore), a transaction or a
// long write of its own (a print's staging, attendance, a purge), or the
// serial line in use (card runs, a manual collection, any exchange). The
// collection timer finding its minute held puts the run off until the last
// hold has ended; its outcome names the operation it waited for.
class CollectionHold {
public:
    // `what`: the operation, as the outcome names it (a menu entry's caption).
    explicit CollectionHold(const QString& what);
    ~CollectionHold();
    CollectionHold(const CollectionHold&) = delete;
    CollectionHold& operator=(const CollectionHold&) = delete;

    // The name of a hold that only lasts one exchange with a controller.
    static QString controllerExchange();

private:
    unsigned long long id;
};

bool collectionHeld();
// The operation holding it the longest; empty when none does.
QString collectionHolder();
// Called each time the last hold ends. It is called from inside the ending
// operation, so it should only post what it does to the event loop.
void setCollectionReleased(std::function<void()> released);

}  // namespace app
