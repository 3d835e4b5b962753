#include "dbcopy.h"

#include "database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
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

// What an earlier copy into the target, stopped before its rename, left:
// the half-made file and its engine's journal.
const QString partial = QStringLiteral(".partial-");

// The longest name, in bytes, a file of that folder may have.
qsizetype nameMax(const QString& folder)
{
    const long max = ::pathconf(native(folder).constData(), _PC_NAME_MAX);
    return max > 0 ? max : 255;
}

// The start of the names of the target's half-made copies: its own name,
// cut short where that, the copy's mark and its journal's would not fit in
// a name.
QString partialMark(const QFileInfo& target)
{
    const qsizetype room = nameMax(target.absolutePath()) - native(partial).size() - 6 - qsizetype(std::strlen("-journal"));
    QString name = target.fileName();
    while (!name.isEmpty() && native(name).size() > room)
        name.chop(1);
    return name + partial;
}

void removeLeftovers(const QFileInfo& target)
{
    const QDir folder = target.absoluteDir();
    const QString mark = partialMark(target);
    static const QRegularExpression own(QStringLiteral("^[A-Za-z0-9]{6}(-journal|-wal|-shm)?$"));
    for (const QString& name : folder.entryList({mark + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System))
        if (own.match(name.mid(mark.size())).hasMatch())
            QFile::remove(folder.filePath(name));
}

}  // namespace

QString compactOver(const QString& source, const QString& target)
{
    const QFileInfo info(target);
    if (const qsizetype max = nameMax(info.absolutePath()); native(info.fileName()).size() > max)
        return QStringLiteral("無法寫入 %1：文件名太長，最多 %2 個字節。").arg(target).arg(max);
    removeLeftovers(info);
    QString copy;
    {
        // A name of its own beside the target; the compaction makes the file anew.
        QTemporaryFile reserve(info.absoluteDir().filePath(partialMark(info) + QStringLiteral("XXXXXX")));
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
