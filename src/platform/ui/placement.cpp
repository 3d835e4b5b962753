#include "placement.h"

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>
#include <algorithm>

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

// Where a window may stand: the screen's free area below the main window's
// menu bar, which stays in sight and in reach above every window.
QRect room(const QRect& free, const QMainWindow* main)
{
    QRect r = free;
    if (main && main->menuWidget() && main->menuWidget()->isVisible()) {
        const QWidget* bar = main->menuWidget();
        r.setTop(std::max(r.top(), bar->mapToGlobal(QPoint(0, bar->height())).y()));
    }
    return r;
}

QRect placed(const QSize& size, const QRect& area, const QRect& room)
{
    QRect r(QPoint(0, 0), size);
    r.moveCenter(area.center());
    if (r.right() > room.right())
        r.moveRight(room.right());
    if (r.bottom() > room.bottom())
        r.moveBottom(room.bottom());
    if (r.left() < room.left())
        r.moveLeft(room.left());
    if (r.top() < room.top())
        r.moveTop(room.top());
    return r;
}

enum class How { Centre, Fill };

// What a window manager's frame usually takes: a title bar and borders.
const QSize usualFrame(8, 32 + 8);

class Placement : public QObject {
public:
    static constexpr const char* name = "kestrom_placement";
    Placement(QWidget* window, PlaceOn on, How how) : QObject(window), window(window), on(on), how(how)
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
        if (how == How::Fill || !window->testAttribute(Qt::WA_Moved))
            place();
        deleteLater();
        return false;
    }

private:
    void place()
    {
        const QMainWindow* main = mainWindow(window);
        const QMainWindow* centreOn = on == PlaceOn::MainWindow ? main : nullptr;
        const QScreen* screen = centreOn ? centreOn->screen() : window->screen();
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (!screen)
            return;
        const QRect screenArea = screen->availableGeometry();
        const QRect free = room(screenArea, main && main->screen() == screen ? main : nullptr);
        // What the frame adds to the window. A window manager may tell only
        // once the window is up: a window filling the room leaves it no less
        // than a frame usually takes.
        const QSize frame = window->frameGeometry().size() - window->size();
        if (how == How::Fill) {
            window->resize(free.size() - frame.expandedTo(usualFrame));
            window->move(free.left() + (free.width() - window->frameGeometry().width()) / 2, free.top());
            return;
        }
        if (const QSize fits = window->size().boundedTo(free.size() - frame).expandedTo(window->minimumSize());
                 fits != window->size())
            window->resize(fits);  // larger than the room: as small as the window allows
        window->move(placed(window->frameGeometry().size(), centreOn ? workingArea(*centreOn) : screenArea, free).topLeft());
    }

    QWidget* window;
    PlaceOn on;
    How how;
};

void placeOnShow(QWidget* window, PlaceOn on, How how)
{
    if (window->isVisible() || window->findChild<QObject*>(QString::fromLatin1(Placement::name), Qt::FindDirectChildrenOnly))
        return;
    new Placement(window, on, how);
}

}  // namespace

QRect freeRoom(const QWidget* window)
{
    const QMainWindow* main = mainWindow(window);
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return room(screen->availableGeometry(), main && main->screen() == screen ? main : nullptr);
}

void placeWhenShown(QWidget* window, PlaceOn on) { placeOnShow(window, on, How::Centre); }

void fillWhenShown(QWidget* window) { placeOnShow(window, PlaceOn::MainWindow, How::Fill); }

void keepRoomWhenHidden(QWidget* control)
{
    QSizePolicy policy = control->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    control->setSizePolicy(policy);
}

}  // namespace ui
