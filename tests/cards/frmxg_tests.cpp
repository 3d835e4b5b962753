// Personnel records: the card box, add, modify, archived delete, range
// query, print staging and the pending photo.
#include "app.h"
#include "frmxg.h"
#include "boundgrid.h"
#include "cardfixture.h"
#include "photobox.h"
#include "reportcontrol.h"
#include "operator.h"
#include "sqlvalue.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QDir>
#include <QFile>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QRadioButton>
#include <QScrollBar>
#include <QAbstractItemView>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

using testsupport::ProgramFolderTest;

namespace {

class Personnel : public ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        openSharedDb();
        app::db.Execute("insert into department values ('東座')");
        app::db.Execute("insert into department values ('O''Hara Court')");
        app::db.Execute("insert into people (卡號,姓名,部門,職務,身份證號,tel,others,birthday,照片) values "
                        "('000010','Ann O''Neil','東座','保安','A1','555','兩人',#1980-04-02#,'/nowhere.jpg')");
        app::db.Execute("insert into people (卡號,姓名,部門) values ('000002','陳二','O''Hara Court')");
        app::db.Execute("insert into people (卡號,姓名) values ('000100','李百')");
    }
    void TearDown() override
    {
        report::setPreviewHandler({});
        delete window.data();
        ProgramFolderTest::TearDown();
    }
    void open()
    {
        window = new Frmxg();
        window->show();
        QApplication::setActiveWindow(window);
    }
    QString photoFile(const char* name, Qt::GlobalColor colour = Qt::red)
    {
        QImage img(8, 8, QImage::Format_RGB32);
        img.fill(colour);
        const QString path = file(name);
        EXPECT_TRUE(img.save(path));
        return path;
    }
    QStringList stagedCards() const
    {
        QStringList cards;
        jet::Database d = openDb();
        for (jet::Recordset rs = d.OpenRecordset("select 卡號 from peoplept order by rowid"); !rs.Eof(); rs.MoveNext())
            cards << rs.Field(0).toString();
        return cards;
    }

    QPointer<Frmxg> window;
};

TEST_F(Personnel, OpeningFillsTheListsAndShowsTheFirstRow)
{
    open();
    EXPECT_EQ(window->windowTitle(), "人員信息");
    EXPECT_EQ(window->Ckh1->count(), 3);
    EXPECT_EQ(window->Ckh2->count(), 3);
    EXPECT_EQ(window->Cbm->count(), 2);
    EXPECT_EQ(window->Cbm->itemText(1), "O'Hara Court");
    EXPECT_EQ(window->Tkh->text(), "000010");
    EXPECT_EQ(window->Txm->text(), "Ann O'Neil");
    EXPECT_EQ(window->Cbm->currentText(), "東座");
    EXPECT_EQ(window->Tother->text(), "兩人");
    EXPECT_EQ(window->DTPicker2->date(), QDate(1980, 4, 2));
    EXPECT_EQ(window->Csex->currentText(), "");  // the person has no sex stored
    EXPECT_EQ(window->Cssex->currentText(), "");
    EXPECT_FALSE(window->Option1->isChecked());
    EXPECT_FALSE(window->Option2->isChecked());
    EXPECT_EQ(window->currentQuery(), "select * from people");
}

