#include "login.h"
#include "menuwindows.h"
#include "program.h"

#include <QApplication>
#include <QFont>

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kestrom"));
    // Traditional glyphs for the shared Han characters, not Japanese or Simplified ones.
    QFont font(QStringLiteral("Noto Sans CJK TC"));
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);

    installMenuWindows();
    auto* window = new login();
    if (!window->Form_Load())
        return 1;
    window->show();
    return QApplication::exec();
}
