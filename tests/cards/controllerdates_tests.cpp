// The card windows' dates go into a controller, which holds the years 2000
// to 2099 only: their pickers allow no other date, and a stored date outside
// them is told to the operator when the card's terms are shown.
#include "app.h"
#include "cardline.h"
#include "frmetd.h"
#include "frmfk.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <functional>

namespace {

const QString shownOutOfRange =
    "卡號000001在地址1保存的日期限制2024/01/01至2100/12/31超出控制器能保存的日期"
    "（2000/01/01至2099/12/31），請重新選擇日期！";

struct CardWindowCase {
    const char* name;
    std::function<QWidget*()> open;
    // Shows the stored terms of card 000001, as the operator calls them up.
    std::function<void(QWidget*)> showCard;
    std::function<CardTerms*(QWidget*)> terms;
};

class ControllerDates : public CardLineTest {
protected:
    void TearDown() override
    {
        delete window.data();
        CardLineTest::TearDown();
    }
    static void choose(QComboBox* box, const QString& entry)
    {
        box->setFocus();
        box->showPopup();
        QAbstractItemView* view = box->view();
        const int at = box->findText(entry);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(at, 0)).center());
        QTest::qWait(20);
        QApplication::setActiveWindow(box->window());
    }
    static std::vector<CardWindowCase> windows()
    {
        return {
            {"卡操作", [] { return static_cast<QWidget*>(new FrmFK()); },
             [](QWidget* w) { type(static_cast<FrmFK*>(w)->Tkh, "000001"); },
             [](QWidget* w) { return static_cast<CardTerms*>(static_cast<FrmFK*>(w)); }},
            {"增擴卡机", [] { return static_cast<QWidget*>(new FrmEtD()); },
             [](QWidget* w) { choose(static_cast<FrmEtD*>(w)->Ckh, "000001"); },
             [](QWidget* w) { return static_cast<CardTerms*>(static_cast<FrmEtD*>(w)); }},
        };
    }
    void open(const CardWindowCase& c)
    {
        window = c.open();
        window->show();
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }

    QPointer<QWidget> window;
};

TEST_F(ControllerDates, AStoredDateAControllerCantHoldIsToldWhenShown)
{
    app::db.Execute("insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2,開始日期,截止日期) "
                    "values (1,'000001','0000000001',0,0,#2024-01-01#,#2100-12-31#)");
    for (const CardWindowCase& c : windows()) {
        dialogs.messages.clear();
        open(c);
        c.showCard(window);
        CardTerms* terms = c.terms(window);
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{shownOutOfRange}) << c.name;
        EXPECT_TRUE(terms->Ch[0]->isChecked()) << c.name;
        EXPECT_EQ(terms->ddate[1]->maximumDate(), QDate(2099, 12, 31)) << c.name;
        delete window.data();
    }
}

TEST_F(ControllerDates, PickersRefuseADateTypedOutsideTheYearsAControllerHolds)
{
    for (const CardWindowCase& c : windows())
        for (int box : {0, 1})
            for (const char* typed : {"2100/01/01", "1999-12-31", "21500101"}) {
                dialogs.messages.clear();
                open(c);
                QDateEdit* picker = c.terms(window)->ddate[box];
                const QDate shown = picker->date();
                auto* text = picker->findChild<QLineEdit*>("qt_spinbox_lineedit");
                QTest::mouseClick(text, Qt::LeftButton, {}, text->rect().center());
                QTest::keyClick(picker, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(picker, typed);
                QTest::keyClick(picker, Qt::Key_Tab);
                EXPECT_EQ(picker->date(), shown) << c.name << " " << box << " " << typed;
                EXPECT_EQ(dialogs.texts(), std::vector<QString>{"日期只能在2000/01/01至2099/12/31之間！"})
                    << c.name << " " << box << " " << typed;
                delete window.data();
            }
}

}  // namespace
