#include "compaction.h"

#include "database.h"
#include "programfolder.h"

#include <QFile>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace compaction {

namespace {

// The copy must be on disk before it replaces the live file, or a power
// cut right after the rename could leave neither.
bool flushToDisk(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void removeCopy(const QString& copy)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(copy + QLatin1String(suffix));
}

}  // namespace

QString compactLiveDatabase()
{
    const QString live = platform::programFile(QStringLiteral("kestrom.mdb"));
    const QString copy = platform::programFile(QStringLiteral("dbs.mdb"));

    removeCopy(copy);  // left by an earlier close that failed
    if (QFile::exists(copy))
        return QStringLiteral("無法刪除舊的 %1").arg(copy);
    try {
        jet::CompactDatabase(live, copy);
    } catch (const jet::DbError& e) {
        removeCopy(copy);
        return e.message();
    }
    if (!flushToDisk(copy)) {
        removeCopy(copy);
        return QStringLiteral("無法寫入 %1").arg(copy);
    }
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(copy).toStdString(), QFile::encodeName(live).toStdString(), error);
    if (error) {
        removeCopy(copy);
        return QString::fromStdString(error.message());
    }
    flushToDisk(platform::programFolder());  // the rename itself
    return QString();
}

}  // namespace compaction
