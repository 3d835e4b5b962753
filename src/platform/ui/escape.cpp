#include "escape.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

namespace ui {

namespace {

constexpr const char* marked = "kestrom_close_on_escape";

// On the application, so it has the key before any entry box's own filter
// (those look at the characters typed, and Esc types none). An open list is
// a window of its own and keeps its Esc; a grid's cell editor keeps it too,
// and an Esc it leaves comes up to the window and closes it then.
class CloseOnEscape : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel))
            return false;
        auto* widget = qobject_cast<QWidget*>(receiver);
        if (!widget)
            return false;
        QWidget* window = widget->window();
        if (!window->property(marked).toBool())
            return false;
        for (QWidget* w = widget; w != window; w = w->parentWidget())
            if (qobject_cast<QAbstractItemView*>(w))
                return false;
        window->close();
        return true;
    }
};

}  // namespace

void closeOnEscape(QWidget* window)
{
    static QPointer<CloseOnEscape> filter;
    if (!filter) {
        filter = new CloseOnEscape(qApp);
        qApp->installEventFilter(filter);
    }
    window->setProperty(marked, true);
}

}  // namespace ui
