// Every test program runs with an application object, offscreen, so that
// windows can be made and events run. The offscreen screen is 800 x 600,
// the smallest a site runs the program on, so that a window that fills the
// screen is measured as it would be there.
#include "entryguard.h"
#include "pointer.h"

#include <QApplication>
#include <QFont>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    qputenv("QT_QPA_PLATFORM", platform.isEmpty() || platform == "offscreen"
                                   ? QByteArray("offscreen:configfile=" KESTROM_TEST_SCREEN)
                                   : platform);
    QApplication qapp(argc, argv);
    ui::dropNulInEntryBoxes();  // as the program does
    ui::showHourglassWhileDbWaits();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
