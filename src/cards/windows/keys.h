#pragma once
#include <QKeyEvent>

namespace cards {

// Keys that type a character, and Enter, Backspace and Escape: what an entry
// box's key filter looks at. Cursor and focus keys are left alone.
inline bool typesCharacter(const QKeyEvent* key)
{
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Backspace:
    case Qt::Key_Escape:
        return true;
    default:
        return !key->text().isEmpty() && key->text().at(0).isPrint();
    }
}

inline bool isEnter(const QKeyEvent* key) { return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter; }

inline bool typesDigit(const QKeyEvent* key)
{
    return key->text().size() == 1 && key->text().at(0) >= QLatin1Char('0') && key->text().at(0) <= QLatin1Char('9');
}

}  // namespace cards
