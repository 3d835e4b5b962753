// The serial port object and the waits, on a simulated line.
#include "simline.h"

#include <QFile>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <ctime>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using serial::Limit;
using serial::PortError;
using serial::SerialPort;

namespace {

TEST(LineSettings, AcceptedTexts) {
    struct Case {
        const char* text;
        int baud;
        char parity;
        int data, stop;
    } cases[] = {
        {"9600,n,8,1", 9600, 'n', 8, 1},     {" 9600 , N , 8 , 1 ", 9600, 'n', 8, 1},
        {"19200,e,7,2", 19200, 'e', 7, 2},   {"1200,M,5,1", 1200, 'm', 5, 1},
        {"115200,s,6,1", 115200, 's', 6, 1}, {"2400,O,8,2", 2400, 'o', 8, 2},
    };
    for (const auto& c : cases) {
        const auto line = serial::parseSettings(QString::fromLatin1(c.text));
        EXPECT_EQ(line.baud, c.baud) << c.text;
        EXPECT_EQ(line.parity, c.parity) << c.text;
        EXPECT_EQ(line.dataBits, c.data) << c.text;
        EXPECT_EQ(line.stopBits, c.stop) << c.text;
    }
}

TEST(LineSettings, RefusedTexts) {
    for (const char* text : {"", "9600,n,8", "9600,x,8,1", "9601,n,8,1", "9600,n,9,1", "9600,n,4,1", "9600,n,8,3",
                             "abc,n,8,1", "9600,n,8,1,1", "9600,nn,8,1", "9600;n;8;1"}) {
        try {
            serial::parseSettings(QString::fromLatin1(text));
            ADD_FAILURE() << "accepted " << text;
        } catch (const PortError& e) {
            EXPECT_EQ(e.kind(), PortError::BadSettings) << text;
        }
    }
    SerialPort port;
    EXPECT_THROW(port.setSettings(QStringLiteral("9600,q,8,1")), PortError);
    EXPECT_EQ(port.Settings(), QStringLiteral("9600,n,8,1"));  // unchanged by a refused text
}

TEST(PortNumbers, BelowOneRefused) {
    SerialPort port;
    for (int n : {0, -1, 256}) {
        try {
            port.setCommPort(n);
            ADD_FAILURE() << n;
        } catch (const PortError& e) {
            EXPECT_EQ(e.kind(), PortError::BadPortNumber);
        }
    }
}

class PortOnSim : public SimLine {};

TEST_F(PortOnSim, PortNumberMapsToLinkOrOnBoardDevice) {
    EXPECT_EQ(serial::devicePath(1), file(QStringLiteral("com1")));
    EXPECT_EQ(serial::devicePath(3), QStringLiteral("/dev/ttyS2"));
    brokenPort(4);
    EXPECT_EQ(serial::devicePath(4), file(QStringLiteral("com4")));
    try {
        port.setPortOpen(true);
        ADD_FAILURE() << "opened a dangling link";
    } catch (const PortError& e) {
        EXPECT_EQ(e.kind(), PortError::BadPortNumber);
    }
    EXPECT_FALSE(port.PortOpen());
}

TEST_F(PortOnSim, PortHeldByOneObjectCannotBeOpenedByAnother) {
    port.setPortOpen(true);
    SerialPort other;
    controller::configurePort(other);
    try {
        other.setPortOpen(true);
        ADD_FAILURE() << "second open succeeded";
    } catch (const PortError& e) {
        EXPECT_EQ(e.kind(), PortError::PortInUse);
    }
    port.setPortOpen(false);
    EXPECT_NO_THROW(other.setPortOpen(true));
}

TEST_F(PortOnSim, PortLockedByAnotherProcessCannotBeOpened) {
    // An open file description of its own, as another process has.
    const int foreign = ::open(QFile::encodeName(sim->device()).constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(foreign, 0);
    ASSERT_EQ(flock(foreign, LOCK_EX | LOCK_NB), 0);
    EXPECT_THROW(port.setPortOpen(true), PortError);
    ::close(foreign);
    EXPECT_NO_THROW(port.setPortOpen(true));
}

TEST_F(PortOnSim, FlowControlAndLineEndBytesTravelUnchanged) {
    sim->addController(0x11);
    port.setPortOpen(true);
    const QByteArray collect = QByteArray::fromHex("110211");
    frames::CardEntry e;
    e.address = 0x13;
    e.physical = QStringLiteral("1113101310");
    e.card = QStringLiteral("131313");
    const QByteArray add = *frames::AddCardFrame(e);
    const QByteArray del = *frames::DeleteCardFrame(0x0A, QStringLiteral("131313"));  // 0a 05 0d
    port.Output(collect);
    port.setOutBufferCount(0);  // a written frame is sent all the same
    port.Output(add);
    port.Output(del);
    ASSERT_TRUE(sim->waitForFrames(3, 2000));
    EXPECT_EQ(sim->received()[0], collect);
    EXPECT_EQ(sim->received()[1], add);
    EXPECT_EQ(sim->received()[2], del);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    port.setInBufferCount(0);

    // And back: a block full of those bytes arrives as sent.
    sim->edit(5, [](ctlsim::Controller& c) {
        c.delay[0] = 0x0D;
        c.delay[1] = 0x0A;
        c.records.resize(0x1113);
    });
    port.Output(*frames::ReadSysFrame(5));
    QElapsedTimer t;
    t.start();
    while (port.InBufferCount() < 15 && t.elapsed() < 2000)  // no event loop runs here
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const QByteArray block = port.Input();
    ASSERT_EQ(block.size(), 15);
    EXPECT_EQ(block.mid(0, 5).toHex(), QByteArray("0511130d0a"));
}

TEST_F(PortOnSim, StaleInputDiscardedAtOpen) {
    port.setPortOpen(true);
    port.Output(*frames::ClearMemoryFrame(5));
    port.setPortOpen(false);  // the echo lands while nobody listens
    ASSERT_TRUE(sim->waitForFrames(1, 2000));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    port.setPortOpen(true);
    EXPECT_EQ(port.InBufferCount(), 0);
}

TEST_F(PortOnSim, InputTakesInputLenBytesAndFlushDiscards) {
    sim->scriptNext(frames::cmdClearMemory, script([](ctlsim::Script& s) { s.after = QByteArray::fromHex("0102"); }));
    port.setPortOpen(true);
    port.Output(*frames::ClearMemoryFrame(5));
    ASSERT_TRUE(serial::waitForBytes(port, 3, 2, Limit::AtLeast, serial::Stopwatch()));
    port.setInputLen(1);
    EXPECT_EQ(port.Input(), QByteArray::fromHex("05"));
    EXPECT_EQ(port.InBufferCount(), 2);
    port.setInBufferCount(0);
    EXPECT_EQ(port.InBufferCount(), 0);
}

TEST_F(PortOnSim, ReceiveEventAtThresholdNeverReentersItsHandler) {
    port.setPortOpen(true);
    port.setRThreshold(1);
    int calls = 0, depth = 0, deepest = 0;
    QByteArray seen;
    QObject::connect(&port, &SerialPort::OnComm, [&] {
        ++calls;
        deepest = std::max(deepest, ++depth);
        EXPECT_EQ(port.CommEvent(), serial::comEvReceive);
        seen += port.Input();
        if (calls == 1) {
            // A second reply arrives while this handler still waits.
            port.Output(*frames::SetTimeFrame(5, QTime(1, 2, 3)));
            runEvents(150);
        }
        --depth;
    });
    port.Output(*frames::SetDateFrame(5, QDate(2026, 12, 13)));
    QElapsedTimer t;
    t.start();
    while (calls < 2 && t.elapsed() < 3000)
        runEvents(10);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(seen, QByteArray::fromHex("0505"));
}

TEST_F(PortOnSim, WritingToAClosedPortThrows) {
    EXPECT_THROW(port.Output(QByteArray("x")), PortError);
}

// A clock the test sets by hand.
class HandClock : public serial::WaitClock {
public:
    std::chrono::nanoseconds now() const override { return t; }
    void sleep(std::chrono::nanoseconds d) const override { t += d; }
    mutable std::chrono::nanoseconds t{0};
};

TEST(Waits, TheTwoComparisonsAtTheLimit) {
    auto clock = std::make_shared<HandClock>();
    serial::setWaitClock(clock);
    const serial::Stopwatch since;
    clock->t = std::chrono::seconds(2);
    EXPECT_TRUE(since.passed(2, Limit::AtLeast));
    EXPECT_FALSE(since.passed(2, Limit::MoreThan));
    clock->t += std::chrono::milliseconds(1);
    EXPECT_TRUE(since.passed(2, Limit::MoreThan));
    serial::setWaitClock(nullptr);
}

TEST(Waits, PauseRunsNoEvents) {
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    serial::pause(0.05);
    EXPECT_FALSE(fired);
    QCoreApplication::processEvents();
    EXPECT_TRUE(fired);
}

TEST_F(PortOnSim, WaitOnSilentLineEndsAtItsLimitWithoutSpinning) {
    port.setPortOpen(true);
    const std::clock_t cpuBefore = std::clock();
    QElapsedTimer real;
    real.start();
    EXPECT_FALSE(serial::waitForBytes(port, 1, 2, Limit::AtLeast, serial::Stopwatch()));
    const double cpu = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    EXPECT_NEAR(real.elapsed(), realMs(2), 100);
    EXPECT_LT(cpu, 0.5 * real.elapsed() / 1000.0);
}

TEST_F(PortOnSim, WaitEndsWhenThePortIsClosedOrDestroyed) {
    port.setPortOpen(true);
    QTimer::singleShot(30, [&] { port.setPortOpen(false); });
    EXPECT_FALSE(serial::waitForBytes(port, 1, 20, Limit::AtLeast, serial::Stopwatch()));

    auto* doomed = new SerialPort;
    controller::configurePort(*doomed);
    doomed->setPortOpen(true);
    QTimer::singleShot(30, [&] { delete doomed; });
    EXPECT_FALSE(serial::waitForBytes(*doomed, 1, 20, Limit::AtLeast, serial::Stopwatch()));
}

}  // namespace

namespace {

TEST_F(PortOnSim, PacedRepliesTakeTheLinesTime) {
    sim->setPacing(true);
    port.setSettings(QStringLiteral("1200,n,8,1"));
    port.setPortOpen(true);
    QElapsedTimer real;
    real.start();
    port.Output(*frames::ReadSysFrame(5));
    ASSERT_TRUE(serial::waitForBytes(port, 15, 3, Limit::AtLeast, serial::Stopwatch()));
    // The 15th byte follows the first by 14 byte times of 10 bits at 1200 baud.
    EXPECT_GE(real.elapsed(), 14 * 10 * 1000 / 1200 - 5);
}

}  // namespace

namespace {

// CPU time of the process in seconds.
double cpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

TEST_F(PortOnSim, AHangUpEndsTheWaitAndClosesThePortUntilTheDeviceIsBack) {
    port.setPortOpen(true);
    QTimer::singleShot(realMs(0.5), [&] { sim.reset(); });  // the adapter pulled out
    const double cpuBefore = cpuSeconds();
    QElapsedTimer real;
    real.start();
    EXPECT_FALSE(serial::waitForBytes(port, 1, 20, Limit::AtLeast, serial::Stopwatch()));
    EXPECT_LT(real.elapsed(), realMs(2));
    EXPECT_FALSE(port.PortOpen());
    // An idle port left open when the line hangs up: no spinning either.
    sim = std::make_unique<ctlsim::Simulator>(folder(), 1);
    sim->addController(5);
    serial::SerialPort idle;
    controller::configurePort(idle);
    idle.setPortOpen(true);
    sim.reset();
    runEvents(500);
    EXPECT_FALSE(idle.PortOpen());
    EXPECT_LT(cpuSeconds() - cpuBefore, 0.3 * double(real.elapsed()) / 1000);
    // Back again: the next exchange opens the new device.
    sim = std::make_unique<ctlsim::Simulator>(folder(), 1);
    sim->addController(5);
    EXPECT_EQ(controller::ClearMemory(port, 5), controller::Outcome::Ok);
}

TEST_F(PortOnSim, AFloodFillsTheBufferAndNoMoreInBatchesThatKeepTheWindowResponsive) {
    // A line of its own that pours out bytes without end.
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    QFile::remove(file(QStringLiteral("com2")));
    ASSERT_TRUE(QFile::link(QString::fromLocal8Bit(ptsname(master)), file(QStringLiteral("com2"))));
    std::atomic<bool> stop{false};
    // Never blocked in a write: once the port stops reading, a blocking
    // write would wait for room that never comes and the thread would never
    // see stop.
    ASSERT_EQ(fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK), 0);
    std::thread flood([&] {
        const QByteArray noise(4096, '\x55');
        while (!stop)
            if (::write(master, noise.constData(), size_t(noise.size())) < 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    serial::SerialPort p;
    p.setCommPort(2);
    p.setInBufferSize(2048);
    p.setPortOpen(true);
    qint64 slowest = 0;
    int most = 0;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 1000) {
        QElapsedTimer one;
        one.start();
        most = std::max(most, p.InBufferCount());
        QCoreApplication::processEvents();
        slowest = std::max(slowest, one.elapsed());
    }
    stop = true;
    p.setPortOpen(false);
    ::close(master);
    flood.join();
    EXPECT_EQ(most, 2048);
    EXPECT_LT(slowest, 100);
}

}  // namespace

namespace {

// Opens the device in a child process without administrator capabilities,
// as another program of an ordinary account would, without locking it:
// 0 opened, EBUSY or another errno refused, -1 the child could not drop them.
int openAsAnotherProgram(const QString& device) {
    const QByteArray path = QFile::encodeName(device);
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
            _exit(255);
        const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        _exit(fd >= 0 ? 0 : errno);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 255;
    return code == 255 ? -1 : code;
}

TEST_F(PortOnSim, AnOpenPortIsRefusedToOtherProgramsThatDontLockIt) {
    // The other account must be allowed the device for the refusal to mean anything.
    ASSERT_EQ(::chmod(QFile::encodeName(sim->device()).constData(), 0666), 0);
    const int before = openAsAnotherProgram(sim->device());
    if (before == -1)
        GTEST_SKIP() << "this process can't start a child without administrator capabilities";
    ASSERT_EQ(before, 0) << std::strerror(before);
    port.setPortOpen(true);
    EXPECT_EQ(openAsAnotherProgram(sim->device()), EBUSY);
    port.setPortOpen(false);
    EXPECT_EQ(openAsAnotherProgram(sim->device()), 0);
}

}  // namespace
