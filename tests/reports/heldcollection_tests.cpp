// The collection timer opens no unattended collection while a window holds
// the database: the backup window with the shared handle closed.
#include "mainwindowtest.h"
#include "menuwindows.h"

#include <QAction>
#include <QApplication>
#include <QTimer>

namespace {

class HeldCollection : public shelltest::MainWindowTest {};

TEST_F(HeldCollection, NoCollectionWhileTheBackupWindowIsOpen)
{
    app::db.Execute("insert into cjtype values (1, '09:30')");
    installMenuWindows();
    const dispatch::Row backup = *dispatch::find(35);
    dispatch::setTable({backup, {24, dispatch::Shown::Modal, shelltest::standIn<24>}});
    menu* m = load();
    m->setEntryEnabled(35, true);
    setTime(QDateTime(QDate(2026, 12, 10), QTime(9, 30, 5)));

    bool inside = false;
    QTimer::singleShot(0, m, [&] {
        QWidget* window = QApplication::activeModalWidget();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->objectName(), "Form1");
        inside = true;
        m->Timer1_Timer();
        EXPECT_EQ(shelltest::opened[24].made, 0);
        window->close();
    });
    m->entry(35)->trigger();
    EXPECT_TRUE(inside);
    EXPECT_TRUE(app::db.isOpen());
    m->Timer1_Timer();  // the window is gone: the same minute collects
    EXPECT_EQ(shelltest::opened[24].made, 1);
}

}  // namespace
