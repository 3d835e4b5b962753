#include "timepicker.h"

#include <QRegularExpression>

namespace ui {

TimePicker::TimePicker(QWidget* parent) : WholeTyping<QTimeEdit>(parent) {}

bool TimePicker::showsSeconds() const { return displayFormat().contains(QLatin1Char('s')); }

// Seconds may be left out: a picker with seconds takes 08:30 or 0830 as
// 08:30:00. One without them takes none.
QDateTime TimePicker::typedValue(const QString& text) const
{
    static const QRegularExpression parted(QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2}))?$"));
    static const QRegularExpression digits(QStringLiteral("^(\\d{2})(\\d{2})(\\d{2})?$"));
    const QString t = text.trimmed();
    QRegularExpressionMatch m = parted.match(t);
    if (!m.hasMatch())
        m = digits.match(t);
    if (!m.hasMatch() || (m.hasCaptured(3) && !showsSeconds()))
        return {};
    const QTime time(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    return time.isValid() ? QDateTime(date(), time) : QDateTime();
}

bool TimePicker::isValueCharacter(QChar c) const { return c.isDigit() || c == QLatin1Char(':'); }

QString TimePicker::refusal(const QString& typed, bool) const { return QStringLiteral("%1 不是有效的時間！").arg(typed); }

}  // namespace ui
