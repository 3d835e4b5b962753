#pragma once
#include "reportcontrol.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
namespace grid {
class BoundGrid;
}

// Returned-card query: the history of cards taken out of controllers,
// filtered by building, name, card and day of return, in one of five
// orders, and printed through drtk.rpt. History is not rewritten here: the
// grid is read-only.
class FrmTkcx : public QDialog {
    Q_OBJECT
public:
    explicit FrmTkcx(QWidget* parent = nullptr);

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    // Labels 0, 1 and 2 toggle the box of their index, label 4 box 3.
    void Label1_Click(int index);

    // 0 building, 1 name, 2 card, 3 day of return.
    QCheckBox* Ch[4];
    QLabel* Label1[5] = {};  // 3 is not used
    QComboBox* Cbm;
    QComboBox* Cxm;
    QComboBox* Ckh;
    QDateEdit* DTP1;
    QDateEdit* DTP2;
    QComboBox* Combo1;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    grid::BoundGrid* DBGrid1;  // with its data source Data2: a handle of its own on the file
    report::ReportControl Cr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void Form_Load();
};
