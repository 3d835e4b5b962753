#pragma once
#include <QString>

namespace dbfile {

// Whether a file is a database holding every table, view and column of the
// installed schema (more is allowed). Empty text when it does; otherwise
// what is wrong with it, for the operator. The file is only read.
QString schemaMismatch(const QString& path);

}  // namespace dbfile
