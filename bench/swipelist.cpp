#include "swipelist.h"

#include "boundgrid.h"
#include "frmque.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QPushButton>
#include <algorithm>

namespace benchdata {

void listFirstSwipes(Frmque& w, qint64 rows, qint64 swipes)
{
    w.resize(800, 600);
    w.show();
    w.repaint();
    QCoreApplication::processEvents();
    const int days = int(std::max<qint64>(1, rows * 365 / swipes));
    if (days < 365) {
        w.Cck[0]->setChecked(true);
        w.t1s->setDate(QDate(2025, 1, 1));
        w.t1e->setDate(QDate(2025, 1, 1).addDays(days - 1));
    }
    w.Ccx->click();
    while (w.DBGrid1->isCounting())
        QCoreApplication::processEvents();
}

}  // namespace benchdata
