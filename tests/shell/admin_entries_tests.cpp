// The administration windows open from their menu entries.
#include "dispatch.h"
#include "menuwindows.h"
#include "testsupport.h"

#include <QWidget>
#include <memory>

namespace {

class AdminEntries : public testsupport::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        openSharedDb();
        installMenuWindows();
    }
    void TearDown() override
    {
        dispatch::setTable({});
        ProgramFolderTest::TearDown();
    }
};

TEST_F(AdminEntries, EachEntryOpensItsWindowShownAsItsEntrySays)
{
    const struct {
        int id;
        const char* window;
        dispatch::Shown shown;
    } entries[] = {
        {10, "FrmRigS", dispatch::Shown::Modal},
        {16, "Form3", dispatch::Shown::Modal},
        {19, "frmfkj", dispatch::Shown::Modeless},
        {23, "FrmSJCJSZ", dispatch::Shown::Modal},
    };
    for (const auto& e : entries) {
        SCOPED_TRACE(e.id);
        const dispatch::Row* row = dispatch::find(e.id);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->shown, e.shown);
        std::unique_ptr<QWidget> w(row->open());
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->objectName(), e.window);
    }
}

}  // namespace
