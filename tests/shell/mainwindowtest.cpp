#include "mainwindowtest.h"

#include <QCloseEvent>
#include <QTimer>

namespace shelltest {

void StandIn::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    modalWhenShown = isModal();
    if (!modalWhenShown)
        return;
    // Leave the show first, as an operator would, then act inside the wait.
    QTimer::singleShot(0, this, [this] {
        const bool keepOpen = onShown && onShown(this);
        if (!keepOpen)
            close();
    });
}

void StandIn::closeEvent(QCloseEvent* e)
{
    if (onClose)
        onClose();
    QWidget::closeEvent(e);
}

void MainWindowTest::SetUp()
{
    ProgramFolderTest::SetUp();
    openSharedDb();
    opened.clear();
    onShown = {};
    dispatch::setTable({});
    setTime(QDateTime(QDate(2026, 12, 10), QTime(8, 0)));
}

void MainWindowTest::TearDown()
{
    unload();
    dispatch::setTable({});
    menu::setClock([] { return QDateTime::currentDateTime(); });
    onShown = {};
    opened.clear();
    ProgramFolderTest::TearDown();
}

menu* MainWindowTest::load() { return menu::instance(); }

void MainWindowTest::unload()
{
    if (menu::isLoaded())
        delete menu::instance();
}

void MainWindowTest::setTime(const QDateTime& t)
{
    menu::setClock([t] { return t; });
}

}  // namespace shelltest
