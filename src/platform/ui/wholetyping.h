#pragma once
#include <QDateEdit>
#include <QTimeEdit>

class QFocusEvent;
class QKeyEvent;
class QMouseEvent;

// What a date or time picker does with a value typed whole. Qt's own editing
// goes part by part and mixes what is typed over a selected or erased text
// with the parts it shows; here a character typed at the start of the text
// (all of it or its first part selected, or the cursor at the start), or an
// erasing key, begins a value typed as text. It is taken when the operator
// leaves the picker, presses Enter or clicks anywhere else; a text that is
// no allowed value gives the shown value back, and the operator is told.
// Typing in the middle of a part and the arrow keys keep Qt's own editing.
namespace ui {

template <class Edit>
class WholeTyping : public Edit {
public:
    ~WholeTyping() override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    explicit WholeTyping(QWidget* parent);

    // The value a whole typed text means (on the picker's own date for a
    // time picker); an invalid one for any other text.
    virtual QDateTime typedValue(const QString& text) const = 0;
    virtual bool isValueCharacter(QChar c) const = 0;
    // What the operator is told when the text typed is not taken.
    virtual QString refusal(const QString& typed, bool outOfRange) const = 0;
    // A picker standing for "none" by its earliest value: typing into it
    // starts on an empty text wherever the cursor is.
    virtual bool showsNothing() const { return false; }

    bool typingWhole() const { return typing; }
    // Takes the typed text or gives the shown value back; false when the
    // text was not taken. `tell` says whether the operator is told so.
    bool finishTyping(bool tell);

    QDateTime dateTimeFromText(const QString& text) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    bool startsAtTheBeginning() const;
    void beginTyping(bool clear);
    void endTyping();
    bool editKey(QKeyEvent* event);
    void insert(QChar c);
    void paste();

    bool typing = false;
    bool pressRefused = false;  // the press that ended a refused text is still to come
    bool trackedKeys = true;
};

extern template class WholeTyping<QDateEdit>;
extern template class WholeTyping<QTimeEdit>;

}  // namespace ui
