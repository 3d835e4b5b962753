// A date picker takes a date typed whole, also where it shows none yet and
// over a date it shows, and an empty one's calendar opens at today's month;
// a time picker takes a time typed whole the same way.
#include "datepicker.h"

#include "msgbox.h"
#include "operator.h"
#include "timepicker.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <vector>

inline void PrintTo(const QDate& d, std::ostream* os) { *os << d.toString(Qt::ISODate).toStdString(); }
inline void PrintTo(const QTime& t, std::ostream* os) { *os << t.toString(Qt::ISODate).toStdString(); }
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// The texts of the messages the pickers show, each answered with OK.
void hearMessages(std::vector<QString>& texts)
{
    ui::setMessageHandler([&texts](const ui::MessageCall& call) {
        texts.push_back(call.prompt);
        return int(ui::vbOK);
    });
}

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
        hearMessages(messages);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void TearDown() override { ui::setMessageHandler({}); }
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
    std::vector<QString> messages;
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

TEST_F(DatePicking, EnterTakesTheTypedDateAndSoDoesTabOverAShownDate)
{
    picker->setFocus();
    QTest::keyClicks(picker, QStringLiteral("20240229"));
    QTest::keyClick(picker, Qt::Key_Return);
    EXPECT_EQ(picker->date(), QDate(2024, 2, 29));
    // Over a shown date as well, tabbed into.
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

// Typing over a shown date, as an operator does after selecting or erasing
// what the box shows.
namespace typing {

struct Way {
    const char* name;
    std::function<void(QWidget* picker, QLineEdit* text, QLineEdit* other)> select;
};

void press(Qt::Key key, int times = 1, Qt::KeyboardModifiers modifiers = {})
{
    for (int i = 0; i < times; ++i)
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

QPoint middle(QWidget* w) { return w->rect().center(); }

// Every way an operator clears the old text before typing a new one.
const Way ways[] = {
    {"click, Ctrl+A",
     [](QWidget*, QLineEdit* text, QLineEdit*) {
         QTest::mouseClick(text, Qt::LeftButton, {}, middle(text));
         press(Qt::Key_A, 1, Qt::ControlModifier);
     }},
    {"Tab, Ctrl+A",
     [](QWidget*, QLineEdit*, QLineEdit* other) {
         other->setFocus();
         QTest::keyClick(other, Qt::Key_Tab);
         press(Qt::Key_A, 1, Qt::ControlModifier);
     }},
    {"Tab",
     [](QWidget*, QLineEdit*, QLineEdit* other) {
         other->setFocus();
         QTest::keyClick(other, Qt::Key_Tab);
     }},
    {"double click",
     [](QWidget*, QLineEdit* text, QLineEdit*) {
         QTest::mouseClick(text, Qt::LeftButton, {}, middle(text));
         QTest::mouseDClick(text, Qt::LeftButton, {}, middle(text));
     }},
    {"Backspace to empty",
     [](QWidget*, QLineEdit* text, QLineEdit*) {
         QTest::mouseClick(text, Qt::LeftButton, {}, middle(text));
         press(Qt::Key_End);
         press(Qt::Key_Backspace, 12);
     }},
    {"Delete to empty",
     [](QWidget*, QLineEdit* text, QLineEdit*) {
         QTest::mouseClick(text, Qt::LeftButton, {}, middle(text));
         press(Qt::Key_Home);
         press(Qt::Key_Delete, 12);
     }},
    {"Ctrl+A, Backspace",
     [](QWidget*, QLineEdit* text, QLineEdit*) {
         QTest::mouseClick(text, Qt::LeftButton, {}, middle(text));
         press(Qt::Key_A, 1, Qt::ControlModifier);
         press(Qt::Key_Backspace);
     }},
    {"Ctrl+A, Delete",
     [](QWidget*, QLineEdit* text, QLineEdit*) {
         QTest::mouseClick(text, Qt::LeftButton, {}, middle(text));
         press(Qt::Key_A, 1, Qt::ControlModifier);
         press(Qt::Key_Delete);
     }},
};

struct Finish {
    const char* name;
    std::function<void(QLineEdit* other)> leave;
};

const Finish finishes[] = {
    {"Tab", [](QLineEdit*) { press(Qt::Key_Tab); }},
    {"Enter", [](QLineEdit*) { press(Qt::Key_Return); }},
    {"click elsewhere", [](QLineEdit* other) { QTest::mouseClick(other, Qt::LeftButton, {}, middle(other)); }},
};

template <class Edit>
class TypingOver : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* box = new QVBoxLayout(&window);
        other = new QLineEdit(&window);
        picker = new Edit(&window);
        // A button that takes no focus, as a tool bar's do: the typed value
        // is read by its click.
        button = new QToolButton(&window);
        button->setFocusPolicy(Qt::NoFocus);
        box->addWidget(other);
        box->addWidget(picker);
        box->addWidget(button);
        hearMessages(messages);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void TearDown() override { ui::setMessageHandler({}); }
    QLineEdit* text() const { return picker->template findChild<QLineEdit*>(QStringLiteral("qt_spinbox_lineedit")); }

    QWidget window;
    QLineEdit* other = nullptr;
    Edit* picker = nullptr;
    QToolButton* button = nullptr;
    std::vector<QString> messages;
};

using TypingOverADate = TypingOver<ui::DatePicker>;

TEST_F(TypingOverADate, AWholeDateReplacesTheShownOneAfterAnyWayOfClearingIt)
{
    const QDate shown(1975, 11, 27);
    for (const Way& way : ways)
        for (const char* typed : {"2024/03/08", "2024-3-8", "20240308"})
            for (const Finish& finish : finishes) {
                const std::string where = std::string(way.name) + " / " + typed + " / " + finish.name;
                picker->setDate(shown);
                other->setFocus();
                way.select(picker, text(), other);
                QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(typed));
                finish.leave(other);
                EXPECT_EQ(picker->date(), QDate(2024, 3, 8)) << where;
                EXPECT_EQ(picker->text().toStdString(), "2024/03/08") << where;
            }
    EXPECT_EQ(messages, std::vector<QString>());
}

// A button that takes no focus reads the date typed, as a tool bar's 修改 does.
TEST_F(TypingOverADate, AClickOnAButtonWithoutFocusReadsTheTypedDate)
{
    picker->setDate(QDate(1975, 3, 8));
    QDate read;
    QObject::connect(button, &QToolButton::clicked, [&] { read = picker->date(); });
    QTest::mouseClick(text(), Qt::LeftButton, {}, middle(text()));
    press(Qt::Key_A, 1, Qt::ControlModifier);
    QTest::keyClicks(picker, QStringLiteral("1980/01/02"));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(read, QDate(1980, 1, 2));
}

// What is no date, or a date the picker doesn't allow, leaves the shown date
// whole, and the operator is told.
TEST_F(TypingOverADate, TextThatIsNoAllowedDateGoesBackToTheShownDateAndIsTold)
{
    picker->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
    const QDate shown(2026, 11, 27);
    for (const char* typed : {"2024/13/08", "2024/02/30", "2024", "2024/3", "21000101", "1999/12/31"})
        for (const Finish& finish : finishes) {
            const std::string where = std::string(typed) + " / " + finish.name;
            picker->setDate(shown);
            messages.clear();
            other->setFocus();
            ways[0].select(picker, text(), other);
            QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(typed));
            finish.leave(other);
            EXPECT_EQ(picker->date(), shown) << where;
            EXPECT_EQ(text()->text().toStdString(), "2026/11/27") << where;
            EXPECT_EQ(messages.size(), 1u) << where;
        }
}

