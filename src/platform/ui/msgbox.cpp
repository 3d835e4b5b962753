#include "msgbox.h"

#include "placement.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace ui {

namespace {

MessageHandler& messageHandler()
{
    static MessageHandler h;
    return h;
}

FileHandler& fileHandler()
{
    static FileHandler h;
    return h;
}

QList<int> buttonsOf(int style)
{
    switch (style & 7) {
    case 1: return {vbOK, vbCancel};
    case 2: return {vbAbort, vbRetry, vbIgnore};
    case 3: return {vbYes, vbNo, vbCancel};
    case 4: return {vbYes, vbNo};
    case 5: return {vbRetry, vbCancel};
    default: return {vbOK};
    }
}

QString captionOf(int button)
{
    switch (button) {
    case vbOK: return QStringLiteral("確定");
    case vbCancel: return QStringLiteral("取消");
    case vbAbort: return QStringLiteral("中止(&A)");
    case vbRetry: return QStringLiteral("重試(&R)");
    case vbIgnore: return QStringLiteral("略過(&I)");
    case vbYes: return QStringLiteral("是(&Y)");
    case vbNo: return QStringLiteral("否(&N)");
    default: return QString();
    }
}

int showBox(const MessageCall& call)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(call.title.isEmpty() ? applicationTitle() : call.title);
    box.setText(call.prompt);
    switch (call.style & 0x70) {
    case 16: box.setIcon(QMessageBox::Critical); break;
    case 32: box.setIcon(QMessageBox::Question); break;
    case 48: box.setIcon(QMessageBox::Warning); break;
    case 64: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    const QList<int> buttons = buttonsOf(call.style);
    QList<QPushButton*> pushes;
    for (int b : buttons)
        pushes << box.addButton(captionOf(b), b == vbCancel || b == vbNo ? QMessageBox::RejectRole
                                                                          : QMessageBox::AcceptRole);
    const int def = defaultButton(call.style);
    box.setDefaultButton(pushes[buttons.indexOf(def)]);
    if (buttons.contains(vbCancel))
        box.setEscapeButton(pushes[buttons.indexOf(vbCancel)]);
    else if (buttons.size() == 1)
        box.setEscapeButton(pushes[0]);
    box.exec();
    const int chosen = pushes.indexOf(static_cast<QPushButton*>(box.clickedButton()));
    return chosen >= 0 ? buttons[chosen] : (buttons.contains(vbCancel) ? vbCancel : def);
}

}  // namespace

int defaultButton(int style)
{
    const QList<int> buttons = buttonsOf(style);
    const int which = (style & 512) ? 2 : (style & 256) ? 1 : 0;
    return buttons[std::min<int>(which, buttons.size() - 1)];
}

int MsgBox(const QString& prompt, int style, const QString& title)
{
    const MessageCall call{prompt, style, title};
    if (messageHandler())
        return messageHandler()(call);
    return showBox(call);
}

QString FileDialog(const FileDialogRequest& r)
{
    if (fileHandler())
        return fileHandler()(r);
    QFileDialog dialog(QApplication::activeWindow(), r.title, r.folder, r.filter);
    dialog.setAcceptMode(r.kind == FileDialogKind::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(r.kind == FileDialogKind::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // Where the other windows open, not over the menu bar as centred on a
    // large window would put it.
    placeWhenShown(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

void setMessageHandler(MessageHandler handler) { messageHandler() = std::move(handler); }

void setFileHandler(FileHandler handler) { fileHandler() = std::move(handler); }

QString applicationTitle() { return QStringLiteral("門禁管理系統"); }

}  // namespace ui
