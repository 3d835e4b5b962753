// Information read, memory and card-list erasure, delays, remote opening,
// the clock and the frames whose replies the windows take themselves.
#include "simline.h"

#include <QDir>
#include <QFile>

using controller::Outcome;

namespace {

class ControllerExchanges : public SimLine {
protected:
    QByteArray sysInf() const {
        QFile f(controller::sysInfFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void setBlock(int records, std::uint8_t d1, std::uint8_t d2, QDate date, QTime time, int weekday,
                  std::array<std::uint8_t, 3> version) {
        sim->edit(5, [=](ctlsim::Controller& c) {
            c.records.resize(std::size_t(records));
            c.delay[0] = d1;
            c.delay[1] = d2;
            c.date = date;
            c.time = time;
            c.weekday = weekday;
            std::copy(version.begin(), version.end(), c.version);
        });
    }
};

TEST_F(ControllerExchanges, ReadSysWritesTheBlockAsOneLine) {
    setBlock(123, 70, 7, QDate(2002, 5, 7), QTime(10, 20, 30), 2, {1, 2, 3});
    EXPECT_TRUE(controller::ReadSys(port, 5));
    EXPECT_EQ(sysInf(), QByteArray(" 123 , 5 , 0.5 ,2002-05-07,10:20:30, 2 ,1.23\r\n"));
    EXPECT_TRUE(port.PortOpen());  // left open for the window
    const auto values = controller::readSysInfLine();
    ASSERT_TRUE(values);
    EXPECT_EQ(*values, (QStringList{QStringLiteral(" 123 "), QStringLiteral(" 5 "), QStringLiteral(" 0.5 "),
                                    QStringLiteral("2002-05-07"), QStringLiteral("10:20:30"), QStringLiteral(" 2 "),
                                    QStringLiteral("1.23")}));
}

TEST_F(ControllerExchanges, ReadSysValuesOfEveryKind) {
    struct Case {
        int records;
        std::uint8_t d1;
        std::array<std::uint8_t, 3> version;
        const char* line;
    } cases[] = {
        {65535, 5, {1, 2, 0}, " 65535 , 0.357142857142857 , 0 ,2026-12-13,00:00:01, 0 ,1.2\r\n"},
        {0, 255, {1, 0x0A, 0}, " 0 , 18.2142857142857 , 0 ,2026-12-13,00:00:01, 0 ,1.10\r\n"},
    };
    for (const auto& c : cases) {
        setBlock(c.records, c.d1, 0, QDate(2026, 12, 13), QTime(0, 0, 1), 0, c.version);
        ASSERT_TRUE(controller::ReadSys(port, 5));
        EXPECT_EQ(sysInf(), QByteArray(c.line));
    }
}

TEST_F(ControllerExchanges, ReadSysFailureLeavesTheFileAsItWas) {
    ASSERT_TRUE(controller::ReadSys(port, 5));
    const QByteArray before = sysInf();
    struct Case {
        const char* name;
        ctlsim::Script script;
    } cases[] = {
        {"silent", silence()},
        {"stray byte ahead of the block", script([](ctlsim::Script& s) { s.before = QByteArray(1, '\0'); })},
        {"another address", fromAddress(6)},
        {"partial block", script([](ctlsim::Script& s) { s.cutAfter = 10; })},
        {"block after 3 s", delayed(3.3)},
    };
    for (const auto& c : cases) {
        sim->scriptNext(frames::cmdReadSys, c.script);
        EXPECT_FALSE(controller::ReadSys(port, 5)) << c.name;
        EXPECT_EQ(sysInf(), before) << c.name;
        runEvents(realMs(1));
    }
    EXPECT_FALSE(controller::ReadSys(port, 9)) << "nobody at 9";
}

TEST_F(ControllerExchanges, ReadSysOfAnotherControllerReplacesTheLine) {
    sim->addController(7);
    sim->edit(7, [](ctlsim::Controller& c) { c.records.resize(7); });
    ASSERT_TRUE(controller::ReadSys(port, 5));
    ASSERT_TRUE(controller::ReadSys(port, 7));
    EXPECT_TRUE(sysInf().startsWith(" 7 ,"));
    EXPECT_EQ(sysInf().count("\r\n"), 1);
}

TEST_F(ControllerExchanges, ReadSysBadDateAndTimeStillWriteTheLine) {
    sim->scriptNext(frames::cmdReadSys,
                    script([](ctlsim::Script& s) { s.reply = QByteArray::fromHex("050001460702130725999902010203"); }));
    ASSERT_TRUE(controller::ReadSys(port, 5));
    EXPECT_EQ(sysInf(), QByteArray(" 1 , 5 , 0.5 ,,00:00:00, 2 ,1.23\r\n"));
}

TEST_F(ControllerExchanges, ReadSysThatCannotWriteTheFileFails) {
    QDir(folder()).mkdir(QStringLiteral("SysInf.ini"));  // a folder in the file's place
    EXPECT_FALSE(controller::ReadSys(port, 5));
}

TEST_F(ControllerExchanges, ReadSysOpensAClosedPortFromTheSettingsOnly) {
    brokenPort(6);  // the settings now name a port that fails
    port.setCommPort(1);
    port.setPortOpen(true);
    EXPECT_TRUE(controller::ReadSys(port, 5));  // an open port is used as it is
    port.setPortOpen(false);
    EXPECT_FALSE(controller::ReadSys(port, 5));
}

TEST_F(ControllerExchanges, SysInfLineShortOrDamagedGivesEmptyValues) {
    EXPECT_FALSE(controller::readSysInfLine());
    QFile f(controller::sysInfFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(" 12 , 5 ,");
    f.close();
    const auto values = controller::readSysInfLine();
    ASSERT_TRUE(values);
    EXPECT_EQ(*values, (QStringList{QStringLiteral(" 12 "), QStringLiteral(" 5 "), QString(), QString(), QString(),
                                    QString(), QString()}));
}

// ---- memory, card list ----

TEST_F(ControllerExchanges, ClearMemoryThenCardList) {
    sim->edit(5, [](ctlsim::Controller& c) {
        c.records.resize(3);
        c.cards[QStringLiteral("000001")] = {};
    });
    EXPECT_EQ(controller::ClearMemory(port, 5), Outcome::Ok);
    EXPECT_TRUE(sim->controller(5).records.empty());
    EXPECT_FALSE(sim->controller(5).cards.empty());
    EXPECT_EQ(controller::ClearCardList(port, 5), Outcome::Ok);
    EXPECT_TRUE(sim->controller(5).cards.empty());
    EXPECT_FALSE(port.PortOpen());
}

TEST_F(ControllerExchanges, EchoOutcomesAndWherePortsAreLeft) {
    sim->scriptNext(frames::cmdClearMemory, fromAddress(6));
    EXPECT_EQ(controller::ClearMemory(port, 5), Outcome::WrongReply);
    sim->scriptNext(frames::cmdClearMemory, silence());
    EXPECT_EQ(controller::ClearMemory(port, 5, controller::collectionClear), Outcome::NoReply);
    sim->scriptNext(frames::cmdClearMemory, delayed(2.5));
    EXPECT_EQ(controller::ClearMemory(port, 5, controller::collectionClear), Outcome::Ok);  // 3 s there
    EXPECT_FALSE(port.PortOpen());

    // The rebuild leaves the port to the card downloads that follow.
    EXPECT_EQ(controller::ClearCardList(port, 5, controller::rebuildClear), Outcome::Ok);
    EXPECT_TRUE(port.PortOpen());
    sim->scriptNext(frames::cmdClearCardList, fromAddress(1));
    EXPECT_EQ(controller::ClearCardList(port, 5, controller::rebuildClear), Outcome::WrongReply);
    EXPECT_TRUE(port.PortOpen());

    brokenPort(9);
    port.setPortOpen(false);
    EXPECT_EQ(controller::ClearMemory(port, 5), Outcome::PortFailed);
    EXPECT_EQ(controller::ClearMemory(port, 100), Outcome::Refused);
}

// ---- delays ----

TEST_F(ControllerExchanges, DelayTimeSetsTheLockInTheController) {
    port.setPortOpen(true);
    EXPECT_TRUE(controller::DelayTime(port, 5, 1, 0.75));
    EXPECT_TRUE(controller::DelayTime(port, 5, 2, 0.5));
    EXPECT_EQ(sim->controller(5).delay[0], 10);
    EXPECT_EQ(sim->controller(5).delay[1], 7);
    EXPECT_TRUE(port.PortOpen());  // its caller closes it
    EXPECT_FALSE(controller::DelayTime(port, 5, 1, 18.3));
    EXPECT_EQ(sim->received().size(), 2u);
}

TEST_F(ControllerExchanges, LateLockOneEchoNeverConfirmsLockTwo) {
    port.setPortOpen(true);
    sim->scriptNext(frames::cmdDelayLock1, delayed(2.6));
    EXPECT_FALSE(controller::DelayTime(port, 5, 1, 5));
    std::this_thread::sleep_for(std::chrono::milliseconds(realMs(1)));  // lock 1's echo lands
    sim->scriptNext(frames::cmdDelayLock2, silence());
    EXPECT_FALSE(controller::DelayTime(port, 5, 2, 5));
}

TEST_F(ControllerExchanges, DelayTimeOnAClosedPortSendsNothing) {
    EXPECT_FALSE(controller::DelayTime(port, 5, 1, 5));
    EXPECT_FALSE(sim->waitForFrames(1, 50));
}

// ---- remote opening, line test ----

TEST_F(ControllerExchanges, OpenLockOpensEitherLock) {
    for (int lock : {1, 2}) {
        EXPECT_EQ(controller::OpenLock(port, 5, lock), Outcome::Ok);
        EXPECT_FALSE(port.PortOpen());
    }
    const auto frames = sim->received();
    EXPECT_EQ(frames[0], QByteArray::fromHex("050210"));
    EXPECT_EQ(frames[1], QByteArray::fromHex("050220"));
    const auto c = sim->controller(5);
    EXPECT_TRUE(c.lockOpenedAt[0].isValid() && c.lockOpenedAt[1].isValid());
}

TEST_F(ControllerExchanges, OpenLockWaitsOneSecondThenTwo) {
    const serial::Stopwatch took;
    EXPECT_EQ(controller::OpenLock(port, 5, 1), Outcome::Ok);
    EXPECT_GE(took.seconds(), 1.0);

    sim->scriptNext(frames::cmdOpenLock1, delayed(2.6));  // 1 s pause + 1.6 s: inside
    EXPECT_EQ(controller::OpenLock(port, 5, 1), Outcome::Ok);
}

TEST_F(ControllerExchanges, OpenLockWithoutReplyLeavesThePortAndALateReplyDoesNotCount) {
    sim->scriptNext(frames::cmdOpenLock1, delayed(3.4));
    EXPECT_EQ(controller::OpenLock(port, 5, 1), Outcome::NoReply);
    EXPECT_TRUE(port.PortOpen());
    std::this_thread::sleep_for(std::chrono::milliseconds(realMs(1)));  // the late echo waits in the buffer
    sim->scriptNext(frames::cmdOpenLock2, silence());
    EXPECT_EQ(controller::OpenLock(port, 5, 2), Outcome::NoReply);
}

TEST_F(ControllerExchanges, LineTestSetTimeLeavesThePortOpen) {
    EXPECT_EQ(controller::SetTime(port, 5, QTime(13, 5, 9)), Outcome::Ok);
    EXPECT_TRUE(port.PortOpen());
    EXPECT_EQ(sim->controller(5).time, QTime(13, 5, 9));
    sim->scriptNext(frames::cmdSetTime, fromAddress(3));
    EXPECT_EQ(controller::SetTime(port, 5, QTime(13, 5, 9)), Outcome::WrongReply);
    EXPECT_TRUE(port.PortOpen());
}

// ---- frames whose replies the windows read ----

TEST_F(ControllerExchanges, ClockFramesSetDateWeekdayAndTime) {
    port.setPortOpen(true);
    ASSERT_TRUE(controller::sendFrame(port, frames::SetDateFrame(5, QDate(2026, 12, 13))));
    ASSERT_TRUE(serial::waitForBytes(port, 1, 2, serial::Limit::AtLeast, serial::Stopwatch()));
    EXPECT_EQ(port.Input(), QByteArray(1, '\x05'));
    const auto c = sim->controller(5);
    EXPECT_EQ(c.date, QDate(2026, 12, 13));
    EXPECT_EQ(c.weekday, 0);
}

TEST_F(ControllerExchanges, LiveSwipeReadAndAcknowledged) {
    sim->edit(5, [](ctlsim::Controller& c) { c.swipes.push_back({QStringLiteral("0001234567"), 3}); });
    port.setPortOpen(true);
    ASSERT_TRUE(controller::sendFrame(port, frames::ReadSwipeFrame(5)));
    ASSERT_TRUE(serial::waitForBytes(port, 9, 3, serial::Limit::AtLeast, serial::Stopwatch()));
    const auto swipe = frames::decodeSwipe(port.Input(), 5);
    ASSERT_TRUE(swipe);
    EXPECT_EQ(swipe->physical, QStringLiteral("0001234567"));
    EXPECT_EQ(swipe->flag, 3);
    EXPECT_TRUE(controller::AckSwipe(port, 5));
    ASSERT_TRUE(sim->waitForFrames(2, 1000));
    EXPECT_TRUE(sim->controller(5).swipes.empty());

    ASSERT_TRUE(controller::sendFrame(port, frames::ReadSwipeFrame(5)));
    ASSERT_TRUE(serial::waitForBytes(port, 9, 3, serial::Limit::AtLeast, serial::Stopwatch()));
    EXPECT_FALSE(frames::decodeSwipe(port.Input(), 5));  // nothing pending
}

TEST_F(ControllerExchanges, LockStateFollowsAnOpening) {
    sim->edit(5, [](ctlsim::Controller& c) { c.delay[1] = 140; });
    ASSERT_EQ(controller::OpenLock(port, 5, 2), Outcome::Ok);
    port.setPortOpen(true);
    port.setInputLen(0);  // the opening read one byte at a time
    ASSERT_TRUE(controller::sendFrame(port, frames::ReadLockStateFrame(5)));
    ASSERT_TRUE(serial::waitForBytes(port, 2, 2, serial::Limit::AtLeast, serial::Stopwatch()));
    const auto state = frames::decodeLockState(port.Input(), 5);
    EXPECT_EQ(state.lock1, QStringLiteral("關"));
    EXPECT_EQ(state.lock2, QStringLiteral("開"));
}

TEST_F(ControllerExchanges, StoredRecordsCollectedAndABrokenStream) {
    sim->edit(5, [](ctlsim::Controller& c) {
        for (int i = 0; i < 3; ++i)
            c.records.push_back({QStringLiteral("01234%1").arg(i), QDateTime(QDate(2026, 12, 9), QTime(8, i)), 1 + i});
    });
    port.setPortOpen(true);
    ASSERT_TRUE(controller::sendFrame(port, frames::CollectRecordsFrame(5)));
    ASSERT_TRUE(serial::waitForBytes(port, 3 + 33, 3, serial::Limit::AtLeast, serial::Stopwatch()));
    const QByteArray stream = port.Input();
    EXPECT_EQ(frames::decodeCollectHeader(stream.left(3))->count, 3);
    const auto last = frames::decodeStoredRecord(stream.mid(3 + 22, 11));
    ASSERT_TRUE(last);
    EXPECT_EQ(last->card, QStringLiteral("012342"));
    EXPECT_EQ(std::make_tuple(last->year, last->month, last->day, last->hour, last->minute, last->flag),
              std::make_tuple(26, 12, 9, 8, 2, 3));

    sim->scriptNext(frames::cmdCollectRecords, script([](ctlsim::Script& s) { s.recordsBeforeBreak = 1; }));
    ASSERT_TRUE(controller::sendFrame(port, frames::CollectRecordsFrame(5)));
    EXPECT_FALSE(serial::waitForBytes(port, 3 + 22, 1, serial::Limit::AtLeast, serial::Stopwatch()));
    EXPECT_EQ(port.InBufferCount(), 3 + 11);
    EXPECT_EQ(sim->controller(5).records.size(), 3u);  // collecting erases nothing
}

}  // namespace
