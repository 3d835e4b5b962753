// The administration windows open from their menu entries.
#include "frmfkj.h"
#include "mainwindowtest.h"
#include "menuwindows.h"

#include <QApplication>
#include <QTimer>

using shelltest::MainWindowTest;

namespace {

class AdministrationEntries : public MainWindowTest {};

TEST_F(AdministrationEntries, EachEntryOpensItsWindow)
{
    app::db.Execute("insert into cjtype values (0, '0')");
    app::curuser = "brivel";
    installMenuWindows();
    menu* m = load();
    m->show();
    const struct {
        int id;
        const char* window;
    } modal[] = {{10, "FrmRigS"}, {16, "Form3"}, {23, "FrmSJCJSZ"}};
    for (const auto& c : modal) {
        SCOPED_TRACE(c.id);
        QString shown;
        QTimer::singleShot(0, [&] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                shown = w->objectName();
                w->close();
            }
        });
        m->ActiveBar1_ToolClick(c.id);  // returns once the window has closed
        EXPECT_EQ(shown, c.window);
    }
    m->setEntryEnabled(19, true);  // built switched off
    m->ActiveBar1_ToolClick(19);
    QWidget* found = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<frmfkj*>(w) && w->isVisible())
            found = w;
    ASSERT_NE(found, nullptr);
    EXPECT_FALSE(found->isModal());
    found->close();
    dispatch::setTable({});
}

}  // namespace
