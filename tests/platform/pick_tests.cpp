// A pick-or-type box reports a choice from its open list, never typed text.
#include "pick.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class PickBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        box = new QComboBox(&window);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setCompleter(nullptr);
        box->addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("5")});
        box->setCurrentIndex(-1);
        other = new QLineEdit(&window);
        layout->addWidget(box);
        layout->addWidget(other);
        ui::onPick(box, &window, [this] { picks << box->currentText(); });
        QObject::connect(box, &QComboBox::activated, &window, [this] { ++activations; });
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void openList()
    {
        box->showPopup();
        QTest::qWait(50);
        ASSERT_TRUE(box->view()->isVisible());
    }

    QWidget window;
    QComboBox* box = nullptr;
    QLineEdit* other = nullptr;
    QStringList picks;
    int activations = 0;  // what QComboBox::activated alone reports
};

TEST_F(PickBox, TypedTextMatchingAnItemIsNoPickWhenFocusLeaves)
{
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("2"));
    QTest::keyClick(box, Qt::Key_Tab);
    QTest::qWait(20);
    EXPECT_GT(activations, 0) << "the signal this guards against";
    EXPECT_TRUE(picks.isEmpty());
    EXPECT_EQ(box->currentText(), QStringLiteral("2"));
}

TEST_F(PickBox, ArrowKeysWithTheListClosedAreNoPick)
{
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Down);
    QTest::qWait(20);
    EXPECT_GT(activations, 0) << "the signal this guards against";
    EXPECT_TRUE(picks.isEmpty());
}

TEST_F(PickBox, AClickOnAnItemOfTheOpenListIsAPick)
{
    openList();
    QAbstractItemView* view = box->view();
    const QRect item = view->visualRect(view->model()->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    QTest::qWait(20);
    EXPECT_EQ(picks, QStringList{QStringLiteral("5")});
}

TEST_F(PickBox, EnterOnTheHighlightedItemOfTheOpenListIsAPick)
{
    openList();
    QAbstractItemView* view = box->view();
    view->setCurrentIndex(view->model()->index(1, 0));
    QTest::keyClick(view, Qt::Key_Return);
    QTest::qWait(20);
    EXPECT_EQ(picks, QStringList{QStringLiteral("2")});
    // A later typed match is still no pick.
    box->setFocus();
    box->lineEdit()->clear();
    QTest::keyClicks(box, QStringLiteral("1"));
    other->setFocus();
    QTest::qWait(20);
    EXPECT_EQ(picks.size(), 1);
}

}  // namespace
