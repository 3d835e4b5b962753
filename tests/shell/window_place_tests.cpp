// Where the windows open over the loaded main window, on the screen the
// test runs on (800 x 600, and 1024 x 768 for the second run), offscreen
// and under a window manager: inside the screen's free area and clear of
// the main window's menu bar, frame and all.
#include "app.h"
#include "dispatch.h"
#include "fit.h"
#include "frmspe.h"
#include "frmsysinf.h"
#include "helpwindow.h"
#include "look.h"
#include "mainwindowtest.h"
#include "menusite.h"
#include "menuwindows.h"
#include "msgbox.h"
#include "placement.h"
#include "windowmanager.h"

#include <QApplication>
#include <QFile>
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
        testsupport::waitUntilFramed(m);
        free = m->screen()->availableGeometry();
        menuBottom = m->menuBar()->mapToGlobal(QPoint(0, m->menuBar()->height())).y();
    }
    // The screen's free area below the main window's menu bar.
    QRect belowTheMenuBar() const { return QRect(free.left(), menuBottom, free.width(), free.bottom() - menuBottom + 1); }
    void expectBelowTheMenuBar(const QWidget* w) const
    {
        EXPECT_TRUE(belowTheMenuBar().contains(testsupport::frameOf(w)))
            << w->objectName().toStdString() << " at " << text(testsupport::frameOf(w)) << ", room " << text(belowTheMenuBar());
    }
    // Shows the window where the dispatcher would.
    static void show(QWidget* w)
    {
        ui::placeWhenShown(w);
        w->show();
        testsupport::waitUntilFramed(w);
    }

    menu* m = nullptr;
    QRect free;
    int menuBottom = 0;
};

TEST_F(WindowPlace, TheMainWindowAndItsStatusBarAreOnTheScreen)
{
    EXPECT_TRUE(free.contains(testsupport::frameOf(m))) << text(testsupport::frameOf(m));
    // Its title bar too, and the screen's bottom is not left unused.
    EXPECT_GE(testsupport::frameOf(m).top(), free.top()) << text(testsupport::frameOf(m));
    EXPECT_GE(testsupport::frameOf(m).bottom(), free.bottom() - 8) << text(testsupport::frameOf(m));
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
            EXPECT_EQ(testsupport::frameOf(w.get()).top(), room.top());
            EXPECT_LE(std::abs(testsupport::frameOf(w.get()).center().x() - room.center().x()), 1) << text(testsupport::frameOf(w.get()));
        } else if (free.width() <= 800) {
            // Made smaller to fit the smallest screen, a window still shows
            // all it holds.
            EXPECT_EQ(testsupport::fitProblems(w.get()), QStringList()) << w->objectName().toStdString();
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
        testsupport::waitUntilFramed(dialog);
        shown = testsupport::frameOf(dialog);
        dialog->reject();
    });
    ui::FileDialog({ui::FileDialogKind::Save, QStringLiteral("另存為PDF"), folder(), QStringLiteral("PDF 文件 (*.pdf)")});
    ASSERT_FALSE(shown.isNull());
    EXPECT_TRUE(belowTheMenuBar().contains(shown)) << text(shown);
}

// Help open beside the menu: the menu's headings stay there to be clicked,
// not under the help window's title bar.
TEST_F(WindowPlace, HelpOpenedFromTheMenuLeavesTheMenuBarInReach)
{
    ASSERT_TRUE(QFile::copy(KESTROM_HELP_SOURCE, file("kestrom.hlp")));
    QMenuBar* bar = m->menuBar();
    const auto heading = [&](const QString& caption) -> QAction* {
        for (QAction* a : bar->actions())
            if (a->text() == caption)
                return a;
        return nullptr;
    };
    QAction* help = heading(QStringLiteral("幫助"));
    ASSERT_TRUE(help && help->menu());
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(help).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return help->menu()->isVisible(); }, 2000));
    QAction* entry = help->menu()->actions().value(0);
    ASSERT_TRUE(entry && entry->text() == QStringLiteral("幫助"));
    QTest::mouseClick(help->menu(), Qt::LeftButton, {}, help->menu()->actionGeometry(entry).center());
    HelpWindow* window = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* h = qobject_cast<HelpWindow*>(w); h && h->isVisible())
                window = h;
        return window != nullptr;
    }, 2000));
    testsupport::waitUntilFramed(window);
    expectBelowTheMenuBar(window);
    QAction* cards = heading(QStringLiteral("卡操作"));
    ASSERT_TRUE(cards);
    const QPoint onCards = bar->mapToGlobal(bar->actionGeometry(cards).center());
    EXPECT_FALSE(testsupport::frameOf(window).contains(onCards)) << text(testsupport::frameOf(window));
    window->close();
}

// Once more under a window manager, which frames each window only once
// it is up.
TEST(WindowPlaceUnderAWindowManager, AsOffscreen)
{
    testsupport::runUnderWindowManager(QStringLiteral("WindowPlace.*"));
}

}  // namespace
