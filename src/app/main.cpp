#include "entryguard.h"
#include "login.h"
#include "look.h"
#include "menuwindows.h"
#include "msgbox.h"
#include "placement.h"
#include "pointer.h"
#include "programfolder.h"
#include "safetynet.h"

#include <QFile>

namespace {

// For the tests that run the program as a child process, where nobody can
// press a button: with KESTROM_MESSAGE_LOG naming a file, each message is
// written there, one line each, and answered with its default button.
void logMessagesForTests()
{
    const QString log = qEnvironmentVariable("KESTROM_MESSAGE_LOG");
    if (log.isEmpty())
        return;
    ui::setMessageHandler([log](const ui::MessageCall& call) {
        QFile f(log);
        if (f.open(QIODevice::Append))
            f.write(QString(call.prompt).replace(QLatin1Char('\n'), QLatin1Char(' ')).toUtf8() + '\n');
        return ui::defaultButton(call.style);
    });
}

}  // namespace

int main(int argc, char** argv)
{
    ui::Application qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kestrom"));
    ui::applyProgramLook();
    ui::dropNulInEntryBoxes();
    ui::showHourglassWhileDbWaits();
    logMessagesForTests();

    // A second copy would compact the database under the first one's feet.
    if (!platform::claimProgramFolder()) {
        ui::MsgBox(QStringLiteral("門禁管理系統已在本文件夾中運行：\n%1\n不能同時運行第二個。").arg(platform::programFolder()), 48);
        return 1;
    }
    installMenuWindows();
    auto* window = new login();
    if (!window->Form_Load())
        return 1;
    ui::placeWhenShown(window);
    window->show();
    return QApplication::exec();
}
