#pragma once
#include "wholetyping.h"

// A time picker that takes a time typed whole over the one it shows, in the
// form it shows (08:30, also 8:30) or as digits (0830); where its form shows
// seconds, with them (08:30:15, 8:30:15, 083015) or without (seconds 00).
namespace ui {

class TimePicker : public WholeTyping<QTimeEdit> {
public:
    explicit TimePicker(QWidget* parent = nullptr);

protected:
    QDateTime typedValue(const QString& text) const override;
    bool isValueCharacter(QChar c) const override;
    QString refusal(const QString& typed, bool outOfRange) const override;

private:
    bool showsSeconds() const;
};

}  // namespace ui
