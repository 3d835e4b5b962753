#include "reportpreview.h"

#include "dbfailure.h"
#include "msgbox.h"
#include "pdffile.h"
#include "placement.h"
#include "programfolder.h"
#include "progress.h"
#include "reportpages.h"

#include <QAction>
#include <QEvent>
#include <QFile>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <new>

namespace report {

namespace {

constexpr int pageGap = 12;  // pixels around and between the pages
constexpr double zoomStep = 1.25;
constexpr double leastZoom = 0.05, mostZoom = 8;

// The icons the platform's own print preview uses, where it has them.
QIcon toolIcon(const char* name)
{
    const QString path = QStringLiteral(":/qt-project.org/dialogs/qprintpreviewdialog/images/%1-24.png")
                             .arg(QLatin1String(name));
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

QAction* addTool(QToolBar* bar, const QString& text, const char* icon, const char* name)
{
    QAction* action = bar->addAction(toolIcon(icon), text);
    action->setObjectName(QLatin1String(name));
    return action;
}

// What the operator asked for and could not be done is told, never let
// through the event loop.
void toldOnFailure(const std::function<void()>& work)
{
    try {
        work();
    } catch (const ReportError& e) {
        ui::MsgBox(e.message(), 48);
    } catch (const jet::DbError& e) {
        ui::reportDbFailure(e);
    } catch (const std::bad_alloc&) {
        tellNoMemory();
    }
}

}  // namespace

void tellNoMemory() { ui::MsgBox(QStringLiteral("記憶體不足，無法完成報表。"), 16); }

PageView::PageView(const PagedReport& report, QWidget* parent) : QAbstractScrollArea(parent), report(report)
{
    setObjectName(QStringLiteral("pages"));
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setSingleStep(40);
}

int PageView::pageCount() const { return report.pageCount(); }

double PageView::pixelsPerUnit() const { return zoom * logicalDpiX() / report.resolution(); }

QSize PageView::pageOnScreen() const
{
    const QSizeF units = report.paper().size() * pixelsPerUnit();
    return {std::max(1, int(std::lround(units.width()))), std::max(1, int(std::lround(units.height())))};
}

int PageView::pageStep() const { return pageOnScreen().height() + pageGap; }

int PageView::currentPage() const
{
    return std::clamp(verticalScrollBar()->value() / pageStep() + 1, 1, pageCount());
}

void PageView::showPage(int page)
{
    page = std::clamp(page, 1, pageCount());
    verticalScrollBar()->setValue((page - 1) * pageStep());
}

void PageView::fitToWidth()
{
    fit = Fit::Width;
    refit();
}

void PageView::fitInView()
{
    fit = Fit::Page;
    refit();
}

void PageView::zoomBy(double factor)
{
    const int page = currentPage();
    fit = Fit::None;
    zoom = std::clamp(zoom * factor, leastZoom, mostZoom);
    updateScrollBars();
    showPage(page);
    viewport()->update();
}

void PageView::refit()
{
    const int page = currentPage();
    const double unitsToDots = double(logicalDpiX()) / report.resolution();
    const QSizeF page1 = report.paper().size() * unitsToDots;  // at zoom 1
    const QSize room = viewport()->size() - QSize(2 * pageGap, 2 * pageGap);
    // The width fitted as if the scroll bar shows, so showing it doesn't refit.
    const int barWidth = verticalScrollBar()->isVisible() ? 0 : style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const double across = std::max(1, room.width() - (fit == Fit::Width ? barWidth : 0)) / page1.width();
    const double down = std::max(1, room.height()) / page1.height();
    if (fit == Fit::Width)
        zoom = std::clamp(across, leastZoom, mostZoom);
    else if (fit == Fit::Page)
        zoom = std::clamp(std::min(across, down), leastZoom, mostZoom);
    updateScrollBars();
    showPage(page);
    viewport()->update();
}

void PageView::updateScrollBars()
{
    const QSize page = pageOnScreen();
    const qint64 height = qint64(pageCount()) * pageStep() + pageGap;
    const int tall = int(std::min<qint64>(height, std::numeric_limits<int>::max()));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setRange(0, std::max(0, tall - viewport()->height()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, page.width() + 2 * pageGap - viewport()->width()));
}

void PageView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (fit != Fit::None)
        refit();
    else
        updateScrollBars();
}

void PageView::scrollContentsBy(int, int)
{
    viewport()->update();
    emit currentPageChanged(currentPage());
}

void PageView::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    const QSize page = pageOnScreen();
    const int step = pageStep();
    const int top = verticalScrollBar()->value();
    const int left = std::max(pageGap, (viewport()->width() - page.width()) / 2) - horizontalScrollBar()->value();
    const int first = std::max(0, (top - pageGap) / step);
    const int last = std::min(pageCount() - 1, (top + viewport()->height()) / step);
    const double scale = pixelsPerUnit();
    for (int n = first; n <= last; ++n) {
        const QRect shown(left, pageGap + n * step - top, page.width(), page.height());
        p.fillRect(shown.translated(3, 3), Qt::black);
        p.fillRect(shown, Qt::white);
        p.save();
        p.setClipRect(shown);
        p.translate(shown.topLeft());
        p.scale(scale, scale);
        p.translate(-report.paper().topLeft());
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        try {
            report.paintPage(p, n);
        } catch (const std::exception&) {
            // A page that can't be read now (the file gone, memory short)
            // stays blank; printing and saving say why.
        }
        p.restore();
    }
}

