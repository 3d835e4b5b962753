#pragma once
#include <QWidget>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// Returns the database to the state of a new installation: empties the
// operators, departments, controllers, people, cards, records and archives,
// puts back the default operator and resets the settings rows.
class Form3 : public QWidget {
    Q_OBJECT
public:
    explicit Form3(QWidget* parent = nullptr);

    void Command1_Click();
    void Command2_Click();

    QLabel* Label1;
    QLineEdit* Text1;
    QPushButton* Command1;
    QPushButton* Command2;
    QProgressBar* Pro;

private:
    void initialise();
};
