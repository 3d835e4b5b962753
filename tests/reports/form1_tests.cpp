// Backup and restore of the database file, with the shared handle closed
// while the window is open.
#include "app.h"
#include "dbcopy.h"
#include "form1.h"
#include "programfolder.h"
#include "recordset.h"
#include "schemacheck.h"
#include "testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <sys/stat.h>

namespace {

QByteArray fingerprint(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

class Backup : public testsupport::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        openSharedDb();
        for (const char* building : {"東方廣場第二座", "海景花園"})
            app::db.Execute(QStringLiteral("insert into department values ('%1')").arg(QString::fromUtf8(building)));
        app::db.Execute("insert into data (卡號,日期,時間,地址,flagIO,flag) values "
                        "('000123',#2026-03-02#,#08:40:00#,7,'鎖一進',1)");
        ASSERT_TRUE(QDir(folder()).mkdir("backups"));
    }
    QString live() const { return file("kestrom.mdb"); }
    QString backups() const { return file("backups"); }
    void open(Form1& w)
    {
        ASSERT_TRUE(w.Form_Load());
        w.show();
    }
    void choose(Form1& w, const QString& folder, const QString& name)
    {
        w.Dir1->setCurrentIndex(w.Dir1Model->index(folder));
        w.Text2->clear();
        QTest::keyClicks(w.Text2, name);
    }
    // The buildings of a database file, as a short mark of which rows it holds.
    static QStringList buildings(const QString& path)
    {
        jet::Database d = jet::OpenDatabase(path);
        QStringList out;
        for (jet::Recordset rs = d.OpenRecordset("select 部門 from department order by 部門"); !rs.Eof(); rs.MoveNext())
            out << rs.Field(0).toString();
        return out;
    }
    QStringList leftovers(const QString& dir) const
    {
        return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
};

TEST_F(Backup, TheSharedHandleIsClosedWhileTheWindowIsOpen)
{
    jet::Recordset before = app::db.OpenRecordset("department", jet::dbOpenTable);
    for (const bool byEscape : {false, true}) {
        SCOPED_TRACE(byEscape);
        {
            Form1 w;
            open(w);
            EXPECT_EQ(w.windowTitle(), "數据備份与恢复");
            EXPECT_FALSE(app::db.isOpen());
            EXPECT_FALSE(before.isOpen());
            EXPECT_EQ(app::collectionHolder(), "數據庫備份");
            if (byEscape)
                QTest::keyClick(&w, Qt::Key_Escape);
            else
                QTest::mouseClick(w.Command2, Qt::LeftButton);
            EXPECT_FALSE(w.isVisible());
            EXPECT_TRUE(app::db.isOpen());
            EXPECT_FALSE(app::collectionHeld());
        }
        EXPECT_EQ(app::db.OpenRecordset("select count(*) from department").Field(0).toInt(), 2);
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Backup, TheTargetIsTheFolderAndTheNameWithMdbAppended)
{
    Form1 w;
    open(w);
    EXPECT_EQ(w.Label4->text(), "");
    const struct {
        QString folder, name, target;
    } cases[] = {
        {backups(), "daily", backups() + "/daily.mdb"},
        {backups(), "daily.mdb", backups() + "/daily.mdb.mdb"},
        {"/", "daily", "/daily.mdb"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        choose(w, c.folder, c.name);
        EXPECT_EQ(w.targetPath(), c.target);
        EXPECT_EQ(w.Label4->text(), c.target);
    }
}

TEST_F(Backup, ABackupRestoredGivesBackTheSameRows)
{
    Form1 w;
    open(w);
    choose(w, backups(), "march");
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{"數据備份完畢！"});
    const QString backup = backups() + "/march.mdb";
    EXPECT_EQ(dbfile::schemaMismatch(backup), "");
    EXPECT_EQ(buildings(backup), (QStringList{"東方廣場第二座", "海景花園"}));
    EXPECT_EQ(leftovers(backups()), QStringList{"march.mdb"});

    {
        jet::Database d = jet::OpenDatabase(live());
        d.Execute("delete * from department");
        d.Execute("delete * from data");
    }
    dialogs.messages.clear();
    dialogs.chooseFile(backup);
    dialogs.answer(ui::vbYes);
    QTest::mouseClick(w.Command3, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].prompt, "此操作會將后備數据庫覆蓋現有數据庫，要繼續嗎？");
    EXPECT_EQ(dialogs.messages[0].style, 4 + 16 + 256);  // stop sign, No the default
    EXPECT_EQ(dialogs.messages[1].prompt, "數据已被恢复！");
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].title, "恢复數据");
    EXPECT_EQ(dialogs.fileRequests[0].filter, "*.mdb (*.mdb)");
    EXPECT_EQ(dialogs.fileRequests[0].kind, ui::FileDialogKind::Open);
    EXPECT_EQ(leftovers(folder()), QStringList{"kestrom.mdb"});

    QTest::mouseClick(w.Command2, Qt::LeftButton);
    // The other windows find the restored rows through the shared handle.
    EXPECT_EQ(app::db.OpenRecordset("select count(*) from department").Field(0).toInt(), 2);
    EXPECT_EQ(app::db.OpenRecordset("select 卡號 from data").Field(0).toString(), "000123");
}

