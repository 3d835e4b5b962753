#include "operator.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QComboBox>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <gtest/gtest.h>

namespace testsupport {

void pickFromList(QComboBox* box, const QString& text)
{
    const int row = box->findText(text);
    ASSERT_GE(row, 0) << text.toStdString();
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.editable = box->isEditable();
    const QRect arrow = box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, arrow.center());
    QAbstractItemView* list = box->view();
    ASSERT_TRUE(QTest::qWaitFor([list] { return list->isVisible(); }));
    // The list takes no click so soon after it opened that it could be the opening click's.
    QTest::qWait(QApplication::doubleClickInterval() + 20);
    const QRect item = list->visualRect(list->model()->index(row, 0));
    if (box->isEditable()) {
        QTest::mouseMove(list->viewport(), item.center());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    } else {
        // The test platform misplaces the clicks on a menu-like list: the
        // arrow keys and Enter choose there, as an operator may too.
        QTest::keyClick(list, Qt::Key_Home);
        for (int i = 0; i < row; ++i)
            QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
    }
    QTest::qWait(20);
}

void typeOver(QWidget* box, const QString& text)
{
    auto* combo = qobject_cast<QComboBox*>(box);
    QWidget* target = combo && combo->lineEdit() ? combo->lineEdit() : box;
    QTest::mouseClick(target, Qt::LeftButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTest::keyClicks(QApplication::focusWidget(), text);
}

void typeAsKeyboard(const QString& text)
{
    static const QString shifted = QStringLiteral("~!@#$%^&*()_+{}|:\"<>?");
    for (const QChar c : text) {
        const bool shift = c.isUpper() || shifted.contains(c);
        // QTest sends the Shift press and release around the character.
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1(), shift ? Qt::ShiftModifier : Qt::NoModifier);
    }
}

void click(QWidget* control)
{
    // A check box or option button takes a click on its mark or its text
    // only, which a wide one's middle may miss.
    QPoint at = control->rect().center();
    if (qobject_cast<QCheckBox*>(control) || qobject_cast<QRadioButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(control);
        const bool check = qobject_cast<QCheckBox*>(control);
        at = control->style()
                 ->subElementRect(check ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator, &option, control)
                 .center();
    }
    QTest::mouseClick(control, Qt::LeftButton, {}, at);
}

}  // namespace testsupport