// The arrow keys still step the part of the date they are on, and the
// calendar still chooses one.
TEST_F(TypingOverADate, ArrowKeysAndTheCalendarStillChangeThePartsOfTheDate)
{
    picker->setDate(QDate(1975, 11, 27));
    other->setFocus();
    QTest::keyClick(other, Qt::Key_Tab);
    press(Qt::Key_Up);
    EXPECT_EQ(picker->date(), QDate(1976, 11, 27));
    press(Qt::Key_Tab);  // on to the month
    press(Qt::Key_Down);
    EXPECT_EQ(picker->date(), QDate(1976, 10, 27));

    const QPoint arrow(picker->width() - 6, picker->height() / 2);
    QTest::mouseClick(picker, Qt::LeftButton, {}, arrow);
    QCalendarWidget* calendar = picker->calendarWidget();
    ASSERT_TRUE(calendar && calendar->isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(picker->date(), QDate(1976, 10, 28));

    // Escape while typing gives the shown date back without a word.
    QTest::mouseClick(text(), Qt::LeftButton, {}, middle(text()));
    press(Qt::Key_A, 1, Qt::ControlModifier);
    QTest::keyClicks(picker, QStringLiteral("2024"));
    press(Qt::Key_Escape);
    EXPECT_EQ(text()->text().toStdString(), "1976/10/28");
    EXPECT_EQ(messages, std::vector<QString>());
}

// A click that ends a text not taken doesn't press the button it lands on:
// the button would act on the old date the operator has just been told of.
TEST_F(TypingOverADate, AClickEndingARefusedDatePressesNoButton)
{
    picker->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
    picker->setDate(QDate(2026, 1, 1));
    auto* push = new QPushButton(QStringLiteral("x"), &window);
    window.layout()->addWidget(push);
    push->show();
    int clicks = 0;
    QObject::connect(push, &QPushButton::clicked, [&] { ++clicks; });
    for (int round = 0; round < 2; ++round) {
        QTest::mouseClick(text(), Qt::LeftButton, {}, middle(text()));
        press(Qt::Key_A, 1, Qt::ControlModifier);
        QTest::keyClicks(picker, QStringLiteral("2100/01/01"));
        QTest::mouseClick(push, Qt::LeftButton);
        EXPECT_EQ(clicks, 0) << round;
        EXPECT_EQ(messages.size(), size_t(round + 1)) << round;
    }
}
}  // namespace typing

