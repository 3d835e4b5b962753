#include "compaction.h"

#include "database.h"
#include "programfolder.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
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

// The new file takes the place of the live one for every account that used
// it: its mode, and its group where this account may give it (as member of
// that group, or as owner of both).
bool takeOverAccess(const QString& live, const QString& copy)
{
    struct stat was {};
    if (::stat(QFile::encodeName(live).constData(), &was) != 0)
        return false;
    const QByteArray path = QFile::encodeName(copy);
    if (::chown(path.constData(), uid_t(-1), was.st_gid) != 0 && errno != EPERM)
        return false;
    return ::chmod(path.constData(), was.st_mode & 07777) == 0;
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
    QString failure;
    try {
        // Refused while another connection (another copy of the program, a
        // tool) has the file open: the rename would leave it writing to a
        // file that is gone. The copy replaces the live file before any
        // connection can open it again.
        jet::CompactDatabase(live, copy, [&] {
            if (!takeOverAccess(live, copy)) {
                failure = QStringLiteral("無法設置 %1 的權限").arg(copy);
                return;
            }
            if (!flushToDisk(copy)) {
                failure = QStringLiteral("無法寫入 %1").arg(copy);
                return;
            }
            std::error_code error;
            std::filesystem::rename(QFile::encodeName(copy).toStdString(), QFile::encodeName(live).toStdString(), error);
            if (error)
                failure = QString::fromStdString(error.message());
        });
    } catch (const jet::DbError& e) {
        failure = e.message();
    }
    if (!failure.isEmpty()) {
        removeCopy(copy);
        return failure;
    }
    flushToDisk(platform::programFolder());  // the rename itself
    return QString();
}

}  // namespace compaction
