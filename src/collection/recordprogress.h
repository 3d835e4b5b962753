#pragma once
#include <QElapsedTimer>

class QProgressBar;

// Records read of the count announced, on a bar. Repainted at most ten
// times a second: a repaint for every record that arrives would cost the
// program more than reading it.
class RecordProgress {
public:
    explicit RecordProgress(QProgressBar* bar) : bar(bar) {}
    void start(int announced);
    void read(int count);
    // Shows the count now, when reading has stopped.
    void finish(int count);

private:
    QProgressBar* bar;
    QElapsedTimer shown;
    int announced = 0;
};
