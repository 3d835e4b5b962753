#pragma once
#include "recordset.h"

#include <QWidget>
#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The older operator editor: a name, a password and one of two ranks per
// operator, on a table layout with columns 用戶名, 口令 and 權限. The menu
// opens the operators window instead; this one stays for files of that layout.
class Frmuser : public QWidget {
    Q_OBJECT
public:
    explicit Frmuser(QWidget* parent = nullptr);

    // Opens the operator table; false, after saying why, when the table
    // lacks the columns this window works on.
    bool Form_Load();

    void Cmdadd_Click();
    void Cmdchg_Click();
    void Cmddel_Click();
    void Cmdexit_Click();

    QLabel* Label1;
    QComboBox* Cuser;
    QLabel* Label2;
    QLineEdit* Tpasswd;
    QGroupBox* Frame1;
    std::array<QRadioButton*, 2> Option1;  // 0 系統維護員 (rank 1), 1 一般用戶 (rank 3)
    QPushButton* Cmdadd;
    QPushButton* Cmdchg;
    QPushButton* Cmddel;
    QPushButton* Cmdexit;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString name() const;
    void fillList();
    void lookUp();
    void Cuser_Change();
    bool find();
    bool checked(int& rank);
    void store(int rank);

    jet::Recordset rs;
};
