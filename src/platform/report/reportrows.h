#pragma once
#include <QFont>
#include <QStringList>
#include <QVector>
#include <functional>

class QPaintDevice;

namespace report {

// The text of one cell broken into the lines its column prints: at a word
// boundary where there is one, anywhere in a word too long for the column,
// and at every line break of the text. Empty text is one empty line.
QStringList wrapCell(const QString& text, const QFont& font, QPaintDevice* device, double width);

// One row's cells, wrapped to their columns, one entry per column.
struct WrappedRow {
    QVector<QStringList> cells;
    int lines = 1;  // the most lines of any cell
};
WrappedRow wrapRow(const QStringList& texts, const QVector<double>& widths, const QFont& font, QPaintDevice* device);

// The lines of one row that one page prints.
struct RowSlice {
    int row = 0;
    int firstLine = 0;
    int lineCount = 0;
};

// Cuts rows into pages as they come, one row at a time: each page holds
// what fits in `pageHeight`, a row taking `lines * pitch + gap`. A row that
// doesn't fit on the page goes to the next one; a row longer than a whole
// page continues on the pages after it. A page is handed on when it is
// full; what is left once the rows end is the last page (empty when there
// were no rows). Nothing but the page being filled is held, so a cutter
// started afresh at any page's first slice cuts that page as it was cut.
class PageCutter {
public:
    using PageDone = std::function<void(const QVector<RowSlice>& page)>;
    PageCutter(double pageHeight, double pitch, double gap, PageDone done);

    // The lines [first, lines) of a row, after the rows added before it.
    void add(int row, int lines, int first = 0);
    const QVector<RowSlice>& unfinished() const { return page; }

private:
    int fitting(double room) const;

    double pageHeight, pitch, gap;
    int wholePage;
    PageDone done;
    QVector<RowSlice> page;
    double used = 0;
};

}  // namespace report
