#pragma once
#include "helddialog.h"
#include "recordprogress.h"
#include "serialport.h"
#include "swipestore.h"

#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

// Manual collection: the stored swipe records of one controller are read,
// shown and stored in data; the same window clears a controller's record
// memory. Every outcome is a label's text, never a message box (bar the
// clear's confirmation). The port is opened when the window loads and kept
// open across good collections.
class Form2 : public HeldDialog {
    Q_OBJECT
public:
    explicit Form2(QWidget* parent = nullptr);
    bool Form_Load();

    QLabel* Label1;
    QComboBox* ctext;
    QPushButton* cdok;
    QPushButton* Command1;
    QPushButton* cdexit;
    QGroupBox* Frame1;
    QLabel* Label2;
    QLabel* Label3;
    QProgressBar* progress;  // records read of the count announced
    QTableWidget* grid;
    QLabel* labtext;
    QLabel* Label4;
    serial::SerialPort MSComm1;

    void cdok_Click();
    void Command1_Click();
    void cdexit_Click();

    // The records of the last collection, as shown in the grid.
    const std::vector<swipes::SwipeRow>& records() const { return collected; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    struct Busy;
    void holdButtons(bool held);
    void endFailed(const QString& text);
    struct Reading {
        int missed = 0;      // records whose data never came
        int unreadable = 0;  // came, and could not be read or shown in step
        int stoppedAt = 0;   // the record whose address byte ended the reading
    };
    Reading readRecords(int address, int announced);
    void showGrid();
    void clearGrid();

    RecordProgress shownProgress{nullptr};
    std::vector<swipes::SwipeRow> collected;
};
