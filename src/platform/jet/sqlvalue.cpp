#include "sqlvalue.h"

#include "dberror.h"

#include <QRegularExpression>
#include <QStringList>

namespace sql {

QString text(const QString& value)
{
    jet::refuseUnstorable(value);
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString number(qint64 value) { return QString::number(value); }

QString number(double value) { return QString::number(value, 'g', 15); }

QString boolean(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }

QString date(const QDate& value) { return QLatin1Char('#') + jet::storedDate(value) + QLatin1Char('#'); }

QString time(const QTime& value) { return QLatin1Char('#') + jet::storedTime(value) + QLatin1Char('#'); }

QString dateTime(const QDateTime& value)
{
    return QLatin1Char('#') + jet::storedDateTime(value) + QLatin1Char('#');
}

}  // namespace sql

namespace jet {

void refuseUnstorable(const QString& value)
{
    if (value.contains(QChar(0)))
        throw DbError(QStringLiteral("輸入的內容含有無法儲存的字符。"));
}

namespace {
const QDate timeOnlyDay(1899, 12, 30);
}

QString storedDate(const QDate& d) { return d.toString(QStringLiteral("yyyy-MM-dd")); }

QString storedTime(const QTime& t) { return t.toString(QStringLiteral("HH:mm:ss")); }

QString storedDateTime(const QDateTime& dt)
{
    if (dt.date() == timeOnlyDay)
        return storedTime(dt.time());
    if (dt.time() == QTime(0, 0))
        return storedDate(dt.date());
    return storedDate(dt.date()) + QLatin1Char(' ') + storedTime(dt.time());
}

namespace {

QDate parseDate(const QString& s)
{
    static const QRegularExpression ymd(QStringLiteral("^(\\d{4})[-/.](\\d{1,2})[-/.](\\d{1,2})$"));
    static const QRegularExpression mdy(QStringLiteral("^(\\d{1,2})[-/.](\\d{1,2})[-/.](\\d{4})$"));
    if (auto m = ymd.match(s); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (auto m = mdy.match(s); m.hasMatch())
        return QDate(m.captured(3).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
    return {};
}

QTime parseTime(const QString& s)
{
    static const QRegularExpression hms(
        QStringLiteral("^(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?\\s*([AaPp][Mm])?$"));
    auto m = hms.match(s);
    if (!m.hasMatch())
        return {};
    int h = m.captured(1).toInt();
    const QString ampm = m.captured(4).toUpper();
    if (ampm == QLatin1String("PM") && h < 12)
        h += 12;
    if (ampm == QLatin1String("AM") && h == 12)
        h = 0;
    return QTime(h, m.captured(2).toInt(), m.captured(3).isEmpty() ? 0 : m.captured(3).toInt());
}

}  // namespace

QVariant parseDateTime(const QString& text)
{
    const QString s = text.trimmed();
    if (s.isEmpty())
        return {};
    if (QDate d = parseDate(s); d.isValid())
        return d;
    if (QTime t = parseTime(s); t.isValid())
        return t;
    const int gap = s.indexOf(QRegularExpression(QStringLiteral("[ T]")));
    if (gap > 0) {
        QDate d = parseDate(s.left(gap));
        QTime t = parseTime(s.mid(gap + 1).trimmed());
        if (d.isValid() && t.isValid()) {
            if (d == timeOnlyDay)
                return t;
            if (t == QTime(0, 0))
                return d;
            return QDateTime(d, t);
        }
    }
    return {};
}

}  // namespace jet
