#pragma once
#include <QWidget>
#include <vector>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// Database initialisation: back to the state of a new installation, with
// one default operator holding every right and the company name typed.
class Form3 : public QWidget {
    Q_OBJECT
public:
    explicit Form3(QWidget* parent = nullptr);

    struct Step {
        QString statement;
        int progressAfter;  // 0: the progress bar stays as it is
    };
    // The statements of the initialisation, in the order they run.
    static std::vector<Step> steps(const QString& companyName);

    void Command1_Click();
    void Command2_Click();

    QLabel* Label1;
    QLineEdit* Text1;
    QPushButton* Command1;
    QPushButton* Command2;
    QProgressBar* Pro;
};
