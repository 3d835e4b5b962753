#include "keys.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
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

void enterMovesOn(QWidget* box) {
    const auto onEnter = [box](QKeyEvent* key) {
        if (!isEnter(key))
            return true;
        // The window moves the focus on from whichever control has it, as
        // for a Tab no control took for itself.
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(box->window(), &tab);
        return false;
    };
    new KeyFilter(box, onEnter);
    if (auto* combo = qobject_cast<QComboBox*>(box); combo && combo->lineEdit())
        new KeyFilter(combo->lineEdit(), onEnter);
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

bool isModifierOnly(const QKeyEvent* key) {
    switch (key->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock: return true;
    default: return false;
    }
}

}  // namespace ui
