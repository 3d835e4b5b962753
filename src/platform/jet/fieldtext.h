#pragma once
#include <QString>
#include <QVariant>

namespace jet {

// A field value as grids and reports show it: Null as nothing, dates as
// yyyy-MM-dd, times of day as HH:mm:ss, yes/no as True/False.
QString fieldText(const QVariant& value);

}  // namespace jet
