#pragma once
#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The register of departments (shown as buildings): add, rename with every
// person of the department, delete with or without its people and their
// issued cards. Modeless, one instance.
class Frmbm : public QWidget {
    Q_OBJECT
public:
    explicit Frmbm(QWidget* parent = nullptr);

    QLabel* Label2;
    QLineEdit* Tbm;
    QGroupBox* Frame1;
    QListWidget* List1;
    QPushButton* Cmdadd;
    QPushButton* Cmdch;
    QPushButton* cmddel;
    QPushButton* cmdexit;

    void Cmdadd_Click();
    void Cmdch_Click();
    void cmddel_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshList();
    bool exists(const QString& name);
    void deleteWithPeople(const QString& name);
};
