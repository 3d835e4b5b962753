#include "timepicker.h"

#include <QRegularExpression>

namespace ui {

TimePicker::TimePicker(QWidget* parent) : WholeTyping<QTimeEdit>(parent) {}

bool TimePicker::showsSeconds() const { return displayFormat().contains(QLatin1Char('s')); }

QDateTime TimePicker::typedValue(const QString& text) const
{
    static const QRegularExpression withSeconds(QStringLiteral("^(?:(\\d{1,2}):(\\d{2}):(\\d{2})|(\\d{2})(\\d{2})(\\d{2}))$"));
    static const QRegularExpression withoutSeconds(QStringLiteral("^(?:(\\d{1,2}):(\\d{2})|(\\d{2})(\\d{2}))$"));
    const auto m = (showsSeconds() ? withSeconds : withoutSeconds).match(text.trimmed());
    if (!m.hasMatch())
        return {};
    // The fields of whichever form matched, hours first.
    QList<int> fields;
    for (int i = 1; i <= m.lastCapturedIndex(); ++i)
        if (m.hasCaptured(i))
            fields << m.captured(i).toInt();
    const QTime t(fields.value(0), fields.value(1), fields.value(2));
    return t.isValid() ? QDateTime(date(), t) : QDateTime();
}

bool TimePicker::isValueCharacter(QChar c) const { return c.isDigit() || c == QLatin1Char(':'); }

QString TimePicker::refusal(const QString& typed, bool) const { return QStringLiteral("%1 不是有效的時間！").arg(typed); }

}  // namespace ui
