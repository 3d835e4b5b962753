#pragma once
#include "issuedcards.h"

#include <QString>
#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QRadioButton;
class QTimeEdit;
class QWidget;

// The terms a card is downloaded with, as the card windows show and take
// them: a date, a weekday and a time window, each a check box with its two
// values, and a pass mode per lock. The card operations and the extension
// windows hold them under the same names and read them the same way; each
// window places them and keeps its own checks' order and messages.
class CardTerms {
public:
    std::array<QCheckBox*, 3> Ch{};      // 0 date, 1 weekday, 2 time window on
    std::array<QDateEdit*, 2> ddate{};   // first and last day
    std::array<QComboBox*, 2> tweek{};   // first and last weekday, "星期一" at position 0
    std::array<QTimeEdit*, 2> dtime{};   // start and end of the daily window
    std::array<QRadioButton*, 4> Op{};   // PassMode of lock 1: the selected button's index
    std::array<QRadioButton*, 4> Opp{};  // PassMode of lock 2

    // Refusal of a ticked time window that starts or ends at 00:00: the
    // controller reads 0 as no window, so the card would open all day.
    static QString midnightRefused();

protected:
    // Makes the controls, the window rows in one parent and the pass modes
    // in another; the window places them.
    void buildTerms(QWidget* windowsParent, QWidget* passModesParent);

    // A stored card's windows and pass modes, as the reading rules of the
    // store give them: absent windows unticked with their values reset, a
    // pass mode outside 0..3 with no button selected.
    void showTerms(const cardstore::IssuedCard& card);
    // The card's terms at one address, as a click on the address shows them:
    // a blank form without pass modes where the card is not issued.
    void showTermsAt(int address, const QString& card);
    // Both days today, both weekday texts empty, both times 00:00.
    void resetWindowValues();
    void untickWindows();
    void clearPassModes();

    // The terms entered: a window whose box is unticked is absent, a weekday
    // not chosen from the list is 0, a lock without a selected mode is 0.
    cardstore::IssuedCard enteredTerms() const;

    // The order checks, each only meaningful while its box is ticked.
    bool dateOrderWrong() const;     // first day after the last
    bool weekdayOrderWrong() const;  // last weekday before the first
    bool timeOrderWrong() const;     // end time before the start
    bool midnightInTimeWindow() const;
    int weekdayChosen(int box) const;  // WindowWeekday 1..7, 0 when none is chosen

private:
    QButtonGroup* lock1 = nullptr;
    QButtonGroup* lock2 = nullptr;
};
