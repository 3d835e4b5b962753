#include "pdffile.h"

#include <QPdfWriter>
#include <QSaveFile>

namespace report {

bool writePdfFile(const PagedReport& report, const QString& path, const PaintProgress& progress)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw ReportError(QStringLiteral("無法寫入文件：%1").arg(path));
    bool whole = false;
    {
        QPdfWriter writer(&file);
        writer.setTitle(report.layout().title);
        writer.setCreator(QStringLiteral("kestrom"));
        writer.setResolution(report.resolution());
        setUpPage(report.layout(), writer);
        whole = printPages(report, writer, progress);
    }
    if (!whole) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        throw ReportError(QStringLiteral("無法寫入文件：%1").arg(path));
    return true;
}

}  // namespace report
