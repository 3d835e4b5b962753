#pragma once
#include <QString>

// The compaction when the main window closes: kestrom.mdb of the program
// folder is compacted into dbs.mdb, which then replaces it in one rename.
// Every handle of this process on the file must be closed first; while any
// other connection has it open, nothing is done. The new file keeps the
// mode and group of the one it replaces. Whatever step fails, kestrom.mdb
// stays complete and no dbs.mdb is left behind.
namespace compaction {

// Empty text when done; otherwise why it failed (kestrom.mdb is as it was).
QString compactLiveDatabase();

}  // namespace compaction
