#pragma once
#include "serialport.h"

#include <QDialog>

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTimeEdit;

// Sets one controller's date (with its weekday) or time of day. The frame
// goes out at once; the answer is judged when the port reports it.
class FrmCDT : public QDialog {
    Q_OBJECT
public:
    explicit FrmCDT(QWidget* parent = nullptr);

    QComboBox* Combo1;
    QDateEdit* DTP1;
    QTimeEdit* DTX2;
    QPushButton* Cmddate;
    QPushButton* Cmdtime;
    QLabel* Picture1;
    serial::SerialPort Comm;

    void Cmddate_Click();
    void Cmdtime_Click();
    void Comm_OnComm();
    void Picture1_Click();

    int pending() const { return request; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Form_Load();
    void send(const QString& emptyMessage, int kind);

    int savedAddress = -1;
    int request = 0;  // 0 none, 1 date, 2 time
};
