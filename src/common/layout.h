#pragma once

class QWidget;

// Proportional rescaling of a window laid out by absolute geometry.
//
// SaveLayout, called once at the end of a window's load, writes into each
// control's "Tag" property its left, top, width and height ("L T W H ", each
// number followed by one blank) and remembers the window's inner size as the
// window's own base size. ApplyLayout, called from the window's resize event,
// moves and sizes every control with such a tag by the ratio of the window's
// present inner size to that base size. Fonts keep their size; the window
// itself is neither moved nor sized. Because every resize scales from the
// load geometry, resizing back to the load size restores it exactly.
//
// Controls are the named widgets of the window (objectName set, as every
// control of the program has), inside frames and other containers too.
// Qt's own inner widgets ("qt_" names) and widgets placed by a QLayout are
// left to their owners.
void SaveLayout(QWidget& window);
void ApplyLayout(QWidget& window);
