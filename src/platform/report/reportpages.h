#pragma once
#include "reporttemplate.h"

#include <QDate>
#include <QRectF>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace report {

class StagedRows;
struct PageGeometry;

// How far long work has come, told now and then: work done of the whole.
// Returning false stops it.
using PaintProgress = std::function<bool(qint64 done, qint64 total)>;

// A report laid out on pages without holding its rows: only where each run
// of rows begins is kept, and a page's rows are read from the staging table
// and drawn when that page is wanted (shown, printed or saved). Columns that
// don't fit across the page go onto following pages; each such page repeats
// the first column. Pages are laid out in the units of an A4 page at 1200
// dots an inch, whatever they are drawn on.
class PagedReport {
public:
    // Opens the template's staging table in the database file; throws
    // ReportError or jet::DbError when it can't be read.
    PagedReport(const Template& layout, const QString& databaseFile, const QString& company, const QDate& date);
    ~PagedReport();
    PagedReport(const PagedReport&) = delete;
    PagedReport& operator=(const PagedReport&) = delete;

    const Template& layout() const { return form; }

    // Reads the rows once in order, breaking them into pages; progress
    // counts the rows. False when progress stopped it (no pages then).
    bool layOut(const PaintProgress& progress = {});
    int pageCount() const;
    // The whole sheet in the page's units (resolution() of them an inch),
    // from the page's origin: its top left is the margins, negative.
    QRectF paper() const;
    int resolution() const;

    // Draws one page (from 0) with a painter in the page's units.
    void paintPage(QPainter& p, int page) const;

private:
    struct BandStart;
    Template form;
    QString company;
    QDate date;
    std::unique_ptr<StagedRows> rows;
    std::unique_ptr<QPagedPaintDevice> metrics;  // for wrapping text as every target prints it
    std::unique_ptr<PageGeometry> g;
    std::vector<BandStart> bands;
    int groupCount = 1;
};

// Draws every page on a device set up by setUpPage, one page at a time;
// progress counts the pages. False when progress stopped it.
bool printPages(const PagedReport& report, QPagedPaintDevice& device, const PaintProgress& progress = {});

// The fewest pages a report of `rows` rows makes: as many as it takes when
// every value fits its column on one line.
qint64 leastPages(const Template& layout, qint64 rows);

// The page size, orientation and margins the report is laid out for.
void setUpPage(const Template& layout, QPagedPaintDevice& device);

}  // namespace report
