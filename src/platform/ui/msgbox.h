#pragma once
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Every message box and file dialog of the program goes through here, so
// that tests can answer them and see what was asked.
namespace ui {

// Buttons pressed, as the style numbers' boxes report them.
enum MsgResult { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

// Style: buttons 0 OK, 1 OK/Cancel, 2 Abort/Retry/Ignore, 3 Yes/No/Cancel,
// 4 Yes/No, 5 Retry/Cancel; icon 16 stop, 32 question, 48 exclamation,
// 64 information; 256 second button default, 512 third.
int MsgBox(const QString& prompt, int style = 0, const QString& title = QString());

// The default button a box of this style has: what Enter would press.
int defaultButton(int style);

enum class FileDialogKind { Open, Save };
struct FileDialogRequest {
    FileDialogKind kind;
    QString title;
    QString folder;
    QString filter;  // Qt form: "圖片 (*.jpg *.gif *.bmp)"
};
// The chosen path, or empty text when cancelled.
QString FileDialog(const FileDialogRequest& request);

struct MessageCall {
    QString prompt;
    int style;
    QString title;
};

// The seam: handlers that replace the real dialogs (tests install them).
using MessageHandler = std::function<int(const MessageCall&)>;
using FileHandler = std::function<QString(const FileDialogRequest&)>;
void setMessageHandler(MessageHandler handler);
void setFileHandler(FileHandler handler);

// Title of message boxes that name none of their own.
QString applicationTitle();

}  // namespace ui
