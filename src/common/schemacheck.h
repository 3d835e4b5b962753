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

// What would stop a start on a database file: a table or column of the
// installed schema missing, a damaged page, or an index the log-in would
// have to make again that its rows don't allow (two rows under one unique
// key). Empty text when a start would take it. The file is only read.
QString unfitForStart(const QString& path);

}  // namespace dbfile
