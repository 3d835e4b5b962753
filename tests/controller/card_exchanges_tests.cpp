// Card download, delete and the card-issuer read against the simulator.
#include "simline.h"

#include <QTimer>

using controller::addtodoor;
using controller::delfromdoor;

namespace {

class CardExchanges : public SimLine {
protected:
    frames::CardEntry entry(int address = 5) const {
        frames::CardEntry e;
        e.address = address;
        e.physical = QStringLiteral("1234567");
        e.card = QStringLiteral("012345");
        e.startDate = QDate(2026, 1, 1);
        e.endDate = QDate(2026, 12, 31);
        e.passMode1 = 1;
        e.passMode2 = 2;
        return e;
    }
    controller::WindowHooks recording() {
        return {[this](const QString& text, int style) { shown.emplace_back(text, style); },
                [this](bool on) { pointer.push_back(on); }};
    }
    std::vector<std::pair<QString, int>> shown;
    std::vector<bool> pointer;
};

TEST_F(CardExchanges, AddPutsTheCardIntoTheControllerAndClosesThePort) {
    auto e = entry();
    EXPECT_TRUE(addtodoor(port, e, controller::cardIssueAdd, recording()));
    EXPECT_EQ(e.physical, QStringLiteral("0001234567"));  // padded for the caller
    EXPECT_FALSE(port.PortOpen());
    const auto cards = sim->controller(5).cards;
    ASSERT_EQ(cards.count(QStringLiteral("012345")), 1u);
    const auto& card = cards.at(QStringLiteral("012345"));
    EXPECT_EQ(card.physical, QStringLiteral("0001234567"));
    EXPECT_EQ(card.passMode1, 1);
    EXPECT_EQ(card.passMode2, 2);
    EXPECT_EQ(card.window.toHex(), QByteArray("2626215201310000000000"));
    EXPECT_TRUE(shown.empty());
}

TEST_F(CardExchanges, AddFailsOnSilenceWrongEchoAndLateEcho) {
    struct Case {
        const char* name;
        ctlsim::Script script;
    } cases[] = {
        {"silent", silence()},
        {"wrong address", fromAddress(6)},
        {"wrong first byte, right one after", script([](ctlsim::Script& s) { s.before = QByteArray(1, '\x07'); })},
        {"echo at 2.5 s", delayed(2.5)},
    };
    for (const auto& c : cases) {
        sim->scriptNext(frames::cmdAddCard, c.script);
        auto e = entry();
        EXPECT_FALSE(addtodoor(port, e)) << c.name;
        EXPECT_FALSE(port.PortOpen()) << c.name;
        runEvents(realMs(1));  // a late echo lands and goes nowhere
    }
}

TEST_F(CardExchanges, AddEchoJustInsideTheLimitCounts) {
    sim->scriptNext(frames::cmdAddCard, delayed(1.4));
    auto e = entry();
    EXPECT_TRUE(addtodoor(port, e));
}

TEST_F(CardExchanges, LateEchoOfAnEarlierAddNeverConfirmsTheNext) {
    sim->scriptNext(frames::cmdAddCard, delayed(2.6));
    auto first = entry();
    EXPECT_FALSE(addtodoor(port, first));
    std::this_thread::sleep_for(std::chrono::milliseconds(realMs(1)));  // the late echo lands
    sim->scriptNext(frames::cmdAddCard, silence());
    auto second = entry();
    second.card = QStringLiteral("654321");
    EXPECT_FALSE(addtodoor(port, second));
}

TEST_F(CardExchanges, ArgumentsThatCannotBeEncodedSendNothing) {
    const std::function<void(frames::CardEntry&)> spoil[] = {
        [](auto& e) { e.card = QStringLiteral("12345"); },
        [](auto& e) { e.physical = QStringLiteral("12345678901"); },
        [](auto& e) { e.physical = QStringLiteral("12345a"); },
        [](auto& e) { e.address = 100; },
        [](auto& e) { e.address = 261; },  // would wrap to 5
        [](auto& e) { e.passMode1 = 4; },
    };
    for (const auto& change : spoil) {
        auto e = entry();
        change(e);
        EXPECT_FALSE(addtodoor(port, e));
    }
    EXPECT_FALSE(delfromdoor(port, 5, QStringLiteral("1234567")));
    EXPECT_FALSE(delfromdoor(port, 105, QStringLiteral("123456")));
    EXPECT_FALSE(sim->waitForFrames(1, 100));
}

TEST_F(CardExchanges, PortThatCannotOpenReportedOnlyByTheCardIssueVariant) {
    brokenPort(7);
    auto e = entry();
    EXPECT_FALSE(addtodoor(port, e, controller::cardIssueAdd, recording()));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, QStringLiteral("串口通信端口沒有打開"));
    EXPECT_EQ(shown[0].second, 48);
    EXPECT_TRUE(pointer.empty());  // the caller's hourglass is the caller's to switch off
    shown.clear();
    EXPECT_FALSE(addtodoor(port, e, controller::rebuildAdd, recording()));
    EXPECT_FALSE(addtodoor(port, e, controller::extensionAdd, recording()));
    EXPECT_TRUE(shown.empty());
}