TEST_F(Backup, TheLiveFileIsNoBackupTargetUnderAnyName)
{
    ASSERT_TRUE(QFile::link(live(), backups() + "/link.mdb"));
    const QByteArray before = fingerprint(live());
    Form1 w;
    open(w);
    const struct {
        QString folder, name;
    } refused[] = {
        {backups(), "kestrom"},
        {backups(), "KeStRoM"},
        {folder(), "kestrom"},
        {backups(), "link"},  // a link to the live file
        {folder(), "dbs"},    // replaced by the closing compaction
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.name.toStdString());
        dialogs.messages.clear();
        choose(w, r.folder, r.name);
        QTest::mouseClick(w.Command1, Qt::LeftButton);
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{"請輸入正确的名稱！"});
    }
    EXPECT_EQ(fingerprint(live()), before);
    EXPECT_TRUE(QFileInfo(backups() + "/link.mdb").isSymLink());
    EXPECT_FALSE(QFile::exists(file("dbs.mdb")));

    dialogs.messages.clear();
    choose(w, backups(), "");
    QTest::mouseClick(w.Command1, Qt::LeftButton);  // no name: nothing happens
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Backup, AnEarlierBackupIsReplacedWholeAndKeepsItsMode)
{
    const QString backup = backups() + "/weekly.mdb";
    ASSERT_TRUE(QFile::copy(live(), backup));
    {
        jet::Database d = jet::OpenDatabase(backup);
        d.Execute("delete * from department");
        d.Execute("insert into department values ('舊的')");
    }
    ASSERT_EQ(::chmod(QFile::encodeName(backup).constData(), 0640), 0);
    Form1 w;
    open(w);
    choose(w, backups(), "weekly");
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{"數据備份完畢！"});
    EXPECT_EQ(buildings(backup), (QStringList{"東方廣場第二座", "海景花園"}));
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(backup).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(leftovers(backups()), QStringList{"weekly.mdb"});
}

// Names up to the longest a folder takes are backed up; a longer one is
// refused with the path and the reason.
TEST_F(Backup, ANameTooLongForTheFolderIsNamedWithTheReason)
{
    Form1 w;
    open(w);
    const QString longest = QString(251, QLatin1Char('b'));  // 255 bytes with .mdb
    choose(w, backups(), longest);
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{"數据備份完畢！"});
    EXPECT_EQ(leftovers(backups()), QStringList{longest + ".mdb"});

    dialogs.messages.clear();
    const QString tooLong = longest + "b";
    choose(w, backups(), tooLong);
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{"數据備份失敗，原有的文件保持原樣。\n無法寫入 " + backups() + "/" + tooLong
                                                    + ".mdb：文件名太長，最多 255 個字節。"});
    EXPECT_EQ(leftovers(backups()), QStringList{longest + ".mdb"});
}

