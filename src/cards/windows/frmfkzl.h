#pragma once
#include <QDialog>
#include <QList>

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace serial {
class SerialPort;
}
namespace cardstore {
struct IssuedCard;
}

// Card-list rebuild: erases one controller's card list and downloads every
// issued card of its address again, so the controller admits exactly what
// the issued-card table says. Writes nothing to the database.
class FrmFKZL : public QDialog {
    Q_OBJECT
public:
    explicit FrmFKZL(QWidget* parent = nullptr);

    QLabel* Label1;  // the hint
    QLabel* Label2;
    QComboBox* Combo1;
    QLabel* Label3;
    QLineEdit* Text1;
    QProgressBar* PrgBar;
    QPushButton* Command1;
    QPushButton* Command2;

    void Command1_Click();
    void reject() override;
    int cardCount() const { return counter; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void rebuild();
    bool clearCardList(int address);
    bool download(const cardstore::IssuedCard& card);

    serial::SerialPort* MSComm1;
    QList<int> addresses;
    int counter = 0;
    bool running = false;
};
