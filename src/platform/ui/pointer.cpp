#include "pointer.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>

namespace ui {

void hourglass(bool on) {
    static bool shown = false;
    if (on && !shown)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (!on && shown)
        QApplication::restoreOverrideCursor();
    shown = on;
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
