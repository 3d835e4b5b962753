#pragma once
#include <QWidget>
#include <array>

class QLabel;
class QPushButton;
class QRadioButton;
class QTimeEdit;

// The collection schedule: manual collection only, or automatic collection
// at a set time each day. Storing it switches the main window's collection
// timer at once.
class FrmSJCJSZ : public QWidget {
    Q_OBJECT
public:
    explicit FrmSJCJSZ(QWidget* parent = nullptr);

    void Command1_Click();
    void Command2_Click();

    std::array<QRadioButton*, 2> Opt1;  // 0 automatic, 1 manual
    QLabel* Label1;
    QTimeEdit* DTP1;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* Command1;
    QPushButton* Command2;

private:
    void Form_Load();
    void Opt1_Click();
};
