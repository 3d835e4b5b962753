#pragma once
#include <QString>
#include <chrono>

// A database file at the sizes real sites reach, for benchmarks.
//
// The file has the installed schema (every table, index and stored query of
// a new database, with its settings rows and default operator) and holds:
//
// - data: 'swipes' rows, as the collectors store them: cards '000001' to
//   '001000', controller addresses 0 to 99, the days 2025-01-01 to
//   2025-12-31 (日期 'yyyy-MM-dd'), times of day to the minute (時間
//   'HH:mm:00'), flag 1 to 4 with flagIO "鎖一進", "鎖一出", "鎖二進",
//   "鎖二出" to match. Rows go in day by day and, within a day, controller
//   by controller in time order, as a daily collection reads them; the same
//   seed gives the same rows every time.
// - people: 'people' rows, cards '000001' upwards (so every swipe's card has
//   its holder), every personal and family column filled, no photo; 部門 one
//   of the 20 buildings "A座" to "T座".
// - department: those 20 buildings.
// Every other table is as a new file has it (faka, datakq... empty).
namespace benchdata {

inline constexpr qint64 fullSwipes = 10'000'000;
inline constexpr int fullPeople = 200'000;

// The path of such a file, made on first use under the build's bench folder
// (build/bench/scale-<swipes>-<people>.mdb; a minute or two at full size)
// and reused by every later call and run. A benchmark that writes to it
// takes its rows back out, so the file stays as described.
QString scaleDatabase(qint64 swipes = fullSwipes, int people = fullPeople);

// Takes every --name=N (name given with its "--" and "=") off the command
// line, before the benchmark library reads it; the last one's N goes into
// value.
void takeSizeOption(int& argc, char** argv, const char* name, qint64& value);

// A program folder of its own whose kestrom.mdb is that file (a link to it),
// made the program's folder, with app::db opened on it; returns the folder,
// which stays until the benchmark program ends.
QString openScaleSite(qint64 swipes = fullSwipes, int people = fullPeople);

double millisecondsSince(std::chrono::steady_clock::time_point start);

}  // namespace benchdata
