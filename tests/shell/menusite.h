#pragma once
// The program's windows behind the menu, on a small site: three doors, a
// building, two people and an issued card, so that every window opens
// with something in its lists.
#include "testsupport.h"

namespace shelltest {

// Fills the shared database of the program folder with the small site.
void addSmallSite();

// Every entry of the menu that opens a window of the program's table.
std::vector<int> menuWindowEntries();

class MenuWindowsTest : public testsupport::ProgramFolderTest {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace shelltest
