#include "pointer.h"

#include "database.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <atomic>

namespace ui {

namespace {
// Read by a test's own thread too, while the program waits.
std::atomic<int>& waits() {
    static std::atomic<int> count = 0;
    return count;
}
}  // namespace

void hourglass(bool on) {
    if (on && waits()++ == 0)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (!on && waits() > 0 && --waits() == 0)
        QApplication::restoreOverrideCursor();
}

int hourglassCount() { return waits(); }

void showHourglassWhileDbWaits() { jet::onWaitForOthers(hourglass); }

void restoreHourglass(int count) {
    while (waits() > count)
        hourglass(false);
}

QIcon drawnIcon(const QColor& fill, const QString& sign) {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(fill);
    p.setPen(fill.darker(150));
    p.drawEllipse(1, 1, 14, 14);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.drawText(picture.rect(), Qt::AlignCenter, sign);
    return QIcon(picture);
}

}  // namespace ui
