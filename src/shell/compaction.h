#pragma once
#include <QString>

// The compaction when the main window closes: kestrom.mdb of the program
// folder is compacted where it lies (through a link, the file it names), so
// it keeps its links, mode and group, and another program that has it open
// goes on with it, and only when a share of the file lies free (a file with
// little to give back is left as it is). Every handle of this process on the
// file must be closed first. While another copy of the program has the file open, or another
// program is in the middle of a transaction on it, nothing is done. A dbs.mdb
// left by an earlier close is deleted.
namespace compaction {

// Empty text when done; otherwise why it failed (kestrom.mdb is as it was).
QString compactLiveDatabase();

}  // namespace compaction
