#pragma once
#include <QString>
#include <memory>

class QProgressDialog;
class QWidget;

namespace ui {

// Long work the operator sees going on and may stop: a modal bar over the
// window with a cancel button. Work of more than ShownAtOnce steps shows it
// at once; shorter work only when it still runs after a moment.
class Progress {
public:
    static constexpr int ShownAtOnce = 10000;

    Progress(QWidget* window, const QString& label, int total);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // The steps done so far; lets the events run. False once the operator
    // has cancelled.
    bool at(int done);
    bool cancelled() const;

private:
    std::unique_ptr<QProgressDialog> dialog;
};

}  // namespace ui
