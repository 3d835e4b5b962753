#pragma once
#include "reporttemplate.h"

#include <QDate>
#include <QString>
#include <functional>

class QWidget;

namespace report {

// In place of the report control: a template file and the database file
// holding its staging table. PrintReport() shows the pages in a preview
// window, from which the operator prints or saves a PDF. The page header
// carries app::companyname as it stands at print time.
class ReportControl {
public:
    void setDataFiles(int index, const QString& path);  // only index 0 is used
    QString DataFiles(int index) const;
    void setReportFileName(const QString& path);
    QString ReportFileName() const;

    // The preview window, modal. Throws ReportError (template) or
    // jet::DbError (staging table) before showing anything; tells the
    // operator, and returns, when there is not the memory for the report.
    void PrintReport(QWidget* parent = nullptr) const;
    // The fewest pages the template makes of so many rows, for telling the
    // operator before a long print. Throws ReportError for a faulty template.
    qint64 leastPages(qint64 rows) const;
    // Writes the report as a PDF file, replacing one that is there.
    void writePdf(const QString& path) const;

    // The day printed in the page header; today unless set.
    void setPrintDate(const QDate& day) { date = day; }
    QDate printDate() const;

private:
    QString dataFile;
    QString reportFile;
    QDate date;
};

// The seam for tests: when set, PrintReport() hands the report to the
// handler instead of opening the preview window.
using PreviewHandler = std::function<void(const ReportControl&)>;
void setPreviewHandler(PreviewHandler handler);

}  // namespace report
