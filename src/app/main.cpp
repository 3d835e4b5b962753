#include "login.h"
#include "menuwindows.h"
#include "program.h"

#include <QApplication>
#include <QFont>
#include <QProxyStyle>

namespace {

// Password boxes show a "*" for every character typed, whatever the style's own mark.
class StarPasswords : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kestrom"));
    // Traditional glyphs for the shared Han characters, not Japanese or Simplified ones.
    QFont font(QStringLiteral("Noto Sans CJK TC"));
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);
    QApplication::setStyle(new StarPasswords);

    installMenuWindows();
    auto* window = new login();
    if (!window->Form_Load())
        return 1;
    window->show();
    return QApplication::exec();
}
