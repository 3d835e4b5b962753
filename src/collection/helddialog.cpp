#include "helddialog.h"

#include <QCloseEvent>

void HeldDialog::closeEvent(QCloseEvent* event) {
    if (running) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void HeldDialog::reject() {
    if (!running)
        QDialog::reject();
}
