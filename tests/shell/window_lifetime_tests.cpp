// A window closed while one of its handlers waits for a controller must
// outlive that handler; it goes once the wait is over.
#include "app.h"
#include "dispatch.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Waits as an exchange does, letting events run, and tells whether its
// window was still there when the wait ended.
bool waitInsideExchange(QWidget* window, int ms)
{
    QPointer<QWidget> self(window);
    app::ExchangeScope exchange;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return !self.isNull();
}

TEST(WindowLifetime, AModalWindowClosedDuringItsWaitOutlivesTheHandler)
{
    for (bool selfDeleting : {false, true}) {
        auto* dialog = new QDialog();
        dialog->setAttribute(Qt::WA_DeleteOnClose, selfDeleting);
        QPointer<QDialog> alive(dialog);
        bool aliveAfterWait = false;
        QTimer::singleShot(0, dialog, [&] {
            QTimer::singleShot(20, dialog, [&] { dialog->reject(); });
            aliveAfterWait = waitInsideExchange(dialog, 150);
        });
        dispatch::showModal(dialog);
        EXPECT_TRUE(aliveAfterWait) << selfDeleting;
        EXPECT_TRUE(alive.isNull());
    }
}

TEST(WindowLifetime, AModelessWindowGoesOnlyOnceNoExchangeRuns)
{
    auto* window = new QWidget();
    dispatch::deleteWhenClosed(window);
    QPointer<QWidget> alive(window);
    window->show();
    bool aliveAfterWait = false;
    QTimer::singleShot(0, window, [&] {
        QTimer::singleShot(20, window, [&] { window->close(); });
        aliveAfterWait = waitInsideExchange(window, 150);
    });
    QElapsedTimer t;
    t.start();
    while (alive && t.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_TRUE(aliveAfterWait);
    EXPECT_TRUE(alive.isNull());
}

TEST(WindowLifetime, AModelessWindowShownAgainBeforeItGoesStays)
{
    auto* window = new QWidget();
    dispatch::deleteWhenClosed(window);
    QPointer<QWidget> alive(window);
    window->show();
    app::exchangesRunning = 1;
    window->close();
    QCoreApplication::processEvents();
    window->show();
    app::exchangesRunning = 0;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_FALSE(alive.isNull());
    delete window;
}

}  // namespace
