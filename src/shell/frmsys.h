#pragma once
#include "serialport.h"

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;

// Serial-line settings: shows and stores the four settings, and tests the
// line with the values typed by setting one controller's clock.
class frmsys : public QDialog {
    Q_OBJECT
public:
    explicit frmsys(QWidget* parent = nullptr);

    QLineEdit* Tport;
    QLineEdit* Tset;
    QLineEdit* Tinb;
    QLineEdit* Toutb;
    QPushButton* Cmdok;
    QPushButton* Cmdtest;
    QPushButton* cmdexit;
    QGroupBox* Frame1;
    QLineEdit* tdz;
    QPushButton* Command1;
    QPushButton* Command2;
    serial::SerialPort Comm;

    void Cmdok_Click();
    void Cmdtest_Click();
    void Command1_Click();
    void Command2_Click();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void Form_Load();
    void panelShown(bool shown);
};
