#include "runlog.h"

#include "linefile.h"
#include "programfolder.h"

namespace collection {

QString runLogFile() { return platform::programFile(QStringLiteral("collection.log")); }

bool logRun(const QString& line) { return linefile::append(runLogFile(), {line}, "\n"); }

}  // namespace collection
