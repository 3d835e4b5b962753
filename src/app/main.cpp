#include "login.h"
#include "look.h"
#include "menuwindows.h"
#include "placement.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kestrom"));
    ui::applyProgramLook();

    installMenuWindows();
    auto* window = new login();
    if (!window->Form_Load())
        return 1;
    ui::placeWhenShown(window);
    window->show();
    return QApplication::exec();
}