TEST_F(CardExchanges, ExtensionVariantPausesBeforeWritingAndAfterTheEcho) {
    auto e = entry();
    const serial::Stopwatch took;
    EXPECT_TRUE(addtodoor(port, e, controller::extensionAdd));
    EXPECT_GE(took.seconds(), 0.2);
    const serial::Stopwatch plain;
    EXPECT_TRUE(addtodoor(port, e, controller::rebuildAdd));
    EXPECT_LT(plain.seconds(), 0.2);
}

TEST_F(CardExchanges, SecondPressDuringTheWaitStartsNoSecondExchange) {
    sim->scriptNext(frames::cmdAddCard, delayed(1));
    bool second = true;
    QTimer::singleShot(realMs(0.3), [&] {
        auto again = entry();
        second = addtodoor(port, again);
    });
    auto e = entry();
    EXPECT_TRUE(addtodoor(port, e));
    EXPECT_FALSE(second);
    EXPECT_EQ(sim->received().size(), 1u);
}

TEST_F(CardExchanges, WindowClosingDuringTheWaitEndsItSafely) {
    sim->scriptNext(frames::cmdAddCard, silence());
    QTimer::singleShot(realMs(0.3), [&] { port.setPortOpen(false); });
    auto e = entry();
    EXPECT_FALSE(addtodoor(port, e));

    auto* windowPort = new serial::SerialPort;
    controller::configurePort(*windowPort);
    sim->scriptNext(frames::cmdDeleteCard, silence());
    QTimer::singleShot(realMs(0.3), [&] { delete windowPort; });
    EXPECT_FALSE(delfromdoor(*windowPort, 5, QStringLiteral("012345")));
    EXPECT_EQ(app::exchangesRunning, 0);
}

TEST_F(CardExchanges, DeleteTakesTheCardOut) {
    auto e = entry();
    ASSERT_TRUE(addtodoor(port, e));
    EXPECT_TRUE(delfromdoor(port, 5, QStringLiteral("012345")));
    EXPECT_TRUE(sim->controller(5).cards.empty());
    EXPECT_FALSE(port.PortOpen());
    EXPECT_EQ(sim->received().back(), QByteArray::fromHex("05050d012345"));
}

TEST_F(CardExchanges, DeleteFailsOnSilenceAndWrongEcho) {
    sim->scriptNext(frames::cmdDeleteCard, silence());
    EXPECT_FALSE(delfromdoor(port, 5, QStringLiteral("012345")));
    sim->scriptNext(frames::cmdDeleteCard, fromAddress(4));
    EXPECT_FALSE(delfromdoor(port, 5, QStringLiteral("012345")));
    EXPECT_FALSE(delfromdoor(port, 9, QStringLiteral("012345")));  // nobody at 9
    EXPECT_FALSE(port.PortOpen());
}

// ---- the card issuer ----

TEST_F(CardExchanges, ReadCardGivesThePhysicalNumberAndClosesThePort) {
    sim->presentCard(QStringLiteral("0000123456"));
    port.setPortOpen(true);  // an open port is closed and set up again
    EXPECT_EQ(controller::ReadCard(port, 1, recording()), QStringLiteral("0000123456"));
    EXPECT_FALSE(port.PortOpen());
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(pointer, (std::vector<bool>{true, false}));
    EXPECT_EQ(sim->received().back(), QByteArray::fromHex("01020b"));
}

TEST_F(CardExchanges, ReadCardLongerReplyAccepted) {
    sim->scriptNext(frames::cmdReadCard,
                    script([](ctlsim::Script& s) { s.reply = QByteArray::fromHex("01070400001a345699"); }));
    EXPECT_EQ(controller::ReadCard(port, 1, recording()), QStringLiteral("0000203456"));
}

TEST_F(CardExchanges, ReadCardWithoutAnswerSaysSo) {
    sim->presentCard(QString());
    EXPECT_FALSE(controller::ReadCard(port, 1, recording()));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], std::make_pair(QStringLiteral("通信出錯"), 48));
    EXPECT_FALSE(port.PortOpen());
}

TEST_F(CardExchanges, ReadCardWrongReplyLeavesThePortOpen) {
    sim->scriptNext(frames::cmdReadCard,
                    script([](ctlsim::Script& s) { s.reply = QByteArray::fromHex("0108040000123456"); }));
    EXPECT_FALSE(controller::ReadCard(port, 1, recording()));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], std::make_pair(QStringLiteral("通訊出錯"), 0));
    EXPECT_TRUE(port.PortOpen());
}

TEST_F(CardExchanges, ReadCardPartialReplyIsATimeout) {
    sim->presentCard(QStringLiteral("0000123456"));
    sim->scriptNext(frames::cmdReadCard, script([](ctlsim::Script& s) { s.cutAfter = 7; }));
    EXPECT_FALSE(controller::ReadCard(port, 1, recording()));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, QStringLiteral("通信出錯"));
}

TEST_F(CardExchanges, ReadCardOnAPortThatCannotOpen) {
    brokenPort(8);
    EXPECT_FALSE(controller::ReadCard(port, 1, recording()));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], std::make_pair(QStringLiteral("串口通信端口沒有打開"), 48));
    EXPECT_FALSE(sim->waitForFrames(1, 50));
}

}  // namespace
