#pragma once
#include <QElapsedTimer>

class QProgressBar;

// Records read of the count announced, on a bar. Repainted at most ten
// times a second: a repaint for every record that arrives would cost the
// program more than reading it.
class RecordProgress {
public:
    // The bar shows no text until a count is announced.
    explicit RecordProgress(QProgressBar* bar);
    void start(int announced);
    void read(int count);
    // Shows the count now, when reading has stopped.
    void finish(int count);

private:
    void show(int count);
    QProgressBar* bar;
    QElapsedTimer shown;
    int announced = 0;
};
