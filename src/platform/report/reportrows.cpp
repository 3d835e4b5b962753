#include "reportrows.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cmath>

namespace report {

QStringList wrapCell(const QString& text, const QFont& font, QPaintDevice* device, double width)
{
    if (!text.contains(QLatin1Char('\n')) && QFontMetricsF(font, device).horizontalAdvance(text) <= width)
        return {text};
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, font, device);
        layout.setTextOption(option);
        layout.beginLayout();
        const qsizetype before = lines.size();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << paragraph.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
        if (lines.size() == before)
            lines << QString();
    }
    return lines;
}

WrappedRow wrapRow(const QStringList& texts, const QVector<double>& widths, const QFont& font, QPaintDevice* device)
{
    WrappedRow row;
    row.cells.reserve(texts.size());
    for (qsizetype c = 0; c < texts.size(); ++c) {
        row.cells << wrapCell(texts[c], font, device, widths[c]);
        row.lines = std::max(row.lines, static_cast<int>(row.cells.back().size()));
    }
    return row;
}

PageCutter::PageCutter(double pageHeight, double pitch, double gap, PageDone done)
    : pageHeight(pageHeight), pitch(pitch), gap(gap), wholePage(std::max(1, fitting(pageHeight))), done(std::move(done))
{
}

int PageCutter::fitting(double room) const { return static_cast<int>(std::floor((room - gap) / pitch)); }

void PageCutter::add(int row, int lines, int first)
{
    while (first < lines) {
        const int rest = lines - first;
        const int fit = fitting(pageHeight - used);
        if (fit >= rest) {
            page << RowSlice{row, first, rest};
            used += rest * pitch + gap;
            return;
        }
        // A row that a fresh page holds whole waits for it; a longer one
        // fills this page and goes on over the next.
        if (page.isEmpty() || (rest > wholePage && fit >= 1)) {
            const int taken = std::max(1, fit);
            page << RowSlice{row, first, taken};
            first += taken;
        }
        done(page);
        page.clear();
        used = 0;
    }
}

}  // namespace report
