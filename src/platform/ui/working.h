#pragma once
#include <QString>
#include <memory>

class QWidget;

namespace ui {

// Work under way that can't be stopped (a compaction, a large delete, an
// index being made): while the scope lasts, the hourglass and a small window
// saying what is being done, painted before the work starts, since the work
// holds the event loop until it ends.
class Working {
public:
    explicit Working(const QString& doing);
    ~Working();
    Working(const Working&) = delete;
    Working& operator=(const Working&) = delete;

private:
    std::unique_ptr<QWidget> notice;
};

}  // namespace ui
