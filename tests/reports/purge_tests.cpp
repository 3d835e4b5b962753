// The purge of old swipe records and attendance rows by day.
#include "app.h"
#include "attendancefixture.h"
#include "sjkwf2.h"
#include "workwatch.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLocale>
#include <QPushButton>
#include <QTest>

namespace {

const QDate d1(2026, 3, 2), d2(2026, 3, 3), d3(2026, 3, 4), d4(2026, 3, 5);

class Purge : public testsupport::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        openSharedDb();
        app::db.BeginTrans();
        for (const QDate& d : {d3, d1, d4, d2})
            for (const char* card : {"000101", "000102", "000103"}) {
                reportstest::addSwipe(app::db, card, d, QTime(8, 40));
                reportstest::addSwipe(app::db, card, d, QTime(17, 35), 2);
                app::db.Execute(QStringLiteral("insert into datakq (卡號,日期,姓名) values ('%1',#%2#,'歐陽志明')")
                                    .arg(QString::fromLatin1(card), d.toString(Qt::ISODate)));
            }
        app::db.CommitTrans();
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }
    // Chooses an item from a box's open list, as the operator does.
    static void pick(QComboBox* box, int index)
    {
        box->showPopup();
        QAbstractItemView* list = box->view();
        QTRY_VERIFY(list->isVisible());
        const QRect item = list->visualRect(list->model()->index(index, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
        QTRY_VERIFY(!list->isVisible());
    }
    static QStringList items(const QComboBox* box)
    {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }
    sjkwf2 w;
};

TEST_F(Purge, TheDaysOfTheChosenTableAreListedEarliestFirst)
{
    EXPECT_EQ(w.windowTitle(), "門禁系統數据維護");
    EXPECT_EQ(w.Cdb->currentText(), "");
    EXPECT_EQ(items(w.Cdb), (QStringList{"開門原始記錄表", "考勤分析數据庫"}));
    pick(w.Cdb, 0);
    EXPECT_EQ(items(w.Combo1), (QStringList{"2026-03-02", "2026-03-03", "2026-03-04", "2026-03-05"}));
    EXPECT_EQ(items(w.Combo2), items(w.Combo1));
    EXPECT_EQ(w.Combo1->currentText(), "2026-03-02");
    EXPECT_EQ(w.Combo2->currentText(), "2026-03-05");
    // The attendance days in the computer's own short form.
    pick(w.Cdb, 1);
    const QString last = QLocale().toString(d4, QLocale::ShortFormat);
    EXPECT_EQ(w.Combo2->currentText(), last);
    EXPECT_EQ(w.Combo1->count(), 4);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Purge, ARangeOrADayOfEitherTableAndTheRowsDeletedAreCounted)
{
    const struct {
        int table;
        int first, last;  // list positions
        int deleted;
        int dataLeft, attendanceLeft;
    } cases[] = {
        {0, 1, 2, 12, 12, 12},  // both end days go
        {1, 0, 0, 3, 12, 9},    // one day: the single-day statement
        {1, 0, 2, 9, 12, 0},    // the same table chosen again: its days anew
        {0, 0, 0, 6, 6, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.deleted);
        dialogs.messages.clear();
        pick(w.Cdb, c.table);
        pick(w.Combo1, c.first);
        pick(w.Combo2, c.last);
        const QString first = w.Combo1->currentText();
        const QString last = w.Combo2->currentText();
        dialogs.answer(ui::vbYes);
        QTest::mouseClick(w.Command1, Qt::LeftButton);
        ASSERT_EQ(dialogs.messages.size(), 2u);
        EXPECT_EQ(dialogs.messages[0].prompt, "您确實要清除從 " + first + " 到 " + last + " 之間" + w.Cdb->currentText()
                                                  + "中所有數据！");
        EXPECT_EQ(dialogs.messages[0].style, 4 + 32 + 256);  // No the default
        EXPECT_EQ(dialogs.messages[0].title, "警    告");
        EXPECT_EQ(dialogs.messages[1].prompt, QStringLiteral("刪除成功！共刪除 %1 條記錄。").arg(c.deleted));
        EXPECT_EQ(count("data"), c.dataLeft);
        EXPECT_EQ(count("datakq"), c.attendanceLeft);
        // The lists still offer the days just purged, until the table is chosen again.
        EXPECT_EQ(w.Combo1->currentText(), first);
    }
    pick(w.Cdb, 0);
    EXPECT_EQ(items(w.Combo1), (QStringList{"2026-03-05"}));
}

// A busy door's month: the delete holds the window for a while, and the
// operator sees what is being done under the hourglass until it is over.
TEST_F(Purge, TheDeleteShowsWhatIsBeingDone)
{
    app::db.BeginTrans();
    for (int day = 0; day < 30; ++day)
        for (int swipe = 0; swipe < 200; ++swipe)
            reportstest::addSwipe(app::db, QStringLiteral("%1").arg(100 + swipe % 80, 6, 10, QChar('0')),
                                  QDate(2026, 1, 1).addDays(day), QTime(7, 0).addSecs(swipe * 97), 1 + swipe % 4);
    app::db.CommitTrans();
    testsupport::WorkWatch watch;
    app::db.Close();
    jet::CloseDefaultWorkspace();
    openSharedDb();
    pick(w.Cdb, 0);
    pick(w.Combo1, 0);
    pick(w.Combo2, 19);
    EXPECT_EQ(watch.seen, QStringList());
    dialogs.answer(ui::vbYes);
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].prompt, "刪除成功！共刪除 4000 條記錄。");
    EXPECT_EQ(watch.seen, QStringList{"正在刪除過期數據，請稍候…"});
    EXPECT_EQ(testsupport::workNoticeShown(), QString());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(count("data"), 6000 - 4000 + 24);
}

TEST_F(Purge, NothingIsDeletedWithoutATableTwoDaysInOrderAndAYes)
{
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{"請輸入數据庫名稱！"});

    app::db.Execute("delete * from datakq");
    dialogs.messages.clear();
    pick(w.Cdb, 1);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{"無記錄"});
    EXPECT_EQ(w.Combo1->count(), 0);
    dialogs.messages.clear();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(w.Combo1->hasFocus());

    pick(w.Cdb, 0);
    pick(w.Combo1, 3);
    pick(w.Combo2, 1);
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{"前一個日期不能大于后一個日期，請重新選擇日期！"});
    dialogs.messages.clear();
    pick(w.Combo2, 3);
    dialogs.answer(ui::vbNo);
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(count("data"), 24);
}

TEST_F(Purge, TypingInTheBoxesChangesNothing)
{
    pick(w.Cdb, 0);
    pick(w.Combo1, 1);
    for (QComboBox* box : {w.Cdb, w.Combo1, w.Combo2}) {
        const QString before = box->currentText();
        box->setFocus();
        QTest::keyClicks(box, "2026-03-05 kq");
        EXPECT_EQ(box->currentText(), before);
    }
    EXPECT_EQ(w.Combo1->currentText(), "2026-03-03");
}

}  // namespace
