#pragma once
#include "windowkit.h"

#include <QKeyEvent>

namespace cards {

// Keys that type a character, and Enter, Backspace and Escape: what an entry
// box's key filter looks at. Cursor and focus keys are left alone.
inline bool typesCharacter(const QKeyEvent* key)
{
    return controller::isEnter(key) || controller::isBackspace(key) || key->key() == Qt::Key_Escape
           || !controller::typed(key).isNull();
}

inline bool typesDigit(const QKeyEvent* key)
{
    const QChar c = controller::typed(key);
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

}  // namespace cards
