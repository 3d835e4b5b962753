// The hourglass pointer while exchanges run.
#include "pointer.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

bool hourglassShown()
{
    const QCursor* c = QApplication::overrideCursor();
    return c && c->shape() == Qt::WaitCursor;
}

TEST(Hourglass, StaysWhileAnyWaitHoldsIt)
{
    ui::hourglass(true);   // one window's exchange
    ui::hourglass(true);   // another window's, meanwhile
    ui::hourglass(false);  // the first ends
    EXPECT_TRUE(hourglassShown());
    ui::hourglass(false);  // the second ends
    EXPECT_FALSE(hourglassShown());
    ui::hourglass(false);  // an off without its on changes nothing
    ui::hourglass(true);
    EXPECT_TRUE(hourglassShown());
    ui::hourglass(false);
    EXPECT_FALSE(hourglassShown());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(Hourglass, BackToAnEarlierCount)
{
    ui::hourglass(true);
    const int held = ui::hourglassCount();
    ui::hourglass(true);
    ui::hourglass(true);
    ui::restoreHourglass(held);
    EXPECT_EQ(ui::hourglassCount(), 1);
    EXPECT_TRUE(hourglassShown());
    ui::restoreHourglass(0);
    EXPECT_FALSE(hourglassShown());
}

}  // namespace