PreviewDialog::PreviewDialog(const PagedReport& report, QWidget* parent)
    : QDialog(parent), report(report), view(new PageView(report, this)), bar(new QToolBar(this)),
      pageField(new QLineEdit(this)), pageTotal(new QLabel(this))
{
    setObjectName(QStringLiteral("PrintPreview"));
    setWindowTitle(report.layout().title);

    fitWidth = addTool(bar, QStringLiteral("適合寬度"), "fit-width", "fitWidthAction");
    fitPage = addTool(bar, QStringLiteral("適合頁面"), "fit-page", "fitPageAction");
    fitWidth->setCheckable(true);
    fitPage->setCheckable(true);
    fitWidth->setChecked(true);
    QAction* zoomIn = addTool(bar, QStringLiteral("放大"), "zoom-in", "zoomInAction");
    QAction* zoomOut = addTool(bar, QStringLiteral("縮小"), "zoom-out", "zoomOutAction");
    bar->addSeparator();
    QAction* first = addTool(bar, QStringLiteral("第一頁"), "go-first", "firstPageAction");
    QAction* previous = addTool(bar, QStringLiteral("上一頁"), "go-previous", "prevPageAction");
    pageField->setObjectName(QStringLiteral("pageNumEdit"));
    pageField->setAlignment(Qt::AlignRight);
    pageField->setValidator(new QIntValidator(1, std::max(1, report.pageCount()), pageField));
    const int digits = int(QString::number(report.pageCount()).size());
    pageField->setFixedWidth(pageField->fontMetrics().horizontalAdvance(QString(digits + 1, QLatin1Char('0'))) + 12);
    bar->addWidget(pageField);
    pageTotal->setText(QStringLiteral(" / %1 ").arg(report.pageCount()));
    bar->addWidget(pageTotal);
    QAction* next = addTool(bar, QStringLiteral("下一頁"), "go-next", "nextPageAction");
    QAction* lastPage = addTool(bar, QStringLiteral("最後一頁"), "go-last", "lastPageAction");
    bar->addSeparator();
    QAction* printing = addTool(bar, QStringLiteral("打印"), "print", "printAction");
    bar->addSeparator();
    QAction* save = bar->addAction(QStringLiteral("另存為PDF"));
    save->setObjectName(QStringLiteral("savePdfAction"));

    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->setSpacing(0);
    whole->addWidget(bar);
    whole->addWidget(view, 1);

    connect(fitWidth, &QAction::triggered, this, [this] {
        view->fitToWidth();
        fitWidth->setChecked(true);
        fitPage->setChecked(false);
    });
    connect(fitPage, &QAction::triggered, this, [this] {
        view->fitInView();
        fitPage->setChecked(true);
        fitWidth->setChecked(false);
    });
    const auto zoomed = [this](double factor) {
        view->zoomBy(factor);
        fitWidth->setChecked(false);
        fitPage->setChecked(false);
    };
    connect(zoomIn, &QAction::triggered, this, [zoomed] { zoomed(zoomStep); });
    connect(zoomOut, &QAction::triggered, this, [zoomed] { zoomed(1 / zoomStep); });
    connect(first, &QAction::triggered, this, [this] { view->showPage(1); });
    connect(previous, &QAction::triggered, this, [this] { view->showPage(view->currentPage() - 1); });
    connect(next, &QAction::triggered, this, [this] { view->showPage(view->currentPage() + 1); });
    connect(lastPage, &QAction::triggered, this, [this] { view->showPage(view->pageCount()); });
    connect(pageField, &QLineEdit::editingFinished, this, [this] { view->showPage(pageField->text().toInt()); });
    connect(view, &PageView::currentPageChanged, this, &PreviewDialog::pageShown);
    connect(printing, &QAction::triggered, this, &PreviewDialog::print);
    connect(save, &QAction::triggered, this, &PreviewDialog::saveAsPdf);
    pageShown(1);
    ui::placeWhenShown(this);
    installEventFilter(this);
}

