#include "look.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QProxyStyle>
#include <QTranslator>

namespace ui {

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

bool applyProgramLook()
{
    // Traditional glyphs for the shared Han characters, not Japanese or Simplified ones.
    QFont font(QStringLiteral("Noto Sans CJK TC"));
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);
    QApplication::setStyle(new StarPasswords);

    const QLocale taiwan(QLocale::Chinese, QLocale::TraditionalHanScript, QLocale::Taiwan);
    QLocale::setDefault(taiwan);
    static QTranslator* platformTexts = nullptr;
    if (!platformTexts) {
        platformTexts = new QTranslator(qApp);
        if (!platformTexts->load(taiwan, QStringLiteral("qtbase"), QStringLiteral("_"),
                                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete platformTexts;
            platformTexts = nullptr;
            return false;
        }
        QApplication::installTranslator(platformTexts);
    }
    return true;
}

}  // namespace ui
