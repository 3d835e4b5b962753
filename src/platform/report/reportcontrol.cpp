#include "reportcontrol.h"

#include "app.h"
#include "pdffile.h"
#include "progress.h"
#include "reportpages.h"
#include "reportpreview.h"

#include <memory>
#include <new>

namespace report {

namespace {

PreviewHandler& previewHandler()
{
    static PreviewHandler handler;
    return handler;
}

std::unique_ptr<PagedReport> reportOf(const ReportControl& control)
{
    return std::make_unique<PagedReport>(readTemplate(control.ReportFileName()), control.DataFiles(0),
                                         app::companyname, control.printDate());
}

}  // namespace

void setPreviewHandler(PreviewHandler handler) { previewHandler() = std::move(handler); }

void ReportControl::setDataFiles(int index, const QString& path)
{
    if (index == 0)
        dataFile = path;
}

QString ReportControl::DataFiles(int index) const { return index == 0 ? dataFile : QString(); }

void ReportControl::setReportFileName(const QString& path) { reportFile = path; }

QString ReportControl::ReportFileName() const { return reportFile; }

QDate ReportControl::printDate() const { return date.isValid() ? date : QDate::currentDate(); }

qint64 ReportControl::leastPages(qint64 rows) const { return report::leastPages(readTemplate(reportFile), rows); }

void ReportControl::writePdf(const QString& path) const
{
    const std::unique_ptr<PagedReport> report = reportOf(*this);
    report->layOut();
    writePdfFile(*report, path);
}

// The rows are laid out on pages once, the operator seeing how far it has
// come and free to stop, which shows no preview; pages are drawn as they
// show. A report the machine has no memory for is told, and the program
// goes on.
void ReportControl::PrintReport(QWidget* parent) const
{
    try {
        const std::unique_ptr<PagedReport> report = reportOf(*this);
        if (previewHandler()) {
            previewHandler()(*this);
            return;
        }
        {
            std::unique_ptr<ui::Progress> progress;
            const bool laidOut = report->layOut([&](qint64 done, qint64 total) {
                if (!progress)
                    progress = std::make_unique<ui::Progress>(parent, QStringLiteral("正在生成報表頁面……"), int(total));
                return progress->at(int(done));
            });
            if (!laidOut)
                return;
        }
        PreviewDialog dialog(*report, parent);
        dialog.exec();
    } catch (const std::bad_alloc&) {
        tellNoMemory();
    }
}

}  // namespace report
