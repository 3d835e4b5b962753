#pragma once
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;

// The card-issuer address: which address on the serial line the card-issue
// window reads physical card numbers from.
class frmfkj : public QWidget {
    Q_OBJECT
public:
    explicit frmfkj(QWidget* parent = nullptr);

    void Command1_Click();

    QLabel* Label1;
    QComboBox* fkjaddr;
    QPushButton* Command1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void fkjaddr_LostFocus();
};
