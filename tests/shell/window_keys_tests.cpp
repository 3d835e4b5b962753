// Esc on every window of the menu, pressed where the operator's focus is
// when the window opens, closes it as the window's own close does.
#include "dispatch.h"
#include "menusite.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace {

class WindowKeys : public shelltest::MenuWindowsTest {
protected:
    // Esc where the focus is; says whether the window went with it.
    static bool escCloses(QWidget* w)
    {
        if (!QTest::qWaitForWindowExposed(w))
            return false;
        QApplication::setActiveWindow(w);
        (void)QTest::qWaitForWindowActive(w);
        QWidget* focus = w->focusWidget() ? w->focusWidget() : w;
        QTest::keyClick(focus, Qt::Key_Escape);
        return !w->isVisible();
    }
};

TEST_F(WindowKeys, EscClosesEveryWindowOfTheMenu)
{
    for (int id : shelltest::menuWindowEntries()) {
        SCOPED_TRACE(id);
        const dispatch::Row* row = dispatch::find(id);
        QPointer<QWidget> w(row->open());
        if (!w)
            continue;
        bool closed = false;
        if (row->shown == dispatch::Shown::Modeless) {
            dispatch::showModeless(w);
            closed = escCloses(w);
            if (w)
                w->hide();
        } else {
            // Inside the modal wait, as the menu shows it; a window that
            // ignored Esc is hidden afterwards so that the wait ends.
            QTimer::singleShot(0, [&] {
                closed = escCloses(w);
                if (w)
                    w->hide();
            });
            dispatch::showModal(w);
        }
        EXPECT_TRUE(closed) << (w ? w->objectName().toStdString() : std::string());
        QTest::qWait(60);  // the dispatcher deletes a closed modeless window
    }
}

}  // namespace
