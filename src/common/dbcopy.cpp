#include "dbcopy.h"

#include "database.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dbfile {

namespace {

QByteArray native(const QString& path) { return QFile::encodeName(path); }

QString lastError() { return QString::fromLocal8Bit(std::strerror(errno)); }

// A file, or a folder for the names in it, on disk before the next step
// relies on it: a power cut must not leave a rename without its file.
bool flushToDisk(const QString& path)
{
    const int fd = ::open(native(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

const char* const sideFiles[] = {"-journal", "-wal", "-shm"};

void removeWithSideFiles(const QString& path)
{
    QFile::remove(path);
    for (const char* suffix : sideFiles)
        QFile::remove(path + QLatin1String(suffix));
}

// An interrupted write of the old file is rolled back by opening it once,
// so that removing its side files loses nothing of it; what is left then
// belongs to no connection.
void settle(const QString& path)
{
    bool any = false;
    for (const char* suffix : sideFiles)
        any = any || QFile::exists(path + QLatin1String(suffix));
    if (!any)
        return;
    try {
        jet::Database d = jet::OpenDatabase(path);
        d.Close();
    } catch (const jet::DbError&) {
        // Not a database it could open: its side files are of no use either.
    }
    for (const char* suffix : sideFiles)
        QFile::remove(path + QLatin1String(suffix));
}

// Others who could write the old file can write the new one.
void keepModeAndGroup(const QString& from, const QString& to)
{
    struct stat st;
    if (::stat(native(from).constData(), &st) != 0)
        return;
    ::chmod(native(to).constData(), st.st_mode & 07777);
    if (::chown(native(to).constData(), static_cast<uid_t>(-1), st.st_gid) != 0) {
        // Only the file's owner's own groups can be given; the mode still holds.
    }
}

}  // namespace

QString compactOver(const QString& source, const QString& target)
{
    const QFileInfo info(target);
    QString copy;
    {
        // A name of its own beside the target; the compaction makes the file anew.
        QTemporaryFile reserve(info.absoluteFilePath() + QStringLiteral(".XXXXXX"));
        if (!reserve.open())
            return QStringLiteral("無法在 %1 寫入文件：%2").arg(info.absolutePath(), reserve.errorString());
        copy = reserve.fileName();
    }
    try {
        jet::CompactDatabase(source, copy);
    } catch (const jet::DbError& e) {
        removeWithSideFiles(copy);
        return e.message();
    }
    if (info.exists())
        keepModeAndGroup(target, copy);
    if (!flushToDisk(copy)) {
        const QString why = lastError();
        removeWithSideFiles(copy);
        return QStringLiteral("無法寫入 %1：%2").arg(copy, why);
    }
    settle(target);
    if (std::rename(native(copy).constData(), native(target).constData()) != 0) {
        const QString why = lastError();
        removeWithSideFiles(copy);
        return QStringLiteral("無法替換 %1：%2").arg(target, why);
    }
    flushToDisk(info.absolutePath());  // the rename itself
    return QString();
}

QString writeInto(const QString& source, const QString& target)
{
    try {
        jet::CopyInto(source, target);
    } catch (const jet::DbError& e) {
        return e.message();
    }
    return QString();
}

bool sameFile(const QString& a, const QString& b)
{
    struct stat sa, sb;
    return ::stat(native(a).constData(), &sa) == 0 && ::stat(native(b).constData(), &sb) == 0
           && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace dbfile
