#pragma once
#include "simulator.h"

#include <QDate>
#include <vector>

namespace ctlsim {

// A controller's record memory as a busy door fills it: `count` swipes of
// cards 000001 to 000300 over the 30 days up to `lastDay`, in time order,
// between 07:00 and 20:59, on both locks in and out. The same address gives
// the same records every time.
std::vector<Record> sampleRecords(int address, int count, const QDate& lastDay = QDate::currentDate());

}  // namespace ctlsim
