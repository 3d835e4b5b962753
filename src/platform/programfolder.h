#pragma once
#include <QString>

namespace platform {

// The folder of the executable, where the database, templates, help and
// the serial-port links lie. Tests point it at a folder of their own.
QString programFolder();
void setProgramFolder(const QString& folder);
// A file of the program folder by its name.
QString programFile(const QString& name);

// One running copy of the program per program folder: takes a lock on the
// folder that lasts until the process ends. False when another process
// holds it (or the folder can't be opened).
bool claimProgramFolder();

}  // namespace platform
