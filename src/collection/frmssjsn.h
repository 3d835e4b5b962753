#pragma once
#include "linelender.h"
#include "listview.h"
#include "serialport.h"

#include <QDialog>
#include <QString>
#include <QTimer>
#include <vector>

class QAction;
class QLCDNumber;
class QPushButton;
class QToolBar;

// The lock and swipe monitor: one row per present lock of every
// controller, showing whether the lock is open or closed and who last
// passed it. Polls one controller per tick for its locks; a controller
// reporting a lock open is asked for its swipe, which is acknowledged and
// shown in the row of the lock it passed. Stores nothing. The port stays
// open while the window is shown.
class FrmssjsN : public QDialog {
    Q_OBJECT
public:
    explicit FrmssjsN(QWidget* parent = nullptr);

    // Builds the list and opens the port; false (after saying so) when the
    // port can't be opened, and the window is not to be shown.
    bool Form_Load();

    ListView* doorlist;
    QTimer Timer1;
    serial::SerialPort Comm;
    QToolBar* Toolbar1;
    QPushButton* ico;
    QPushButton* smico;
    QPushButton* list;
    QPushButton* details;
    QPushButton* closew;
    QLCDNumber* DgTime2;

    void Timer1_Timer();
    void Comm_OnComm();
    void Toolbar1_ButtonClick(const QString& key);
    void ico_Click();
    void smico_Click();
    void list_Click();
    void details_Click();
    void closew_Click();

    // Lock state codes: 0 closed, 1 open, 2 indeterminate; pictures 1, 2, 3.
    enum { closedState = 0, openState = 1, unknownState = 2 };

    struct LockRow {
        QString text;
        int address = 0;
        int lock = 1;
    };
    const std::vector<int>& controllers() const { return controllerList; }
    const std::vector<LockRow>& lockRows() const { return lockRowTable; }
    bool isBusy() const { return busy != 0; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void Form_Unload();
    void stopPolling();
    void openLine();
    void showState(int row, int state);
    void showSwipe(int row, const QString& physical, const QString& direction);
    void readSwipe();
    void showClock();

    std::vector<int> controllerList;
    std::vector<LockRow> lockRowTable;
    std::size_t pollPosition = 0;
    int polledAddress = -1;
    int lock1Row = -1, lock2Row = -1;
    short busy = 0;
    QTimer clockTick;
    LineLender lender{Timer1, [this] { stopPolling(); }, [this] { openLine(); }};
};
