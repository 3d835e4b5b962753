#pragma once
#include "swipestore.h"

#include <QString>
#include <map>
#include <vector>

// seda.dat in the program folder: the unattended collection's records on
// their way from a controller into table data, one line a record:
//
//     "012345    ",#2026-12-10#,#09:30:00#,"7     ",1
//
// card (ten characters), date, time, address (six characters), flag.
// Lines are on disk before any is imported, and a line stays there until
// its row is in the table, so a run cut short loses nothing it read.
namespace seda {

QString sedaFile();
// Beside it, the lines no import could read, set aside for a person to look at.
QString badFile();

QString line(const swipes::SwipeRow& row);
// Nothing for a line that is not in that form.
std::optional<swipes::SwipeRow> parseLine(const QString& line);

// Appends the rows and flushes them to the disk; false when that failed.
bool append(const std::vector<swipes::SwipeRow>& rows);

// The controller a line names (its address field), even when the rest of
// it can't be read; -1 for a line that names none (one torn before it).
int namedAddress(const QString& line);

struct ImportResult {
    int stored = 0;   // new rows
    int already = 0;  // stored before
    int failed = 0;   // lines kept: refused by the database
    int unreadable = 0;  // lines moved to the side file
    // The same lines by the controller each names (namedAddress).
    std::map<int, int> failedBy, unreadableBy;
    QString error;    // what went wrong first, when anything did
};
// Imports every line of the file, those an earlier run left included, into
// data; deletes the file when every line is in, otherwise keeps just the
// lines the database refused for the next run to try again. A line that
// can't be read is moved to the side file.
ImportResult importFile(jet::Database& db);

}  // namespace seda
