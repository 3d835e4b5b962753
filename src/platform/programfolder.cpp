#include "programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {
QString& folderOverride()
{
    static QString folder;
    return folder;
}
}  // namespace

QString programFolder()
{
    if (!folderOverride().isEmpty())
        return folderOverride();
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

void setProgramFolder(const QString& folder) { folderOverride() = QDir::cleanPath(folder); }

QString programFile(const QString& name) { return QDir(programFolder()).filePath(name); }

bool claimProgramFolder()
{
    // The folder itself is locked, so no file is added beside the database;
    // the descriptor stays open (and the lock held) for the whole run.
    static int held = -1;
    if (held >= 0)
        return true;
    const int fd = ::open(QFile::encodeName(programFolder()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    held = fd;
    return true;
}

}  // namespace platform
