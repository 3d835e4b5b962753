// The platform's own dialogs, calendars and buttons speak Traditional
// Chinese, with Taiwan's dates, once the program's look is applied.
#include "look.h"

#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

bool isHan(const QString& text)
{
    for (QChar c : text)
        if (c.script() == QChar::Script_Han)
            return true;
    return false;
}

TEST(ProgramLook, PlatformDialogsCalendarsAndButtonsSpeakTraditionalChinese)
{
    ASSERT_TRUE(ui::applyProgramLook()) << "Qt's translations (qt6-translations-l10n) are missing";

    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
    EXPECT_TRUE(isHan(buttons.button(QDialogButtonBox::Ok)->text()));
    EXPECT_TRUE(isHan(buttons.button(QDialogButtonBox::Yes)->text()));

    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    const auto* lookIn = files.findChild<QLabel*>(QStringLiteral("lookInLabel"));
    ASSERT_TRUE(lookIn);
    EXPECT_TRUE(isHan(lookIn->text())) << lookIn->text().toStdString();

    QCalendarWidget calendar;
    calendar.setCurrentPage(2026, 3);
    const auto* month = calendar.findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
    ASSERT_TRUE(month);
    EXPECT_TRUE(isHan(month->text())) << month->text().toStdString();

    QPrintPreviewDialog preview;
    EXPECT_TRUE(isHan(preview.windowTitle())) << preview.windowTitle().toStdString();

    EXPECT_EQ(QLocale().territory(), QLocale::Taiwan);
    EXPECT_EQ(QLocale().toString(QDate(2026, 12, 10), QStringLiteral("dddd")), QStringLiteral("星期四"));
}

}  // namespace
