#include "monitorkit.h"

#include "app.h"
#include "dbfailure.h"

std::optional<cardstore::SwipeHolder> swipeHolder(const QString& physical) {
    try {
        return cardstore::holderByPhysical(app::db, physical);
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
        return std::nullopt;
    }
}

void emptyBuffers(serial::SerialPort& port) {
    port.setInBufferCount(0);
    port.setOutBufferCount(0);
}
