#pragma once
#include <QString>
#include <functional>

namespace dbfile {

// Whether a file is a database holding every table, view and column of the
// installed schema (more is allowed). Empty text when it does; otherwise
// what is wrong with it, for the operator. The file is only read (a write of
// it that was stopped half-way is taken back first, where it may be written).
QString schemaMismatch(const QString& path);

// Makes the indexes of the installed schema that are gone from a database
// file, as the schema defines them: the windows seek on them. Empty text
// when every one is there; otherwise which could not be made, and why.
// `starting` is called once, before the first is made: on a grown table that
// takes a while.
QString makeMissingIndexes(const QString& path, const std::function<void()>& starting = {});

}  // namespace dbfile
