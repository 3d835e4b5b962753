#pragma once
#include "reportcontrol.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
namespace grid {
class BoundGrid;
}

// Issued-card query: the cards issued to each controller with their
// holder, filtered by building, name, address and card, in one of three
// orders, and printed through faka.rpt. The grid is read-only: a row of
// faka stands for what a controller confirmed.
class FrmFKXXCX : public QDialog {
    Q_OBJECT
public:
    explicit FrmFKXXCX(QWidget* parent = nullptr);

    void Ccx_Click();
    void Command2_Click();
    void Command1_Click();

    QLabel* Label1[2];
    // 0 name, 1 address, 2 card, 3 building.
    QCheckBox* Cck[4];
    QComboBox* Cdoor;
    QComboBox* Tka;
    QComboBox* Cbm;
    QComboBox* Txm;
    QComboBox* Corder;
    QPushButton* Ccx;
    QPushButton* Command2;
    QPushButton* Command1;
    grid::BoundGrid* DBGrid1;  // with its data source Data1: a handle of its own on the file
    report::ReportControl Cr;

private:
    void buildControls();
    void Form_Load();
};
