#include "reportpages.h"

#include "database.h"
#include "fieldtext.h"
#include "recordset.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <cmath>

namespace report {

ReportContent readContent(const Template& layout, const QString& databaseFile)
{
    ReportContent content;
    content.layout = layout;
    jet::Database db = jet::OpenDatabase(databaseFile);
    jet::Recordset rs = db.OpenRecordset(layout.table, jet::dbOpenSnapshot);
    const QStringList names = rs.FieldNames();
    QVector<int> fields;
    for (const Column& c : layout.columns) {
        const auto at = std::find_if(names.begin(), names.end(), [&](const QString& n) {
            return n.compare(c.field, Qt::CaseInsensitive) == 0;
        });
        if (at == names.end())
            throw ReportError(QStringLiteral("資料表 %1 中沒有欄位「%2」").arg(layout.table, c.field));
        fields << static_cast<int>(at - names.begin());
    }
    while (!rs.Eof()) {
        QStringList texts;
        texts.reserve(fields.size());
        for (int f : fields)
            texts << jet::fieldText(rs.Field(f));
        content.rows << std::move(texts);
        rs.MoveNext();
    }
    rs.Close();
    db.Close();
    return content;
}

void setUpPage(const Template& layout, QPagedPaintDevice& device)
{
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                     layout.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
}

namespace {

const QString fontFamily = QStringLiteral("Noto Sans CJK TC");

// The template's columns split into groups that each fit across a page.
// Every group after the first starts with the first column again, when
// that leaves room for another column, so the rows can be matched up.
QVector<QVector<int>> columnGroups(const QVector<double>& widths, double pageWidth)
{
    QVector<QVector<int>> groups;
    int next = 0;
    const int count = static_cast<int>(widths.size());
    while (next < count) {
        QVector<int> group;
        double used = 0;
        if (!groups.isEmpty() && widths[0] + widths[next] <= pageWidth) {
            group << 0;
            used = widths[0];
        }
        const qsizetype repeated = group.size();
        while (next < count && (group.size() == repeated || used + widths[next] <= pageWidth)) {
            group << next;
            used += widths[next];
            ++next;
        }
        groups << group;
    }
    return groups;
}

struct PageGeometry {
    QFont titleFont;
    QFont bodyFont;
    QFont captionFont;
    double width = 0;
    double height = 0;
    double titleHeight = 0;
    double lineHeight = 0;
    double rowHeight = 0;
    double padding = 0;
    double headerHeight = 0;  // title, company and date, captions
    double footerHeight = 0;
};

PageGeometry geometry(const Template& layout, QPagedPaintDevice& device)
{
    PageGeometry g;
    g.bodyFont = QFont(fontFamily);
    g.bodyFont.setPointSizeF(layout.fontSize);
    g.captionFont = g.bodyFont;
    g.captionFont.setBold(true);
    g.titleFont = g.captionFont;
    g.titleFont.setPointSizeF(layout.fontSize + 5);
    g.width = device.width();
    g.height = device.height();
    const QFontMetricsF body(g.bodyFont, &device);
    g.titleHeight = QFontMetricsF(g.titleFont, &device).lineSpacing() * 1.3;
    g.lineHeight = body.lineSpacing() * 1.2;
    g.rowHeight = body.lineSpacing() * 1.4;
    g.padding = device.logicalDpiX() / 25.4;  // one millimetre
    g.headerHeight = g.titleHeight + g.lineHeight + g.padding * 2 + g.rowHeight;
    g.footerHeight = g.lineHeight + g.padding * 2;
    return g;
}

void drawCells(QPainter& p, const QVector<int>& group, const QVector<double>& widths, const QStringList& texts,
               double top, double rowHeight, double padding)
{
    const QFontMetricsF fm(p.font(), p.device());
    double left = 0;
    for (int c : group) {
        const double inner = widths[c] - 2 * padding;
        const QString& text = texts[c];
        const QString shown = fm.horizontalAdvance(text) <= inner ? text : fm.elidedText(text, Qt::ElideRight, inner);
        p.drawText(QRectF(left + padding, top, inner, rowHeight), Qt::AlignLeft | Qt::AlignVCenter, shown);
        left += widths[c];
    }
}

}  // namespace

int paintReport(const ReportContent& content, QPagedPaintDevice& device)
{
    const Template& layout = content.layout;
    const PageGeometry g = geometry(layout, device);
    const double mm = device.logicalDpiX() / 25.4;
    QVector<double> widths;
    QStringList captions;
    for (const Column& c : layout.columns) {
        widths << std::min(c.width * mm, g.width);
        captions << c.caption;
    }
    const QVector<QVector<int>> groups = columnGroups(widths, g.width);
    const int rowsPerPage =
        std::max(1, static_cast<int>(std::floor((g.height - g.headerHeight - g.footerHeight) / g.rowHeight)));
    const int rowCount = static_cast<int>(content.rows.size());
    const int bands = std::max(1, (rowCount + rowsPerPage - 1) / rowsPerPage);
    const int pages = bands * static_cast<int>(groups.size());
    const QString dateText = QStringLiteral("日期：") + content.date.toString(QStringLiteral("yyyy-MM-dd"));

    QPainter p;
    if (!p.begin(&device))
        throw ReportError(QStringLiteral("無法輸出報表"));
    QPen rule(Qt::black);
    rule.setWidthF(mm * 0.2);
    int page = 0;
    for (int band = 0; band < bands; ++band) {
        for (const QVector<int>& group : groups) {
            if (page > 0)
                device.newPage();
            ++page;
            double groupWidth = 0;
            for (int c : group)
                groupWidth += widths[c];

            p.setFont(g.titleFont);
            p.drawText(QRectF(0, 0, g.width, g.titleHeight), Qt::AlignCenter, layout.title);
            p.setFont(g.bodyFont);
            const QRectF info(0, g.titleHeight, g.width, g.lineHeight);
            p.drawText(info, Qt::AlignLeft | Qt::AlignVCenter, content.company);
            p.drawText(info, Qt::AlignRight | Qt::AlignVCenter, dateText);

            double top = g.titleHeight + g.lineHeight + g.padding * 2;
            p.setFont(g.captionFont);
            drawCells(p, group, widths, captions, top, g.rowHeight, g.padding);
            top += g.rowHeight;
            p.setPen(rule);
            p.drawLine(QPointF(0, top), QPointF(groupWidth, top));

            p.setFont(g.bodyFont);
            const int first = band * rowsPerPage;
            const int last = std::min(rowCount, first + rowsPerPage);
            for (int r = first; r < last; ++r) {
                drawCells(p, group, widths, content.rows[r], top, g.rowHeight, g.padding);
                top += g.rowHeight;
            }
            p.drawLine(QPointF(0, top), QPointF(groupWidth, top));

            p.drawText(QRectF(0, g.height - g.lineHeight, g.width, g.lineHeight), Qt::AlignCenter,
                       QStringLiteral("第 %1 頁，共 %2 頁").arg(page).arg(pages));
        }
    }
    p.end();
    return pages;
}

}  // namespace report
