#pragma once
#include <QString>

namespace collection {

// collection.log in the program folder: one dated line per unattended run,
// appended and never rewritten, so a run nobody watched can be looked up.
QString runLogFile();
// False when the line could not be written.
bool logRun(const QString& line);

}  // namespace collection
