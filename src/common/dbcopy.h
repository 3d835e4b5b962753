#pragma once
#include <QString>

namespace dbfile {

// Compacts a database file into `target` so that target is only ever as it
// was or the complete new copy, whenever the program stops: the copy is
// written beside target, flushed to disk, given target's mode and group and
// renamed over it in one step. No side file of the old target (-journal,
// -wal, -shm) is left to be taken for the new file's. Every handle on
// `source` and `target` must be closed. Empty text when done; otherwise why
// not, and target is as it was.
QString compactOver(const QString& source, const QString& target);

// Writes the whole of a database file into `target` where it lies (through
// a link, into the file it names), keeping its links, mode and group, and
// another program that only has it open goes on with the new content.
// Refused while another copy of this program has target open or another
// program is in the middle of a transaction on it. Stopped at any moment,
// target is as it was or the complete copy (the engine's journal beside it
// takes back a half-done write at the next open). Empty text when done;
// otherwise why not, and target is as it was.
QString writeInto(const QString& source, const QString& target);

// Whether two paths lead to one file, through links or another spelling.
bool sameFile(const QString& a, const QString& b);

}  // namespace dbfile
