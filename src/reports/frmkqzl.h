#pragma once
#include "database.h"

#include <QDialog>
#include <QElapsedTimer>

class QDateEdit;
class QLabel;
class QProgressBar;
class QPushButton;

// Attendance processing: the swipes of a date range turned into one
// attendance row per card and day, through a connection of its own on the
// file. A run is one transaction: it stores all its rows or none.
class Frmkqzl : public QDialog {
    Q_OBJECT
public:
    explicit Frmkqzl(QWidget* parent = nullptr);

    // Opens the connection and presets the range to this month so far;
    // false (after a message) when the database file can't be opened.
    bool Form_Load();
    void Command1_Click();
    void Command2_Click();
    void reject() override;

    QLabel* Label1;
    QDateEdit* DTP1;
    QDateEdit* DTP2;
    QPushButton* Command1;
    QPushButton* Command2;
    QProgressBar* Prg;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void run();
    void setRunning(bool on);
    void letEventsRun();

    jet::Database conn;
    bool running = false;
    QElapsedTimer sinceEvents;
};
