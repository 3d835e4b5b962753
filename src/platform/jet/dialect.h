#pragma once
#include <QString>

namespace jet {

// Rewrites one statement of the windows' dialect into SQLite's:
// "delete * from" loses its asterisk, #date# literals become quoted ISO text,
// double-quoted literals become single-quoted and "&" joins texts.
// Throws DbError on a date literal that is no date.
QString toSqlite(const QString& statement);

}  // namespace jet
