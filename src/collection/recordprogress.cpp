#include "recordprogress.h"

#include <QProgressBar>

void RecordProgress::start(int count) {
    announced = count;
    bar->setRange(0, qMax(1, count));
    bar->setValue(0);
    shown.start();
}

void RecordProgress::read(int count) {
    if (count < announced && shown.elapsed() < 100)
        return;
    bar->setValue(count);
    shown.restart();
}

void RecordProgress::finish(int count) {
    bar->setValue(count);
    shown.restart();
}
