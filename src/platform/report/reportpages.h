#pragma once
#include "reporttemplate.h"

#include <QDate>
#include <QStringList>
#include <QVector>
#include <functional>

class QPagedPaintDevice;

namespace report {

// What one report prints: its template, the texts of its rows (one entry per
// template column) and what the page header names.
struct ReportContent {
    Template layout;
    QVector<QStringList> rows;
    QString company;
    QDate date;
};

// Reads the staging table of a template from the database file, in row order.
ReportContent readContent(const Template& layout, const QString& databaseFile);

// How far painting has come, told now and then: work done of the whole
// (each row counts once as it is laid out and once as it is drawn).
// Returning false stops it: no further page is drawn.
using PaintProgress = std::function<bool(qint64 done, qint64 total)>;

// Columns that don't fit across the page go onto following pages; each such
// page repeats the first column. Returns the number of pages drawn.
int paintReport(const ReportContent& content, QPagedPaintDevice& device, const PaintProgress& progress = {});

// The fewest pages a report of `rows` rows makes: as many as it takes when
// every value fits its column on one line.
qint64 leastPages(const Template& layout, qint64 rows, QPagedPaintDevice& device);

// The page size, orientation and margins the report is laid out for.
void setUpPage(const Template& layout, QPagedPaintDevice& device);

}  // namespace report
