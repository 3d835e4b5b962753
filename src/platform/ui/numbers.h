#pragma once
#include <QString>
#include <optional>

// How the windows read the numbers an operator types.
namespace ui {

// The leading number of a text, as the operator's boxes are read: digits
// with at most one decimal point; 0 when the text starts otherwise.
double leadingNumber(const QString& text);
// A delay typed in a box: a plain decimal number and nothing else.
std::optional<double> delayNumber(const QString& text);
// A whole number of decimal digits and nothing else.
std::optional<qint64> wholeNumber(const QString& text);
// A decimal number, signed or not, with or without a fraction, rounded to
// the nearest whole number and a half to the even one; nothing for any
// other text, or for more than 18 digits before the point.
std::optional<qint64> roundedNumber(const QString& text);

}  // namespace ui
