#include "openlist.h"

#include "named.h"

#include <QLineEdit>
#include <QSignalBlocker>

namespace ui {

namespace {

class OpenListBox : public QComboBox {
public:
    OpenListBox(QWidget* parent, ListFor items) : QComboBox(parent), items(std::move(items)) {}

    void showPopup() override
    {
        const QString typed = currentText();
        const int cursor = lineEdit() ? lineEdit()->cursorPosition() : 0;
        {
            // Refilling moves the current item; the text must not follow it.
            const QSignalBlocker quiet(this);
            clear();
            addItems(items(typed));
            setCurrentIndex(findText(typed, Qt::MatchExactly));
            setEditText(typed);
            if (lineEdit())
                lineEdit()->setCursorPosition(cursor);
        }
        QComboBox::showPopup();
    }

private:
    ListFor items;
};

}  // namespace

QComboBox* openListBox(QWidget* parent, const char* name, ListFor items)
{
    auto* box = named(new OpenListBox(parent, std::move(items)), name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
    return box;
}

}  // namespace ui
