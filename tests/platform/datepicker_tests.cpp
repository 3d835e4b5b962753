// A date picker takes a date typed whole, also where it shows none yet, and
// an empty one's calendar opens at today's month.
#include "datepicker.h"

#include <QCalendarWidget>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

class DatePicking : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* box = new QVBoxLayout(&window);
        picker = new ui::DatePicker(&window);
        // No date: shown as the earliest date, which stands for none.
        picker->setMinimumDate(QDate(1900, 1, 1));
        picker->setSpecialValueText(QStringLiteral(" "));
        picker->setDate(picker->minimumDate());
        other = new QLineEdit(&window);
        box->addWidget(picker);
        box->addWidget(other);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    // Tabs into the picker, types and tabs out again, as an operator does.
    void typeIn(const QString& text)
    {
        other->setFocus();
        QTest::keyClick(other, Qt::Key_Tab);
        ASSERT_TRUE(picker->hasFocus());
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_TRUE(other->hasFocus());
    }
    QWidget window;
    ui::DatePicker* picker = nullptr;
    QLineEdit* other = nullptr;
};

TEST_F(DatePicking, ADateTypedWholeIntoAnEmptyPickerIsTaken)
{
    for (const char* typed : {"19750318", "1975/03/18", "1975/3/18", "1975-3-18"}) {
        picker->setDate(picker->minimumDate());
        typeIn(QString::fromLatin1(typed));
        EXPECT_EQ(picker->date(), QDate(1975, 3, 18)) << typed;
        EXPECT_EQ(picker->text(), QStringLiteral("1975/03/18")) << typed;
    }
}

TEST_F(DatePicking, TextThatIsNoDateLeavesThePickerEmpty)
{
    for (const char* typed : {"19751308", "1975/02/30", "1975", "abc", ""}) {
        picker->setDate(picker->minimumDate());
        typeIn(QString::fromLatin1(typed));
        EXPECT_EQ(picker->date(), picker->minimumDate()) << typed;
    }
}

TEST_F(DatePicking, EnterTakesTheTypedDateAndAShownDateIsEditedPartByPart)
{
    picker->setFocus();
    QTest::keyClicks(picker, QStringLiteral("20240229"));
    QTest::keyClick(picker, Qt::Key_Return);
    EXPECT_EQ(picker->date(), QDate(2024, 2, 29));
    // Over a shown date the picker's own editing goes on: the year first.
    typeIn(QStringLiteral("19750308"));
    EXPECT_EQ(picker->date(), QDate(1975, 3, 8));
}

TEST_F(DatePicking, AnEmptyPickersCalendarOpensAtTodaysMonth)
{
    const QPoint arrow(picker->width() - 6, picker->height() / 2);
    QTest::mouseClick(picker, Qt::LeftButton, {}, arrow);
    QCalendarWidget* calendar = picker->calendarWidget();
    ASSERT_TRUE(calendar && calendar->isVisible());
    EXPECT_EQ(calendar->yearShown(), QDate::currentDate().year());
    EXPECT_EQ(calendar->monthShown(), QDate::currentDate().month());
    calendar->window()->hide();

    picker->setDate(QDate(1975, 3, 8));
    QTest::mouseClick(picker, Qt::LeftButton, {}, arrow);
    EXPECT_EQ(calendar->yearShown(), 1975);
    EXPECT_EQ(calendar->monthShown(), 3);
    calendar->window()->hide();
}

}  // namespace
