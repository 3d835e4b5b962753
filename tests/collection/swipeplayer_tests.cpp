// The simulator's live swipes, as a new user sees them in the monitors.
#include "dispatch.h"
#include "frmssjsn.h"
#include "frmssxx.h"
#include "menuwindows.h"
#include "monitorline.h"
#include "swipeplayer.h"

namespace {

TEST(SwipeOption, ReadsAddressNumberAndDirection) {
    const auto s = ctlsim::parseSwipe(QStringLiteral(" 5:1234567:4 "));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->address, 5);
    EXPECT_EQ(s->physical, QStringLiteral("0001234567"));
    EXPECT_EQ(s->flag, 4);
    for (const char* bad : {"100:1:1", "-1:1:1", "5:12345678901:1", "5:12a4:1", "5::1", "5:1:0", "5:1:5", "5:1", "",
                            "a:1:1", "5:1:1:1"})
        EXPECT_FALSE(ctlsim::parseSwipe(QString::fromLatin1(bad))) << bad;
}

class PlayedSwipes : public MonitorLine {};

TEST_F(PlayedSwipes, OpenTheLockTheyPassWhichTheMonitorShowsUntilItClosesAgain) {
    exec(QStringLiteral("insert into doors (地址,dtype1,dtype2) values ('5','玻','鐵')"));
    holder(QStringLiteral("000123"), QStringLiteral("陳大文"), QStringLiteral("東座"), QStringLiteral("技工"), QString(), 5);
    sim->edit(5, [](ctlsim::Controller& c) { c.delay[1] = 14; });  // lock 2 opens for a second
    ctlsim::SwipePlayer player(*sim, {5, 6, 7}, {*ctlsim::parseSwipe(QStringLiteral("5:0000000123:3"))});
    FrmssjsN w;
    ASSERT_TRUE(w.Form_Load());
    ASSERT_TRUE(player.playNext());
    ASSERT_TRUE(waitUntil([&] { return w.doorlist->text(2, 4) == QStringLiteral("陳大文"); }));
    EXPECT_EQ(w.doorlist->text(2, 2), QStringLiteral("開"));
    EXPECT_EQ(w.doorlist->text(2, 7), QStringLiteral("進門"));
    EXPECT_TRUE(waitUntil([&] { return pending(5) == 0; }));  // the simulator takes the acknowledgement in its own time
    ASSERT_TRUE(waitUntil([&] { return w.doorlist->text(2, 2) == QStringLiteral("關"); }, 4000));
    EXPECT_EQ(w.doorlist->text(1, 2), QStringLiteral("關"));
}

TEST_F(PlayedSwipes, WithoutSwipesGivenTheCardsHeldGoInAndOut) {
    ctlsim::SwipePlayer player(*sim, {5, 6, 7}, {});
    EXPECT_FALSE(player.playNext());  // no card held anywhere yet
    sim->edit(5, [](ctlsim::Controller& c) { c.cards[QStringLiteral("000123")].physical = QStringLiteral("0000000123"); });
    sim->edit(7, [](ctlsim::Controller& c) { c.cards[QStringLiteral("000456")].physical = QStringLiteral("0000000456"); });
    std::vector<std::tuple<int, QString, int>> played;
    for (int i = 0; i < 4; ++i) {
        const auto s = player.playNext();
        ASSERT_TRUE(s);
        played.emplace_back(s->address, s->physical, s->flag);
    }
    EXPECT_EQ(played, (std::vector<std::tuple<int, QString, int>>{
                          {5, "0000000123", 1}, {7, "0000000456", 1}, {5, "0000000123", 2}, {7, "0000000456", 2}}));
    EXPECT_EQ(pending(5), 2u);
    EXPECT_TRUE(sim->controller(7).lockOpenedAt[0].isValid());

    // Nobody takes them: a controller keeps a bounded queue.
    for (std::size_t i = 0; i < 2 * ctlsim::SwipePlayer::queueLimit; ++i)
        player.playNext();
    EXPECT_EQ(pending(5), ctlsim::SwipePlayer::queueLimit);
}

TEST_F(PlayedSwipes, PlayedAtIntervalsInAThreadOfTheirOwn) {
    auto player = std::make_unique<ctlsim::SwipePlayer>(*sim, std::vector<int>{5},
                                                        std::vector{*ctlsim::parseSwipe(QStringLiteral("5:1:1"))});
    player->start(std::chrono::milliseconds(50));
    ASSERT_TRUE(waitUntil([&] { return pending(5) >= 3; }, 2000));
    player.reset();  // stops at once
    const std::size_t left = pending(5);
    runEvents(150);
    EXPECT_EQ(pending(5), left);
}

TEST_F(PlayedSwipes, MenuEntriesOpenTheMonitorsOnTheLine) {
    exec(QStringLiteral("insert into doors (地址,dtype1) values ('5','玻')"));
    installMenuWindows();
    std::unique_ptr<QWidget> lockMonitor(dispatch::find(21)->open());
    auto* locks = qobject_cast<FrmssjsN*>(lockMonitor.get());
    ASSERT_NE(locks, nullptr);
    EXPECT_TRUE(locks->Comm.PortOpen());
    EXPECT_EQ(dispatch::find(21)->shown, dispatch::Shown::Modal);
    lockMonitor.reset();
    std::unique_ptr<QWidget> display(dispatch::find(34)->open());
    auto* swipes = qobject_cast<FrmSSXX*>(display.get());
    ASSERT_NE(swipes, nullptr);
    EXPECT_TRUE(swipes->MSComm1.PortOpen());
    EXPECT_EQ(dispatch::find(34)->shown, dispatch::Shown::Modal);
    dispatch::setTable({});
}

}  // namespace
