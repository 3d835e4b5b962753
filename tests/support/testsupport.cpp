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

void damageFirstPage(const QString& path, const QString& table)
{
    int root = 0;
    {
        jet::Database d = jet::OpenDatabase(path);
        root = d.OpenRecordset(QStringLiteral("select rootpage from sqlite_master where name = '%1'").arg(table))
                   .Field(0)
                   .toInt();
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.seek(16));
    const QByteArray stored = f.read(2);  // the page size, as the file's header holds it
    const int size = quint8(stored[0]) << 8 | quint8(stored[1]);
    const int pageSize = size == 1 ? 65536 : size;
    ASSERT_TRUE(root > 0 && pageSize >= 512);
    ASSERT_TRUE(f.seek(qint64(root - 1) * pageSize));
    f.write(QByteArray(64, '\xff'));
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

namespace {

// One message over a pipe: its length, then its bytes.
void send(int fd, const QByteArray& bytes)
{
    const quint32 n = quint32(bytes.size());
    (void)!::write(fd, &n, sizeof n);
    if (n > 0)
        (void)!::write(fd, bytes.constData(), n);
}

bool receive(int fd, QByteArray& bytes)
{
    quint32 n = 0;
    if (::read(fd, &n, sizeof n) != ssize_t(sizeof n))
        return false;
    bytes.resize(qsizetype(n));
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t r = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (r <= 0)
            return false;
        got += r;
    }
    return true;
}

QByteArray runHere(sqlite3* db, const QByteArray& statements)
{
    if (statements.isEmpty())
        return {};
    char* error = nullptr;
    if (sqlite3_exec(db, statements.constData(), nullptr, nullptr, &error) == SQLITE_OK)
        return {};
    const QByteArray said = error ? QByteArray(error) : QByteArray("failed");
    sqlite3_free(error);
    return said.isEmpty() ? QByteArray("failed") : said;
}

}  // namespace

OtherProgram::OtherProgram(const QString& path, const QString& first)
{
    int down[2];
    int up[2];
    if (pipe(down) != 0 || pipe(up) != 0)
        throw std::runtime_error("no pipe");
    pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        // Nothing of this process's own: a descriptor kept from it would
        // hold this program's lock on the file as well.
        for (int fd = 3; fd < 1024; ++fd)
            if (fd != down[0] && fd != up[1])
                ::close(fd);
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            send(up[1], QByteArray("could not open: ") + sqlite3_errmsg(db));
            _exit(1);
        }
        sqlite3_busy_timeout(db, 100);
        send(up[1], runHere(db, first.toUtf8()));
        QByteArray statements;
        while (receive(down[0], statements))
            send(up[1], runHere(db, statements));
        _exit(0);
    }
    ::close(down[0]);
    ::close(up[1]);
    toChild = down[1];
    fromChild = up[0];
    QByteArray answer;
    if (!receive(fromChild, answer))
        ADD_FAILURE() << "the other program ended before it was ready";
    firstAnswer = QString::fromUtf8(answer);
}

OtherProgram::~OtherProgram()
{
    ::close(toChild);
    ::close(fromChild);
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

QString OtherProgram::then(const QString& statements)
{
    send(toChild, statements.toUtf8());
    QByteArray answer;
    if (!receive(fromChild, answer))
        return QStringLiteral("the other program is gone");
    return QString::fromUtf8(answer);
}

}  // namespace testsupport
