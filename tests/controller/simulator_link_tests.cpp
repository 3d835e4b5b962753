// The simulator links its line as comN in the program folder, but never in
// place of a link it didn't make: com1 may lead to a real USB adapter.
#include "simulator.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <stdlib.h>
#include <unistd.h>
#include <vector>

namespace {

class SimulatorLink : public testsupport::ProgramFolderTest {
protected:
    QString com(int n) const { return file(QStringLiteral("com%1").arg(n)); }
    QString target(int n) const { return QFileInfo(com(n)).symLinkTarget(); }
};

TEST_F(SimulatorLink, AnotherLinkOrFileIsLeftAsItIsAndTheMessageSaysWhatToDo)
{
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/ttyUSB0"), com(1)));
    try {
        ctlsim::Simulator sim(folder(), 1);
        FAIL() << "replaced " << com(1).toStdString();
    } catch (const std::runtime_error& e) {
        const QString message = QString::fromUtf8(e.what());
        EXPECT_TRUE(message.contains(com(1))) << e.what();
        EXPECT_TRUE(message.contains(QStringLiteral("/dev/ttyUSB0"))) << e.what();
        EXPECT_TRUE(message.contains(QStringLiteral("--port"))) << e.what();
    }
    EXPECT_EQ(target(1), QStringLiteral("/dev/ttyUSB0"));

    QFile plain(com(2));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_THROW(ctlsim::Simulator(folder(), 2), std::runtime_error);
    EXPECT_TRUE(QFileInfo(com(2)).isFile());

    ctlsim::Simulator running(folder(), 3);
    EXPECT_THROW(ctlsim::Simulator(folder(), 3), std::runtime_error);  // a second simulator on the same port
    EXPECT_EQ(target(3), running.device());
}

TEST_F(SimulatorLink, ALinkAStoppedSimulatorLeftBehindIsTakenOver)
{
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/pts/987654"), com(1)));
    {
        ctlsim::Simulator sim(folder(), 1);
        EXPECT_EQ(target(1), sim.device());
    }
    EXPECT_FALSE(QFileInfo(com(1)).isSymLink());  // its own link goes when it stops
}

TEST_F(SimulatorLink, OnlyItsOwnLinkGoesWhenItStops)
{
    {
        ctlsim::Simulator sim(folder(), 1);
        // The operator points com1 at the adapter while the simulator runs.
        QFile::remove(com(1));
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/ttyUSB0"), com(1)));
    }
    EXPECT_EQ(target(1), QStringLiteral("/dev/ttyUSB0"));
}

// The simulator as the operator runs it, in a terminal of its own.
class SimulatorProgram : public SimulatorLink {
protected:
    void TearDown() override
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished();
        }
        for (int fd : held)
            ::close(fd);
        SimulatorLink::TearDown();
    }
    void start(const QStringList& options)
    {
        program.start(QStringLiteral(KESTROM_CTLSIM), QStringList{QStringLiteral("--folder"), folder()} + options);
        ASSERT_TRUE(program.waitForStarted());
        QElapsedTimer t;
        t.start();
        while (!QFileInfo(com(1)).isSymLink() && t.elapsed() < 10000)
            QThread::msleep(10);
        ASSERT_TRUE(QFileInfo(com(1)).isSymLink()) << program.readAllStandardError().toStdString();
    }
    // Takes pseudo-terminals until the one given is in use again, as the
    // next program to ask for one gets the lowest number free.
    void occupy(const QString& pty)
    {
        for (int i = 0; i < 64 && !QFileInfo::exists(pty); ++i) {
            const int fd = posix_openpt(O_RDWR | O_NOCTTY);
            ASSERT_GE(fd, 0);
            held.push_back(fd);
            ASSERT_EQ(grantpt(fd), 0);
            ASSERT_EQ(unlockpt(fd), 0);
        }
        ASSERT_TRUE(QFileInfo::exists(pty));
    }

    QProcess program;
    std::vector<int> held;
};

TEST_F(SimulatorProgram, CtrlCEndsItAtOnceWhileNobodyReadsTheLine)
{
    start({QStringLiteral("--controllers"), QStringLiteral("1"), QStringLiteral("--records"), QStringLiteral("1:20000")});
    // A collection whose reply (220 000 bytes) no one takes off the line.
    const int line = ::open(QFile::encodeName(target(1)).constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(line, 0);
    held.push_back(line);
    ASSERT_EQ(::write(line, "\x01\x02\x11", 3), 3);
    QThread::msleep(500);
    ASSERT_EQ(program.state(), QProcess::Running);
    QElapsedTimer t;
    t.start();
    ::kill(pid_t(program.processId()), SIGINT);
    EXPECT_TRUE(program.waitForFinished(3000)) << "still running " << t.elapsed() << " ms after Ctrl+C";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(com(1)).isSymLink());
}

TEST_F(SimulatorProgram, ALinkAKilledSimulatorLeftIsItsOwnWhateverPtyItNamesNow)
{
    start({});
    const QString left = target(1);
    program.kill();
    ASSERT_TRUE(program.waitForFinished());
    ASSERT_TRUE(QFileInfo(com(1)).isSymLink());
    // Its pseudo-terminal's number has gone to another program since.
    occupy(left);
    ctlsim::Simulator next(folder(), 1);
    EXPECT_EQ(target(1), next.device());
    // And a link that was never a simulator's is refused as before, though
    // it names a pseudo-terminal that is there.
    ASSERT_TRUE(QFile::link(left, com(2)));
    EXPECT_THROW(ctlsim::Simulator(folder(), 2), std::runtime_error);
    EXPECT_EQ(target(2), left);
}

}  // namespace
