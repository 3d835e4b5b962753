#pragma once
#include "recordset.h"
#include "reportcontrol.h"

#include <QDialog>
#include <QString>
#include <vector>

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolBar;
namespace grid {
class BoundGrid;
}
namespace photo {
class PhotoBox;
}
class QKeyEvent;

// Personnel records: one row of people per card holder with owner, family
// and photo data; add, modify, delete (archived, refused while the card is
// issued), query by card range and print. Sends nothing to any controller.
class Frmxg : public QDialog {
    Q_OBJECT
public:
    explicit Frmxg(QWidget* parent = nullptr);

    // Owner frame.
    QGroupBox* Frame1;
    QLineEdit* Tkh;
    QLineEdit* Tfh;
    QLineEdit* Txm;
    QComboBox* Csex;
    QDateEdit* DTPicker2;
    QLineEdit* Tma;
    QLineEdit* Ttel;
    QLineEdit* Tzw;
    QLineEdit* Tfcz;
    QLineEdit* Tid;
    QLineEdit* Tnation;
    QComboBox* Cbm;
    QLineEdit* Thukou;
    QLineEdit* Tcompany;
    photo::PhotoBox* Picture1;
    QPushButton* Command5;
    // Family frame.
    QGroupBox* Frame2;
    QLineEdit* Tspouse;
    QComboBox* Cssex;
    QLineEdit* Tshukou;
    QLineEdit* Tscompany;
    QLineEdit* Tchild1;
    QLineEdit* Tchild2;
    QLineEdit* Tchild3;
    QLineEdit* Tother;
    // Query and print area.
    QGroupBox* Frame3;
    QRadioButton* Option1;
    QRadioButton* Option2;
    QComboBox* Ckh1;
    QComboBox* Ckh2;

    QToolBar* Toolbar1;
    grid::BoundGrid* DBGrid1;  // with its data source: a handle of its own on the file
    report::ReportControl CrystalReport1;

    // Button 1 add, 2 modify, 3 delete, 4 query, 5 print, 6 exit.
    void Toolbar1_ButtonClick(int index);
    void Command5_Click();
    void Option1_Click();

    QString currentQuery() const { return query; }
    QString pendingPhoto() const { return photo; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Box {
        const char* column;
        QWidget* widget;
    };
    void buildControls();
    void Form_Load();
    void clearBoxes();
    void fillFrom(const jet::Recordset& person);
    void lookUpTypedCard();
    void writeBoxes(jet::Recordset& person);
    void Data2_Refresh();
    void DBGrid1_RowColChange();
    void addPerson();
    void modifyPerson();
    void deletePerson();
    void runQuery();
    void printPeople();
    bool tkhKey(QKeyEvent* key);

    std::vector<Box> boxes;  // in the order a person is shown
    QString query;
    QString photo;
    QString chosenPhoto;  // the file dialog's file name: kept across cancels
    jet::Recordset peopleRs;
    jet::Recordset fakaRs;
};
