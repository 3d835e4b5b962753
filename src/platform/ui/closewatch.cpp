#include "closewatch.h"

#include <QEvent>
#include <QWidget>

namespace ui {

CloseWatch::CloseWatch(QWidget* w) : window(w) { w->installEventFilter(this); }

CloseWatch::~CloseWatch()
{
    if (window)
        window->removeEventFilter(this);
}

bool CloseWatch::eventFilter(QObject*, QEvent* event)
{
    if (event->type() == QEvent::Hide)
        hidden = true;
    return false;
}

}  // namespace ui