// The time pickers take a time typed whole the same way.
namespace typing {

class TypingOverATime : public TypingOver<ui::TimePicker> {};

TEST_F(TypingOverATime, AWholeTimeReplacesTheShownOneAfterAnyWayOfClearingIt)
{
    struct Form {
        const char* format;
        QTime shown, meant;
        std::vector<const char*> typed;
        const char* text;
    };
    const Form forms[] = {
        {"HH:mm", QTime(17, 45), QTime(8, 30), {"08:30", "8:30", "0830"}, "08:30"},
        {"HH:mm:ss", QTime(17, 45, 51), QTime(13, 5, 9), {"13:05:09", "130509"}, "13:05:09"},
    };
    for (const Form& form : forms) {
        picker->setDisplayFormat(QString::fromLatin1(form.format));
        for (const Way& way : ways)
            for (const char* typed : form.typed)
                for (const Finish& finish : finishes) {
                    const std::string where = std::string(way.name) + " / " + typed + " / " + finish.name;
                    picker->setTime(form.shown);
                    other->setFocus();
                    way.select(picker, text(), other);
                    QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(typed));
                    finish.leave(other);
                    EXPECT_EQ(picker->time(), form.meant) << where;
                    EXPECT_EQ(picker->text().toStdString(), form.text) << where;
                }
    }
    EXPECT_EQ(messages, std::vector<QString>());
}

TEST_F(TypingOverATime, TextThatIsNoTimeGoesBackToTheShownTimeAndIsTold)
{
    picker->setDisplayFormat(QStringLiteral("HH:mm"));
    for (const char* typed : {"25:00", "08:60", "8", "08:30:15", "083"}) {
        picker->setTime(QTime(17, 45));
        messages.clear();
        other->setFocus();
        ways[0].select(picker, text(), other);
        QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(typed));
        press(Qt::Key_Tab);
        EXPECT_EQ(picker->time(), QTime(17, 45)) << typed;
        EXPECT_EQ(text()->text().toStdString(), "17:45") << typed;
        EXPECT_EQ(messages.size(), 1u) << typed;
    }
}

// A value reaches a picker typed as a keyboard sends it (Shift pressed and
// released around each ':', or a modifier or lock key touched on the way),
// or pasted with Ctrl+V.
struct Entry {
    const char* name;
    std::function<void(const QString& value)> enter;
};

const Entry entries[] = {
    {"typed", [](const QString& value) { testsupport::typeAsKeyboard(value); }},
    {"typed, modifiers on the way",
     [](const QString& value) {
         testsupport::typeAsKeyboard(value.left(1));
         for (Qt::Key key : {Qt::Key_CapsLock, Qt::Key_Control, Qt::Key_Alt, Qt::Key_AltGr, Qt::Key_Meta}) {
             QTest::sendKeyEvent(QTest::Press, QApplication::focusWidget(), key, QString(), {});
             QTest::sendKeyEvent(QTest::Release, QApplication::focusWidget(), key, QString(), {});
         }
         testsupport::typeAsKeyboard(value.mid(1));
     }},
    {"pasted",
     [](const QString& value) {
         QGuiApplication::clipboard()->setText(value);
         press(Qt::Key_V, 1, Qt::ControlModifier);
     }},
};

