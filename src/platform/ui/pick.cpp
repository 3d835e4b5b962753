#include "pick.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

namespace ui {

namespace {

// Watches the open list: a release on an item or Enter (which the list
// takes as a shortcut override) marks the next
// activation of the box as a pick. Installed after the list's own filter,
// so it sees the event first; the mark lasts only for that event.
class PickWatch : public QObject {
public:
    explicit PickWatch(QComboBox* box) : QObject(box)
    {
        box->view()->installEventFilter(this);
        box->view()->viewport()->installEventFilter(this);
    }
    bool fromList = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        bool choosing = false;
        if (event->type() == QEvent::MouseButtonRelease)
            choosing = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        else if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            choosing = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Select;
        }
        if (choosing) {
            fromList = true;
            QPointer<PickWatch> self(this);
            QTimer::singleShot(0, this, [self] {
                if (self)
                    self->fromList = false;
            });
        }
        return false;
    }
};

}  // namespace

void onPick(QComboBox* box, QObject* context, std::function<void()> picked)
{
    auto* watch = new PickWatch(box);
    QObject::connect(box, &QComboBox::activated, context, [watch, picked = std::move(picked)] {
        if (!watch->fromList)
            return;
        watch->fromList = false;
        picked();
    });
}

}  // namespace ui
