#pragma once
#include <QObject>
#include <QPointer>

class QWidget;

namespace ui {

// Notes whether its window closes (is hidden) while the watch lives: a
// handler that waited for a controller says nothing more once the operator
// has closed its window during the wait.
class CloseWatch : public QObject {
public:
    explicit CloseWatch(QWidget* window);
    ~CloseWatch() override;
    bool closed() const { return hidden; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window;
    bool hidden = false;
};

}  // namespace ui