// A site's people run to hundreds of thousands: the two card lists hold
// what the operator scrolls to, not every card at once, and still offer
// every card in order.
TEST_F(Personnel, CardListsOfManyPeopleAreReadAsTheyAreScrolled)
{
    app::db.Execute("delete * from people");
    app::db.Execute("with recursive n(i) as (select 0 union all select i + 1 from n where i < 199999) "
                    "insert into people (卡號,姓名) select printf('%06d', i), '住戶' || i from n");
    open();
    for (QComboBox* range : {window->Ckh1, window->Ckh2}) {
        EXPECT_GT(range->count(), 0);
        EXPECT_LE(range->count(), 1000) << range->objectName().toStdString();
        EXPECT_EQ(range->currentText(), "");
    }

    QComboBox* to = window->Ckh2;
    to->showPopup();
    QTest::qWait(20);
    const int before = to->count();
    for (int scrolls = 0; scrolls < 3; ++scrolls) {
        QScrollBar* bar = to->view()->verticalScrollBar();
        bar->setValue(bar->maximum());
        QTest::qWait(10);
    }
    to->hidePopup();
    ASSERT_GT(to->count(), before);
    for (int i : {0, before - 1, before, to->count() - 1})
        EXPECT_EQ(to->itemText(i), QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'))) << i;

    // A card far down the list is typed, as before.
    window->Ckh1->setFocus();
    window->Ckh1->setEditText("150000");
    window->Ckh2->setEditText("150002");
    window->Toolbar1_ButtonClick(4);
    EXPECT_EQ(window->DBGrid1->RecordCount(), 3);
    EXPECT_EQ(window->Tkh->text(), "150000");
}

TEST_F(Personnel, CardBoxTakesSixDigitsThenLooksUp)
{
    app::db.Execute("delete * from people where 卡號<>'000002'");
    open();
    window->Tkh->clear();
    window->Txm->setText("kept");
    window->Tkh->setFocus();
    QTest::keyClicks(window->Tkh, "0a0 0-02");
    EXPECT_EQ(window->Tkh->text(), "00002");
    QTest::keyClick(window->Tkh, Qt::Key_0);
    EXPECT_EQ(window->Tkh->text(), "000020");
    QTest::keyClick(window->Tkh, Qt::Key_Backspace);
    EXPECT_EQ(window->Tkh->text(), "00002");
    QTest::keyClick(window->Tkh, Qt::Key_0);
    QTest::keyClick(window->Tkh, Qt::Key_7);  // a seventh digit is swallowed and looks up 000020
    EXPECT_EQ(window->Tkh->text(), "000020");
    EXPECT_EQ(window->Txm->text(), "kept");  // nobody has it: the boxes keep what they showed
    EXPECT_FALSE(window->Tkh->hasFocus());

    window->Tkh->setText("000002");
    window->Tkh->setFocus();
    QTest::keyClick(window->Tkh, Qt::Key_Return);
    EXPECT_EQ(window->Txm->text(), "陳二");
    EXPECT_EQ(window->Cbm->currentText(), "O'Hara Court");
    EXPECT_EQ(window->Tkh->text(), "000002");

    // Text pasted past the key filter is refused as well.
    window->Tkh->clear();
    QApplication::clipboard()->setText("12'x");
    window->Tkh->paste();
    EXPECT_EQ(window->Tkh->text(), "");
}

TEST_F(Personnel, AddStoresEveryBoxAndThePendingPhoto)
{
    open();
    const QString picture = photoFile("me.bmp");
    dialogs.chooseFile(picture);
    window->Command5_Click();
    ASSERT_EQ(window->pendingPhoto(), picture);
    EXPECT_EQ(dialogs.fileRequests.at(0).folder, folder());

    window->Tkh->setText("000555");
    window->Txm->setText("D'Arcy");
    window->Cbm->setEditText("新座");
    window->Tspouse->setText("");
    window->Tother->setText("祖母");
    window->Csex->setEditText("女");
    window->DTPicker2->setDate(QDate(1990, 1, 2));
    window->Toolbar1_ButtonClick(1);

    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(count("people", "卡號='000555' and 姓名='D''Arcy' and 部門='新座' and sex='女' and others='祖母' "
                              "and 職務='保安' and spouse='' and birthday=#1990-01-02#"),
              1);  // the other boxes kept the person shown before
    EXPECT_EQ(scalar("select 照片 from people where 卡號='000555'").toString(), picture);
    EXPECT_TRUE(window->pendingPhoto().isEmpty());
    EXPECT_EQ(window->Tkh->text(), "000010");  // the refresh shows the first row again
}

// A birthday typed into the empty picker as the operator knows it is kept
// when the focus moves on and stored by 修改; the empty picker's calendar
// opens at today's month, not at 1900.
TEST_F(Personnel, ABirthdayTypedIntoTheEmptyPickerIsStored)
{
    open();
    window->Tkh->clear();
    window->Tkh->setFocus();
    QTest::keyClicks(window->Tkh, "000002");
    QTest::keyClick(window->Tkh, Qt::Key_Return);
    ASSERT_EQ(window->Txm->text(), "陳二");
    ASSERT_EQ(window->DTPicker2->date(), window->DTPicker2->minimumDate());  // no birthday stored

    const QPoint arrow(window->DTPicker2->width() - 6, window->DTPicker2->height() / 2);
    QTest::mouseClick(window->DTPicker2, Qt::LeftButton, {}, arrow);
    QCalendarWidget* calendar = window->DTPicker2->calendarWidget();
    ASSERT_TRUE(calendar && calendar->isVisible());
    EXPECT_EQ(calendar->yearShown(), QDate::currentDate().year());
    QTest::keyClick(calendar, Qt::Key_Escape);

    window->DTPicker2->setFocus();
    QTest::keyClicks(window->DTPicker2, "19750308");
    QTest::keyClick(window->DTPicker2, Qt::Key_Tab);
    EXPECT_EQ(window->DTPicker2->date(), QDate(1975, 3, 8));
    testsupport::click(window->Toolbar1->widgetForAction(window->Toolbar1->actions().at(1)));  // 修改
    EXPECT_EQ(dialogs.texts(), std::vector<QString>());
    EXPECT_EQ(scalar("select birthday from people where 卡號='000002'").toDate(), QDate(1975, 3, 8));
}

// A birthday typed over the one shown replaces it whole, and 修改 on the
// tool bar (a button that takes no focus) stores the date typed.
TEST_F(Personnel, ABirthdayTypedOverTheShownOneIsStoredWhole)
{
    app::db.Execute("insert into people (卡號,姓名,birthday) values ('000001','王一',#1975-03-08#)");
    open();
    window->Tkh->clear();
    window->Tkh->setFocus();
    QTest::keyClicks(window->Tkh, "000001");
    QTest::keyClick(window->Tkh, Qt::Key_Return);
    ASSERT_EQ(window->DTPicker2->text(), "1975/03/08");

    auto* dateText = window->DTPicker2->findChild<QLineEdit*>("qt_spinbox_lineedit");
    QTest::mouseClick(dateText, Qt::LeftButton, {}, dateText->rect().center());
    QTest::keyClick(window->DTPicker2, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(window->DTPicker2, "1980/01/02");
    testsupport::click(window->Toolbar1->widgetForAction(window->Toolbar1->actions().at(1)));  // 修改
    EXPECT_EQ(dialogs.texts(), std::vector<QString>());
    EXPECT_EQ(scalar("select birthday from people where 卡號='000001'").toDate(), QDate(1980, 1, 2));
}

TEST_F(Personnel, AddRefusesEmptyAndExistingNumbers)
{
    open();
    window->Tkh->clear();
    window->Toolbar1_ButtonClick(1);
    EXPECT_EQ(dialogs.last(), "卡號不能空！");

    window->Tkh->setText("000002");
    window->Txm->setText("impostor");
    window->Toolbar1_ButtonClick(1);
    EXPECT_EQ(dialogs.last(), "卡號已經存在！");
    EXPECT_EQ(count("people"), 3);
    EXPECT_EQ(count("people", "姓名='impostor'"), 0);
}

TEST_F(Personnel, ModifyKeepsTheStoredPhotoUnlessOneIsPending)
{
    open();
    window->Txm->setText("Ann O'Neil-Smith");
    window->Toolbar1_ButtonClick(2);
    EXPECT_EQ(count("people", "卡號='000010' and 姓名='Ann O''Neil-Smith' and 照片='/nowhere.jpg'"), 1);
    EXPECT_TRUE(window->Tkh->text().isEmpty());
    EXPECT_TRUE(window->Txm->text().isEmpty());

    window->Tkh->setText("999999");
    window->Toolbar1_ButtonClick(2);
    EXPECT_EQ(dialogs.last(), "卡號不存在！");

    // A photo chosen while one person shows is stored by the next change, whoever that is.
    const QString picture = photoFile("p.jpg");
    dialogs.chooseFile(picture);
    window->Command5_Click();
    window->Tkh->setText("000100");
    window->Toolbar1_ButtonClick(2);
    EXPECT_EQ(scalar("select 照片 from people where 卡號='000100'").toString(), picture);
}

TEST_F(Personnel, PhotoChoiceCancelAndUnreadableFile)
{
    open();
    window->Command5_Click();  // cancelled before any choice: nothing pending
    EXPECT_TRUE(window->pendingPhoto().isEmpty());
    EXPECT_TRUE(!window->Picture1->hasPicture());

    const QString picture = photoFile("a.bmp");
    dialogs.chooseFile(picture);
    window->Command5_Click();
    EXPECT_TRUE(window->Picture1->hasPicture());
    window->Command5_Click();  // cancelled: the dialog still names the last file
    EXPECT_EQ(window->pendingPhoto(), picture);

    QFile bad(file("bad.jpg"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture");
    bad.close();
    dialogs.chooseFile(file("bad.jpg"));
    window->Command5_Click();
    EXPECT_TRUE(window->pendingPhoto().isEmpty());
    EXPECT_TRUE(!window->Picture1->hasPicture());
}

// The colour in the middle of the photo box, or nothing when it is empty.
QColor shownColour(const photo::PhotoBox* box)
{
    if (!box->hasPicture())
        return {};
    const QImage shown = box->pixmap().toImage();
    return shown.pixelColor(shown.width() / 2, shown.height() / 2);
}

TEST_F(Personnel, StoredPhotoShowsFromTheGridAndFromTheCardBox)
{
    app::db.Execute("update people set 照片=" + sql::text(photoFile("ann.png", Qt::red)) + " where 卡號='000010'");
    app::db.Execute("update people set 照片=" + sql::text(photoFile("chan.bmp", Qt::blue)) + " where 卡號='000002'");
    open();
    EXPECT_EQ(window->Tkh->text(), "000010");
    EXPECT_EQ(shownColour(window->Picture1), QColor(Qt::red));

    window->DBGrid1->setRow(1);
    ASSERT_EQ(window->Tkh->text(), "000002");
    EXPECT_EQ(shownColour(window->Picture1), QColor(Qt::blue));
    window->DBGrid1->setRow(2);  // no photo stored: the box is empty
    EXPECT_FALSE(window->Picture1->hasPicture());

    window->Tkh->setText("000010");
    window->Tkh->setFocus();
    QTest::keyClick(window->Tkh, Qt::Key_Return);
    EXPECT_EQ(window->Txm->text(), "Ann O'Neil");
    EXPECT_EQ(shownColour(window->Picture1), QColor(Qt::red));
}

// What the box shows while a photo is pending is what the next add or
// modify stores, whoever is shown meanwhile.
TEST_F(Personnel, PendingPhotoStaysOnScreenWhileOthersAreShown)
{
    app::db.Execute("update people set 照片=" + sql::text(photoFile("ann.png", Qt::red)) + " where 卡號='000010'");
    open();
    const QString pending = photoFile("new.jpg", Qt::green);
    dialogs.chooseFile(pending);
    QTest::mouseClick(window->Command5, Qt::LeftButton);
    ASSERT_EQ(window->pendingPhoto(), pending);
    const QColor green = shownColour(window->Picture1);
    EXPECT_GT(green.green(), 200);
    EXPECT_LT(green.red(), 60);

    window->DBGrid1->setRow(1);
    window->DBGrid1->setRow(0);  // the person with a stored photo
    ASSERT_EQ(window->Txm->text(), "Ann O'Neil");
    EXPECT_EQ(shownColour(window->Picture1), green);
    window->Tkh->setText("000002");
    window->Tkh->setFocus();
    QTest::keyClick(window->Tkh, Qt::Key_Return);
    EXPECT_EQ(shownColour(window->Picture1), green);

    window->Toolbar1->actions().at(1)->trigger();  // modify stores the pending photo for 000002
    EXPECT_EQ(scalar("select 照片 from people where 卡號='000002'").toString(), pending);
    EXPECT_TRUE(window->pendingPhoto().isEmpty());
    EXPECT_FALSE(window->Picture1->hasPicture());  // modify empties the boxes
    window->DBGrid1->setRow(1);  // nothing pending: each person's own photo again
    EXPECT_EQ(shownColour(window->Picture1), green);
    window->DBGrid1->setRow(0);
    EXPECT_EQ(shownColour(window->Picture1), QColor(Qt::red));
}

TEST_F(Personnel, DeleteIsRefusedWhileTheCardIsIssuedThenArchives)
{
    cardstore::insertIssued(app::db, testCard(3, "000010"));
    open();
    window->Tkh->setText("000010");
    window->Toolbar1_ButtonClick(3);
    EXPECT_EQ(dialogs.last(), "請先將該卡號從門禁中刪除再進行員工信息刪除操作！");
    EXPECT_EQ(count("people"), 3);
    EXPECT_EQ(count("dpeople"), 0);

    app::db.Execute("delete * from faka");
    window->Tkh->setText("000010");
    window->Toolbar1_ButtonClick(3);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(count("people", "卡號='000010'"), 0);
    EXPECT_EQ(count("dpeople", "卡號='000010' and 姓名='Ann O''Neil' and 部門='東座' and tel='555' and 日期=#"
                                   + QDate::currentDate().toString("yyyy-MM-dd") + "#"),
              1);
    EXPECT_EQ(count("dpeople", "rmno is null"), 1);  // a Null stays Null

    window->Tkh->setText("123456");
    window->Toolbar1_ButtonClick(3);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(count("people"), 2);
}

TEST_F(Personnel, RangeQueryAndPrintStagingFollowTheGridOrder)
{
    app::db.Execute("insert into people (卡號,姓名) values ('000020','趙')");
    open();
    window->Ckh1->setFocus();
    EXPECT_TRUE(window->Option2->isChecked());
    window->Ckh1->setEditText("000002");
    window->Ckh2->setEditText(" 000020 ");
    window->Toolbar1_ButtonClick(5);
    EXPECT_EQ(stagedCards(), QStringList({"000002", "000010", "000020"}));
    EXPECT_EQ(window->Tkh->text(), "000002");

    window->Option1->click();
    EXPECT_EQ(window->currentQuery(), "select * from people");
    window->Toolbar1_ButtonClick(5);
    EXPECT_EQ(stagedCards().size(), 4);

    window->Option2->setChecked(true);
    window->Ckh1->setEditText("0' or '1'='1");
    window->Ckh2->setEditText("0");
    window->Toolbar1_ButtonClick(4);
    window->Toolbar1_ButtonClick(5);
    EXPECT_TRUE(stagedCards().isEmpty());
}

TEST_F(Personnel, GridShowsTheQueryAndEveryRowChangeShowsItsPerson)
{
    open();
    grid::BoundGrid* g = window->DBGrid1;
    EXPECT_EQ(g->RecordCount(), 3);
    EXPECT_EQ(g->model()->columnCount(), 20);
    EXPECT_EQ(g->model()->headerData(19, Qt::Horizontal).toString(), "大廈");
    g->setRow(2);
    EXPECT_EQ(window->Tkh->text(), "000100");
    EXPECT_EQ(window->Txm->text(), "李百");
    EXPECT_EQ(window->Cbm->currentText(), "");  // Null shows as an empty box

    // The grid reads through its own handle: a write shows after the refresh that follows it.
    window->Tkh->setText("000777");
    window->Toolbar1_ButtonClick(1);
    EXPECT_EQ(g->RecordCount(), 4);
    EXPECT_EQ(g->Row(), 0);
}

TEST_F(Personnel, PrintPreviewsThePeopleOfTheGridAndSavesThemAsPdf)
{
    for (const char* name : {"pl.rpt"})
        ASSERT_TRUE(QFile::copy(QDir(KESTROM_REPORT_TEMPLATES).filePath(name), file(name)));
    app::db.Execute("insert into people (卡號,姓名) values ('000003','Zed Quill')");
    QString pdf;
    report::setPreviewHandler([&](const report::ReportControl& shown) {
        EXPECT_EQ(shown.ReportFileName(), file("pl.rpt"));
        EXPECT_EQ(shown.DataFiles(0), file("kestrom.mdb"));
        pdf = file("people.pdf");
        shown.writePdf(pdf);
    });
    open();
    window->Option2->setChecked(true);
    window->Ckh1->setEditText("000002");
    window->Ckh2->setEditText("000010");
    window->Toolbar1_ButtonClick(5);
    ASSERT_FALSE(pdf.isEmpty());
    EXPECT_EQ(stagedCards(), QStringList({"000002", "000003", "000010"}));

    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QString out = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(out.contains("Zed Quill"));
    EXPECT_TRUE(out.contains("Ann O'Neil"));
    const qsizetype first = out.indexOf("000002"), second = out.indexOf("000003"), third = out.indexOf("000010");
    EXPECT_TRUE(first >= 0 && first < second && second < third);
    EXPECT_FALSE(out.contains("000100"));
}

TEST_F(Personnel, MissingTemplateIsToldNotPrinted)
{
    open();
    window->Toolbar1_ButtonClick(5);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].style, 48);
    EXPECT_EQ(count("peoplept"), 3);
}

TEST_F(Personnel, ControlsKeepTheirProportionsWhenTheWindowIsResized)
{
    open();
    const QSize base = window->size();
    const QRect card = window->Tkh->geometry(), grid = window->DBGrid1->geometry();
    window->resize(base * 2);
    QApplication::processEvents();
    EXPECT_EQ(window->Tkh->geometry(), QRect(card.topLeft() * 2, card.size() * 2));
    EXPECT_EQ(window->DBGrid1->geometry(), QRect(grid.topLeft() * 2, grid.size() * 2));
    window->resize(base);
    QApplication::processEvents();
    EXPECT_EQ(window->Tkh->geometry(), card);
}

// Enter in a box that has no rule for it presses no button: it neither
// opens the photo dialog nor changes the person shown. Nor does it add a
// typed text to a combo box's list: the lists are read only at opening.
TEST_F(Personnel, EnterInABoxPressesNoButtonAndAddsToNoList)
{
    open();
    for (QLineEdit* box : {window->Txm, window->Tother}) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Return);
    }
    EXPECT_TRUE(dialogs.fileRequests.empty());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(window->Txm->text(), "Ann O'Neil");

    for (QComboBox* box : {window->Cbm, window->Csex, window->Ckh1}) {
        const int listed = box->count();
        box->setFocus();
        box->setEditText("999");
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        EXPECT_EQ(box->count(), listed) << box->objectName().toStdString();
        EXPECT_EQ(box->currentText(), "999");
    }
}

