#include "reportpages.h"

#include "reportrows.h"
#include "stagedrows.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

namespace report {

void setUpPage(const Template& layout, QPagedPaintDevice& device)
{
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                     layout.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
}

namespace {

// Rows read from the staging table at a time while laying out, and while
// drawing one page.
constexpr int rowsPerRead = 1000;
constexpr int rowsPerPageRead = 64;

// Its map gives every ideograph a glyph of its own: the PDF's text layer
// names each glyph by the first character the font maps to it, and fonts
// that share one glyph between an ideograph and the Kangxi radical drawn
// alike (人 and ⼈) make saved reports extract, and search, as radicals.
const QString fontFamily = QStringLiteral("WenQuanYi Zen Hei");

// Pages are measured on a PDF device that is never drawn on: its text
// metrics are those of every target the pages are drawn on at its scale.
std::unique_ptr<QPagedPaintDevice> metricsDevice(const Template& layout)
{
    auto* sink = new QBuffer;
    sink->open(QIODevice::WriteOnly);
    auto device = std::make_unique<QPdfWriter>(sink);
    sink->setParent(device.get());
    setUpPage(layout, *device);
    return device;
}

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

// A font of the template's size in the device's pixels, so it prints alike
// on a device drawn on at another scale.
QFont sizedFont(double points, bool bold, const QPaintDevice& device)
{
    QFont font(fontFamily);
    font.setPixelSize(std::max(1, qRound(points * device.logicalDpiY() / 72.0)));
    font.setBold(bold);
    return font;
}

}  // namespace

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
    QVector<double> widths, inner;
    WrappedRow header;
    double headerHeight = 0;
    double bodyTop = 0;
    double bodyHeight = 0;
    QVector<QVector<int>> groups;

    PageGeometry(const Template& layout, QPagedPaintDevice& device)
    {
        bodyFont = sizedFont(layout.fontSize, false, device);
        captionFont = sizedFont(layout.fontSize, true, device);
        titleFont = sizedFont(layout.fontSize + 5, true, device);
        width = device.width();
        height = device.height();
        const QFontMetricsF body(bodyFont, &device);
        titleHeight = QFontMetricsF(titleFont, &device).lineSpacing() * 1.3;
        lineHeight = body.lineSpacing() * 1.2;
        pitch = body.lineSpacing();
        gap = body.lineSpacing() * 0.4;
        padding = device.logicalDpiX() / 25.4;
        const double mm = padding;
        QStringList captions;
        for (const Column& c : layout.columns) {
            widths << std::min(c.width * mm, width);
            inner << std::max(widths.back() - 2 * padding, mm);
            captions << c.caption;
        }
        // Rows are as tall on every page of their column groups, so the
        // pages of one run of rows can be laid side by side.
        header = wrapRow(captions, inner, captionFont, &device);
        headerHeight = header.lines * pitch + gap;
        bodyTop = titleHeight + lineHeight + padding * 2 + headerHeight;
        const double footerHeight = lineHeight + padding * 2;
        bodyHeight = height - bodyTop - footerHeight;
        groups = columnGroups(widths, width);
    }
};

// Where a run of rows across the page begins: after the row of 'before'
// (at the first row when there is none), at that row's line 'firstLine'.
struct PagedReport::BandStart {
    bool atFirstRow = true;
    jet::RowKey before;
    int firstLine = 0;
};

namespace {

// The lines [first, first + count) of each cell of the group, one row.
void drawCells(QPainter& p, const QVector<int>& group, const QVector<double>& widths, const WrappedRow& row,
               int first, int count, double top, double padding, double gap, double pitch)
{
    double left = 0;
    for (int c : group) {
        const QStringList& lines = row.cells[c];
        const double inner = widths[c] - 2 * padding;
        for (int k = 0; k < count && first + k < lines.size(); ++k)
            p.drawText(QRectF(left + padding, top + gap / 2 + k * pitch, inner, pitch),
                       Qt::AlignLeft | Qt::AlignVCenter, lines[first + k]);
        left += widths[c];
    }
}

}  // namespace

PagedReport::PagedReport(const Template& layout, const QString& databaseFile, const QString& company, const QDate& date)
    : form(layout), company(company), date(date), rows(std::make_unique<StagedRows>(layout, databaseFile)),
      metrics(metricsDevice(layout)), g(std::make_unique<PageGeometry>(layout, *metrics)),
      groupCount(std::max<int>(1, int(g->groups.size())))
{
    bands.push_back({});
}

PagedReport::~PagedReport() = default;

int PagedReport::pageCount() const { return int(bands.size()) * groupCount; }

QRectF PagedReport::paper() const
{
    const QPageLayout page = metrics->pageLayout();
    const QRect whole = page.fullRectPixels(resolution()), printed = page.paintRectPixels(resolution());
    return QRectF(whole.topLeft() - printed.topLeft(), whole.size());
}

int PagedReport::resolution() const { return metrics->logicalDpiX(); }

