// Closing the main window: modeless windows first, then the database closed
// and compacted through dbs.mdb.
#include "frmspe.h"
#include "mainwindowtest.h"
#include "superuserconfirm.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>
#include <unistd.h>

using shelltest::MainWindowTest;
using shelltest::opened;
using dispatch::Shown;

namespace {

class Closing : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        app::db.Execute("insert into cjtype values (0, '0')");
        const QString filler(500, QChar(u'樓'));
        for (int i = 0; i < 200; ++i)
            app::db.Execute(QStringLiteral("insert into department values ('大廈%1%2')").arg(i).arg(filler));
        app::db.Execute("delete * from department where 部門 like '大廈1%'");  // free pages to compact away
        m = load();
        m->show();
    }
    void closeMainWindow()
    {
        m->close();
        QApplication::processEvents();
        m = nullptr;
    }
    QStringList filesBeside() const { return QDir(folder()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot); }
    QByteArray liveBytes() const
    {
        QFile f(file("kestrom.mdb"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    menu* m = nullptr;
};

TEST_F(Closing, CompactsKeepingEveryRowAndLeavesNoOtherFile)
{
    const int departments = count("department");
    const qint64 sizeBefore = QFileInfo(file("kestrom.mdb")).size();
    closeMainWindow();
    EXPECT_FALSE(menu::isLoaded());
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
    EXPECT_FALSE(app::db.isOpen());
    EXPECT_EQ(filesBeside(), QStringList{"kestrom.mdb"});  // no dbs.mdb, no journal
    EXPECT_LT(QFileInfo(file("kestrom.mdb")).size(), sizeBefore);
    EXPECT_EQ(count("department"), departments);
    EXPECT_EQ(count("system"), 5);
}

TEST_F(Closing, ALeftoverCopyIsReplaced)
{
    QFile leftover(file("dbs.mdb"));
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.write("half a copy from an earlier close");
    leftover.close();
    closeMainWindow();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(filesBeside(), QStringList{"kestrom.mdb"});
    EXPECT_EQ(count("system"), 5);
}

TEST_F(Closing, AFailedCompactionSaysSoAndLeavesTheLiveFileAsItWas)
{
    // A copy that can't be removed: a folder with something in it.
    ASSERT_TRUE(QDir(folder()).mkpath("dbs.mdb/inside"));
    app::db.Close();
    const QByteArray before = liveBytes();
    openSharedDb();
    closeMainWindow();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.last().startsWith("數據庫壓縮失敗，數據庫文件 kestrom.mdb 保持原樣。")) << dialogs.last().toStdString();
    EXPECT_EQ(dialogs.messages[0].style, 48);
    EXPECT_EQ(liveBytes(), before);
}

TEST_F(Closing, ModelessWindowsCloseBeforeTheDatabase)
{
    bool dbOpenWhenClosed = false;
    dispatch::setTable({{17, Shown::Modeless, shelltest::standIn<17>}, {15, Shown::Modeless, shelltest::standIn<15>}});
    m->ActiveBar1_ToolClick(17);
    m->ActiveBar1_ToolClick(15);
    ASSERT_TRUE(opened[17].last && opened[15].last);
    static_cast<shelltest::StandIn*>(opened[17].last.data())->onClose = [&] { dbOpenWhenClosed = app::db.isOpen(); };
    closeMainWindow();
    EXPECT_TRUE(dbOpenWhenClosed);
    EXPECT_TRUE(opened[17].last.isNull());
    EXPECT_TRUE(opened[15].last.isNull());
}

TEST_F(Closing, WaitsForARunningExchangeBeforeClosing)
{
    auto* exchange = new app::ExchangeScope;
    bool finishedBeforeDbClosed = false;
    QTimer::singleShot(50, [&] { m->close(); });  // asked again while it waits
    QTimer::singleShot(150, [&] {
        finishedBeforeDbClosed = app::db.isOpen();
        delete exchange;
    });
    closeMainWindow();
    EXPECT_TRUE(finishedBeforeDbClosed);
    EXPECT_EQ(app::exchangesRunning, 0);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(filesBeside(), QStringList{"kestrom.mdb"});
}

TEST_F(Closing, TheCompactedFileKeepsTheModeAndGroupOfTheOneItReplaces)
{
    const QByteArray live = QFile::encodeName(file("kestrom.mdb"));
    const gid_t group = geteuid() == 0 ? 4321 : getegid();
    ASSERT_EQ(::chown(live.constData(), uid_t(-1), group), 0);
    ASSERT_EQ(::chmod(live.constData(), 0660), 0);  // the operators' group writes it too
    const mode_t umaskWas = ::umask(022);
    closeMainWindow();
    ::umask(umaskWas);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
    struct stat now {};
    ASSERT_EQ(::stat(live.constData(), &now), 0);
    EXPECT_EQ(now.st_mode & 07777, 0660u);
    EXPECT_EQ(now.st_gid, group);
}

TEST_F(Closing, TheRemoteOpeningClosesWithTheMainWindow)
{
    // Opened modeless by the super-user confirmation, not by the menu.
    app::db.Execute("insert into doors (地址,dtype1) values ('5','玻')");
    dispatch::setTable({{6, Shown::Modal, [] { return static_cast<QWidget*>(new Frmspecial); }}});
    QTimer::singleShot(0, [] {
        auto* confirm = qobject_cast<Frmspecial*>(QApplication::activeModalWidget());
        ASSERT_NE(confirm, nullptr);
        QTest::keyClicks(confirm->Tuser, "brivel");
        QTest::keyClicks(confirm->Tpasswd, "brivel");
        QTest::mouseClick(confirm->Cmdok, Qt::LeftButton);
    });
    m->ActiveBar1_ToolClick(6);
    QPointer<Frmspe> opening;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<Frmspe*>(w); f && f->isVisible())
            opening = f;
    ASSERT_FALSE(opening.isNull());
    closeMainWindow();
    QTest::qWait(100);
    EXPECT_FALSE(app::db.isOpen());
    // Its button can't be pressed against a closed database any more.
    EXPECT_TRUE(opening.isNull() || !opening->isVisible());
    if (opening && opening->isVisible())
        QTest::mouseClick(opening->Copen, Qt::LeftButton);  // what ended the program
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.last().toStdString();
}

}  // namespace
