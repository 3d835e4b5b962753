#pragma once

// Fills the menu's table of windows with every window the program has.
void installMenuWindows();
