#include "keys.h"

#include <QKeyEvent>
#include <QWidget>

namespace ui {

KeyFilter::KeyFilter(QWidget* box, Accept accept) : QObject(box), accept(std::move(accept)) {
    box->installEventFilter(this);
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && !accept(static_cast<QKeyEvent*>(event)))
        return true;
    return QObject::eventFilter(watched, event);
}

bool isEnter(const QKeyEvent* key) { return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter; }

bool isBackspace(const QKeyEvent* key) { return key->key() == Qt::Key_Backspace; }

QChar typed(const QKeyEvent* key) {
    if (key->text().isEmpty())
        return QChar();
    const QChar c = key->text().at(0);
    return c.isPrint() ? c : QChar();
}

bool typesCharacter(const QKeyEvent* key) {
    return isEnter(key) || isBackspace(key) || key->key() == Qt::Key_Escape || !typed(key).isNull();
}

bool typesDigit(const QKeyEvent* key) {
    const QChar c = typed(key);
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

}  // namespace ui
