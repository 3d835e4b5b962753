// Where the windows open over the loaded main window, on the screen the
// test runs on (800 x 600, and 1024 x 768 for the second run): inside the
// screen's free area and clear of the main window's menu bar.
#include "app.h"
#include "dispatch.h"
#include "frmspe.h"
#include "frmsysinf.h"
#include "helpwindow.h"
#include "look.h"
#include "mainwindowtest.h"
#include "menusite.h"
#include "menuwindows.h"
#include "msgbox.h"
#include "placement.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

std::string text(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}

class WindowPlace : public shelltest::MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ui::applyProgramLook();
        app::db.Execute("insert into cjtype values (0, '0')");
        installMenuWindows();
        shelltest::addSmallSite();
        m = load();
        m->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m));
        free = m->screen()->availableGeometry();
        menuBottom = m->menuBar()->mapToGlobal(QPoint(0, m->menuBar()->height())).y();
    }
    // The screen's free area below the main window's menu bar.
    QRect belowTheMenuBar() const { return QRect(free.left(), menuBottom, free.width(), free.bottom() - menuBottom + 1); }
    void expectBelowTheMenuBar(const QWidget* w) const
    {
        EXPECT_TRUE(belowTheMenuBar().contains(w->frameGeometry()))
            << w->objectName().toStdString() << " at " << text(w->frameGeometry()) << ", room " << text(belowTheMenuBar());
    }
    // Shows the window where the dispatcher would.
    static void show(QWidget* w)
    {
        ui::placeWhenShown(w);
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
    }

    menu* m = nullptr;
    QRect free;
    int menuBottom = 0;
};

TEST_F(WindowPlace, TheMainWindowAndItsStatusBarAreOnTheScreen)
{
    EXPECT_TRUE(free.contains(m->frameGeometry())) << text(m->frameGeometry());
    for (const QLabel* panel : {m->Panel1, m->Panel2}) {
        const QRect shown(panel->mapToGlobal(QPoint(0, 0)), panel->size());
        EXPECT_TRUE(free.contains(shown)) << panel->objectName().toStdString() << " at " << text(shown);
        EXPECT_GE(panel->width(), panel->sizeHint().width()) << panel->objectName().toStdString();
    }
    // Three quarters of the bar for the company, the last quarter for the date.
    EXPECT_NEAR(m->Panel1->width(), 3 * m->Panel2->width(), 12);
}

TEST_F(WindowPlace, EveryWindowOpensBelowTheMenuBar)
{
    for (int id : shelltest::menuWindowEntries()) {
        SCOPED_TRACE(id);
        std::unique_ptr<QWidget> w(dispatch::find(id)->open());
        if (!w)
            continue;
        show(w.get());
        expectBelowTheMenuBar(w.get());
        // The live display takes that room, less what a window manager's
        // frame may take, from its top.
        if (id == 34) {
            const QRect room = belowTheMenuBar();
            EXPECT_GE(w->width(), room.width() - 8);
            EXPECT_GE(w->height(), room.height() - 40);
            EXPECT_EQ(w->frameGeometry().top(), room.top());
            EXPECT_LE(std::abs(w->frameGeometry().center().x() - room.center().x()), 1) << text(w->frameGeometry());
        }
    }
    const std::unique_ptr<QWidget> others[] = {std::make_unique<FrmSysInf>(), std::make_unique<Frmspe>(),
                                               std::make_unique<HelpWindow>()};
    for (const auto& w : others) {
        show(w.get());
        expectBelowTheMenuBar(w.get());
    }
}

// Over a window moved up to the top of the screen (the print preview, say),
// the file dialog still opens clear of the menu bar.
TEST_F(WindowPlace, TheFileDialogOpensBelowTheMenuBar)
{
    QDialog preview;
    preview.setObjectName(QStringLiteral("preview"));
    preview.setGeometry(QRect(free.left(), free.top(), free.width(), 160));
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    QApplication::setActiveWindow(&preview);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&preview));
    ui::setFileHandler({});
    QRect shown;
    QTimer::singleShot(0, [&] {
        QPointer<QFileDialog> dialog;
        for (int i = 0; i < 200 && !dialog; ++i) {
            dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                QTest::qWait(10);
        }
        if (!dialog)
            return;
        (void)QTest::qWaitForWindowExposed(dialog);
        shown = dialog->frameGeometry();
        dialog->reject();
    });
    ui::FileDialog({ui::FileDialogKind::Save, QStringLiteral("另存為PDF"), folder(), QStringLiteral("PDF 文件 (*.pdf)")});
    ASSERT_FALSE(shown.isNull());
    EXPECT_TRUE(belowTheMenuBar().contains(shown)) << text(shown);
}

}  // namespace
