// The program run as a child process on a program folder of its own: one
// running copy per folder, and a compaction that leaves alone a file
// another copy has open.
#include "mainwindowtest.h"
#include "programfolder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class SecondCopy : public shelltest::MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        app::db.Execute("insert into cjtype values (0, '0')");
        // The program's own folder: the executable beside the database.
        const QByteArray built = QFile::encodeName(QStringLiteral(KESTROM_PROGRAM_DIR "/kestrom"));
        const QByteArray here = QFile::encodeName(file("kestrom"));
        if (::link(built.constData(), here.constData()) != 0) {
            ASSERT_TRUE(QFile::copy(QString::fromLocal8Bit(built), file("kestrom")));
        }
    }
    void TearDown() override
    {
        for (auto& p : copies)
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished();
            }
        MainWindowTest::TearDown();
    }
    // Starts a copy of the program; its messages go to a log of its own.
    QProcess* start()
    {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("KESTROM_MESSAGE_LOG", logs.filePath(QStringLiteral("messages%1.log").arg(copies.size())));
        p->setProcessEnvironment(env);
        p->start(file("kestrom"), {});
        EXPECT_TRUE(p->waitForStarted());
        copies.push_back(std::move(p));
        return copies.back().get();
    }
    QString messages(int copy) const
    {
        QFile f(logs.filePath(QStringLiteral("messages%1.log").arg(copy)));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    // Whether the copy has the database open: at its log-in, past the
    // check of the folder. Its connection holds the file twice, by the
    // lock that tells others it is in use and then by the engine.
    bool hasDatabaseOpen(const QProcess* copy) const
    {
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(copy->processId()));
        const QString db = QFileInfo(file("kestrom.mdb")).canonicalFilePath();
        int held = 0;
        for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
            held += fd.symLinkTarget() == db;
        return held >= 2;
    }
    bool waitUntil(const std::function<bool()>& done, int ms = 20000)
    {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms)
            QThread::msleep(20);
        return done();
    }

    QTemporaryDir logs;
    std::vector<std::unique_ptr<QProcess>> copies;
};

TEST_F(SecondCopy, OnTheSameFolderSaysTheProgramRunsThereAndEnds)
{
    QProcess* first = start();
    ASSERT_TRUE(waitUntil([&] { return hasDatabaseOpen(first); }));
    QProcess* second = start();
    ASSERT_TRUE(second->waitForFinished(20000));
    EXPECT_EQ(second->exitCode(), 1);
    EXPECT_TRUE(messages(1).startsWith("門禁管理系統已在本文件夾中運行：")) << messages(1).toStdString();
    EXPECT_TRUE(messages(1).contains(folder()));
    EXPECT_EQ(first->state(), QProcess::Running);
    EXPECT_TRUE(messages(0).isEmpty()) << messages(0).toStdString();
    EXPECT_FALSE(platform::claimProgramFolder());  // this process is one more copy
    first->kill();
    first->waitForFinished();
    EXPECT_TRUE(platform::claimProgramFolder());
}

TEST_F(SecondCopy, ACompactionLeavesTheFileAnotherCopyHasOpen)
{
    // This process plays a copy that started first and is now closing, with
    // room in the file to give back.
    for (int i = 0; i < 10; ++i)
        app::db.Execute(QStringLiteral("insert into department values ('%1')").arg(QString(2000, QChar(u'樓'))));
    app::db.Execute("delete * from department");
    menu* m = load();
    m->show();
    QProcess* other = start();
    ASSERT_TRUE(waitUntil([&] { return hasDatabaseOpen(other); }));
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(file("kestrom.mdb")).constData(), &before), 0);
    m->close();
    QApplication::processEvents();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.last().startsWith("數據庫壓縮失敗，數據庫文件 kestrom.mdb 保持原樣。")) << dialogs.last().toStdString();
    EXPECT_TRUE(dialogs.last().contains("正被另一程序打開")) << dialogs.last().toStdString();
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(file("kestrom.mdb")).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);  // the file the other copy has open is the database still
    EXPECT_FALSE(QFile::exists(file("dbs.mdb")));
    EXPECT_EQ(other->state(), QProcess::Running);
}

TEST_F(SecondCopy, AFileWithoutTheInstalledTablesEndsTheProgramWithAMessage)
{
    jet::CloseDefaultWorkspace();
    QFile::resize(file("kestrom.mdb"), 0);
    QProcess* copy = start();
    ASSERT_TRUE(copy->waitForFinished(20000));
    EXPECT_EQ(copy->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(copy->exitCode(), 1);
    EXPECT_TRUE(messages(0).startsWith("無法打開數據庫文件 " + file("kestrom.mdb"))) << messages(0).toStdString();
    EXPECT_TRUE(messages(0).contains("不是本系統的數據庫，缺少 cjtype、")) << messages(0).toStdString();
}

}  // namespace
