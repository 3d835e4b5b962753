#include "recordprogress.h"

#include <QProgressBar>

RecordProgress::RecordProgress(QProgressBar* bar) : bar(bar) {
    if (!bar)
        return;
    bar->setRange(0, 1);
    bar->setValue(0);
    bar->setFormat(QString());
}

void RecordProgress::start(int count) {
    announced = count;
    // A bar's range can't be empty; the text says what was announced, 0 too.
    bar->setRange(0, qMax(1, count));
    show(0);
    shown.start();
}

void RecordProgress::read(int count) {
    if (count < announced && shown.elapsed() < 100)
        return;
    show(count);
    shown.restart();
}

void RecordProgress::finish(int count) {
    show(count);
    shown.restart();
}

void RecordProgress::show(int count) {
    bar->setValue(count);
    bar->setFormat(QStringLiteral("%1 / %2").arg(count).arg(announced));
}
