#include "placement.h"

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>

namespace ui {

namespace {

const QMainWindow* mainWindow(const QWidget* except)
{
    for (const QWidget* w : QApplication::topLevelWidgets()) {
        const auto* main = qobject_cast<const QMainWindow*>(w);
        if (main && main != except && main->isVisible())
            return main;
    }
    return nullptr;
}

// The main window's area between its menu bar and its status bar.
QRect workingArea(const QMainWindow& main)
{
    if (const QWidget* central = main.centralWidget())
        return QRect(central->mapToGlobal(QPoint(0, 0)), central->size());
    return main.frameGeometry();
}

QRect placed(const QSize& size, const QRect& area, const QRect& screen)
{
    QRect r(QPoint(0, 0), size);
    r.moveCenter(area.center());
    if (r.right() > screen.right())
        r.moveRight(screen.right());
    if (r.bottom() > screen.bottom())
        r.moveBottom(screen.bottom());
    if (r.left() < screen.left())
        r.moveLeft(screen.left());
    if (r.top() < screen.top())
        r.moveTop(screen.top());
    return r;
}

class Placement : public QObject {
public:
    static constexpr const char* name = "kestrom_placement";
    Placement(QWidget* window, PlaceOn on) : QObject(window), window(window), on(on)
    {
        setObjectName(QString::fromLatin1(name));
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        // The show event comes once the layout has sized the window and
        // before it appears, so it appears where it belongs.
        if (event->type() != QEvent::Show)
            return false;
        window->removeEventFilter(this);
        if (!window->testAttribute(Qt::WA_Moved))
            place();
        deleteLater();
        return false;
    }

private:
    void place()
    {
        const QMainWindow* main = on == PlaceOn::MainWindow ? mainWindow(window) : nullptr;
        const QScreen* screen = main ? main->screen() : window->screen();
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (!screen)
            return;
        const QRect free = screen->availableGeometry();
        window->move(placed(window->frameGeometry().size(), main ? workingArea(*main) : free, free).topLeft());
    }

    QWidget* window;
    PlaceOn on;
};

}  // namespace

void placeWhenShown(QWidget* window, PlaceOn on)
{
    if (window->isVisible() || window->findChild<QObject*>(QString::fromLatin1(Placement::name), Qt::FindDirectChildrenOnly))
        return;
    new Placement(window, on);
}

void keepRoomWhenHidden(QWidget* control)
{
    QSizePolicy policy = control->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    control->setSizePolicy(policy);
}

}  // namespace ui
