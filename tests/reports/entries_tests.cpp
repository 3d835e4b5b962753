// The windows of this folder open from their menu entries, modally.
#include "dispatch.h"
#include "menuwindows.h"
#include "testsupport.h"

#include <QWidget>
#include <memory>

namespace {

class ReportEntries : public testsupport::ProgramFolderTest {};

TEST_F(ReportEntries, EachEntryOpensItsWindowModally)
{
    openSharedDb();
    installMenuWindows();
    for (const auto& [id, window] : {std::pair{29, "FrmWTS"}, std::pair{35, "Form1"}, std::pair{36, "sjkwf2"},
                                     std::pair{37, "Frmkqzl"},
                                     std::pair{27, "Frmque"}, std::pair{28, "Frmkq"}, std::pair{22, "FrmFKXXCX"},
                                     std::pair{33, "FrmTkcx"}}) {
        SCOPED_TRACE(id);
        const dispatch::Row* row = dispatch::find(id);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->shown, dispatch::Shown::Modal);
        std::unique_ptr<QWidget> w(row->open());
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->objectName(), window);
    }
    dispatch::setTable({});
}

}  // namespace
