#pragma once
#include "reportcontrol.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QPushButton;
namespace grid {
class BoundGrid;
}

// Attendance query: the daily attendance rows filtered by days, building,
// card and name, in one of four orders, and printed through drkq.rpt. A
// cell edited in the grid is written to its attendance row.
class Frmkq : public QDialog {
    Q_OBJECT
public:
    explicit Frmkq(QWidget* parent = nullptr);

    void Ccx_Click();
    void Command2_Click();
    void Command1_Click();

    // The statement whose rows the grid lists; printing copies its result.
    QString currentQuery() const { return query; }

    // 0 days, 1 building, 2 card, 4 name (3 is not used).
    QCheckBox* Cck[5] = {};
    QDateEdit* t1s;
    QDateEdit* t1e;
    QComboBox* Cka;
    QComboBox* Cna;
    QComboBox* Cbm;
    QComboBox* Corder;
    QPushButton* Ccx;
    QPushButton* Command2;
    QPushButton* Command1;
    grid::BoundGrid* DBGrid1;  // with its data source Data1: a handle of its own on the file
    report::ReportControl CRP;

private:
    void buildControls();
    void Form_Load();
    QString query;
};
