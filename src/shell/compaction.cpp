#include "compaction.h"

#include "database.h"
#include "programfolder.h"

#include <QFile>

namespace compaction {

QString compactLiveDatabase()
{
    // No longer made: one left by an earlier close is of no use.
    const QString copy = platform::programFile(QStringLiteral("dbs.mdb"));
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(copy + QLatin1String(suffix));
    if (QFile::exists(copy))
        return QStringLiteral("無法刪除舊的 %1").arg(copy);
    try {
        jet::CompactInPlace(platform::programFile(QStringLiteral("kestrom.mdb")));
    } catch (const jet::DbError& e) {
        return e.message();
    }
    return QString();
}

}  // namespace compaction
