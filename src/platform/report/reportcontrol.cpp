#include "reportcontrol.h"

#include "app.h"
#include "msgbox.h"
#include "placement.h"
#include "programfolder.h"
#include "progress.h"
#include "reportpages.h"

#include <QAction>
#include <QBuffer>
#include <QEvent>
#include <QLayout>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSaveFile>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <memory>

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

// Fits the preview to its screen once it is shown and its frame is known:
// over most of the free area below the main window's menu bar, never larger
// than it (800 x 600 and 1024 x 768 get the whole of it), every toolbar
// button shown (smaller icons where the screen is narrow) and the pages
// filling the view's width, where their text reads.
class ScreenFit : public QObject {
public:
    explicit ScreenFit(QPrintPreviewDialog& dialog) : QObject(&dialog), dialog(dialog)
    {
        // Placed, frame and all, where every window goes, once sized here:
        // the filter installed later runs first.
        ui::placeWhenShown(&dialog);
        dialog.installEventFilter(this);
        if (auto* pages = dialog.findChild<QPrintPreviewWidget*>())
            pages->setZoomMode(QPrintPreviewWidget::FitToWidth);
        for (QAction* action : dialog.findChildren<QAction*>())
            if (action->objectName() == QLatin1String("fitWidthAction"))
                action->setChecked(true);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            dialog.removeEventFilter(this);
            fit();
        }
        return false;
    }

private:
    void fit()
    {
        const QRect free = ui::freeRoom(&dialog);
        const QSize room = ui::innerRoom(&dialog);
        if (auto* bar = dialog.findChild<QToolBar*>(); bar && bar->sizeHint().width() > room.width() - 20)
            bar->setIconSize(QSize(16, 16));
        const QSize wanted(1100, room.height() * 9 / 10);
        const QSize size = free.width() < 1280 || free.height() < 960 ? room : wanted.boundedTo(room);
        dialog.resize(size);
        // Fitted again at the size it opens at, the view starts at the top
        // of the first page.
        if (dialog.layout())
            dialog.layout()->activate();
        if (auto* pages = dialog.findChild<QPrintPreviewWidget*>())
            pages->setZoomMode(QPrintPreviewWidget::FitToWidth);
    }

    QPrintPreviewDialog& dialog;
};

// Pages of many rows take a while to make: the operator sees how far it has
// come and may stop, which closes the preview.
void paintWithProgress(const ReportContent& content, QPrinter& target, QPrintPreviewDialog& dialog)
{
    std::unique_ptr<ui::Progress> progress;
    paintReport(content, target, [&](qint64 done, qint64 total) {
        if (!progress)
            progress = std::make_unique<ui::Progress>(&dialog, QStringLiteral("正在生成報表頁面……"), int(total));
        return progress->at(int(done));
    });
    if (progress && progress->cancelled())
        QTimer::singleShot(0, &dialog, &QDialog::reject);
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
                     [&content, &dialog](QPrinter* target) {
                         try {
                             paintWithProgress(content, *target, dialog);
                         } catch (const ReportError& e) {
                             ui::MsgBox(e.message(), 48);
                         }
                     });
    addSaveAsPdf(dialog, content);
    new ScreenFit(dialog);
    dialog.exec();
}

}  // namespace report
