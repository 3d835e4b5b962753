#pragma once
#include <QStringList>

namespace jet {
class Database;
}

// The settings load of the main window: the settings rows and the collection
// schedule copied into the process-wide values.
namespace settingsload {

// The five rows of table system. Returns the names of the rows that are
// missing, hold nothing where a value is read, or hold a value its setting
// can't take (a port number the serial port refuses, a line settings text it
// can't use, a buffer size outside 1..32767, an issuer address outside
// 0..99); those values keep what they held (the defaults at start).
QStringList loadSystemRows(jet::Database& db);

enum class Schedule {
    Loaded,
    Missing,     // cjtype has no row
    Incomplete,  // its first row lacks the type or the time
};
// The collection schedule from the first row of table cjtype; unless
// Loaded, cjmode and cjtime keep what they held (manual at start).
Schedule loadSchedule(jet::Database& db);

}  // namespace settingsload
