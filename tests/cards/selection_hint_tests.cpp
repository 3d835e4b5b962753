// The address lists of card removal and card extension take several
// addresses at once, and their hint says how in words an operator reads.
#include "app.h"
#include "cardfixture.h"
#include "frmdec.h"
#include "frmetd.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <functional>
#include <memory>

namespace {

class SelectionHint : public LineTest {
protected:
    void SetUp() override
    {
        LineTest::SetUp();
        for (int a = 1; a <= 6; ++a) {
            app::db.Execute(QStringLiteral("insert into doors (地址,dtype1) values ('%1','玻')").arg(a));
            app::db.Execute(QStringLiteral("insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values "
                                           "('%1','00000%1','000000000%1',0,0)")
                                .arg(a));
        }
    }
};

QStringList chosen(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected())
            out << list->item(i)->text();
    return out;
}

void click(QListWidget* list, int row, Qt::KeyboardModifiers mod = Qt::NoModifier)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, mod, list->visualItemRect(list->item(row)).center());
}

TEST_F(SelectionHint, TheListTakesWhatItsHintSays)
{
    const struct {
        const char* window;
        std::function<QWidget*()> open;
    } windows[] = {{"FrmDec", [] { return new FrmDec(); }}, {"FrmEtD", [] { return new FrmEtD(); }}};
    for (const auto& c : windows) {
        SCOPED_TRACE(c.window);
        std::unique_ptr<QWidget> w(c.open());
        w->show();
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        auto* list = w->findChild<QListWidget*>(QStringLiteral("Ldr"));
        const QString hint = w->findChild<QLabel*>(QStringLiteral("Label12"))->text();
        ASSERT_GE(list->count(), 6);

        // Words, not symbols standing for keys whose glyphs are lost.
        for (const QChar ch : hint)
            EXPECT_FALSE(ch.unicode() >= 0x25A0 && ch.unicode() <= 0x25FF) << hint.toStdString();
        for (const char* said : {"Shift", "Ctrl", "點擊", "方向鍵"})
            EXPECT_TRUE(hint.contains(QString::fromUtf8(said))) << said << " in " << hint.toStdString();

        // Shift with a click or the arrow keys extends the choice ...
        click(list, 0);
        click(list, 2, Qt::ShiftModifier);
        EXPECT_EQ(chosen(list), QStringList({"1", "2", "3"}));
        QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
        EXPECT_EQ(chosen(list), QStringList({"1", "2", "3", "4"}));
        // ... Ctrl with a click adds one address, or takes it out again.
        click(list, 5, Qt::ControlModifier);
        EXPECT_EQ(chosen(list), QStringList({"1", "2", "3", "4", "6"}));
        click(list, 1, Qt::ControlModifier);
        EXPECT_EQ(chosen(list), QStringList({"1", "3", "4", "6"}));
        // A plain click starts again.
        click(list, 4);
        EXPECT_EQ(chosen(list), QStringList({"5"}));
    }
}

}  // namespace
