#pragma once
#include <QString>

// The compaction when the main window closes: kestrom.mdb of the program
// folder is compacted into dbs.mdb, which then replaces it in one rename.
// Every handle on the file must be closed first. Whatever step fails,
// kestrom.mdb stays complete and no dbs.mdb is left behind.
namespace compaction {

// Empty text when done; otherwise why it failed (kestrom.mdb is as it was).
QString compactLiveDatabase();

}  // namespace compaction
