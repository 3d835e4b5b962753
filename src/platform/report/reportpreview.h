#pragma once
#include <QAbstractScrollArea>
#include <QDialog>

class QLabel;
class QLineEdit;
class QToolBar;

namespace report {

class PagedReport;

// The pages of a report one under another, each drawn only while some of it
// shows, so a report of any length costs the view what two pages cost.
class PageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    PageView(const PagedReport& report, QWidget* parent);

    int pageCount() const;
    // The page at the top of the view, from 1.
    int currentPage() const;
    void showPage(int page);

    // 1 shows a page at its printed size.
    double zoomFactor() const { return zoom; }
    bool fitsWidth() const { return fit == Fit::Width; }
    void fitToWidth();
    void fitInView();
    void zoomBy(double factor);

signals:
    void currentPageChanged(int page);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    enum class Fit { None, Width, Page };
    double pixelsPerUnit() const;
    QSize pageOnScreen() const;
    int pageStep() const;
    void refit();
    void updateScrollBars();

    const PagedReport& report;
    double zoom = 1;
    Fit fit = Fit::Width;
};

// The preview window: the pages, with the toolbar to zoom, go from page to
// page, print, and save the report as a PDF file.
class PreviewDialog : public QDialog {
    Q_OBJECT
public:
    PreviewDialog(const PagedReport& report, QWidget* parent);

    PageView* pages() const { return view; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitToScreen();
    void print();
    void saveAsPdf();
    void pageShown(int page);

    const PagedReport& report;
    PageView* view;
    QToolBar* bar;
    QLineEdit* pageField;
    QLabel* pageTotal;
    QAction* fitWidth;
    QAction* fitPage;
    bool fitted = false;
};

// Tells the operator there is not the memory a report needs.
void tellNoMemory();

}  // namespace report
