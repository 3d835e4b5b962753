// The program's table of the windows the menu entries open.
#include "dispatch.h"
#include "menuwindows.h"

#include <gtest/gtest.h>

namespace {

TEST(MenuWindows, EveryRowIsAMenuEntryShownAsItsEntryRequires)
{
    installMenuWindows();
    // The entries that open a window of the table; 11, 14 and 30 open none.
    const std::vector<int> windowEntries = {6,  8,  9,  10, 12, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24,
                                            25, 26, 27, 28, 29, 31, 32, 33, 34, 35, 36, 37};
    for (int id = -1; id <= 200; ++id) {
        const dispatch::Row* row = dispatch::find(id);
        if (!row)
            continue;
        SCOPED_TRACE(id);
        EXPECT_NE(std::find(windowEntries.begin(), windowEntries.end(), id), windowEntries.end());
        const bool modeless = id == 15 || id == 17 || id == 19;
        EXPECT_EQ(row->shown == dispatch::Shown::Modeless, modeless);
        EXPECT_NE(row->open, nullptr);
    }
    dispatch::setTable({});
}

}  // namespace
