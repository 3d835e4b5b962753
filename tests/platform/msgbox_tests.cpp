// The real message box: Enter answers its default button, so a box with
// No as its default keeps Enter from deleting anything.
#include "msgbox.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(MessageBox, EnterAnswersTheDefaultButton)
{
    const struct {
        int style;
        int answer;
    } cases[] = {
        {0, ui::vbOK},           {4 + 32, ui::vbYes},     {4 + 48 + 256, ui::vbNo},
        {36 + 256, ui::vbNo},    {5, ui::vbRetry},        {2 + 512, ui::vbIgnore},
    };
    for (const auto& c : cases) {
        QTimer::singleShot(0, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                QTest::keyClick(box, Qt::Key_Return);
        });
        EXPECT_EQ(ui::MsgBox(QStringLiteral("确信要刪除地址為4的門及其相應的發卡記錄嗎?"), c.style), c.answer) << c.style;
        EXPECT_EQ(ui::defaultButton(c.style), c.answer) << c.style;
    }
}

}  // namespace
