#include "recordreader.h"

#include "frames.h"

namespace swipes {

namespace {

// Every value one a controller's clock can give: a day of the calendar, a
// time of day.
bool inRange(const frames::StoredRecord& r) {
    return QDate::isValid(fullYear(r.year), r.month, r.day) && r.hour >= 0 && r.hour <= 23 && r.minute >= 0 &&
           r.minute <= 59;
}

}  // namespace

RecordReader::RecordReader(int address, OutOfRange rule) : address(address), rule(rule) {}

void RecordReader::take(const QByteArray& bytes) {
    const auto record = frames::decodeStoredRecord(bytes);
    const auto row = record ? toRow(*record, bytes, address, rule) : std::nullopt;
    if (!row) {
        ++unreadableCount;
        drop();
        inStep = false;
        return;
    }
    if (!inRange(*record)) {
        waiting.push_back(*row);
        // Only a stream in step may mend it; a suspect one can't vouch for it.
        if (!inStep)
            drop();
        return;
    }
    waiting.push_back(*row);
    if (inStep || waiting.size() >= inStepRun) {
        inStep = true;
        accept();
    }
}

void RecordReader::finish(bool endsInStep) {
    if (endsInStep)
        accept();
    else
        drop();
}

void RecordReader::accept() {
    accepted.insert(accepted.end(), waiting.begin(), waiting.end());
    waiting.clear();
}

void RecordReader::drop() {
    unreadableCount += int(waiting.size());
    waiting.clear();
}

}  // namespace swipes
