#include "dbfile.h"

#include "database.h"

#include <QFile>

namespace dbfile {

namespace {
const char* const script =
#include "schema_sql.inc"
    ;
}

QString schemaScript() { return QString::fromUtf8(script); }

bool createDatabaseFile(const QString& path)
{
    if (QFile::exists(path))
        return false;
    const QString partial = path + QStringLiteral(".new");
    QFile::remove(partial);
    try {
        jet::ExecuteScript(partial, schemaScript());
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
    // Appears under its name only once complete.
    if (!QFile::rename(partial, path)) {
        QFile::remove(partial);
        throw jet::DbError(QStringLiteral("Could not write '%1'.").arg(path));
    }
    return true;
}

}  // namespace dbfile
