#include "reportcontrol.h"

#include "app.h"
#include "msgbox.h"
#include "programfolder.h"
#include "reportpages.h"

#include <QAction>
#include <QBuffer>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QToolBar>

namespace report {

namespace {

PreviewHandler& previewHandler()
{
    static PreviewHandler handler;
    return handler;
}

ReportContent contentOf(const ReportControl& control)
{
    ReportContent content = readContent(readTemplate(control.ReportFileName()), control.DataFiles(0));
    content.company = app::companyname;
    content.date = control.printDate();
    return content;
}

// Written to a temporary file first, so a failed write leaves no half a PDF.
void writePdfFile(const ReportContent& content, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw ReportError(QStringLiteral("無法寫入文件：%1").arg(path));
    {
        QPdfWriter writer(&file);
        writer.setTitle(content.layout.title);
        writer.setCreator(QStringLiteral("kestrom"));
        setUpPage(content.layout, writer);
        paintReport(content, writer);
    }
    if (!file.commit())
        throw ReportError(QStringLiteral("無法寫入文件：%1").arg(path));
}

void addSaveAsPdf(QPrintPreviewDialog& dialog, const ReportContent& content)
{
    auto* bar = dialog.findChild<QToolBar*>();
    if (!bar)
        return;
    bar->addSeparator();
    QAction* save = bar->addAction(QStringLiteral("另存為PDF"));
    QObject::connect(save, &QAction::triggered, &dialog, [&content] {
        QString path = ui::FileDialog({ui::FileDialogKind::Save, QStringLiteral("另存為PDF"), platform::programFolder(),
                                       QStringLiteral("PDF 文件 (*.pdf)")});
        if (path.isEmpty())
            return;
        if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
            path += QLatin1String(".pdf");
        try {
            writePdfFile(content, path);
        } catch (const ReportError& e) {
            ui::MsgBox(e.message(), 48);
        }
    });
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

qint64 ReportControl::leastPages(qint64 rows) const
{
    const Template layout = readTemplate(reportFile);
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    QPdfWriter writer(&sink);
    setUpPage(layout, writer);
    return report::leastPages(layout, rows, writer);
}

void ReportControl::writePdf(const QString& path) const { writePdfFile(contentOf(*this), path); }

void ReportControl::PrintReport(QWidget* parent) const
{
    const ReportContent content = contentOf(*this);
    if (previewHandler()) {
        previewHandler()(*this);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    setUpPage(content.layout, printer);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(content.layout.title);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&content](QPrinter* target) {
                         try {
                             paintReport(content, *target);
                         } catch (const ReportError& e) {
                             ui::MsgBox(e.message(), 48);
                         }
                     });
    addSaveAsPdf(dialog, content);
    dialog.exec();
}

}  // namespace report
