#include "linefile.h"

#include <QFile>
#include <unistd.h>

namespace linefile {

namespace {

bool endsWithLineEnd(QFile& file) {
    char last = '\n';
    return file.size() == 0 || (file.seek(file.size() - 1) && file.getChar(&last) && last == '\n');
}

}  // namespace

bool append(const QString& path, const QStringList& lines, const QByteArray& end) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append))
        return false;
    QByteArray bytes;
    if (!endsWithLineEnd(file))
        bytes += end;
    for (const QString& l : lines)
        bytes += l.toUtf8() + end;
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    return written && ::fsync(file.handle()) == 0;
}

}  // namespace linefile
