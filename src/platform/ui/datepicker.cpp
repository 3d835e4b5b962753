#include "datepicker.h"

#include "keys.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

namespace ui {

namespace {

bool isDateCharacter(QChar c) { return c.isDigit() || c == QLatin1Char('/') || c == QLatin1Char('-'); }

// What can still grow into a whole typed date.
bool beginsADate(const QString& text)
{
    static const QRegularExpression begun(QStringLiteral("^(\\d{0,8}|\\d{4}[/-]\\d{0,2}|\\d{4}[/-]\\d{1,2}[/-]\\d{0,2})$"));
    return begun.match(text).hasMatch();
}

}  // namespace

DatePicker::DatePicker(QWidget* parent) : QDateEdit(parent)
{
    setCalendarPopup(true);
    setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
}

QDate DatePicker::typedDate(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})$"));
    static const QRegularExpression parts(QStringLiteral("^(\\d{4})([/-])(\\d{1,2})\\2(\\d{1,2})$"));
    const QString t = text.trimmed();
    if (const auto m = digits.match(t); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (const auto m = parts.match(t); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
    return {};
}

QValidator::State DatePicker::validate(QString& input, int& pos) const
{
    if (!typingWhole)
        return QDateEdit::validate(input, pos);
    const QDate d = typedDate(input);
    if (d.isValid() && d >= minimumDate() && d <= maximumDate())
        return QValidator::Acceptable;
    return beginsADate(input) ? QValidator::Intermediate : QValidator::Invalid;
}

void DatePicker::fixup(QString& input) const
{
    if (!typingWhole)
        QDateEdit::fixup(input);
}

QDateTime DatePicker::dateTimeFromText(const QString& text) const
{
    if (typingWhole) {
        if (const QDate d = typedDate(text); d.isValid())
            return QDateTime(d, QTime(0, 0));
    }
    return QDateEdit::dateTimeFromText(text);
}

bool DatePicker::showsNoDate() const { return !specialValueText().isEmpty() && date() == minimumDate(); }

void DatePicker::keyPressEvent(QKeyEvent* event)
{
    const QChar c = typed(event);
    // The picker's own editing goes part by part over a shown date; with
    // no date shown, or once a whole date is being typed, the keys write
    // the text as typed.
    if (isDateCharacter(c) && (typingWhole || showsNoDate())) {
        if (!typingWhole)
            beginTypingWhole();
        lineEdit()->insert(QString(c));
        return;
    }
    if (typingWhole && isBackspace(event)) {
        lineEdit()->backspace();
        return;
    }
    // Tab goes from part to part of a shown date; from a typed date, or a
    // picker showing none, it goes on to the next control.
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (tab && (typingWhole || showsNoDate())) {
        if (typingWhole)
            interpretText();
        endTypingWhole();
        QWidget::focusNextPrevChild(event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
        return;
    }
    QDateEdit::keyPressEvent(event);
    openAtToday();
    if (isEnter(event))
        endTypingWhole();
}

void DatePicker::mousePressEvent(QMouseEvent* event)
{
    QDateEdit::mousePressEvent(event);
    openAtToday();
}

void DatePicker::focusOutEvent(QFocusEvent* event)
{
    QDateEdit::focusOutEvent(event);
    endTypingWhole();
}

// While a whole date is typed the text stays as typed: taken at once, a
// part such as 1975/3/1 would be shown as 1975/03/01 and the 8 that
// follows refused.
void DatePicker::beginTypingWhole()
{
    typingWhole = true;
    trackedKeys = keyboardTracking();
    setKeyboardTracking(false);
    lineEdit()->clear();
}

void DatePicker::endTypingWhole()
{
    if (!typingWhole)
        return;
    typingWhole = false;
    setKeyboardTracking(trackedKeys);
}

// The calendar opens on the picker's date; for a picker without one that
// would be the earliest month it allows.
void DatePicker::openAtToday()
{
    QCalendarWidget* calendar = calendarWidget();
    if (calendar && calendar->isVisible() && showsNoDate()) {
        const QDate today = QDate::currentDate();
        calendar->setCurrentPage(today.year(), today.month());
    }
}

}  // namespace ui
