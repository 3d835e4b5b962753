// A backup or a restore killed at any moment leaves every file it touched
// whole: either as it was or as the operation would have left it. The
// window runs in a process of its own, which the test kills with SIGKILL at
// moments spread over the operation.
#include "database.h"
#include "dbfile.h"
#include "recordset.h"
#include "schemacheck.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

namespace {

// Big enough that copying it takes a while: the kills land inside the copy.
constexpr int swipeRows = 150000;
constexpr int kills = 8;

class Killed : public testsupport::ProgramFolderTest {
protected:
    QString live() const { return file("kestrom.mdb"); }

    // A database of the schema whose rows say which one it is.
    void make(const QString& path, const QString& mark, int rows)
    {
        QFile::remove(path);
        jet::ExecuteScript(path, dbfile::schemaScript() + "insert into department values ('" + mark + "');"
                                     "with recursive n(i) as (select 1 union all select i + 1 from n where i < "
                                     + QString::number(rows) + ") "
                                     "insert into data (卡號, 日期, 時間, 地址, flagIO, flag) "
                                     "select printf('%06d', i % 1000), date('2025-01-01', '+' || (i % 365) || ' days'), "
                                     "time('07:00:00', '+' || (i % 720) || ' minutes'), i % 100, '鎖一進', 1 from n;");
    }
    // Which of the marked databases a file is; empty when it is none of them
    // whole (unreadable, of no schema, or some of its rows lost).
    static QString markOf(const QString& path, const std::map<QString, int>& rowsOf)
    {
        if (!dbfile::schemaMismatch(path).isEmpty())
            return {};
        try {
            jet::Database d = jet::OpenDatabase(path);
            const QString mark = d.OpenRecordset("select 部門 from department").Field(0).toString();
            const int rows = d.OpenRecordset("select count(*) from data").Field(0).toInt();
            const auto it = rowsOf.find(mark);
            return it != rowsOf.end() && it->second == rows ? mark : QString();
        } catch (const jet::DbError&) {
            return {};
        }
    }
    // Runs the window's operation in a process of its own; killed after
    // `killAfterMs` once it is under way, or let finish when negative.
    // Returns how long it ran after starting the operation.
    qint64 run(const QString& operation, const QString& path, int killAfterMs = -1)
    {
        QProcess child;
        child.start(QCoreApplication::applicationDirPath() + "/reports_maintenance_child",
                    {folder(), operation, path});
        EXPECT_TRUE(child.waitForStarted());
        while (!child.canReadLine() && child.waitForReadyRead(30000)) {
        }
        EXPECT_EQ(child.readLine().trimmed(), "ready");
        QElapsedTimer t;
        t.start();
        if (killAfterMs >= 0) {
            QThread::msleep(killAfterMs);
            child.kill();
        }
        EXPECT_TRUE(child.waitForFinished(60000));
        const qint64 ran = t.elapsed();
        output = QString::fromUtf8(child.readAllStandardOutput());
        if (killAfterMs < 0) {
            EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
        }
        return ran;
    }
    QString output;
};

TEST_F(Killed, ARestoreLeavesTheOldDatabaseOrTheRestoredOne)
{
    const QString backup = file("backup.mdb");
    const QString old = file("old.mdb");
    make(old, "舊", swipeRows);
    make(backup, "新", swipeRows + 1);
    const std::map<QString, int> rows{{"舊", swipeRows}, {"新", swipeRows + 1}};
    ASSERT_TRUE(QFile::remove(live()));
    ASSERT_TRUE(QFile::copy(old, live()));
    const qint64 whole = run("restore", backup);
    ASSERT_TRUE(output.contains("數据已被恢复！")) << output.toStdString();
    EXPECT_EQ(markOf(live(), rows), "新");

    QSet<QString> seen;
    for (int i = 0; i < kills; ++i) {
        const int after = int(whole * 11 / 10 * i / (kills - 1));
        SCOPED_TRACE(after);
        QFile::remove(live());
        ASSERT_TRUE(QFile::copy(old, live()));
        run("restore", backup, after);
        const QString mark = markOf(live(), rows);
        EXPECT_FALSE(mark.isEmpty());
        seen << mark;
        EXPECT_EQ(markOf(backup, rows), "新");
    }
    EXPECT_TRUE(seen.contains("舊"));  // some kills came before the file was replaced
}

TEST_F(Killed, ABackupLeavesTheEarlierBackupOrTheNewOne)
{
    const QString target = file("weekly.mdb");
    const QString earlier = file("earlier.mdb");
    make(earlier, "上週", 10);
    ASSERT_TRUE(QFile::remove(live()));
    make(live(), "本週", swipeRows);
    const std::map<QString, int> rows{{"上週", 10}, {"本週", swipeRows}};
    ASSERT_TRUE(QFile::copy(earlier, target));
    const qint64 whole = run("backup", target);
    ASSERT_TRUE(output.contains("數据備份完畢！")) << output.toStdString();
    EXPECT_EQ(markOf(target, rows), "本週");

    QSet<QString> seen;
    for (int i = 0; i < kills; ++i) {
        const int after = int(whole * 11 / 10 * i / (kills - 1));
        SCOPED_TRACE(after);
        QFile::remove(target);
        ASSERT_TRUE(QFile::copy(earlier, target));
        run("backup", target, after);
        const QString mark = markOf(target, rows);
        EXPECT_FALSE(mark.isEmpty());
        seen << mark;
        EXPECT_EQ(markOf(live(), rows), "本週");
    }
    EXPECT_TRUE(seen.contains("上週"));
    // What the killed ones left beside the target goes with the next backup.
    run("backup", target);
    EXPECT_EQ(QDir(folder()).entryList({"weekly.mdb*"}, QDir::Files | QDir::Hidden), QStringList{"weekly.mdb"});
}

}  // namespace
