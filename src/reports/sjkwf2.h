#pragma once
#include <QDialog>

class QComboBox;
class QPushButton;

// Purge of old records: the swipe records or the attendance rows of a range
// of days, or of one day, chosen from the days the table holds. Nothing
// else is touched and nothing is archived.
class sjkwf2 : public QDialog {
    Q_OBJECT
public:
    explicit sjkwf2(QWidget* parent = nullptr);

    void Cdb_Click();
    void Command1_Click();
    void Command2_Click();

    QComboBox* Cdb;     // 0 the swipe records (data), 1 the attendance rows (datakq)
    QComboBox* Combo1;  // first day
    QComboBox* Combo2;  // last day
    QPushButton* Command1;
    QPushButton* Command2;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString table() const;
    bool placed = false;
};
