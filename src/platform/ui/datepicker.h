#pragma once
#include "wholetyping.h"

// A date picker with a calendar that takes a date typed whole, in the form
// it shows (2024/03/08, also 2024-3-8) or as eight digits (20240308), over
// a date it shows as well as where it shows none yet. A picker may stand for
// "no date" by its earliest date and a special value text; its calendar then
// opens at today's month rather than at that earliest date.
namespace ui {

class DatePicker : public WholeTyping<QDateEdit> {
public:
    explicit DatePicker(QWidget* parent = nullptr);

    // The date a typed text means; an invalid date for any other text.
    static QDate typedDate(const QString& text);

protected:
    QDateTime typedValue(const QString& text) const override;
    bool isValueCharacter(QChar c) const override;
    QString refusal(const QString& typed, bool outOfRange) const override;
    bool showsNothing() const override;

    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void openAtToday();
};

}  // namespace ui
