#pragma once
#include "collectionhold.h"
#include "issuedcards.h"
#include "serialport.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

// What the two live monitors share.

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
    // The unattended collection borrows the line between exchanges, not in one.
    app::CollectionHold line{app::CollectionHold::controllerExchange()};
};

// The holder of a live swipe, found by its physical number in the shared
// database. A statement the database refuses is shown to the operator and
// finds nobody, so no earlier holder stays shown beside this swipe.
std::optional<cardstore::SwipeHolder> swipeHolder(const QString& physical);

// Discards what waits in both directions.
void emptyBuffers(serial::SerialPort& port);
