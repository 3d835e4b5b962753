#pragma once
#include "clocktimer.h"
#include "linelender.h"
#include "serialport.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <array>

class QFrame;
class QLabel;
namespace photo {
class PhotoBox;
}

// The live swipe display: fills the screen with the last swipe seen on any
// controller, the holder's card number, name, time, building, job, the
// channel passed and the photo. Asks the next address for its swipe every
// tick, acknowledges each valid record and shows it. Stores nothing. The
// port stays open while the window is shown.
class FrmSSXX : public QDialog {
    Q_OBJECT
public:
    explicit FrmSSXX(QWidget* parent = nullptr);

    QFrame* Picture1;
    photo::PhotoBox* Image1;
    // 0 name, 1 time, 2 building, 3 job, 4 channel, 5 card number.
    std::array<QLabel*, 6> Label2{};
    QLabel* Label8;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label9;
    QLabel* Label3;
    QLabel* Label4;
    QTimer TimerScanTD;
    ClockTimer Timer2;
    serial::SerialPort MSComm1;

    void TimerScanTD_Timer();
    void scandoor(int position);
    void MSComm1_OnComm();
    void showswiper(const QString& physical, int address);
    void Timer2_Timer();

    const QStringList& addresses() const { return addressList; }
    bool isBusy() const { return busy != 0; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void Form_Load();
    void clearDisplay();
    void openLine();
    void stopScanning();

    QStringList addressList;
    int scanPosition = 0;
    int polledAddress = -1;
    short busy = 0;
    QString physicalNumber;
    int directionCode = 0;
    int clearCount = 0;
    LineLender lender{TimerScanTD, [this] { stopScanning(); }, [this] { openLine(); }};
};
