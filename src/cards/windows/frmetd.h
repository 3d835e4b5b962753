#pragma once
#include "cardterms.h"

#include <QDialog>
#include <QList>
#include <QString>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace serial {
class SerialPort;
}

// Card extension: downloads cards already issued into further controllers,
// by card, by every card of a source address or of a department, with the
// pass modes and windows set in the window. Each pair goes to the controller
// first; only its echo writes the further faka row. Modal.
class FrmEtD : public QDialog, public CardTerms {
    Q_OBJECT
public:
    explicit FrmEtD(QWidget* parent = nullptr);

    QGroupBox* Frame1;
    QRadioButton* Option1;  // 卡號
    QComboBox* Ckh;
    QRadioButton* Option2;  // 地址
    QComboBox* dz;
    QRadioButton* Option5;  // 大廈
    QComboBox* bm;
    QGroupBox* Frame5;
    QListWidget* Ldr;
    QLabel* Label12;
    QGroupBox* Frame3;
    QGroupBox* Frame2;
    QLabel* Label7;
    QLabel* Label9;
    QLabel* Label1;           // the last pair extended in a run by address or department
    QProgressBar* Progress;   // pairs done of the run's pairs
    QPushButton* Command1;    // 增加
    QPushButton* Command2;    // 退出

    void Ckh_Click();
    void Ldr_Click(QListWidgetItem* item);
    void Command1_Click();
    void reject() override;

    bool busy() const { return running; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // A card at a target address.
    struct Pair {
        QString card, physical;
        int address;
    };
    enum class Outcome { Extended, Skipped, Stop };
    class Run;

    void buildControls();
    void Form_Load();
    void dz_Click();  // bm_Click is the same
    bool runChecks();
    bool targetsChosen();
    QList<int> targets() const;
    void byCard();
    void byRows(const QString& select);
    Outcome extend(const Pair& pair);

    serial::SerialPort* MSComm1;
    cardstore::IssuedCard terms;  // read from the window when a run starts
    bool running = false;
    bool closeAsked = false;
};
