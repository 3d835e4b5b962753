#include "placement.h"

#include <QApplication>
#include <QEvent>
#include <QMargins>
#include <QMainWindow>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <optional>

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

// The frame around a window, as far as it is known: nothing until a window
// manager has framed the window. Asked of the window system each time: the
// widget's own record of it may lag behind.
QMargins frameOf(const QWidget& window)
{
    if (const QWindow* handle = window.windowHandle())
        return handle->frameMargins();
    const QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    return QMargins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                    frame.bottom() - inner.bottom());
}

// The last frame a window manager was seen to give a window.
std::optional<QMargins>& lastFrame()
{
    static std::optional<QMargins> frame;
    return frame;
}

// The frame a window has, or, while a window manager has yet to frame it
// (until it is first mapped), the one it will have: that of a window it
// framed already, the main window's first.
std::optional<QMargins> expectedFrame(const QWidget& window)
{
    if (const QMargins own = frameOf(window); !own.isNull())
        return own;
    if (const QMainWindow* main = mainWindow(&window); main && !frameOf(*main).isNull())
        return frameOf(*main);
    for (const QWidget* w : QApplication::topLevelWidgets())
        if (w != &window && w->isVisible() && !frameOf(*w).isNull())
            return frameOf(*w);
    return lastFrame();
}

QSize sizeOf(const QMargins& m) { return QSize(m.left() + m.right(), m.top() + m.bottom()); }

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
        if (event->type() == QEvent::Show && !shown) {
            // The show event comes once the layout has sized the window and
            // before it appears, so it appears where it belongs.
            shown = true;
            if (how == How::Fill || !window->testAttribute(Qt::WA_Moved)) {
                place(expectedFrame(*window));
                watchFrame();
            } else {
                done();
            }
        } else if (event->type() == QEvent::Hide && shown) {
            done();
        }
        return false;
    }

private:
    // A window manager tells the frame once it has framed the window, a
    // moment after it is shown, with no event of its own: the frame is
    // looked at until it is known, and taken once it has held for a few
    // looks (while the window is being framed it may pass through others).
    // Placed for another frame, the window is placed anew.
    void watchFrame()
    {
        auto* timer = new QTimer(this);
        timer->setInterval(25);
        connect(timer, &QTimer::timeout, this, [this, timer, looks = 0, held = 0, last = QMargins()]() mutable {
            const QMargins frame = frameOf(*window);
            held = frame == last ? held + 1 : 0;
            last = frame;
            if (frame.isNull() || held < 3) {
                if (++looks * timer->interval() >= 5000)  // no frame to come
                    done();
                return;
            }
            timer->stop();
            lastFrame() = frame;
            if (!placedFor || *placedFor != frame)
                place(frame);
            done();
        });
        timer->start();
    }

    void done()
    {
        if (finished)
            return;
        finished = true;
        window->removeEventFilter(this);
        deleteLater();
    }

    void place(const std::optional<QMargins>& frame)
    {
        placedFor = frame;
        const QMainWindow* main = mainWindow(window);
        const QMainWindow* centreOn = on == PlaceOn::MainWindow ? main : nullptr;
        const QScreen* screen = centreOn ? centreOn->screen() : window->screen();
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (!screen)
            return;
        const QRect screenArea = screen->availableGeometry();
        const QRect free = room(screenArea, main && main->screen() == screen ? main : nullptr);
        const QMargins margins = frame.value_or(QMargins());
        // The window's own place, inside its frame; the frame itself may
        // not be there yet, so the window is set, not its frame.
        const auto setFrame = [&](const QRect& outer) { window->setGeometry(outer.marginsRemoved(margins)); };
        if (how == How::Fill) {
            // With no frame known yet a window filling the room leaves it
            // what a frame usually takes, until the frame is known.
            const QSize inner = free.size() - (frame ? sizeOf(margins) : usualFrame);
            QRect outer(QPoint(0, 0), inner + sizeOf(margins));
            outer.moveTopLeft(QPoint(free.left() + (free.width() - outer.width()) / 2, free.top()));
            setFrame(outer);
            return;
        }
        const QSize inner =
            window->size().boundedTo(free.size() - sizeOf(margins)).expandedTo(window->minimumSize());
        setFrame(placed(inner + sizeOf(margins), centreOn ? workingArea(*centreOn) : screenArea, free));
    }

    QWidget* window;
    PlaceOn on;
    How how;
    bool shown = false;
    bool finished = false;
    std::optional<QMargins> placedFor;
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

QSize innerRoom(const QWidget* window)
{
    return freeRoom(window).size() - sizeOf(expectedFrame(*window).value_or(QMargins()));
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
