#include "reportpages.h"

#include "database.h"
#include "fieldtext.h"
#include "recordset.h"
#include "reportrows.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
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

// Rows of work between two reports of progress.
constexpr qint64 reportedEvery = 500;

// Its map gives every ideograph a glyph of its own: the PDF's text layer
// names each glyph by the first character the font maps to it, and fonts
// that share one glyph between an ideograph and the Kangxi radical drawn
// alike (人 and ⼈) make saved reports extract, and search, as radicals.
const QString fontFamily = QStringLiteral("WenQuanYi Zen Hei");

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
    double lineHeight = 0;  // the company and date line, the footer
    double pitch = 0;       // one line of a cell
    double gap = 0;         // above and below a row's lines
    double padding = 0;     // one millimetre
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
    g.pitch = body.lineSpacing();
    g.gap = body.lineSpacing() * 0.4;
    g.padding = device.logicalDpiX() / 25.4;
    return g;
}

// The lines [first, first + count) of each cell of the group, one row.
void drawCells(QPainter& p, const QVector<int>& group, const QVector<double>& widths, const WrappedRow& row,
               int first, int count, double top, const PageGeometry& g)
{
    double left = 0;
    for (int c : group) {
        const QStringList& lines = row.cells[c];
        const double inner = widths[c] - 2 * g.padding;
        for (int k = 0; k < count && first + k < lines.size(); ++k)
            p.drawText(QRectF(left + g.padding, top + g.gap / 2 + k * g.pitch, inner, g.pitch),
                       Qt::AlignLeft | Qt::AlignVCenter, lines[first + k]);
        left += widths[c];
    }
}

}  // namespace

qint64 leastPages(const Template& layout, qint64 rows, QPagedPaintDevice& device)
{
    const PageGeometry g = geometry(layout, device);
    const double mm = device.logicalDpiX() / 25.4;
    QVector<double> widths;
    int captionLines = 1;
    for (const Column& c : layout.columns) {
        widths << std::min(c.width * mm, g.width);
        const double inner = std::max(widths.back() - 2 * g.padding, mm);
        captionLines = std::max(captionLines, int(wrapCell(c.caption, g.captionFont, &device, inner).size()));
    }
    const double bodyTop = g.titleHeight + g.lineHeight + g.padding * 2 + captionLines * g.pitch + g.gap;
    const double footerHeight = g.lineHeight + g.padding * 2;
    const qint64 perPage = std::max<qint64>(1, qint64((g.height - bodyTop - footerHeight) / (g.pitch + g.gap)));
    const qint64 bands = std::max<qint64>(1, (rows + perPage - 1) / perPage);
    return bands * columnGroups(widths, g.width).size();
}

int paintReport(const ReportContent& content, QPagedPaintDevice& device, const PaintProgress& progress)
{
    const Template& layout = content.layout;
    const PageGeometry g = geometry(layout, device);
    const double mm = device.logicalDpiX() / 25.4;
    QVector<double> widths, inner;
    QStringList captions;
    for (const Column& c : layout.columns) {
        widths << std::min(c.width * mm, g.width);
        inner << std::max(widths.back() - 2 * g.padding, mm);
        captions << c.caption;
    }
    // Rows are as tall on every page of their column groups, so the pages
    // of one run of rows can be laid side by side.
    const WrappedRow header = wrapRow(captions, inner, g.captionFont, &device);
    QVector<WrappedRow> rows;
    QVector<int> rowLines;
    rows.reserve(content.rows.size());
    const qint64 work = 2 * qint64(content.rows.size());
    qint64 done = 0;
    bool going = true;
    const auto tell = [&](qint64 more) {
        const qint64 before = done;
        done += more;
        if (progress && going && (done / reportedEvery != before / reportedEvery || done == work))
            going = progress(done, work);
        return going;
    };
    for (const QStringList& texts : content.rows) {
        rows << wrapRow(texts, inner, g.bodyFont, &device);
        rowLines << rows.back().lines;
        if (!tell(1))
            return 0;
    }
    const double headerHeight = header.lines * g.pitch + g.gap;
    const double bodyTop = g.titleHeight + g.lineHeight + g.padding * 2 + headerHeight;
    const double footerHeight = g.lineHeight + g.padding * 2;
    const QVector<QVector<RowSlice>> bands = cutIntoPages(rowLines, g.height - bodyTop - footerHeight, g.pitch, g.gap);
    const QVector<QVector<int>> groups = columnGroups(widths, g.width);
    const int pages = static_cast<int>(bands.size() * groups.size());
    const QString dateText = QStringLiteral("日期：") + content.date.toString(QStringLiteral("yyyy-MM-dd"));

    QPainter p;
    if (!p.begin(&device))
        throw ReportError(QStringLiteral("無法輸出報表"));
    QPen rule(Qt::black);
    rule.setWidthF(mm * 0.2);
    QPen rowRule(Qt::gray);
    rowRule.setWidthF(mm * 0.1);
    const QPen text = p.pen();
    int page = 0;
    for (const QVector<RowSlice>& band : bands) {
        if (!going)
            break;
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

            double top = bodyTop - headerHeight;
            p.setFont(g.captionFont);
            drawCells(p, group, widths, header, 0, header.lines, top, g);
            top = bodyTop;
            p.setPen(rule);
            p.drawLine(QPointF(0, top), QPointF(groupWidth, top));

            p.setFont(g.bodyFont);
            for (const RowSlice& slice : band) {
                if (&slice != &band.front()) {
                    p.setPen(rowRule);
                    p.drawLine(QPointF(0, top), QPointF(groupWidth, top));
                }
                p.setPen(text);
                drawCells(p, group, widths, rows[slice.row], slice.firstLine, slice.lineCount, top, g);
                top += slice.lineCount * g.pitch + g.gap;
            }
            p.setPen(rule);
            p.drawLine(QPointF(0, top), QPointF(groupWidth, top));
            p.setPen(text);

            p.drawText(QRectF(0, g.height - g.lineHeight, g.width, g.lineHeight), Qt::AlignCenter,
                       QStringLiteral("第 %1 頁，共 %2 頁").arg(page).arg(pages));
        }
        tell(std::count_if(band.begin(), band.end(), [](const RowSlice& slice) { return slice.firstLine == 0; }));
    }
    p.end();
    return page;
}

}  // namespace report
