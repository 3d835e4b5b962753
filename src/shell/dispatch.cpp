#include "dispatch.h"

#include "app.h"
#include "escape.h"
#include "placement.h"

#include <QEvent>
#include <QTimer>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>

namespace dispatch {

namespace {

std::vector<Row>& table()
{
    static std::vector<Row> rows;
    return rows;
}

// Ends the modal wait when the window is hidden, whether it closes, hides
// itself or is deleted.
class HideWatch : public QObject {
public:
    explicit HideWatch(QEventLoop& loop) : loop(loop) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Hide)
            loop.quit();
        return false;
    }

private:
    QEventLoop& loop;
};

}  // namespace

void setTable(std::vector<Row> rows) { table() = std::move(rows); }

const Row* find(int id)
{
    for (const Row& r : table())
        if (r.id == id)
            return &r;
    return nullptr;
}

void showModal(QWidget* window)
{
    QPointer<QWidget> w(window);
    QEventLoop loop;
    HideWatch watch(loop);
    // Deleted here, once the wait is over, never on close: a window closed
    // while one of its handlers waits for a controller must outlive it. The
    // same when an error ends the wait early: no window is left behind.
    struct Done {
        QPointer<QWidget>& w;
        HideWatch& watch;
        ~Done()
        {
            if (w) {
                w->removeEventFilter(&watch);
                delete w.data();
            }
        }
    } done{w, watch};
    w->installEventFilter(&watch);
    QObject::connect(w, &QObject::destroyed, &loop, &QEventLoop::quit);
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    w->setWindowModality(Qt::ApplicationModal);
    ui::closeOnEscape(w);
    ui::placeWhenShown(w);
    w->show();
    if (w && w->isVisible())
        loop.exec();
}

namespace {

// Deletes its window once the window is hidden and no controller exchange
// runs; shown again before that, the window stays.
class DeleteWhenClosed : public QObject {
public:
    explicit DeleteWhenClosed(QWidget* window) : QObject(window), window(window)
    {
        retry.setInterval(50);
        retry.setSingleShot(true);
        QObject::connect(&retry, &QTimer::timeout, this, &DeleteWhenClosed::check);
        window->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Hide)
            check();
        return false;
    }

private:
    void check()
    {
        if (window->isVisible())
            return;
        if (app::exchangesRunning > 0)
            retry.start();
        else
            window->deleteLater();
    }
    QWidget* window;
    QTimer retry;
};

}  // namespace

void deleteWhenClosed(QWidget* window)
{
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    new DeleteWhenClosed(window);
}

void showModeless(QWidget* window)
{
    deleteWhenClosed(window);
    ui::closeOnEscape(window);
    ui::placeWhenShown(window);
    window->show();
}

}  // namespace dispatch
