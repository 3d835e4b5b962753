#pragma once
#include "cardterms.h"
#include "issuedcards.h"

#include <QString>
#include <QWidget>
#include <array>
#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;

namespace frames {
struct CardEntry;
}
namespace serial {
class SerialPort;
}

// The card operations window: issues a card to a person and downloads it,
// with its pass modes and windows, into the selected controllers; changes it
// there or deletes it. For each address the controller goes first and the
// database follows its echo, the writes of one address as one whole; a
// controller whose change the database then refuses is given its card back
// in the state the database records, so the two never disagree unseen.
// Modeless, one instance.
class FrmFK : public QWidget, public CardTerms {
    Q_OBJECT
public:
    explicit FrmFK(QWidget* parent = nullptr);

    // 基本信息
    QGroupBox* Frame1;
    QComboBox* Tkh;                      // 卡號, with every card number of people
    QLineEdit* Tname;
    QLineEdit* Tzhiwu;
    QLineEdit* tsfz;
    QLineEdit* Cdw;
    QGroupBox* Frame2;                   // the input of the physical number
    std::array<QRadioButton*, 2> Option1;  // 0 鍵盤輸入, 1 從發卡机讀入
    QLineEdit* tcard;                    // 物理卡號
    QComboBox* Cdk;                      // card-issuer address
    QPushButton* Command1;               // 讀卡(&R)
    // 使用時間限制：, with 選擇地址 and 進出控制 inside
    QGroupBox* Frame3;
    QGroupBox* Frame4;
    QListWidget* dooraddr;
    QGroupBox* Frame5;
    QPushButton* Cmdadd;
    QPushButton* cmdchg;
    QPushButton* cmddel;
    QPushButton* Command2;

    void Tkh_Click();  // the card lookup
    void dooraddr_Click(QListWidgetItem* item);
    void Command1_Click();
    void Cmdadd_Click();
    void cmdchg_Click();
    void cmddel_Click();

    // The address text of the entry last clicked in dooraddr.
    QString clickedAddress() const { return currentAddress; }
    // Whether an operation or a card read is under way.
    bool busy() const { return running; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // What an operation takes from the window when it starts.
    struct Entered {
        QString card;      // Tkh, trimmed
        QString physical;  // tcard, trimmed
        cardstore::IssuedCard terms;
        cardstore::Holder holder;
        QList<int> selected;  // indexes of the selected entries of dooraddr
    };
    class Run;

    void buildControls();
    void Form_Load();
    void installEntryRules();
    void Tkh_Change();
    void tcard_Change();
    void Cdk_Change();
    void Option1_Click();
    bool tcardKey(QKeyEvent* key);
    bool cdkKey(QKeyEvent* key);
    QList<QWidget*> focusOrder() const;
    void moveFocusOn();
    void applyTabOrder();
    void listPeopleCards();

    Entered entered() const;
    void showPerson(const QVariant& name, const QVariant& job, const QVariant& department, const QVariant& id);
    void emptyEntryBoxes();
    bool physicalTakenByAnother(const QString& physical, const QString& card);
    bool issueChecks(Entered& e);
    bool changeChecks(Entered& e);
    bool windowChecks(bool timeOrderTested);
    bool deleteChecks(const Entered& e);
    bool checksPass(const std::function<bool()>& checks);
    bool issueAt(int address, const Entered& e);
    void changeAt(const QString& entry, const Entered& e);
    void deleteAt(int address, const Entered& e);
    bool add(frames::CardEntry entry);
    bool remove(int address, const QString& card);
    void forget(int address, const QString& card, const QString& told, int style);
    cardstore::IssuedCard issuedAs(int address, const Entered& e) const;

    serial::SerialPort* Comm;
    QString currentAddress;
    bool running = false;
    bool closeAsked = false;
};
