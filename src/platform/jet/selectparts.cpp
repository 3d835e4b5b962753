#include "selectparts.h"

#include <QSet>

namespace jet {

namespace {

struct Token {
    enum Kind { Word, Name, Literal, Punct } kind;
    QString text;
    qsizetype start = 0;
    qsizetype end = 0;
    int depth = 0;  // parentheses around the token; an opening one counts outside itself
    bool is(const char* word) const { return kind == Word && text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0; }
};

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c.unicode() >= 0x80; }

// SQLite's own reading of the text: quoted names and literals are single
// tokens, comments are blanks.
QVector<Token> tokens(const QString& s)
{
    QVector<Token> out;
    int depth = 0;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < n && s[i + 1] == QLatin1Char('-')) {
            while (i < n && s[i] != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && i + 1 < n && s[i + 1] == QLatin1Char('*')) {
            const qsizetype close = s.indexOf(QLatin1String("*/"), i + 2);
            i = close < 0 ? n : close + 2;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('[')) {
            const QChar closing = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            qsizetype j = i + 1;
            while (j < n) {
                if (s[j] == closing) {
                    if (closing != QLatin1Char(']') && j + 1 < n && s[j + 1] == closing) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const qsizetype end = std::min(j + 1, n);
            out.push_back({c == QLatin1Char('\'') ? Token::Literal : Token::Name, s.mid(i, end - i), i, end, depth});
            i = end;
        } else if (isWordChar(c)) {
            qsizetype j = i;
            while (j < n && isWordChar(s[j]))
                ++j;
            out.push_back({Token::Word, s.mid(i, j - i), i, j, depth});
            i = j;
        } else {
            if (c == QLatin1Char(')'))
                --depth;
            out.push_back({Token::Punct, QString(c), i, i + 1, depth});
            if (c == QLatin1Char('('))
                ++depth;
            ++i;
        }
    }
    return out;
}

// The token ranges between top-level commas.
QVector<QPair<int, int>> commaSplit(const QVector<Token>& t, int from, int to)
{
    QVector<QPair<int, int>> parts;
    int start = from;
    for (int i = from; i < to; ++i) {
        if (t[i].depth == 0 && t[i].kind == Token::Punct && t[i].text == QLatin1String(",")) {
            parts.push_back({start, i});
            start = i + 1;
        }
    }
    parts.push_back({start, to});
    return parts;
}

QString source(const QString& s, const QVector<Token>& t, int from, int to)
{
    if (from >= to)
        return {};
    return s.mid(t[from].start, t[to - 1].end - t[from].start);
}

}  // namespace

std::optional<SelectParts> splitSelect(const QString& text)
{
    // A statement's own closing semicolon is no part of its last clause.
    QString select = text.trimmed();
    while (select.endsWith(QLatin1Char(';')))
        select = select.chopped(1).trimmed();
    const QVector<Token> t = tokens(select);
    const int n = static_cast<int>(t.size());
    if (n == 0 || !t[0].is("select"))
        return std::nullopt;
    if (n > 1 && t[1].is("distinct"))
        return std::nullopt;

    static const QSet<QString> refused{QStringLiteral("group"),  QStringLiteral("having"),    QStringLiteral("limit"),
                                       QStringLiteral("union"),  QStringLiteral("intersect"), QStringLiteral("except"),
                                       QStringLiteral("window"), QStringLiteral("values")};
    static const QSet<QString> aggregates{QStringLiteral("count"), QStringLiteral("sum"),   QStringLiteral("avg"),
                                          QStringLiteral("min"),   QStringLiteral("max"),   QStringLiteral("total"),
                                          QStringLiteral("group_concat")};
    int from = -1, where = -1, order = -1;
    for (int i = 1; i < n; ++i) {
        const Token& k = t[i];
        if (k.text == QLatin1String(";"))
            return std::nullopt;
        if (k.kind != Token::Word)
            continue;
        const QString word = k.text.toLower();
        if (word == QLatin1String("over"))
            return std::nullopt;
        if (from < 0 && aggregates.contains(word) && i + 1 < n && t[i + 1].text == QLatin1String("("))
            return std::nullopt;
        if (k.depth != 0)
            continue;
        if (refused.contains(word))
            return std::nullopt;
        if (word == QLatin1String("from") && from < 0)
            from = i;
        else if (word == QLatin1String("where") && from >= 0 && where < 0 && order < 0)
            where = i;
        else if (word == QLatin1String("order") && from >= 0 && order < 0 && i + 1 < n && t[i + 1].is("by"))
            order = i;
    }
    if (from < 0)
        return std::nullopt;
    const int fromEnd = where >= 0 ? where : order >= 0 ? order : n;
    const int whereEnd = order >= 0 ? order : n;

    SelectParts parts;
    const int columnsStart = t[1].is("all") ? 2 : 1;
    for (const auto& [a, b] : commaSplit(t, columnsStart, from)) {
        if (a >= b)
            return std::nullopt;
        parts.columns << source(select, t, a, b);
    }

    parts.from = source(select, t, from + 1, fromEnd);
    static const QSet<QString> joins{QStringLiteral("join"),  QStringLiteral("on"),    QStringLiteral("using"),
                                     QStringLiteral("natural"), QStringLiteral("left"), QStringLiteral("right"),
                                     QStringLiteral("inner"), QStringLiteral("outer"), QStringLiteral("cross"),
                                     QStringLiteral("full"),  QStringLiteral("indexed"), QStringLiteral("not")};
    for (const auto& [a, b] : commaSplit(t, from + 1, fromEnd)) {
        int end = b;
        QString alias;
        for (int i = a; i < b; ++i)
            if (t[i].text == QLatin1String("(") || (t[i].kind == Token::Word && joins.contains(t[i].text.toLower())))
                return std::nullopt;
        if (end - a >= 2 && t[end - 2].text != QLatin1String(".") && t[end - 1].text != QLatin1String(".")) {
            alias = t[end - 1].text;
            --end;
            if (t[end - 1].is("as"))
                --end;
        }
        if (end <= a)
            return std::nullopt;
        SelectParts::Table table;
        table.name = source(select, t, a, end);
        table.ref = alias.isEmpty() ? t[end - 1].text : alias;
        parts.tables.push_back(table);
    }

    if (where >= 0)
        parts.where = source(select, t, where + 1, whereEnd);
    if (order >= 0) {
        for (auto [a, b] : commaSplit(t, order + 2, n)) {
            for (int i = a; i < b; ++i)
                if (t[i].depth == 0 && t[i].is("nulls"))
                    return std::nullopt;
            SelectParts::Term term;
            if (b - a >= 2 && (t[b - 1].is("asc") || t[b - 1].is("desc"))) {
                term.descending = t[b - 1].is("desc");
                --b;
            }
            if (a >= b)
                return std::nullopt;
            term.expression = source(select, t, a, b);
            parts.order.push_back(term);
        }
    }
    if (where >= 0 && parts.where.isEmpty())
        return std::nullopt;
    return parts;
}

}  // namespace jet
