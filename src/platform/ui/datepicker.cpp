#include "datepicker.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QRegularExpression>

namespace ui {

DatePicker::DatePicker(QWidget* parent) : WholeTyping<QDateEdit>(parent)
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

QDateTime DatePicker::typedValue(const QString& text) const
{
    const QDate d = typedDate(text);
    return d.isValid() ? QDateTime(d, QTime(0, 0)) : QDateTime();
}

bool DatePicker::isValueCharacter(QChar c) const
{
    return c.isDigit() || c == QLatin1Char('/') || c == QLatin1Char('-');
}

QString DatePicker::refusal(const QString& typed, bool outOfRange) const
{
    if (!outOfRange)
        return QStringLiteral("%1 不是有效的日期！").arg(typed);
    const QString format = QStringLiteral("yyyy/MM/dd");
    return QStringLiteral("日期只能在%1至%2之間！")
        .arg(minimumDate().toString(format), maximumDate().toString(format));
}

bool DatePicker::showsNothing() const { return !specialValueText().isEmpty() && date() == minimumDate(); }

void DatePicker::keyPressEvent(QKeyEvent* event)
{
    // Tab goes from part to part of a shown date; from a picker showing
    // none it goes on to the next control.
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (tab && !typingWhole() && showsNothing()) {
        QWidget::focusNextPrevChild(event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
        return;
    }
    WholeTyping<QDateEdit>::keyPressEvent(event);
    openAtToday();
}

void DatePicker::mousePressEvent(QMouseEvent* event)
{
    WholeTyping<QDateEdit>::mousePressEvent(event);
    openAtToday();
}

// The calendar opens on the picker's date; for a picker without one that
// would be the earliest month it allows.
void DatePicker::openAtToday()
{
    QCalendarWidget* calendar = calendarWidget();
    if (calendar && calendar->isVisible() && showsNothing()) {
        const QDate today = QDate::currentDate();
        calendar->setCurrentPage(today.year(), today.month());
    }
}

}  // namespace ui
