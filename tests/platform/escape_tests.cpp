// Esc closes a window as its own close does: the same close event, so the
// same questions and the same refusals; wherever the focus is, except in an
// open list.
#include "escape.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A window whose close asks first and may be refused, as a window holding
// an exchange is.
template <class Base>
class Asking : public Base {
public:
    bool refuse = false;
    int asked = 0;

protected:
    void closeEvent(QCloseEvent* e) override
    {
        ++asked;
        if (refuse)
            e->ignore();
        else
            Base::closeEvent(e);
    }
};

template <class Base>
std::unique_ptr<Asking<Base>> shown(bool refuse, QLineEdit** box)
{
    auto w = std::make_unique<Asking<Base>>();
    w->refuse = refuse;
    *box = new QLineEdit(w.get());
    (new QVBoxLayout(w.get()))->addWidget(*box);
    ui::closeOnEscape(w.get());
    w->show();
    QApplication::setActiveWindow(w.get());
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    (*box)->setFocus();
    return w;
}

TEST(CloseOnEscape, RunsTheWindowsOwnClose)
{
    for (bool dialog : {false, true})
        for (bool refuse : {false, true}) {
            SCOPED_TRACE(testing::Message() << (dialog ? "dialog" : "widget") << (refuse ? " refusing" : ""));
            QLineEdit* box = nullptr;
            std::unique_ptr<QWidget> w;
            int (*asked)(QWidget*) = nullptr;
            if (dialog) {
                w = shown<QDialog>(refuse, &box);
                asked = [](QWidget* x) { return static_cast<Asking<QDialog>*>(x)->asked; };
            } else {
                w = shown<QWidget>(refuse, &box);
                asked = [](QWidget* x) { return static_cast<Asking<QWidget>*>(x)->asked; };
            }
            QTest::keyClick(box, Qt::Key_Escape);
            EXPECT_EQ(asked(w.get()), 1);
            EXPECT_EQ(w->isVisible(), refuse);
        }
}

// An entry box whose filter refuses every key but digits.
TEST(CloseOnEscape, EvenFromABoxThatRefusesOtherKeys)
{
    QLineEdit* box = nullptr;
    auto w = shown<QWidget>(false, &box);
    struct Digits : QObject {
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() != QEvent::KeyPress)
                return false;
            const QString t = static_cast<QKeyEvent*>(e)->text();
            return !t.isEmpty() && !t[0].isDigit();
        }
    } digits;
    box->installEventFilter(&digits);
    QTest::keyClicks(box, QStringLiteral("12a"));
    EXPECT_EQ(box->text(), QStringLiteral("12"));
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    box->removeEventFilter(&digits);
}

TEST(CloseOnEscape, AnOpenListTakesItFirst)
{
    QWidget w;
    auto* box = new QComboBox(&w);
    box->addItems({QStringLiteral("1"), QStringLiteral("2")});
    (new QVBoxLayout(&w))->addWidget(box);
    ui::closeOnEscape(&w);
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    box->setFocus();
    box->showPopup();
    ASSERT_TRUE(box->view()->isVisible());
    QTest::keyClick(box->view(), Qt::Key_Escape);
    EXPECT_FALSE(box->view()->isVisible());
    EXPECT_TRUE(w.isVisible());
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
}

}  // namespace
