#include "programfolder.h"

#include <QCoreApplication>
#include <QDir>

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

}  // namespace platform