bool PagedReport::layOut(const PaintProgress& progress)
{
    bands.clear();
    bands.push_back({});
    const qint64 total = rows->count();
    qint64 done = 0;
    // The row being added and the key of the row before it: a page that
    // fills while it is added is followed by that row's next line or by
    // the next row.
    int current = 0, currentLines = 0;
    jet::RowKey before, currentKey;
    PageCutter cutter(g->bodyHeight, g->pitch, g->gap, [&](const QVector<RowSlice>& page) {
        const RowSlice& last = page.back();
        const int end = last.firstLine + last.lineCount;
        if (last.row == current && end < currentLines)
            bands.push_back({current == 0, before, end});
        else if (last.row == current)
            bands.push_back({false, currentKey, 0});
        else
            bands.push_back({false, before, 0});
    });
    std::vector<StagedRows::Row> read = rows->after(nullptr, rowsPerRead);
    while (!read.empty()) {
        for (StagedRows::Row& row : read) {
            currentKey = std::move(row.key);
            currentLines = wrapRow(row.texts, g->inner, g->bodyFont, metrics.get()).lines;
            cutter.add(current, currentLines);
            before = currentKey;
            ++current;
        }
        done += qint64(read.size());
        if (progress && !progress(done, std::max(total, done))) {
            bands.clear();
            bands.push_back({});
            return false;
        }
        read = rows->after(&before, rowsPerRead);
    }
    if (bands.size() > 1 && cutter.unfinished().isEmpty())
        bands.pop_back();
    return true;
}

void PagedReport::paintPage(QPainter& p, int page) const
{
    const BandStart& start = bands.at(std::clamp(page / groupCount, 0, int(bands.size()) - 1));
    const QVector<int>& group = g->groups.value(page % groupCount);

    // The band's rows, read and cut afresh from its start until its page is full.
    QVector<WrappedRow> wrapped;
    QVector<RowSlice> slices;
    bool full = false;
    PageCutter cutter(g->bodyHeight, g->pitch, g->gap, [&](const QVector<RowSlice>& done) {
        if (!full)
            slices = done;
        full = true;
    });
    jet::RowKey last = start.before;
    const jet::RowKey* from = start.atFirstRow ? nullptr : &last;
    while (!full) {
        std::vector<StagedRows::Row> read = rows->after(from, rowsPerPageRead);
        if (read.empty())
            break;
        for (StagedRows::Row& row : read) {
            wrapped << wrapRow(row.texts, g->inner, g->bodyFont, metrics.get());
            cutter.add(int(wrapped.size()) - 1, wrapped.back().lines, wrapped.size() == 1 ? start.firstLine : 0);
            if (full)
                break;
        }
        last = std::move(read.back().key);
        from = &last;
    }
    if (!full)
        slices = cutter.unfinished();

    const double mm = g->padding;
    double groupWidth = 0;
    for (int c : group)
        groupWidth += g->widths[c];
    QPen rule(Qt::black);
    rule.setWidthF(mm * 0.2);
    QPen rowRule(Qt::gray);
    rowRule.setWidthF(mm * 0.1);
    const QPen text(Qt::black);

    p.setPen(text);
    p.setFont(g->titleFont);
    p.drawText(QRectF(0, 0, g->width, g->titleHeight), Qt::AlignCenter, form.title);
    p.setFont(g->bodyFont);
    const QRectF info(0, g->titleHeight, g->width, g->lineHeight);
    p.drawText(info, Qt::AlignLeft | Qt::AlignVCenter, company);
    p.drawText(info, Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("日期：") + date.toString(QStringLiteral("yyyy-MM-dd")));

    double top = g->bodyTop - g->headerHeight;
    p.setFont(g->captionFont);
    drawCells(p, group, g->widths, g->header, 0, g->header.lines, top, g->padding, g->gap, g->pitch);
    top = g->bodyTop;
    p.setPen(rule);
    p.drawLine(QPointF(0, top), QPointF(groupWidth, top));

    p.setFont(g->bodyFont);
    for (const RowSlice& slice : slices) {
        if (&slice != &slices.front()) {
            p.setPen(rowRule);
            p.drawLine(QPointF(0, top), QPointF(groupWidth, top));
        }
        p.setPen(text);
        drawCells(p, group, g->widths, wrapped[slice.row], slice.firstLine, slice.lineCount, top, g->padding, g->gap,
                  g->pitch);
        top += slice.lineCount * g->pitch + g->gap;
    }
    p.setPen(rule);
    p.drawLine(QPointF(0, top), QPointF(groupWidth, top));
    p.setPen(text);
    p.drawText(QRectF(0, g->height - g->lineHeight, g->width, g->lineHeight), Qt::AlignCenter,
               QStringLiteral("第 %1 頁，共 %2 頁").arg(page + 1).arg(pageCount()));
}

bool printPages(const PagedReport& report, QPagedPaintDevice& device, const PaintProgress& progress)
{
    QPainter p;
    if (!p.begin(&device))
        throw ReportError(QStringLiteral("無法輸出報表"));
    const double scale = double(device.logicalDpiX()) / report.resolution();
    const int pages = report.pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            device.newPage();
        p.resetTransform();
        p.scale(scale, scale);
        report.paintPage(p, page);
        if (progress && !progress(page + 1, pages)) {
            p.end();
            return false;
        }
    }
    p.end();
    return true;
}

qint64 leastPages(const Template& layout, qint64 rows)
{
    const std::unique_ptr<QPagedPaintDevice> device = metricsDevice(layout);
    const PageGeometry g(layout, *device);
    const qint64 perPage = std::max<qint64>(1, qint64(g.bodyHeight / (g.pitch + g.gap)));
    const qint64 bands = std::max<qint64>(1, (rows + perPage - 1) / perPage);
    return bands * g.groups.size();
}

}  // namespace report
