#pragma once
#include <QDialog>

class QLineEdit;
class QPushButton;

// Stands before the remote lock opening: an operator holding right r24
// types name and password again.
class Frmspecial : public QDialog {
    Q_OBJECT
public:
    explicit Frmspecial(QWidget* parent = nullptr);

    QLineEdit* Tuser;
    QLineEdit* Tpasswd;
    QPushButton* Cmdok;
    QPushButton* Cmdexit;

    void Cmdok_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
};
