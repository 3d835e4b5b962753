#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace linefile {

// Appends the lines to the file, each followed by `end`, and flushes them to
// the disk; false when that failed. An append cut short (a power cut, a full
// disk) leaves a last line without its end: the next append then starts on
// a line of its own rather than glue its first line onto that one.
bool append(const QString& path, const QStringList& lines, const QByteArray& end);

}  // namespace linefile
