#pragma once
#include <QString>

namespace dbfile {

// The statements that lay out a new database file.
QString schemaScript();

// Makes a new database file from the schema script. Refuses to touch a file
// that exists already: returns false then, and throws on a failure to write.
bool createDatabaseFile(const QString& path);

}  // namespace dbfile
