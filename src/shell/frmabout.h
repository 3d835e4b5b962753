#pragma once
#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;

// The About box: the product title, the platform's system-information
// program, and the way to the controller information window.
class frmabout : public QDialog {
    Q_OBJECT
public:
    explicit frmabout(QWidget* parent = nullptr);

    QLabel* lblTitle;
    QPushButton* Command1;
    QPushButton* Cmdok;
    QPushButton* cmdSysInfo;

    void Command1_Click();
    void cmdSysInfo_Click();

    // The system-information programs looked for on PATH, in this order.
    static QStringList sysInfoPrograms();
    static void StartSysInfo();
};