TEST_F(Backup, AFailedBackupKeepsTheEarlierOne)
{
    const QString backup = backups() + "/weekly.mdb";
    ASSERT_TRUE(QFile::copy(live(), backup));
    const QByteArray earlier = fingerprint(backup);
    Form1 w;
    open(w);
    // The live file can't be read: its blocks went bad.
    const QString saved = file("saved.mdb");
    ASSERT_TRUE(QFile::rename(live(), saved));
    {
        QFile bad(live());
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write(QByteArray(8192, '\x5a'));
    }
    choose(w, backups(), "weekly");
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.last().startsWith("數据備份失敗"));
    EXPECT_EQ(fingerprint(backup), earlier);
    EXPECT_EQ(leftovers(backups()), QStringList{"weekly.mdb"});
    QFile::remove(live());
    ASSERT_TRUE(QFile::rename(saved, live()));
}

TEST_F(Backup, OnlyADatabaseOfThisSystemOtherThanTheLiveFileIsRestored)
{
    ASSERT_TRUE(QDir(folder()).mkdir("sub"));
    ASSERT_TRUE(QFile::link(live(), backups() + "/link.mdb"));
    {
        QFile notes(backups() + "/notes.mdb");
        ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
        notes.write("門禁系統備份說明\n");
    }
    jet::ExecuteScript(backups() + "/other.mdb", "create table accounts (id integer, name text);");
    ASSERT_TRUE(QFile::copy(live(), backups() + "/old.mdb"));
    jet::ExecuteScript(backups() + "/old.mdb", "alter table people drop column 照片;");
    const QByteArray before = fingerprint(live());

    Form1 w;
    open(w);
    const struct {
        QString chosen;
        bool detail;  // the message says what is wrong with the file
    } refused[] = {
        {backups() + "/missing.mdb", false},
        {live(), false},
        {file("sub/../kestrom.mdb"), false},
        {backups() + "/link.mdb", false},
        {backups() + "/notes.mdb", true},
        {backups() + "/other.mdb", true},
        {backups() + "/old.mdb", true},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.chosen.toStdString());
        dialogs.messages.clear();
        dialogs.chooseFile(r.chosen);
        QTest::mouseClick(w.Command3, Qt::LeftButton);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        if (r.detail)
            EXPECT_TRUE(dialogs.last().startsWith("選擇數据庫錯誤！\n")) << dialogs.last().toStdString();
        else
            EXPECT_EQ(dialogs.last(), "選擇數据庫錯誤！");
    }
    EXPECT_TRUE(dialogs.last().contains("people.照片"));
    EXPECT_EQ(fingerprint(live()), before);

    // Cancelling the dialog, or answering No, leaves it as it is.
    dialogs.messages.clear();
    QTest::mouseClick(w.Command3, Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages.empty());
    ASSERT_TRUE(QFile::copy(live(), backups() + "/good.mdb"));
    dialogs.chooseFile(backups() + "/good.mdb");
    dialogs.answer(ui::vbNo);
    QTest::mouseClick(w.Command3, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{"此操作會將后備數据庫覆蓋現有數据庫，要繼續嗎？"});
    EXPECT_EQ(fingerprint(live()), before);
}

