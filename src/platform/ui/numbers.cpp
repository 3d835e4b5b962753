#include "numbers.h"

#include <QRegularExpression>

namespace ui {

double leadingNumber(const QString& text) {
    static const QRegularExpression leading(QStringLiteral("^\\d*(\\.\\d*)?"));
    const QString number = leading.match(text).captured(0);
    return number == QLatin1String(".") ? 0 : number.toDouble();
}

std::optional<double> delayNumber(const QString& text) {
    static const QRegularExpression plain(QStringLiteral("^(\\d+(\\.\\d*)?|\\.\\d+)$"));
    if (!plain.match(text).hasMatch())
        return std::nullopt;
    return text.toDouble();
}

std::optional<qint64> wholeNumber(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^\\d{1,18}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    return text.toLongLong();
}

std::optional<qint64> roundedNumber(const QString& text) {
    static const QRegularExpression decimal(QStringLiteral("^([+-]?)([0-9]*)(?:\\.([0-9]*))?$"));
    const QRegularExpressionMatch m = decimal.match(text);
    const QString whole = m.captured(2);
    const QString fraction = m.captured(3);
    if (!m.hasMatch() || (whole.isEmpty() && fraction.isEmpty()) || whole.size() > 18)
        return std::nullopt;
    qint64 n = whole.isEmpty() ? 0 : whole.toLongLong();
    // Told from the digits as typed: a binary fraction could tip a half.
    if (!fraction.isEmpty()) {
        static const QRegularExpression nonZero(QStringLiteral("[1-9]"));
        const QChar tenths = fraction[0];
        const bool half = tenths == QLatin1Char('5') && !fraction.mid(1).contains(nonZero);
        if (half ? n % 2 == 1 : tenths >= QLatin1Char('5'))
            ++n;
    }
    return m.captured(1) == QLatin1String("-") ? -n : n;
}

}  // namespace ui
