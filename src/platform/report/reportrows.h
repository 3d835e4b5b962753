#pragma once
#include <QFont>
#include <QStringList>
#include <QVector>

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

// Cuts the rows into pages: each page holds what fits in `pageHeight`, a
// row taking `lines * pitch + gap`. A row that doesn't fit on the page
// goes to the next one; a row longer than a whole page continues on the
// pages after it. Always at least one page, empty when there are no rows.
QVector<QVector<RowSlice>> cutIntoPages(const QVector<int>& rowLines, double pageHeight, double pitch, double gap);

}  // namespace report