// A backup that a start would refuse is refused before anything is written:
// a page of its swipe records overwritten, or rows that break an index the
// log-in would have to make again.
TEST_F(Backup, OnlyABackupAStartWouldTakeIsRestored)
{
    const QString damaged = backups() + "/damaged.mdb";
    ASSERT_TRUE(QFile::copy(live(), damaged));
    {
        jet::Database d = jet::OpenDatabase(damaged);
        jet::Transaction more(d);
        for (int i = 0; i < 200; ++i)
            d.Execute(QStringLiteral("insert into data (卡號,日期,時間,地址,flagIO,flag) values "
                                     "('%1',#2026-03-02#,#08:40:00#,7,'鎖一進',1)")
                          .arg(i, 6, 10, QLatin1Char('0')));
        more.Commit();
    }
    testsupport::damageFirstPage(damaged, "data");
    const QString duplicate = backups() + "/duplicate.mdb";
    ASSERT_TRUE(QFile::copy(live(), duplicate));
    jet::ExecuteScript(duplicate, "drop index faka_primarykey;"
                                  "insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values (3,'000123','0001234567',0,0);"
                                  "insert into faka (地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values (3,'000123','0001234567',0,0);");
    const QString good = backups() + "/good.mdb";
    ASSERT_TRUE(QFile::copy(live(), good));
    jet::ExecuteScript(good, "drop index faka_kh; insert into department values ('新大廈');");

    const QByteArray before = fingerprint(live());
    Form1 w;
    open(w);
    const struct {
        QString chosen;
        const char* why;  // what the message names; none for a file that is restored
    } cases[] = {
        {damaged, "已損壞"},
        {duplicate, "faka_primarykey"},
        {good, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen.toStdString());
        const QByteArray chosen = fingerprint(c.chosen);
        dialogs.messages.clear();
        dialogs.chooseFile(c.chosen);
        dialogs.answer(ui::vbYes);
        QTest::mouseClick(w.Command3, Qt::LeftButton);
        EXPECT_EQ(fingerprint(c.chosen), chosen);
        EXPECT_EQ(leftovers(backups()).filter(QFileInfo(c.chosen).fileName()), QStringList{QFileInfo(c.chosen).fileName()});
        ASSERT_EQ(dialogs.messages.size(), c.why ? 1u : 2u);
        if (c.why) {
            EXPECT_TRUE(dialogs.last().startsWith("選擇數据庫錯誤！\n" + c.chosen)) << dialogs.last().toStdString();
            EXPECT_TRUE(dialogs.last().contains(QString::fromUtf8(c.why))) << dialogs.last().toStdString();
            EXPECT_EQ(fingerprint(live()), before);
        } else {
            EXPECT_EQ(dialogs.last(), "數据已被恢复！");
        }
    }
    QTest::mouseClick(w.Command2, Qt::LeftButton);
    EXPECT_EQ(leftovers(folder()), QStringList{"kestrom.mdb"});
    EXPECT_EQ(buildings(live()), (QStringList{"新大廈", "東方廣場第二座", "海景花園"}));
    EXPECT_EQ(dbfile::schemaMismatch(live()), "");
    EXPECT_EQ(dbfile::makeMissingIndexes(live()), "");
}

// A name brought in from another program with a NUL in it, by any kind of
// paste or by a drop: the box holds it without the NUL, and the backup goes
// where the window says.
TEST_F(Backup, ANulPastedOrDroppedIntoTheNameIsDropped)
{
    Form1 w;
    open(w);
    w.activateWindow();
    const QString withNul = QStringLiteral("ab") + QChar(0) + QStringLiteral("cd");
    QClipboard* clipboard = QApplication::clipboard();
    const struct {
        const char* how;
        std::function<bool()> bring;  // false where this screen offers no such way
    } ways[] = {
        {"the box's menu",
         [&] {
             clipboard->setText(withNul);
             QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), w.Text2->mapToGlobal(QPoint(5, 5)));
             QApplication::sendEvent(w.Text2, &click);
             QMenu* menu = nullptr;
             EXPECT_TRUE(QTest::qWaitFor([&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())); }));
             QAction* paste = nullptr;
             for (QAction* a : menu ? menu->actions() : QList<QAction*>())
                 if (a->text().remove('&').startsWith("Paste"))
                     paste = a;
             EXPECT_NE(paste, nullptr);
             if (paste) {
                 menu->setActiveAction(paste);
                 QTest::keyClick(menu, Qt::Key_Return);
             }
             return true;
         }},
        {"the middle button",
         [&] {
             if (!clipboard->supportsSelection())
                 return false;
             clipboard->setText(withNul, QClipboard::Selection);
             QTest::mouseClick(w.Text2, Qt::MiddleButton);
             return true;
         }},
        {"a drop",
         [&] {
             QMimeData data;
             data.setText(withNul);
             const QPoint at(5, 5);
             QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(w.Text2, &enter);
             QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(w.Text2, &move);
             QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(w.Text2, &drop);
             return true;
         }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        choose(w, backups(), "");
        w.Text2->setFocus();
        if (!way.bring())
            continue;
        EXPECT_EQ(w.Text2->text(), "abcd");
        EXPECT_EQ(w.Label4->text(), backups() + "/abcd.mdb");
    }
    dialogs.messages.clear();
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{"數据備份完畢！"});
    EXPECT_EQ(leftovers(backups()), QStringList{"abcd.mdb"});
}

