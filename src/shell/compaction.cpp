#include "compaction.h"

#include "database.h"
#include "programfolder.h"
#include "working.h"

#include <QFile>

namespace compaction {

namespace {

// The compaction rewrites the whole file, and writes a journal as large as
// the file beside it: seconds to minutes of the operator's wait on a grown
// file. Worth it only once a twentieth of the file lies free; less than
// that gives back little, and the next collections fill those pages anyway.
bool worthCompacting(const jet::PageUse& use) { return use.free * 20 > use.pages; }

}  // namespace

QString compactLiveDatabase()
{
    // No longer made: one left by an earlier close is of no use.
    const QString copy = platform::programFile(QStringLiteral("dbs.mdb"));
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(copy + QLatin1String(suffix));
    if (QFile::exists(copy))
        return QStringLiteral("無法刪除舊的 %1").arg(copy);
    const QString live = platform::programFile(QStringLiteral("kestrom.mdb"));
    try {
        if (!worthCompacting(jet::PagesOf(live)))
            return QString();
        const ui::Working notice(QStringLiteral("正在壓縮數據庫，請稍候…"));
        jet::CompactInPlace(live);
    } catch (const jet::DbError& e) {
        return e.message();
    }
    return QString();
}

}  // namespace compaction
