#pragma once
#include "database.h"
#include "helddialog.h"
#include "recordprogress.h"
#include "serialport.h"

#include <QStringList>
#include <map>
#include <utility>
#include <vector>


class QLabel;
class QLineEdit;
class QProgressBar;

// Unattended collection: once shown it collects the stored records of
// every controller of table doors in turn, through seda.dat into data,
// and closes itself. Nothing asks the operator anything.
class FrmZDCJ : public HeldDialog {
    Q_OBJECT
public:
    explicit FrmZDCJ(QWidget* parent = nullptr);

    QLineEdit* Text1;      // its focus starts the run
    QLabel* Lab;           // the controller being collected
    QLabel* LabDoor;       // which of how many
    QProgressBar* Bar;     // records read of the count announced
    serial::SerialPort MSComm1;

    void Text1_GotFocus();
    void collectdoor(int k);
    void savecollected();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Form_Load();
    void run();
    // What this controller left undone, in the label and for the outcome.
    void fail(const QString& why);
    void keepOutcome(const QStringList& failures);

    // What the run left undone, each controller and seda.dat named once.
    QStringList outcomeOf(const std::vector<std::pair<int, QStringList>>& collected) const;

    RecordProgress progress{nullptr};
    jet::Database own;  // the window's own connection on the file
    bool started = false;
    QStringList reasons;  // of the controller being collected
    int collecting = -1;  // its address
    // The lines of seda.dat the last import kept and those this run set
    // aside, by the controller whose record each holds (-1: it names none).
    std::map<int, int> keptLines, setAsideLines;
    QString keptError;
};
