#pragma once
#include "closewatch.h"
#include "serialport.h"

#include <QDialog>

class QComboBox;
class QPushButton;
class QRadioButton;

// Opens lock 1 or lock 2 of one controller on request. Shown modeless once
// a super-user has confirmed.
class Frmspe : public QDialog {
    Q_OBJECT
public:
    explicit Frmspe(QWidget* parent = nullptr);

    QComboBox* Cdoor;
    QRadioButton* Option1;  // 鎖一
    QRadioButton* Option2;  // 鎖二
    QPushButton* Copen;
    QPushButton* Cmdexit;
    serial::SerialPort Comm;

    void Copen_Click();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void Form_Load();
    void finish(const QString& message, bool enableOpen, const ui::CloseWatch& watch);
};
