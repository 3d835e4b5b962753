#pragma once
#include <QList>
#include <QPair>
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
    // Issued cards of a department's people: how many cards, and how many
    // of them each address holds, as (address, cards) in address order.
    struct HeldCards {
        int cards = 0;
        QList<QPair<int, int>> perAddress;
        bool isEmpty() const { return perAddress.isEmpty(); }
        QString described() const;
        QString stillAdmitted() const;
    };
    void refreshList();
    bool exists(const QString& name);
    HeldCards heldCards(const QString& name);
    bool deleteWithPeople(const QString& name);
};
