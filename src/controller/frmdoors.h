#pragma once
#include "serialport.h"

#include <QDialog>
#include <QIcon>
#include <QList>
#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

// Lock settings: one row of doors per controller address, with each lock's
// description, type and open delay; initialises a controller and sends the
// open delays to it.
class Frmdoors : public QDialog {
    Q_OBJECT
public:
    explicit Frmdoors(QWidget* parent = nullptr);

    QComboBox* Cdoor;
    std::array<QCheckBox*, 2> Clkn1;
    std::array<QRadioButton*, 6> Opt;
    std::array<QLineEdit*, 2> drnam;
    std::array<QLineEdit*, 2> second2;
    QPushButton* Cmdadd;
    QPushButton* Command4;
    QPushButton* cmddel;
    QPushButton* Cmdtest;
    QPushButton* Command1;
    QPushButton* Command2;
    QListWidget* ListView1;
    QList<QIcon> ImageList1;
    serial::SerialPort Comm;

    void Cdoor_Click();
    void Opt_Click(int index);
    void Cmdadd_Click();
    void Command4_Click();
    void cmddel_Click();
    void Cmdtest_Click();
    void Command1_Click();
    void Command2_Click();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void Form_Load();
    bool addressChecked(int& address);
    bool delaysChecked();
    bool lockTicked();
    bool hasRow(int address);
    QString lockType(int lock) const;
    QString defaultDelay(int lock) const;
    QString insertStatement(bool compact) const;
    void fillAddressList(const QString& select);
    void showInformation(int address);
};
