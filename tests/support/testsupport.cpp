#include "testsupport.h"

#include "app.h"
#include "dbfile.h"
#include "programfolder.h"
#include "recordset.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <sqlite3.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

Dialogs::Dialogs()
{
    ui::setMessageHandler([this](const ui::MessageCall& call) {
        messages.push_back(call);
        if (buttons.empty())
            return ui::defaultButton(call.style);
        const int b = buttons.front();
        buttons.pop_front();
        return b;
    });
    ui::setFileHandler([this](const ui::FileDialogRequest& r) {
        fileRequests.push_back(r);
        if (files.empty())
            return QString();
        const QString f = files.front();
        files.pop_front();
        return f;
    });
}

Dialogs::~Dialogs()
{
    ui::setMessageHandler({});
    ui::setFileHandler({});
}

std::vector<QString> Dialogs::texts() const
{
    std::vector<QString> out;
    for (const auto& m : messages)
        out.push_back(m.prompt);
    return out;
}

void ProgramFolderTest::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    platform::setProgramFolder(dir.path());
    ASSERT_TRUE(dbfile::createDatabaseFile(file(QStringLiteral("kestrom.mdb"))));
    app::db = {};
    app::connstr.clear();
    app::dbpwd.clear();
    app::comport = 1;
    app::comset = QStringLiteral("9600,n,8,1");
    app::inbufsize = 2048;
    app::outbufsize = 512;
    app::fkjdz = 1;
    app::companyname = QStringLiteral("Valdren");
    app::curuser.clear();
    app::loginok = 0;
    app::cjmode = 0;
    app::cjtime = QStringLiteral("0");
    app::cjaddr.fill(0);
    app::cjcount = -1;
}

void ProgramFolderTest::TearDown()
{
    jet::CloseDefaultWorkspace();
    app::db = {};
}

QString ProgramFolderTest::file(const QString& name) const { return QDir(dir.path()).filePath(name); }

void ProgramFolderTest::freshDatabase()
{
    jet::CloseDefaultWorkspace();
    app::db = {};
    QFile::remove(file(QStringLiteral("kestrom.mdb")));
    ASSERT_TRUE(dbfile::createDatabaseFile(file(QStringLiteral("kestrom.mdb"))));
}

void ProgramFolderTest::openSharedDb()
{
    app::dbpwd = QStringLiteral("qalvendrits");
    app::connstr = app::connectString(app::dbpwd);
    app::db = jet::OpenDatabase(QString(), false, false, app::connstr);
}

jet::Database ProgramFolderTest::openDb() const { return jet::OpenDatabase(file(QStringLiteral("kestrom.mdb"))); }

QVariant ProgramFolderTest::scalar(const QString& select) const
{
    jet::Database d = openDb();
    jet::Recordset rs = d.OpenRecordset(select, jet::dbOpenSnapshot);
    return rs.Eof() ? QVariant() : rs.Field(0);
}

int ProgramFolderTest::count(const QString& table, const QString& where) const
{
    return scalar(QStringLiteral("select count(*) from ") + table
                  + (where.isEmpty() ? QString() : QStringLiteral(" where ") + where))
        .toInt();
}

void ProgramFolderTest::rawSql(const char* statement) const
{
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(file(QStringLiteral("kestrom.mdb"))).constData(), &handle), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(handle, statement, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(handle);
}

ChildProcess::ChildProcess(const std::function<void(const Ready& ready)>& run)
{
    int signal[2];
    if (pipe(signal) != 0)
        throw std::runtime_error("no pipe");
    pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);  // gone with the test, however it ends
        ::close(signal[0]);
        run([&] { (void)!::write(signal[1], "r", 1); });
        for (;;)
            pause();
    }
    ::close(signal[1]);
    char c = 0;
    const bool started = ::read(signal[0], &c, 1) == 1;
    ::close(signal[0]);
    if (!started)
        ADD_FAILURE() << "the child process ended before it was ready";
}

ChildProcess::~ChildProcess() { kill(); }

void ChildProcess::kill()
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

}  // namespace testsupport
