// Every window fits an 800 x 600 screen (the test platform's) with the
// program's own font: nothing off the screen, outside its frame, cut short
// or on top of another control.
#include "dispatch.h"
#include "fit.h"
#include "frmspe.h"
#include "frmsysinf.h"
#include "helpwindow.h"
#include "menusite.h"
#include "placement.h"
#include "testsupport.h"

#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <memory>

namespace {

class WindowFit : public shelltest::MenuWindowsTest {
protected:
    // Shows the window where the dispatcher would and says what is wrong with it.
    static QStringList shownProblems(QWidget* w)
    {
        ui::placeWhenShown(w);
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
        return testsupport::fitProblems(w);
    }
};

TEST_F(WindowFit, EveryWindowOfTheMenu)
{
    int windows = 0;
    for (int id : shelltest::menuWindowEntries()) {
        std::unique_ptr<QWidget> w(dispatch::find(id)->open());
        if (!w)
            continue;
        ++windows;
        EXPECT_EQ(shownProblems(w.get()), QStringList()) << id;
    }
    EXPECT_GT(windows, 10);
}

TEST_F(WindowFit, WindowsOpenedByOtherWindows)
{
    const std::unique_ptr<QWidget> windows[] = {std::make_unique<FrmSysInf>(), std::make_unique<Frmspe>(),
                                                std::make_unique<HelpWindow>()};
    for (const auto& w : windows)
        EXPECT_EQ(shownProblems(w.get()), QStringList()) << w->objectName().toStdString();
}

TEST_F(WindowFit, SerialSettingsWithItsTestPanelOpen)
{
    std::unique_ptr<QWidget> w(dispatch::find(9)->open());
    shownProblems(w.get());
    QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("Cmdtest")), Qt::LeftButton);
    EXPECT_EQ(testsupport::fitProblems(w.get()), QStringList());
}

}  // namespace
