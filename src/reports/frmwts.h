#pragma once
#include "database.h"
#include "recordset.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;

// The working day: a morning and an afternoon period, and the late and
// leave-early allowances stored as four threshold times. Keeps the first
// row of table owt, through a connection of its own on the file.
class FrmWTS : public QDialog {
    Q_OBJECT
public:
    explicit FrmWTS(QWidget* parent = nullptr);

    // Opens the connection and fills the pickers; false (after a message)
    // when the database file can't be opened.
    bool Form_Load();
    void Command1_Click();
    void Command2_Click();

    QGroupBox* Frame1;  // morning
    QGroupBox* Frame2;  // afternoon
    QTimeEdit* DTX1;
    QTimeEdit* DTX2;
    QTimeEdit* DTX3;
    QTimeEdit* DTX4;
    QLineEdit* Text1;  // late allowance, minutes
    QLineEdit* Text2;  // leave-early allowance, minutes
    QPushButton* Command1;
    QPushButton* Command2;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool readAllowance(QLineEdit* box, int* minutes);

    jet::Database conn;
    jet::Recordset rs;
};
