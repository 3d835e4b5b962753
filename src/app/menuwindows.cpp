#include "menuwindows.h"

#include "dispatch.h"

// Include here the header of each window listed below.
#include "form1.h"
#include "form2.h"
#include "form3.h"
#include "frmabout.h"
#include "frmbm.h"
#include "frmcdt.h"
#include "frmdec.h"
#include "frmdoors.h"
#include "frmetd.h"
#include "frmfk.h"
#include "frmfkj.h"
#include "frmfkxxcx.h"
#include "frmfkzl.h"
#include "frmkq.h"
#include "frmkqzl.h"
#include "frmque.h"
#include "frmrigs.h"
#include "frmsjcjsz.h"
#include "frmssjsn.h"
#include "frmssxx.h"
#include "frmsys.h"
#include "frmtkcx.h"
#include "frmwts.h"
#include "frmxg.h"
#include "frmzdcj.h"
#include "sjkwf2.h"
#include "superuserconfirm.h"

namespace {

// A window whose constructor does its whole load.
template <class Window>
QWidget* make()
{
    return new Window();
}

// A window with a load of its own, bool Form_Load(), that can decide not
// to open (after telling the operator why).
template <class Window>
QWidget* makeLoaded()
{
    auto* w = new Window();
    if (w->Form_Load())
        return w;
    delete w;
    return nullptr;
}

}  // namespace

// The windows the menu entries open, one row per entry ID, for example:
//
//     {17, Shown::Modeless, make<FrmFK>},
//     {20, Shown::Modal, makeLoaded<Form2>},
//
// Adding a window is that row and the #include of its header above; the
// table's library already links every subsystem's library. Modal windows make the
// main window wait until they close; a modeless one (15, 17, 19) is opened
// once and brought forward when its entry is chosen again.
//
// The menu itself handles 11 (help), 14 (exit) and 30 (nothing); 21 checks
// table doors before it opens its row; the row of 24, the unattended
// collection window, is also what the collection timer opens. An entry
// without a row opens nothing.
void installMenuWindows()
{
    using dispatch::Shown;
    dispatch::setTable({
        {6, Shown::Modal, make<Frmspecial>},
        {8, Shown::Modal, make<Frmdoors>},
        {9, Shown::Modal, make<frmsys>},
        {10, Shown::Modal, make<FrmRigS>},
        {12, Shown::Modal, make<frmabout>},
        {15, Shown::Modeless, make<Frmbm>},
        {16, Shown::Modal, make<Form3>},
        {17, Shown::Modeless, make<FrmFK>},
        {18, Shown::Modal, make<Frmxg>},
        {19, Shown::Modeless, make<frmfkj>},
        {20, Shown::Modal, makeLoaded<Form2>},
        {21, Shown::Modal, makeLoaded<FrmssjsN>},
        {22, Shown::Modal, make<FrmFKXXCX>},
        {23, Shown::Modal, make<FrmSJCJSZ>},
        {24, Shown::Modal, make<FrmZDCJ>},
        {25, Shown::Modal, make<FrmFKZL>},
        {26, Shown::Modal, make<FrmCDT>},
        {27, Shown::Modal, make<Frmque>},
        {28, Shown::Modal, make<Frmkq>},
        {29, Shown::Modal, makeLoaded<FrmWTS>},
        {31, Shown::Modal, make<FrmDec>},
        {32, Shown::Modal, make<FrmEtD>},
        {33, Shown::Modal, make<FrmTkcx>},
        {34, Shown::Modal, make<FrmSSXX>},
        {35, Shown::Modal, makeLoaded<Form1>},
        {36, Shown::Modal, make<sjkwf2>},
        {37, Shown::Modal, makeLoaded<Frmkqzl>},
    });
}
