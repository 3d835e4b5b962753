#pragma once
#include "exchanges.h"

#include <QColor>
#include <QIcon>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QKeyEvent;
class QWidget;

// What the controller windows share: the exchanges' messages and pointer,
// key filters, the pictures of their lists and the reading of typed numbers.
namespace controller {

// Messages through the program's message boxes; the hourglass over the
// whole screen while an exchange runs.
WindowHooks windowHooks();
void hourglass(bool on);

// Swallows the key presses the predicate refuses (returns false for).
class KeyFilter : public QObject {
public:
    using Accept = std::function<bool(QKeyEvent*)>;
    KeyFilter(QWidget* box, Accept accept);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Accept accept;
};
bool isEnter(const QKeyEvent* key);
bool isBackspace(const QKeyEvent* key);
// The printable character the key types; a null character for keys that
// type none and for Tab, Enter, Backspace and the other control keys.
QChar typed(const QKeyEvent* key);

// A small round picture with a sign on it, for the lists' image lists.
QIcon drawnIcon(const QColor& fill, const QString& sign);

// The leading number of a text, as the operator's boxes are read: digits
// with at most one decimal point; 0 when the text starts otherwise.
double leadingNumber(const QString& text);
// A delay typed in a box: a plain decimal number and nothing else.
std::optional<double> delayNumber(const QString& text);
// A whole number of decimal digits and nothing else.
std::optional<qint64> wholeNumber(const QString& text);

// Shown when a delay is longer than the controller's byte holds.
QString delayTooLong();

}  // namespace controller
