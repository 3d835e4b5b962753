#pragma once
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

// The window the program starts with: opens the shared database, checks an
// operator's name and password, switches the menu entries by the operator's
// rights and hands over to the main window.
class login : public QWidget {
    Q_OBJECT
public:
    explicit login(QWidget* parent = nullptr);

    // Opens the shared database handle; false (after telling the operator)
    // when the file can't be opened.
    bool Form_Load();
    void checkuser();

    QLineEdit* Tuser;
    QLineEdit* tpasswd;
    QPushButton* Cmdok;
    QPushButton* cmdexit;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Cmdok_Click();
    void cmdexit_Click();
};
