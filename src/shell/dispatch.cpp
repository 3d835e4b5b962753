#include "dispatch.h"

#include <QEvent>
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
    w->installEventFilter(&watch);
    QObject::connect(w, &QObject::destroyed, &loop, &QEventLoop::quit);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setWindowModality(Qt::ApplicationModal);
    w->show();
    if (w && w->isVisible())
        loop.exec();
    if (w) {
        w->removeEventFilter(&watch);
        delete w;
    }
}

}  // namespace dispatch
