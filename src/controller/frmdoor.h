#pragma once
#include "serialport.h"

#include <QDialog>
#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

// The older lock-settings window, over the layout of doors with one row
// per lock found by its door number. Nothing in the menu opens it; the
// live lock settings are Frmdoors.
class Frmdoor : public QDialog {
    Q_OBJECT
public:
    explicit Frmdoor(QWidget* parent = nullptr);

    QComboBox* Cdw;
    QComboBox* Cdoor;
    QLineEdit* Taddress;
    std::array<QRadioButton*, 2> Option1;
    QLineEdit* ttime;
    QWidget* UpDown1;  // the spinner: its up and down arrows
    QToolButton* UpDown1Up;
    QToolButton* UpDown1Down;
    QLabel* mesg;
    QPushButton* Cmdadd;
    QPushButton* cmddel;
    QPushButton* Command4;
    QPushButton* Command1;
    QPushButton* Cmdtest;
    serial::SerialPort Comm;

    void Cdoor_Click();
    void UpDown1_UpClick();
    void UpDown1_DownClick();
    void Cmdadd_Click();
    void cmddel_Click();
    void Command4_Click();
    void Command1_Click();
    void Cmdtest_Click();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void Form_Load();
    int lock() const;
    QString departmentNumber() const;
    void refillDoors();
    bool run(const QString& statement);
    bool controllerAddress(int& address);
    bool openPort();
};
