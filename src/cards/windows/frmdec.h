#pragma once
#include "recordset.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace serial {
class SerialPort;
}

// Card removal: takes issued cards out of the controllers' card lists by
// card, by address or by department. Each card goes to the controller first;
// only after its echo is it archived in the returned-card history and its
// issued-card row deleted.
class FrmDec : public QDialog {
    Q_OBJECT
public:
    explicit FrmDec(QWidget* parent = nullptr);

    QGroupBox* Frame1;
    QRadioButton* Option1;
    QComboBox* kh;
    QRadioButton* Option2;
    QComboBox* dz;
    QRadioButton* Option3;
    QComboBox* bm;
    QGroupBox* Frame5;
    QListWidget* Ldr;
    QGroupBox* Frame9;
    QLabel* Label12;
    QPushButton* Command1;
    QPushButton* Command2;
    QLabel* Label1;

    void Command1_Click();
    void reject() override;
    // A card chosen from the list of kh selects the registered addresses it is issued at.
    void kh_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Unrecorded: the controller let the card go, the database refused to record it.
    enum class Outcome { NotFound, Failed, Removed, Unrecorded, Stop };
    void buildControls();
    void Form_Load();
    void byCard();
    void byAddress();
    void byDepartment();
    Outcome removeCard(int address, const QString& card);
    bool removeInRun(int address, const QString& card, const QString& status);
    bool cardsOf(const QString& select, QStringList* issued);
    QList<int> targetAddresses() const;

    serial::SerialPort* Comm;
    jet::Recordset fakaRs;  // table faka on its primarykey, opened anew by each removal
    bool running = false;
};
