// The simulator links its line as comN in the program folder, but never in
// place of a link it didn't make: com1 may lead to a real USB adapter.
#include "simulator.h"
#include "testsupport.h"

#include <QFile>
#include <QFileInfo>
#include <memory>

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

}  // namespace