void PreviewDialog::pageShown(int page) { pageField->setText(QString::number(page)); }

// Sized before the placement every window gets sees the show: the filter
// installed later runs first.
bool PreviewDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this && event->type() == QEvent::Show && !fitted) {
        fitted = true;
        fitToScreen();
    }
    return QDialog::eventFilter(watched, event);
}

// Over most of the free area below the main window's menu bar, never larger
// than it (800 x 600 and 1024 x 768 get the whole of it), every toolbar
// button shown (smaller icons where the screen is narrow) and the pages
// filling the view's width, where their text reads, from the top of the
// first page.
void PreviewDialog::fitToScreen()
{
    const QRect free = ui::freeRoom(this);
    const QSize room = ui::innerRoom(this);
    if (bar->sizeHint().width() > room.width() - 20)
        bar->setIconSize(QSize(16, 16));
    if (bar->sizeHint().width() > room.width() - 20)
        bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const QSize wanted(1100, room.height() * 9 / 10);
    const QSize fitted = free.width() < 1280 || free.height() < 960 ? room : wanted.boundedTo(room);
    resize(fitted);
    if (layout())
        layout()->activate();
    view->fitToWidth();
    view->showPage(1);
}

// Pages go to the printer one at a time, as they go into a saved file.
void PreviewDialog::print()
{
    QPrinter printer(QPrinter::HighResolution);
    setUpPage(report.layout(), printer);
    printer.setDocName(report.layout().title);
    QPrintDialog choose(&printer, this);
    if (choose.exec() != QDialog::Accepted)
        return;
    toldOnFailure([&] {
        ui::Progress progress(this, QStringLiteral("正在打印報表……"), report.pageCount());
        if (!printPages(report, printer, [&progress](qint64 done, qint64) { return progress.at(int(done)); }))
            printer.abort();
    });
}

void PreviewDialog::saveAsPdf()
{
    QString path = ui::FileDialog({ui::FileDialogKind::Save, QStringLiteral("另存為PDF"), platform::programFolder(),
                                   QStringLiteral("PDF 文件 (*.pdf)")});
    if (path.isEmpty())
        return;
    if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        path += QLatin1String(".pdf");
    toldOnFailure([&] {
        ui::Progress progress(this, QStringLiteral("正在另存為PDF……"), report.pageCount());
        writePdfFile(report, path, [&progress](qint64 done, qint64) { return progress.at(int(done)); });
    });
}

}  // namespace report
