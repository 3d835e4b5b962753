#include "entryguard.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace ui {

namespace {

class NulGuard : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        QLineEdit* box = qobject_cast<QLineEdit*>(watched);
        if (auto* combo = qobject_cast<QComboBox*>(watched))
            box = combo->lineEdit();
        if (!box || box->isReadOnly())
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->text().contains(QChar(0)))
            return true;
        if (!key->matches(QKeySequence::Paste))
            return false;
        QString pasted = QGuiApplication::clipboard()->text();
        if (!pasted.contains(QChar(0)))
            return false;
        pasted.remove(QChar(0));
        box->insert(pasted);  // as the paste would, through the box's validator and length
        return true;
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
