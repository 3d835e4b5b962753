#pragma once
#include "reportcontrol.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QPushButton;
class QTimeEdit;
namespace grid {
class BoundGrid;
}

// Swipe-record query: the collected swipes with their holder's name,
// building and post, filtered by days, times of day, address, card and
// name, in one of six orders, and printed through drda2.rpt. A cell edited
// in the grid is written to its swipe record.
class Frmque : public QDialog {
    Q_OBJECT
public:
    explicit Frmque(QWidget* parent = nullptr);

    void Ccx_Click();
    void Command2_Click();
    void Command1_Click();

    // 0 days, 1 address, 2 card, 3 times of day, 4 name.
    QCheckBox* Cck[5];
    QDateEdit* t1s;
    QDateEdit* t1e;
    QTimeEdit* t2s;
    QTimeEdit* t2e;
    QComboBox* Cdoor;
    QComboBox* Cka;
    QComboBox* Cna;
    QComboBox* Corder;
    QPushButton* Ccx;
    QPushButton* Command2;
    QPushButton* Command1;
    grid::BoundGrid* DBGrid1;  // with its data source Data2: a handle of its own on the file
    report::ReportControl CRP;

private:
    void buildControls();
    void Form_Load();
};
