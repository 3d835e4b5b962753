#include "safetynet.h"

#include "dbfailure.h"
#include "dberror.h"
#include "msgbox.h"
#include "pointer.h"
#include "program.h"

#include <exception>
#include <functional>

namespace ui {

namespace {

// One message at a time: a timer whose handler keeps failing while the
// message is up adds no second box on top of it.
bool& telling()
{
    static bool shown = false;
    return shown;
}

void tell(const std::function<void()>& show)
{
    if (telling())
        return;
    telling() = true;
    try {
        show();
    } catch (...) {
        telling() = false;
        throw;
    }
    telling() = false;
}

}  // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event)
{
    const int hourglasses = hourglassCount();
    try {
        return QApplication::notify(receiver, event);
    } catch (const platform::ProgramEnded&) {
        throw;  // a test's stand-in for the end of the program
    } catch (const jet::DbError& e) {
        restoreHourglass(hourglasses);
        tell([&] { reportDbFailure(e); });
    } catch (const std::exception& e) {
        restoreHourglass(hourglasses);
        tell([&] { MsgBox(QStringLiteral("程序出錯：\n") + QString::fromLocal8Bit(e.what()), 16); });
    } catch (...) {
        restoreHourglass(hourglasses);
        tell([] { MsgBox(QStringLiteral("程序出錯。"), 16); });
    }
    return false;
}

}  // namespace ui
