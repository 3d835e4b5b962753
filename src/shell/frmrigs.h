#pragma once
#include <QWidget>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace jet {
class Recordset;
}

// The operators: names, passwords, the two administration flags and the 25
// rights the log-in turns into menu entries. What the operator logged in
// may change here is decided by that operator's own flags, once, at opening.
class FrmRigS : public QWidget {
    Q_OBJECT
public:
    explicit FrmRigS(QWidget* parent = nullptr);

    void Cmdadd_Click();
    void Cmdmodify_Click();
    void Cmddelete_Click();
    void Cmdok_Click();
    void Cmdall_Click();

    QTabWidget* SSTab1;
    // Tab 用戶設置
    QListWidget* List1;
    QLabel* Label1;
    QLineEdit* Text1;  // name
    QLabel* Label2;
    QLineEdit* Text2;  // password
    QCheckBox* Che1;   // usersetting
    QCheckBox* Che2;   // usermanage
    QPushButton* Cmdadd;
    QPushButton* Cmdmodify;
    QPushButton* Cmddelete;
    QPushButton* Cmdexit;
    // Tab 用戶權限: boxes 0 to 24 are the rights r0 to r24; 25 to 27 stand
    // for no column and stay hidden.
    std::array<QCheckBox*, 28> Ch;
    QPushButton* Cmdok;
    QPushButton* Cmdall;
    QPushButton* Cmdexit2;

private:
    void Form_Load();
    void Text1_Change();
    void List1_Click(const QString& name);
    void fillList();
    QString trimmedName() const;
    jet::Recordset seek(const QString& name) const;
    bool isLastAdministrator(const QString& name) const;
    bool fitsTheColumns(const QString& name, const QString& password) const;

    bool mayChangeFlags = false;  // the operator logged in holds usermanage
};