TEST_F(Backup, ARestoreLeavesNoSideFileOfTheOldFile)
{
    ASSERT_TRUE(QFile::copy(live(), backups() + "/good.mdb"));
    jet::ExecuteScript(backups() + "/good.mdb", "insert into department values ('新大廈');");
    Form1 w;
    open(w);
    for (const char* side : {"-journal", "-wal", "-shm"}) {
        QFile f(live() + side);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, '\x07'));
    }
    dialogs.chooseFile(backups() + "/good.mdb");
    dialogs.answer(ui::vbYes);
    QTest::mouseClick(w.Command3, Qt::LeftButton);
    EXPECT_EQ(dialogs.last(), "數据已被恢复！");
    EXPECT_EQ(leftovers(folder()), QStringList{"kestrom.mdb"});
    EXPECT_EQ(buildings(live()), (QStringList{"新大廈", "東方廣場第二座", "海景花園"}));
}

// Two program folders share one database through a link, and another program
// has it open: a restore writes into the linked file, and only while that
// program is not in the middle of a transaction; either way its work stays.
TEST_F(Backup, ARestoreWritesIntoTheLinkedFileBesideAnotherProgram)
{
    const QString backup = backups() + "/good.mdb";
    ASSERT_TRUE(QFile::copy(live(), backup));
    jet::ExecuteScript(backup, "insert into department values ('新大廈');");
    jet::CloseDefaultWorkspace();
    ASSERT_TRUE(QDir(folder()).mkdir("shared"));
    const QString shared = file("shared/kestrom.mdb");
    ASSERT_TRUE(QFile::rename(live(), shared));
    ASSERT_TRUE(QFile::link(shared, live()));
    openSharedDb();
    const struct {
        const char* doing;
        const char* first;
        const char* after;
        bool restored;
    } cases[] = {
        {"a write transaction open", "begin immediate; insert into department values ('之後')", "commit", false},
        {"idle", "select count(*) from department", "insert into department values ('之後')", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.doing);
        dialogs.messages.clear();
        Form1 w;
        open(w);
        testsupport::OtherProgram other(shared, c.first);
        ASSERT_EQ(other.started(), QString());
        dialogs.chooseFile(backup);
        dialogs.answer(ui::vbYes);
        QTest::mouseClick(w.Command3, Qt::LeftButton);
        if (c.restored) {
            EXPECT_EQ(dialogs.last(), "數据已被恢复！");
        } else {
            EXPECT_TRUE(dialogs.last().startsWith("數据恢复失敗，數據庫文件 kestrom.mdb 保持原樣。")) << dialogs.last().toStdString();
            EXPECT_TRUE(dialogs.last().contains("另一程序正在使用")) << dialogs.last().toStdString();
        }
        EXPECT_EQ(other.then(c.after), QString());
        QTest::mouseClick(w.Command2, Qt::LeftButton);
        EXPECT_TRUE(QFileInfo(live()).isSymLink());
        EXPECT_EQ(QFileInfo(live()).symLinkTarget(), shared);
        EXPECT_EQ(leftovers(file("shared")), QStringList{"kestrom.mdb"});
        EXPECT_EQ(leftovers(folder()), QStringList{"kestrom.mdb"});
        const QStringList now = buildings(shared);
        EXPECT_EQ(now.contains("新大廈"), c.restored) << now.join(",").toStdString();
        EXPECT_TRUE(now.contains("之後")) << now.join(",").toStdString();
        jet::Database(jet::OpenDatabase(shared)).Execute("delete * from department where 部門='之後'");
    }
}

}  // namespace
