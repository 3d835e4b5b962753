#include "reporttemplate.h"

#include <QFile>
#include <QSet>
#include <cmath>

namespace report {

namespace {

[[noreturn]] void fault(int line, const QString& what)
{
    throw ReportError(QStringLiteral("報表格式錯誤（第 %1 行）：%2").arg(line).arg(what));
}

// What a page can print: a column from 1 mm to a metre wide, text from 4 to
// 72 points. Not-a-number and infinity are no size at all.
constexpr double narrowest = 1, widest = 1000;
constexpr double smallestFont = 4, largestFont = 72;

double numberWithin(const QString& text, double low, double high, int line, const QString& what)
{
    bool ok = false;
    const double n = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(n) || n < low || n > high)
        fault(line, QStringLiteral("%1須為 %2 到 %3 之間的數：%4").arg(what).arg(low).arg(high).arg(text));
    return n;
}

Column parseColumn(const QString& value, int line)
{
    const QStringList parts = value.split(QLatin1Char('|'));
    if (parts.size() != 3)
        fault(line, QStringLiteral("欄位須寫作「標題 | 欄名 | 寬度」"));
    Column c;
    c.caption = parts[0].trimmed();
    c.field = parts[1].trimmed();
    if (c.field.isEmpty())
        fault(line, QStringLiteral("欄名不能空"));
    c.width = numberWithin(parts[2], narrowest, widest, line, QStringLiteral("寬度"));
    return c;
}

}  // namespace

Template parseTemplate(const QString& text)
{
    Template t;
    QSet<QString> seen;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const int number = i + 1;
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon < 0)
            fault(number, QStringLiteral("缺少「:」：%1").arg(line));
        const QString key = line.left(colon).trimmed().toLower();
        const QString value = line.mid(colon + 1).trimmed();
        if (key != QLatin1String("column")) {
            if (seen.contains(key))
                fault(number, QStringLiteral("「%1」重複").arg(key));
            seen.insert(key);
        }
        if (key == QLatin1String("title")) {
            t.title = value;
        } else if (key == QLatin1String("table")) {
            t.table = value;
        } else if (key == QLatin1String("orientation")) {
            if (value.compare(QLatin1String("landscape"), Qt::CaseInsensitive) == 0)
                t.landscape = true;
            else if (value.compare(QLatin1String("portrait"), Qt::CaseInsensitive) == 0)
                t.landscape = false;
            else
                fault(number, QStringLiteral("方向須為 portrait 或 landscape：%1").arg(value));
        } else if (key == QLatin1String("font")) {
            t.fontSize = numberWithin(value, smallestFont, largestFont, number, QStringLiteral("字號"));
        } else if (key == QLatin1String("column")) {
            t.columns << parseColumn(value, number);
        } else {
            fault(number, QStringLiteral("不明的項目「%1」").arg(key));
        }
    }
    if (t.table.isEmpty())
        throw ReportError(QStringLiteral("報表格式錯誤：沒有指定資料表（table:）"));
    if (t.columns.isEmpty())
        throw ReportError(QStringLiteral("報表格式錯誤：沒有任何欄位（column:）"));
    return t;
}

Template readTemplate(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        throw ReportError(QStringLiteral("無法打開報表文件：%1").arg(path));
    return parseTemplate(QString::fromUtf8(f.readAll()));
}

}  // namespace report
