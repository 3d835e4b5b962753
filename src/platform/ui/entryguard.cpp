#include "entryguard.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>

namespace ui {

namespace {

// Another program's text, which a paste is about to bring in, without its NULs.
void dropNulFrom(QClipboard::Mode mode)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (mode == QClipboard::Selection && !clipboard->supportsSelection())
        return;
    QString text = clipboard->text(mode);
    if (text.contains(QChar(0)))
        clipboard->setText(text.remove(QChar(0)), mode);
}

class NulGuard : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::ContextMenu && type != QEvent::MouseButtonPress
            && type != QEvent::MouseButtonRelease && type != QEvent::Drop)
            return false;
        QLineEdit* box = qobject_cast<QLineEdit*>(watched);
        if (auto* combo = qobject_cast<QComboBox*>(watched))
            box = combo->lineEdit();
        if (!box || box->isReadOnly())
            return false;
        switch (type) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->text().contains(QChar(0)))
                return true;
            if (key->matches(QKeySequence::Paste))
                dropNulFrom(QClipboard::Clipboard);
            return false;
        }
        case QEvent::ContextMenu:  // its Paste
            dropNulFrom(QClipboard::Clipboard);
            return false;
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QMimeData* data = drop->mimeData();
            if (!data || !data->hasText() || !data->text().contains(QChar(0)))
                return false;
            // As the box would take the drop, through its validator and length.
            box->setCursorPosition(box->cursorPositionAt(drop->position().toPoint()));
            box->insert(data->text().remove(QChar(0)));
            box->setFocus(Qt::MouseFocusReason);
            drop->acceptProposedAction();
            return true;
        }
        default:  // the middle button pastes the selection
            if (static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton)
                dropNulFrom(QClipboard::Selection);
            return false;
        }
    }
};

}  // namespace

void dropNulInEntryBoxes()
{
    static NulGuard* guard = nullptr;
    if (guard || !qApp)
        return;
    guard = new NulGuard(qApp);
    qApp->installEventFilter(guard);
}

}  // namespace ui
