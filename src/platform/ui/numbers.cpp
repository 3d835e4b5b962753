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

}  // namespace ui
