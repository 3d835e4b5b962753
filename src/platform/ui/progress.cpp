#include "progress.h"

#include <QProgressDialog>
#include <algorithm>

namespace ui {

namespace {

constexpr int momentMilliseconds = 400;

}  // namespace

Progress::Progress(QWidget* window, const QString& label, int total)
    : dialog(std::make_unique<QProgressDialog>(label, QStringLiteral("取消"), 0, total, window))
{
    dialog->setObjectName(QStringLiteral("Progress"));
    dialog->setWindowTitle(window ? window->windowTitle() : QString());
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAutoReset(false);
    dialog->setAutoClose(false);
    dialog->setMinimumDuration(total > ShownAtOnce ? 0 : momentMilliseconds);
    dialog->setValue(0);
    if (total > ShownAtOnce)
        dialog->show();
}

Progress::~Progress() = default;

bool Progress::at(int done)
{
    dialog->setValue(std::min(done, dialog->maximum()));
    return !dialog->wasCanceled();
}

bool Progress::cancelled() const { return dialog->wasCanceled(); }

}  // namespace ui
