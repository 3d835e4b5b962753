#include "workwatch.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <QWindow>
#include <sqlite3.h>

namespace testsupport {

namespace {

constexpr int stepsBetweenLooks = 20;

WorkWatch*& current()
{
    static WorkWatch* watch = nullptr;
    return watch;
}

int lookNow(void*)
{
    if (current())
        current()->look();
    return 0;  // the work goes on
}

int onOpen(sqlite3* db, char**, const sqlite3_api_routines*)
{
    sqlite3_progress_handler(db, stepsBetweenLooks, lookNow, nullptr);
    return SQLITE_OK;
}

using Entry = void (*)();

}  // namespace

WorkWatch::WorkWatch()
{
    current() = this;
    sqlite3_auto_extension(reinterpret_cast<Entry>(onOpen));
}

WorkWatch::~WorkWatch()
{
    sqlite3_cancel_auto_extension(reinterpret_cast<Entry>(onOpen));
    current() = nullptr;
}

void WorkWatch::look()
{
    ++looks;
    const QString line = workNoticeShown();
    if (line.isEmpty())
        return;
    const QCursor* pointer = QApplication::overrideCursor();
    const bool hourglass = pointer && pointer->shape() == Qt::WaitCursor;
    const QString sight = hourglass ? line : line + QStringLiteral(" (no hourglass)");
    if (!seen.contains(sight))
        seen << sight;
}

QString workNoticeShown()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() != QLatin1String("Working") || !w->isVisible() || !w->windowHandle()
            || !w->windowHandle()->isExposed())
            continue;
        if (const auto* line = w->findChild<QLabel*>(); line && line->isVisible())
            return line->text();
    }
    return QString();
}

}  // namespace testsupport
