#pragma once
#include "recordset.h"

#include <QWidget>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

// The operators: names, passwords, the two administration flags and the 25
// rights the log-in turns into menu entries. What the operator logged in may
// change here follows that operator's own flags.
class FrmRigS : public QWidget {
    Q_OBJECT
public:
    explicit FrmRigS(QWidget* parent = nullptr);

    void Text1_Change();
    void List1_Click();
    void Cmdadd_Click();
    void Cmdmodify_Click();
    void Cmddel_Click();
    void Cmdok_Click();
    void Cmdall_Click();

    QTabWidget* SSTab1;
    QListWidget* List1;
    QLabel* Label1;
    QLabel* Label2;
    QLineEdit* Text1;  // name
    QLineEdit* Text2;  // password
    QCheckBox* Che1;   // usersetting
    QCheckBox* Che2;   // usermanage
    QPushButton* Cmdadd;
    QPushButton* Cmdmodify;
    QPushButton* Cmddel;
    QPushButton* Cmdexit;
    // 0..24 the rights r0..r24; 25..27 stand for no column and stay hidden.
    std::array<QCheckBox*, 28> Ch;
    QPushButton* Cmdok;
    QPushButton* Cmdall;
    QPushButton* Cmdexit2;

private:
    void Form_Load();
    bool seekName();
    QString name() const;
    bool tooLong() const;
    void fillList();
    void showRow(bool found);

    jet::Recordset rs;
    bool mayManage = false;  // the operator logged in holds usermanage
};
