#include "working.h"

#include "pointer.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QWidget>

namespace ui {

namespace {

// Over the window the operator worked in, else in the middle of the screen.
void centre(QWidget* notice, const QWidget* over)
{
    const QRect area = over ? over->frameGeometry() : notice->screen()->availableGeometry();
    notice->move(area.center() - QPoint(notice->width() / 2, notice->height() / 2));
}

}  // namespace

Working::Working(const QString& doing)
    : notice(std::make_unique<QWidget>(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint))
{
    hourglass(true);
    const QWidget* over = QApplication::activeWindow();
    notice->setObjectName(QStringLiteral("Working"));
    notice->setWindowTitle(over ? over->windowTitle() : QStringLiteral("門禁管理系統"));
    notice->setAttribute(Qt::WA_QuitOnClose, false);  // its going never ends the program
    auto* line = new QLabel(doing, notice.get());
    line->setObjectName(QStringLiteral("doing"));
    auto* layout = new QHBoxLayout(notice.get());
    layout->setContentsMargins(24, 16, 24, 16);
    layout->addWidget(line);
    notice->adjustSize();
    centre(notice.get(), over);
    notice->show();
    // Drawn now: the operator's keys and clicks wait for the work's end.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    notice->repaint();
}

Working::~Working()
{
    notice.reset();
    hourglass(false);
}

}  // namespace ui
