#include "dialect.h"

#include "dberror.h"
#include "sqlvalue.h"

#include <QRegularExpression>

namespace jet {

namespace {

QString storedLiteral(const QString& inner)
{
    const QVariant v = parseDateTime(inner);
    QString stored;
    switch (v.typeId()) {
    case QMetaType::QDate: stored = storedDate(v.toDate()); break;
    case QMetaType::QTime: stored = storedTime(v.toTime()); break;
    case QMetaType::QDateTime: stored = storedDateTime(v.toDateTime()); break;
    default:
        throw DbError(QStringLiteral("Syntax error in date in query expression '#%1#'.").arg(inner));
    }
    return QLatin1Char('\'') + stored + QLatin1Char('\'');
}

// Index just past a quoted literal starting at 'from' (the quote itself).
qsizetype literalEnd(const QString& s, qsizetype from)
{
    const QChar quote = s[from];
    qsizetype i = from + 1;
    while (i < s.size()) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    throw DbError(QStringLiteral("Syntax error: unterminated text in '%1'.").arg(s));
}

}  // namespace

QString toSqlite(const QString& statement)
{
    QString out;
    out.reserve(statement.size() + 16);
    const QString& s = statement;
    for (qsizetype i = 0; i < s.size();) {
        const QChar c = s[i];
        if (c == QLatin1Char('\'')) {
            const qsizetype end = literalEnd(s, i);
            out += s.mid(i, end - i);
            i = end;
        } else if (c == QLatin1Char('"')) {
            const qsizetype end = literalEnd(s, i);
            QString inner = s.mid(i + 1, end - i - 2);
            inner.replace(QLatin1String("\"\""), QLatin1String("\""));
            out += sql::text(inner);
            i = end;
        } else if (c == QLatin1Char('#')) {
            const qsizetype end = s.indexOf(QLatin1Char('#'), i + 1);
            if (end < 0)
                throw DbError(QStringLiteral("Syntax error in date in query expression '%1'.").arg(s));
            out += storedLiteral(s.mid(i + 1, end - i - 1));
            i = end + 1;
        } else if (c == QLatin1Char('&')) {
            out += QLatin1String("||");
            ++i;
        } else {
            out += c;
            ++i;
        }
    }
    static const QRegularExpression deleteStar(
        QStringLiteral("^\\s*delete\\s+(?:[^\\s'\"]+\\.)?\\*\\s+from\\b"),
        QRegularExpression::CaseInsensitiveOption);
    out.replace(deleteStar, QStringLiteral("delete from"));
    return out;
}

}  // namespace jet
