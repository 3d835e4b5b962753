#pragma once
#include <QWidget>
#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace jet {
class Recordset;
}

// The older operator editor: a name, a password and one of two ranks per
// operator, in columns 用戶名, 口令 and 權限 of table user. Nothing opens it;
// the live operator editor is FrmRigS.
class Frmuser : public QWidget {
    Q_OBJECT
public:
    explicit Frmuser(QWidget* parent = nullptr);

    // False (after saying why) when table user lacks the window's columns.
    bool Form_Load();

    void Cmdadd_Click();
    void Cmdchange_Click();
    void Cmddelete_Click();

    QLabel* Label1;
    QComboBox* Cuser;
    QLabel* Label2;
    QLineEdit* Tpasswd;
    QGroupBox* Frame1;
    std::array<QRadioButton*, 2> Option1;  // 0 系統維護員, 1 一般用戶
    QPushButton* Cmdadd;
    QPushButton* Cmdchange;
    QPushButton* Cmddelete;
    QPushButton* Cmdexit;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Cuser_Change();
    void Cuser_Click();
    void showOperator(const QString& name);
    void fillList();
    // The checks adding and modifying share; the rank, or 0 to stop.
    int checkedRank();
    // The operator's row once the question is answered Yes; a closed
    // recordset when there is no such operator or the answer is No. The
    // style is the question box's.
    jet::Recordset confirmedOperator(const QString& name, const QString& question, int style);
    // The row being added or edited takes the name, the password as typed and the rank.
    void store(jet::Recordset& rs, const QString& name, int rank);
};
