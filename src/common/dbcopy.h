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

// Whether two paths lead to one file, through links or another spelling.
bool sameFile(const QString& a, const QString& b);

}  // namespace dbfile
