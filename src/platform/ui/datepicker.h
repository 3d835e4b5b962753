#pragma once
#include <QDateEdit>

// A date picker with a calendar that takes a date typed whole, in the form
// it shows (2024/03/08, also 2024-3-8) or as eight digits (20240308), also
// where it shows no date yet. A picker may stand for "no date" by its
// earliest date and a special value text; its calendar then opens at
// today's month rather than at that earliest date.
namespace ui {

class DatePicker : public QDateEdit {
public:
    explicit DatePicker(QWidget* parent = nullptr);

    // The date a typed text means; an invalid date for any other text.
    static QDate typedDate(const QString& text);

    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

protected:
    QDateTime dateTimeFromText(const QString& text) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool showsNoDate() const;
    void beginTypingWhole();
    void endTypingWhole();
    void openAtToday();
    // The operator types a whole date rather than editing the shown one
    // part by part.
    bool typingWhole = false;
    bool trackedKeys = true;
};

}  // namespace ui
