// Every window fits an 800 x 600 screen (the test platform's) with the
// program's own font: nothing off the screen, outside its frame, cut short
// or on top of another control.
#include "app.h"
#include "dispatch.h"
#include "fit.h"
#include "frmspe.h"
#include "frmsysinf.h"
#include "helpwindow.h"
#include "look.h"
#include "menuwindows.h"
#include "placement.h"
#include "testsupport.h"

#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <memory>

namespace {

class WindowFit : public testsupport::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        ui::applyProgramLook();
        openSharedDb();
        installMenuWindows();
        for (const char* s : {
                 "insert into doors (地址,namedr1,delay1,dtype1,namedr2,delay2,dtype2) values ('2','東門','5','玻','西門','0.5','鐵')",
                 "insert into doors (地址,namedr1,delay1,dtype1) values ('17','北門','5','木')",
                 "insert into doors (地址,namedr1,delay1,dtype1) values ('99','南門','5','玻')",
                 "insert into department values ('東座大樓')",
                 "insert into people (卡號,姓名,部門) values ('000123','陳大文','東座大樓')",
                 "insert into people (卡號,姓名,部門) values ('999999','李小明','東座大樓')",
                 "insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values ('17','000123','0000000123',0,0)",
             })
            app::db.Execute(QString::fromUtf8(s));
    }
    void TearDown() override
    {
        dispatch::setTable({});
        ProgramFolderTest::TearDown();
    }

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
    for (int id = 0; id < 100; ++id) {
        const dispatch::Row* row = dispatch::find(id);
        if (!row)
            continue;
        std::unique_ptr<QWidget> w(row->open());
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