// A keyboard-only operator: Enter moves from entry to entry, Tab reaches
// every tool bar button, and Enter or Space on one presses it.
TEST_F(Personnel, EnterMovesToTheNextEntryAndTabReachesEveryButton)
{
    open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.data()));
    // Where Enter goes from a box is where Tab goes; from the date picker,
    // whose Tab goes on to the month, the next box.
    const std::vector<std::pair<QWidget*, QWidget*>> moves = {
        {window->Tfh, window->Txm},    {window->Txm, window->Csex},      {window->Csex, window->DTPicker2},
        {window->DTPicker2, window->Tma}, {window->Tcompany, window->Command5}, {window->Cbm, window->Thukou},
        {window->Tspouse, window->Cssex}, {window->Ckh1, window->Ckh2},  {window->Cssex, window->Tshukou},
    };
    for (const auto& [from, to] : moves) {
        from->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), to) << from->objectName().toStdString();
    }
    EXPECT_TRUE(dialogs.messages.empty());

    const auto button = [this](int n) {
        return window->Toolbar1->widgetForAction(window->findChild<QAction*>(QStringLiteral("Button%1").arg(n)));
    };
    const auto tabTo = [](QWidget* target) {
        for (int i = 0; i < 80 && QApplication::focusWidget() != target; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        return QApplication::focusWidget() == target;
    };
    for (int n = 1; n <= 6; ++n)
        EXPECT_TRUE(tabTo(button(n))) << n;

    // Add a person, then change the name, without the mouse.
    const auto typeCard = [this](const char* card) {
        window->Tkh->setFocus();
        QTest::keyClick(window->Tkh, Qt::Key_Home);
        QTest::keyClick(window->Tkh, Qt::Key_End, Qt::ShiftModifier);
        QTest::keyClick(window->Tkh, Qt::Key_Backspace);
        QTest::keyClicks(window->Tkh, card);
        QTest::keyClick(window->Tkh, Qt::Key_Return);  // looks the card up and moves on
    };
    typeCard("000777");
    ASSERT_EQ(QApplication::focusWidget(), window->Tfh);
    QTest::keyClicks(window->Tfh, "B-12");
    QTest::keyClick(window->Tfh, Qt::Key_Return);
    QTest::keyClick(window->Txm, Qt::Key_A, Qt::ControlModifier);
    testsupport::typeAsKeyboard("Kay");
    ASSERT_TRUE(tabTo(button(1)));
    QTest::keyClick(button(1), Qt::Key_Return);
    EXPECT_EQ(count("people", "卡號='000777' and 姓名='Kay' and rmno='B-12'"), 1);

    typeCard("000777");
    ASSERT_EQ(window->Txm->text(), "Kay");
    window->Txm->setFocus();
    QTest::keyClick(window->Txm, Qt::Key_A, Qt::ControlModifier);
    testsupport::typeAsKeyboard("Kay Two");
    ASSERT_TRUE(tabTo(button(2)));
    QTest::keyClick(button(2), Qt::Key_Space);
    EXPECT_EQ(count("people", "卡號='000777' and 姓名='Kay Two'"), 1);
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
