#include "wholetyping.h"

#include "keys.h"
#include "msgbox.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSignalBlocker>

namespace ui {

namespace {
bool isMouse(QEvent::Type t)
{
    return t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease || t == QEvent::MouseMove
           || t == QEvent::MouseButtonDblClick;
}
}  // namespace

template <class Edit>
WholeTyping<Edit>::WholeTyping(QWidget* parent) : Edit(parent)
{
    this->lineEdit()->installEventFilter(this);
}

template <class Edit>
WholeTyping<Edit>::~WholeTyping()
{
    qApp->removeEventFilter(this);
}

template <class Edit>
QValidator::State WholeTyping<Edit>::validate(QString& input, int& pos) const
{
    if (!typing)
        return Edit::validate(input, pos);
    const QDateTime v = typedValue(input);
    if (v.isValid() && v >= this->minimumDateTime() && v <= this->maximumDateTime())
        return QValidator::Acceptable;
    // Any text on the way: the operator may erase and retype freely, and
    // what is left when typing ends is judged whole.
    return QValidator::Intermediate;
}

template <class Edit>
void WholeTyping<Edit>::fixup(QString& input) const
{
    if (!typing)
        Edit::fixup(input);
}

template <class Edit>
QDateTime WholeTyping<Edit>::dateTimeFromText(const QString& text) const
{
    if (typing) {
        if (const QDateTime v = typedValue(text); v.isValid())
            return v;
    }
    return Edit::dateTimeFromText(text);
}

template <class Edit>
bool WholeTyping<Edit>::startsAtTheBeginning() const
{
    const QLineEdit* line = this->lineEdit();
    return line->hasSelectedText() ? line->selectionStart() == 0 : line->cursorPosition() == 0;
}

// While a value is typed the text stays as typed: taken at once, a part
// such as 1975/3/1 would be shown as 1975/03/01 and the 8 that follows
// refused. A press anywhere else ends the typing, so that a button that
// takes no focus (a tool bar's) reads the value typed.
template <class Edit>
void WholeTyping<Edit>::beginTyping(bool clear)
{
    typing = true;
    trackedKeys = this->keyboardTracking();
    this->setKeyboardTracking(false);
    if (clear) {
        const QSignalBlocker quiet(this->lineEdit());
        this->lineEdit()->clear();
    }
    qApp->installEventFilter(this);
}

template <class Edit>
void WholeTyping<Edit>::endTyping()
{
    if (!typing)
        return;
    typing = false;
    qApp->removeEventFilter(this);
    this->setKeyboardTracking(trackedKeys);
}

template <class Edit>
bool WholeTyping<Edit>::finishTyping(bool tell)
{
    if (!typing)
        return true;
    const QString text = this->lineEdit()->text().trimmed();
    endTyping();
    const QDateTime v = typedValue(text);
    const bool inRange = v.isValid() && v >= this->minimumDateTime() && v <= this->maximumDateTime();
    if (inRange) {
        this->setDateTime(v);
        return true;
    }
    // Shown again whole: never a mix of the typed text and the old parts.
    this->setDateTime(this->dateTime());
    if (tell && !text.isEmpty())
        MsgBox(refusal(text, v.isValid()), 48);
    return text.isEmpty();
}

// The keys that edit a text being typed, as a plain entry box takes them.
// The picker's own editing doesn't hear of them: it would put the parts it
// shows back.
template <class Edit>
bool WholeTyping<Edit>::editKey(QKeyEvent* event)
{
    QLineEdit* line = this->lineEdit();
    const QSignalBlocker quiet(line);
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (event->matches(QKeySequence::SelectAll)) {
        line->selectAll();
        return true;
    }
    switch (event->key()) {
    case Qt::Key_Backspace: line->backspace(); return true;
    case Qt::Key_Delete: line->del(); return true;
    case Qt::Key_Left: line->cursorBackward(shift); return true;
    case Qt::Key_Right: line->cursorForward(shift); return true;
    case Qt::Key_Home: line->home(shift); return true;
    case Qt::Key_End: line->end(shift); return true;
    default: return false;
    }
}

template <class Edit>
void WholeTyping<Edit>::insert(QChar c)
{
    const QSignalBlocker quiet(this->lineEdit());
    this->lineEdit()->insert(QString(c));
}

// What was copied is taken as if typed where the cursor is: judged whole
// when typing ends, in every form a typed value may have. Only its first
// line: a value copied from a list or a table comes with its line end.
template <class Edit>
void WholeTyping<Edit>::paste()
{
    const QString copied = QGuiApplication::clipboard()->text();
    const QString text = copied.left(copied.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")))).trimmed();
    if (text.isEmpty())
        return;
    if (!typing)
        beginTyping(showsNothing() || startsAtTheBeginning());
    const QSignalBlocker quiet(this->lineEdit());
    this->lineEdit()->insert(text);
}

template <class Edit>
void WholeTyping<Edit>::keyPressEvent(QKeyEvent* event)
{
    // Shift on its way to a ':', Ctrl to a Ctrl+A: the typing goes on.
    if (isModifierOnly(event)) {
        if (!typing)
            Edit::keyPressEvent(event);
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        paste();
        return;
    }
    const QChar c = typed(event);
    const bool erases = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
    if (!typing) {
        if (isValueCharacter(c) && (showsNothing() || startsAtTheBeginning())) {
            beginTyping(true);
            insert(c);
            return;
        }
        if (erases && event->modifiers() == Qt::NoModifier) {
            beginTyping(showsNothing());
            editKey(event);
            return;
        }
        Edit::keyPressEvent(event);
        return;
    }
    if (isValueCharacter(c)) {
        insert(c);
        return;
    }
    if (!c.isNull() || editKey(event))
        return;
    // Escape gives the shown value back; the next one goes to the window.
    if (event->key() == Qt::Key_Escape) {
        endTyping();
        this->setDateTime(this->dateTime());
        return;
    }
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    // A text not taken keeps Enter from pressing the window's default
    // button with the old value; Tab still moves on.
    if (!finishTyping(true) && !tab)
        return;
    if (tab) {
        QWidget::focusNextPrevChild(event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
        return;
    }
    Edit::keyPressEvent(event);
}

// Tab from a typed value goes on to the next control, not to the next part
// of the value shown before.
template <class Edit>
bool WholeTyping<Edit>::focusNextPrevChild(bool next)
{
    if (!typing)
        return Edit::focusNextPrevChild(next);
    finishTyping(true);
    return QWidget::focusNextPrevChild(next);
}

template <class Edit>
void WholeTyping<Edit>::mousePressEvent(QMouseEvent* event)
{
    finishTyping(true);
    Edit::mousePressEvent(event);
}

template <class Edit>
void WholeTyping<Edit>::focusOutEvent(QFocusEvent* event)
{
    // The operator moved on within the window: told when the text is not
    // taken. A window left or closed takes it without a word.
    const Qt::FocusReason r = event->reason();
    // A click on a control that takes the focus moves it before the press
    // arrives: that press is kept from acting on the shown value as well.
    if (!finishTyping(r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason) && r == Qt::MouseFocusReason) {
        pressRefused = true;
        qApp->installEventFilter(this);
    }
    Edit::focusOutEvent(event);
}

template <class Edit>
bool WholeTyping<Edit>::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this->lineEdit() && event->type() == QEvent::MouseButtonDblClick) {
        // The whole value, not one of its parts: what is typed next replaces it.
        this->selectAll();
        return true;
    }
    if (typing && watched == this->lineEdit() && isMouse(event->type())) {
        const QSignalBlocker quiet(this->lineEdit());
        return static_cast<QObject*>(this->lineEdit())->event(event);
    }
    const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (pressRefused && press && watched->isWidgetType()) {
        pressRefused = false;
        qApp->removeEventFilter(this);
        return true;
    }
    if (typing && press && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        // A press that ends a text not taken does nothing else: a button
        // would act on the shown value the operator has just been told of.
        if (w != this && !this->isAncestorOf(w) && !finishTyping(true))
            return true;
    }
    return Edit::eventFilter(watched, event);
}

template class WholeTyping<QDateEdit>;
template class WholeTyping<QTimeEdit>;

}  // namespace ui
