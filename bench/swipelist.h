#pragma once
#include <QtGlobal>

class Frmque;

namespace benchdata {

// The swipe query window shown, listing the swipes of the first days of the
// year of a file of 'swipes' rows: about 'rows' of them (all when there are
// fewer), every row counted.
void listFirstSwipes(Frmque& w, qint64 rows, qint64 swipes);

}  // namespace benchdata