TEST_F(TypingOverATime, EveryFormOfATimeIsTakenTypedAsAKeyboardDoesOrPasted)
{
    struct Form {
        const char* typed;
        QTime meant;
    };
    struct Kind {
        const char* format;
        QTime shown;
        std::vector<Form> forms;
    };
    const Kind kinds[] = {
        {"HH:mm", QTime(8, 30), {{"07:45", QTime(7, 45)}, {"7:45", QTime(7, 45)}, {"0745", QTime(7, 45)}}},
        {"HH:mm:ss",
         QTime(17, 45, 51),
         {{"08:30:15", QTime(8, 30, 15)},
          {"9:05:07", QTime(9, 5, 7)},
          {"083015", QTime(8, 30, 15)},
          {"08:30", QTime(8, 30)},
          {"8:30", QTime(8, 30)},
          {"0830", QTime(8, 30)}}},
    };
    for (const Kind& kind : kinds) {
        picker->setDisplayFormat(QString::fromLatin1(kind.format));
        for (const Form& form : kind.forms)
            for (const Entry& entry : entries)
                for (const Finish& finish : finishes) {
                    const std::string where = std::string(kind.format) + " / " + form.typed + " / " + entry.name + " / " + finish.name;
                    picker->setTime(kind.shown);
                    messages.clear();
                    other->setFocus();
                    ways[0].select(picker, text(), other);
                    entry.enter(QString::fromLatin1(form.typed));
                    finish.leave(other);
                    EXPECT_EQ(picker->time(), form.meant) << where;
                    EXPECT_EQ(picker->text(), form.meant.toString(QString::fromLatin1(kind.format))) << where;
                    EXPECT_EQ(messages, std::vector<QString>()) << where;
                }
    }
}

// Pasted or typed, a text that is no value is refused in the same words.
TEST_F(TypingOverATime, APastedTextThatIsNoTimeIsRefusedAsATypedOneIs)
{
    picker->setDisplayFormat(QStringLiteral("HH:mm"));
    for (const char* value : {"25:00", "08:30:15", "8:3", "083"})
        for (const Entry& entry : entries) {
            const std::string where = std::string(value) + " / " + entry.name;
            picker->setTime(QTime(17, 45));
            messages.clear();
            other->setFocus();
            ways[0].select(picker, text(), other);
            entry.enter(QString::fromLatin1(value));
            press(Qt::Key_Tab);
            EXPECT_EQ(picker->time(), QTime(17, 45)) << where;
            EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("%1 不是有效的時間！").arg(QString::fromLatin1(value))})
                << where;
        }
}

TEST_F(TypingOverADate, APastedDateIsTakenInEveryFormATypedOneIs)
{
    picker->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
    const struct {
        const char* value;
        QDate meant;  // none: refused
        const char* told;
    } cases[] = {
        {"2025-6-30", QDate(2025, 6, 30), nullptr},
        {"20991231", QDate(2099, 12, 31), nullptr},
        {"2025/06/30", QDate(2025, 6, 30), nullptr},
        {"2025/6/30\n", QDate(2025, 6, 30), nullptr},
        {"2025/13/30", QDate(), "2025/13/30 不是有效的日期！"},
        {"21000101", QDate(), "日期只能在2000/01/01至2099/12/31之間！"},
    };
    const QDate shown(2026, 11, 27);
    for (const auto& c : cases) {
        picker->setDate(shown);
        messages.clear();
        other->setFocus();
        ways[0].select(picker, text(), other);
        QGuiApplication::clipboard()->setText(QString::fromLatin1(c.value));
        press(Qt::Key_V, 1, Qt::ControlModifier);
        press(Qt::Key_Return);
        EXPECT_EQ(picker->date(), c.meant.isValid() ? c.meant : shown) << c.value;
        const std::vector<QString> told = c.told ? std::vector<QString>{QString::fromUtf8(c.told)} : std::vector<QString>();
        EXPECT_EQ(messages, told) << c.value;
    }
}

}  // namespace typing
