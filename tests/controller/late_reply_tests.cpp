// A reply that comes after its exchange gave up belongs to no later
// exchange on the line, through whichever port object and across a close.
#include "simline.h"

using controller::Outcome;

namespace {

class LateReplies : public SimLine {
protected:
    frames::CardEntry card() const {
        frames::CardEntry e;
        e.address = 5;
        e.physical = QStringLiteral("0001234567");
        e.card = QStringLiteral("123456");
        return e;
    }
};

// One exchange, run on a port: whether the controller confirmed it.
struct Exchange {
    std::uint8_t command;
    double limit;  // seconds from the frame until the exchange gives up
    std::function<bool(serial::SerialPort&, const frames::CardEntry&)> run;
};

const Exchange delayLock1{frames::cmdDelayLock1, 2, [](serial::SerialPort& p, const frames::CardEntry&) {
                              // Its caller opens and closes the port around both locks.
                              return controller::openPort(p) && controller::DelayTime(p, 5, 1, 5);
                          }};
const Exchange delayLock2{frames::cmdDelayLock2, 2, [](serial::SerialPort& p, const frames::CardEntry&) {
                              return controller::openPort(p) && controller::DelayTime(p, 5, 2, 5);
                          }};
const Exchange openLock{frames::cmdOpenLock1, 3, [](serial::SerialPort& p, const frames::CardEntry&) {
                            return controller::OpenLock(p, 5, 1) == Outcome::Ok;
                        }};
const Exchange addCard{frames::cmdAddCard, 2, [](serial::SerialPort& p, const frames::CardEntry& c) {
                           auto e = c;
                           return controller::addtodoor(p, e);
                       }};
const Exchange deleteCard{frames::cmdDeleteCard, 2, [](serial::SerialPort& p, const frames::CardEntry& c) {
                              return controller::delfromdoor(p, 5, c.card);
                          }};
const Exchange clearMemory{frames::cmdClearMemory, 2, [](serial::SerialPort& p, const frames::CardEntry&) {
                               return controller::ClearMemory(p, 5) == Outcome::Ok;
                           }};
const Exchange clearCardList{frames::cmdClearCardList, 2, [](serial::SerialPort& p, const frames::CardEntry&) {
                                 return controller::ClearCardList(p, 5) == Outcome::Ok;
                             }};
const Exchange readSys{frames::cmdReadSys, 3, [](serial::SerialPort& p, const frames::CardEntry&) {
                           return controller::ReadSys(p, 5);
                       }};

TEST_F(LateReplies, AReplyPastItsWaitConfirmsNoLaterExchange) {
    // The first exchange's reply comes 0.3 s after it gave up; the next one
    // gets no reply at all and must fail; the one after that is answered at
    // once and succeeds.
    const struct {
        const char* name;
        const Exchange& first;
        const Exchange& next;
    } cases[] = {
        {"lock 1's delay, then lock 2's", delayLock1, delayLock2},
        {"a remote opening, then another", openLock, openLock},
        {"a card download, then the next (the port closed between)", addCard, addCard},
        {"a card delete, then the next", deleteCard, deleteCard},
        {"a memory erasure, then another", clearMemory, clearMemory},
        {"a card list erasure, then another", clearCardList, clearCardList},
        {"an information read, then a memory erasure", readSys, clearMemory},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim->scriptNext(c.first.command, delayed(c.first.limit + 0.3));
        EXPECT_FALSE(c.first.run(port, card()));
        sim->scriptNext(c.next.command, silence());
        EXPECT_FALSE(c.next.run(port, card()));
        EXPECT_TRUE(c.next.run(port, card()));
        port.setPortOpen(false);
    }
}

TEST_F(LateReplies, NotThroughAnotherWindowsPortEither) {
    // The card-issue window's download times out; the removal window's port
    // on the same line then deletes a card the controller never confirmed.
    serial::SerialPort other;
    controller::configurePort(other);
    sim->scriptNext(frames::cmdAddCard, delayed(2.3));
    auto e = card();
    EXPECT_FALSE(controller::addtodoor(port, e));
    EXPECT_FALSE(port.PortOpen());
    sim->scriptNext(frames::cmdDeleteCard, silence());
    EXPECT_FALSE(controller::delfromdoor(other, 5, e.card));
    EXPECT_TRUE(controller::delfromdoor(other, 5, e.card));
}

TEST_F(LateReplies, ALineThatStaysQuietCostsTheNextExchangeNothing) {
    sim->scriptNext(frames::cmdClearMemory, silence());
    EXPECT_EQ(controller::ClearMemory(port, 5), Outcome::NoReply);
    runEvents(realMs(port.quietPeriod()) + 20);
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(controller::ClearMemory(port, 5), Outcome::Ok);
    EXPECT_LT(t.elapsed(), realMs(0.5));
}

TEST_F(LateReplies, TheQuietPeriodFollowsTheLinesTiming) {
    const struct {
        const char* settings;
        double seconds;
    } cases[] = {
        {"9600,n,8,1", 1 + 15.0 * 10 / 9600},
        {"1200,e,7,2", 1 + 15.0 * 11 / 1200},
        {"115200,n,8,1", 1 + 15.0 * 10 / 115200},
    };
    for (const auto& c : cases) {
        port.setSettings(QString::fromLatin1(c.settings));
        EXPECT_DOUBLE_EQ(port.quietPeriod(), c.seconds) << c.settings;
    }
}

}  // namespace
