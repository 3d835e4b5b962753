#include "app.h"

#include "programfolder.h"

namespace app {

QString databaseFile() { return platform::programFile(QStringLiteral("kestrom.mdb")); }

QString connectString(const QString& password)
{
    return QStringLiteral(";database=") + platform::programFolder() + QStringLiteral("\\kestrom.mdb;pwd=") + password;
}

}  // namespace app
