#pragma once
#include "swipestore.h"

#include <QByteArray>
#include <vector>

namespace swipes {

// A controller's stored records as they come off the line, one read of
// eleven bytes after another, for both collectors. A record kept a byte
// too long or too short puts every later read out of step, and such reads
// can look like records: the right address byte (the record before's
// unused 0x00 at address 0), packed decimal throughout, a minute landing
// on the flag. Rows are given only for what the stream shows to be in
// step; everything else counts as unreadable.
//
// In step, a record whose every value a controller's clock can hold is a
// row at once; one with a value out of range (month 13) waits for the next
// good record, or a clean end, to show it was read in step, and is then
// mended by the collector's rule. Once a record can't be read at all, the
// stream is suspect until several good records in a row show it back in
// step.
class RecordReader {
public:
    RecordReader(int address, OutOfRange rule);

    // The next record's eleven bytes, its address byte first.
    void take(const QByteArray& bytes);
    // Reading has ended. `endsInStep`: the last record ended where the
    // stream did (nothing came after it), which shows the records still
    // waiting in step; otherwise they are unreadable.
    void finish(bool endsInStep);

    // Records wait for the end to tell whether they were read in step.
    bool undecided() const { return !waiting.empty(); }

    const std::vector<SwipeRow>& rows() const { return accepted; }
    int unreadable() const { return unreadableCount; }

    // Good records in a row that show a suspect stream back in step.
    static constexpr std::size_t inStepRun = 3;

private:
    void accept();
    void drop();

    int address;
    OutOfRange rule;
    bool inStep = true;
    std::vector<SwipeRow> waiting;  // read, not yet shown in step
    std::vector<SwipeRow> accepted;
    int unreadableCount = 0;
};

}  // namespace swipes
