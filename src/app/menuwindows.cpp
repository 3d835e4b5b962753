#include "menuwindows.h"

#include "dispatch.h"

// Include here the header of each window listed below.

namespace {

// Makes a window for the table; the window's constructor does its load.
template <class Window>
QWidget* make()
{
    return new Window();
}

}  // namespace

// The windows the menu entries open, one row per entry ID:
//
//     {17, Shown::Modeless, make<FrmFK>},
//
// Modal windows make the main window wait until they close; a modeless one
// is opened once and brought forward when its entry is chosen again. When a
// window has a load that can decide not to open, give a function of its own
// that returns nullptr then:
//
//     {20, Shown::Modal, [] () -> QWidget* { auto* w = new Form2(); return w->Form_Load() ? w : (delete w, nullptr); }},
//
// The menu itself handles 11 (help), 14 (exit) and 30 (nothing); 21 checks
// table doors before it opens its row, and the collection timer opens the
// row of 24. An entry without a row opens nothing.
void installMenuWindows()
{
    using dispatch::Shown;
    dispatch::setTable({
    });
}
