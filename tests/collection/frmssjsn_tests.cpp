// The lock and swipe monitor against the simulated line.
#include "fit.h"
#include "frames.h"
#include "frmssjsn.h"
#include "monitorline.h"
#include "serialport.h"
#include "exchanges.h"

#include <QAction>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {

class LockMonitor : public MonitorLine {
protected:
    void SetUp() override {
        MonitorLine::SetUp();
        // 5: both locks, named; 6: lock 1 only, its name empty; 7: lock 2
        // only, unnamed; 8: no lock at all (it answers nothing).
        exec(QStringLiteral("insert into doors (地址,namedr1,dtype1,namedr2,dtype2) values ('5','東門大堂正門','玻','西門','鐵')"));
        exec(QStringLiteral("insert into doors (地址,namedr1,dtype1) values ('6','','木')"));
        exec(QStringLiteral("insert into doors (地址,namedr2,dtype2) values ('7',null,'玻')"));
        exec(QStringLiteral("insert into doors (地址) values ('8')"));
    }
    void TearDown() override {
        w.reset();
        MonitorLine::TearDown();
    }
    FrmssjsN& open() {
        w = std::make_unique<FrmssjsN>();
        EXPECT_TRUE(w->Form_Load());
        w->show();
        return *w;
    }
    int rowOf(const QString& text) const {
        for (int r = 1; r <= w->doorlist->rowCount(); ++r)
            if (w->doorlist->text(r, 1) == text)
                return r;
        return -1;
    }
    QString cell(const QString& row, int column) const { return w->doorlist->text(rowOf(row), column); }
    // Every controller asked for its locks at least `rounds` more times.
    void rounds(int n) {
        const std::size_t from = framesOf(frames::cmdReadLockState).size();
        ASSERT_TRUE(waitUntil([&] { return framesOf(frames::cmdReadLockState).size() >= from + 4 * std::size_t(n); }));
        ASSERT_TRUE(waitUntil([&] { return !w->isBusy(); }));
    }
    // For each acknowledgement of a swipe of the controller, how many swipe
    // reads it had been sent before it.
    std::vector<std::size_t> acknowledgedAfterReads(int address) {
        std::size_t asked = 0;
        std::vector<std::size_t> after;
        for (const QByteArray& f : sim->received()) {
            if (f == *frames::ReadSwipeFrame(address))
                ++asked;
            else if (f == *frames::AckSwipeFrame(address))
                after.push_back(asked);
        }
        return after;
    }
    void override(int address, std::uint8_t state) {
        sim->edit(address, [state](ctlsim::Controller& c) { c.lockStateOverride = state; });
    }

    std::unique_ptr<FrmssjsN> w;
};

TEST_F(LockMonitor, ListsEveryPresentLockAndPollsEveryController) {
    open();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("實時監控門鎖狀態"));
    ASSERT_EQ(w->doorlist->columnCount(), 8);
    const QStringList captions{"通道描述", "門鎖狀態", "卡號", "姓名", "大廈", "職務", "進出狀態", "進出時間"};
    for (int c = 1; c <= 8; ++c)
        EXPECT_EQ(w->doorlist->columnCaption(c), captions[c - 1]);
    std::vector<QString> rows;
    for (int r = 1; r <= w->doorlist->rowCount(); ++r) {
        rows.push_back(w->doorlist->text(r, 1));
        EXPECT_EQ(w->doorlist->text(r, 2), QStringLiteral("?"));
        EXPECT_EQ(w->doorlist->picture(r), 3);
    }
    EXPECT_EQ(rows, (std::vector<QString>{"5-1*東門大堂正門", "5-2*西門", "6-1*", "7-2"}));
    EXPECT_EQ(w->controllers(), (std::vector<int>{5, 6, 7, 8}));
    EXPECT_TRUE(w->Comm.PortOpen());

    // One controller per tick, in turn, 8 included although it has no lock.
    ASSERT_TRUE(waitUntil([&] { return framesOf(frames::cmdReadLockState).size() >= 8; }));
    const auto asked = framesOf(frames::cmdReadLockState);
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(asked[i], *frames::ReadLockStateFrame(5 + int(i % 4))) << i;
    const auto times = sim->receivedTimes();
    EXPECT_GE(times.back() - times.front(), 500);  // a tick of 100 ms each
}

TEST_F(LockMonitor, ShowsTheStateByteOfEachController) {
    exec(QStringLiteral("insert into doors (地址,dtype1,dtype2) values ('9','玻','玻')"));
    sim->addController(9);
    struct Case {
        int address;
        std::uint8_t state;
        std::vector<std::pair<QString, QString>> rows;  // row text, state shown
    };
    // 6 has lock 1 only and 7 lock 2 only: the other half of their byte has no row.
    const Case cases[] = {{5, 0x24, {{"5-1*東門大堂正門", "開"}, {"5-2*西門", "關"}}},
                          {6, 0x22, {{"6-1*", "關"}}},
                          {7, 0x42, {{"7-2", "開"}}},
                          {9, 0x44, {{"9-1", "開"}, {"9-2", "開"}}}};
    for (const Case& c : cases)
        override(c.address, c.state);
    open();
    ASSERT_TRUE(waitUntil([&] { return cell("9-2", 2) == QStringLiteral("開") && cell("7-2", 2) == QStringLiteral("開"); }));
    rounds(1);
    for (const Case& c : cases)
        for (const auto& [row, state] : c.rows) {
            EXPECT_EQ(cell(row, 2), state) << row.toStdString();
            EXPECT_EQ(w->doorlist->picture(rowOf(row)), state == QStringLiteral("關") ? 1 : 2) << row.toStdString();
        }

    // An odd byte shows both locks as "?".
    override(5, 0x23);
    ASSERT_TRUE(waitUntil([&] { return cell("5-1*東門大堂正門", 2) == QStringLiteral("?"); }));
    EXPECT_EQ(cell("5-2*西門", 2), QStringLiteral("?"));
    EXPECT_EQ(w->doorlist->picture(rowOf("5-2*西門")), 3);

    // So does a reply from another address, whatever the byte says.
    for (int i = 0; i < 5; ++i)
        sim->scriptNext(frames::cmdReadLockState, script([](ctlsim::Script& s) { s.replyAddress = 99; }));
    ASSERT_TRUE(waitUntil([&] { return cell("6-1*", 2) == QStringLiteral("?") && cell("9-2", 2) == QStringLiteral("?"); }));
    for (int r = 1; r <= w->doorlist->rowCount(); ++r) {
        EXPECT_EQ(w->doorlist->text(r, 2), QStringLiteral("?")) << r;
        EXPECT_EQ(w->doorlist->picture(r), 3) << r;
    }
}

TEST_F(LockMonitor, ShowsAndAcknowledgesASwipeOnTheLockItPassed) {
    holder(QStringLiteral("000123"), QStringLiteral("歐陽小明明"), QStringLiteral("東座大樓管理處"),
           QStringLiteral("保安主任"), QString(), 5);
    override(5, 0x42);  // lock 2 open
    swipe(5, physicalOf("000123"), 4);
    open();
    const QString lock2 = QStringLiteral("5-2*西門");
    ASSERT_TRUE(waitUntil([&] { return !cell(lock2, 3).isEmpty(); }));
    EXPECT_EQ(cell(lock2, 3), QStringLiteral("000123"));
    EXPECT_EQ(cell(lock2, 4), QStringLiteral("歐陽小明明"));
    EXPECT_EQ(cell(lock2, 5), QStringLiteral("東座大樓管理處"));
    EXPECT_EQ(cell(lock2, 6), QStringLiteral("保安主任"));
    EXPECT_EQ(cell(lock2, 7), QStringLiteral("出門"));
    const QDateTime shown = QDateTime::fromString(cell(lock2, 8), QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    EXPECT_LE(qAbs(shown.secsTo(QDateTime::currentDateTime())), 5);
    EXPECT_EQ(cell("5-1*東門大堂正門", 3), QString());
    EXPECT_EQ(cell(lock2, 2), QStringLiteral("開"));
    // Acknowledged: the controller's queue is empty.
    ASSERT_TRUE(waitUntil([&] { return pending(5) == 0; }));
    ASSERT_EQ(framesOf(frames::cmdAckSwipe).size(), 1u);
    EXPECT_EQ(framesOf(frames::cmdAckSwipe)[0], *frames::AckSwipeFrame(5));
    // The database is not written.
    EXPECT_EQ(count(QStringLiteral("data")), 0);

    // The same card again, in the other direction: the row stays as it was.
    const QString before = cell(lock2, 8);
    runEvents(1100);
    swipe(5, physicalOf("000123"), 3);
    ASSERT_TRUE(waitUntil([&] { return pending(5) == 0; }));
    rounds(1);
    EXPECT_EQ(cell(lock2, 7), QStringLiteral("出門"));
    EXPECT_EQ(cell(lock2, 8), before);
}

TEST_F(LockMonitor, SwipesThatAreAcknowledgedButNotShown) {
    holder(QStringLiteral("000123"), QStringLiteral("陳大文"), QStringLiteral("東座"), QStringLiteral("技工"), QString(), 5);
    override(5, 0x24);
    override(6, 0x24);
    sim->addController(8);
    override(8, 0x24);
    swipe(5, physicalOf("000123"), 1);
    open();
    const QString lock1 = QStringLiteral("5-1*東門大堂正門");
    ASSERT_TRUE(waitUntil([&] { return cell(lock1, 4) == QStringLiteral("陳大文"); }));

    // A number no issued card carries empties the row it passed.
    swipe(5, QStringLiteral("00000A9999"), 2);
    ASSERT_TRUE(waitUntil([&] { return cell(lock1, 3).isEmpty(); }));
    for (int column = 3; column <= 8; ++column)
        EXPECT_EQ(cell(lock1, column), QString()) << column;
    EXPECT_TRUE(waitUntil([&] { return pending(5) == 0; }));  // the simulator takes the acknowledgement in its own time

    // Lock 2 of 6, which has no lock 2; a direction code out of range; a
    // controller with no lock at all: acknowledged, shown nowhere.
    swipe(6, physicalOf("000123"), 3);
    swipe(6, physicalOf("000123"), 5);
    swipe(8, physicalOf("000123"), 1);
    ASSERT_TRUE(waitUntil([&] { return pending(6) == 0 && pending(8) == 0; }));
    EXPECT_EQ(cell("6-1*", 3), QString());
    EXPECT_EQ(framesOf(frames::cmdAckSwipe).size(), 5u);
}

TEST_F(LockMonitor, ASwipeReplyCutShortIsNotAcknowledgedOneWithMoreIsReadToItsEnd) {
    holder(QStringLiteral("000123"), QStringLiteral("陳大文"), QStringLiteral("東座"), QStringLiteral("技工"), QString(), 5);
    override(5, 0x24);
    swipe(5, physicalOf("000123"), 1);
    sim->scriptNext(frames::cmdReadSwipe, script([](ctlsim::Script& s) { s.cutAfter = 8; }));
    open();
    // The short reply waits out its 3 s and goes unacknowledged.
    ASSERT_TRUE(waitUntil([&] { return framesOf(frames::cmdReadSwipe).size() >= 1; }));
    ASSERT_TRUE(waitUntil([&] { return framesOf(frames::cmdReadLockState).size() >= 2; }));
    EXPECT_EQ(framesOf(frames::cmdAckSwipe).size(), 0u);
    EXPECT_EQ(pending(5), 1u);
    EXPECT_EQ(cell("5-1*東門大堂正門", 3), QString());

    // Then it comes whole, with stray bytes after it: shown and acknowledged.
    sim->scriptNext(frames::cmdReadSwipe, script([](ctlsim::Script& s) { s.after = QByteArray::fromHex("0504ffff"); }));
    ASSERT_TRUE(waitUntil([&] { return pending(5) == 0; }, 8000));
    EXPECT_EQ(framesOf(frames::cmdAckSwipe).size(), 1u);
    ASSERT_TRUE(waitUntil([&] { return cell("5-1*東門大堂正門", 4) == QStringLiteral("陳大文"); }));
    EXPECT_EQ(cell("5-1*東門大堂正門", 7), QStringLiteral("進門"));
}

// A reply with more than the record and four spare bytes is malformed, however
// its first nine bytes read: neither acknowledged nor shown, so the
// controller keeps the swipe and gives it again, whole.
TEST_F(LockMonitor, ASwipeReplyOfMoreThanThirteenBytesIsNeitherAcknowledgedNorShown) {
    holder(QStringLiteral("000123"), QStringLiteral("陳大文"), QStringLiteral("東座"), QStringLiteral("技工"), QString(), 5);
    override(5, 0x24);
    swipe(5, physicalOf("000123"), 1);
    const std::vector<int> overlong = {14, 29, 100'000};
    for (int size : overlong)
        sim->scriptNext(frames::cmdReadSwipe,
                        script([size](ctlsim::Script& s) { s.after = QByteArray(size - 9, char(0x11)); }));
    open();
    const QString lock1 = QStringLiteral("5-1*東門大堂正門");
    ASSERT_TRUE(waitUntil([&] { return pending(5) == 0; }, 20000));
    ASSERT_TRUE(waitUntil([&] { return cell(lock1, 4) == QStringLiteral("陳大文"); }));
    // The one acknowledgement follows the first reply of the record alone.
    EXPECT_EQ(acknowledgedAfterReads(5), std::vector<std::size_t>{overlong.size() + 1});
}

// At the line's speed a reply comes a byte at a time: its length is judged
// when it has all come, not when its first nine bytes are there.
TEST_F(LockMonitor, AtLineSpeedASwipeReplyIsJudgedByItsWholeLength) {
    serial::setWaitClock(nullptr);  // the line's own time
    sim->setPacing(true);
    holder(QStringLiteral("000123"), QStringLiteral("陳大文"), QStringLiteral("東座"), QStringLiteral("技工"), QString(), 5);
    override(5, 0x24);
    swipe(5, physicalOf("000123"), 1);
    for (int spare : {5, 4})  // fourteen bytes, then thirteen
        sim->scriptNext(frames::cmdReadSwipe, script([spare](ctlsim::Script& s) { s.after = QByteArray(spare, char(0x11)); }));
    open();
    ASSERT_TRUE(waitUntil([&] { return pending(5) == 0; }, 15000));
    ASSERT_TRUE(waitUntil([&] { return cell("5-1*東門大堂正門", 4) == QStringLiteral("陳大文"); }));
    EXPECT_EQ(acknowledgedAfterReads(5), std::vector<std::size_t>{2});
}

TEST_F(LockMonitor, ClosingDuringTheSwipeWaitEndsTheHandlerSafely) {
    override(5, 0x24);
    swipe(5, physicalOf("000123"), 1);
    sim->scriptNext(frames::cmdReadSwipe, script([](ctlsim::Script& s) { s.silent = true; }));
    open();
    // Closed from inside the handler's wait, as the operator's click would be.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!framesOf(frames::cmdReadSwipe).empty() && w->isBusy()) {
            closer.stop();
            w->closew->click();
        }
    });
    closer.start(5);
    ASSERT_TRUE(waitUntil([&] { return !w->isVisible(); }));
    ASSERT_TRUE(waitUntil([&] { return !w->isBusy(); }));
    EXPECT_FALSE(w->Comm.PortOpen());
    EXPECT_FALSE(w->Timer1.isActive());
    const std::size_t sent = sim->received().size();
    runEvents(400);
    EXPECT_EQ(sim->received().size(), sent);
    EXPECT_EQ(framesOf(frames::cmdAckSwipe).size(), 0u);
}

TEST_F(LockMonitor, APortHeldElsewhereIsReportedAndTheWindowDoesNotOpen) {
    serial::SerialPort elsewhere;
    controller::configurePort(elsewhere);
    elsewhere.setPortOpen(true);
    FrmssjsN window;
    EXPECT_FALSE(window.Form_Load());
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{QStringLiteral("串口沒有打開！")});
    EXPECT_FALSE(window.Timer1.isActive());
}

TEST_F(LockMonitor, WithoutControllersNothingIsPolled) {
    exec(QStringLiteral("delete * from doors"));
    FrmssjsN window;
    EXPECT_TRUE(window.Form_Load());  // the port is opened all the same
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{QStringLiteral("請先設置門號地址！")});
    EXPECT_EQ(window.doorlist->columnCount(), 0);
    EXPECT_EQ(window.doorlist->rowCount(), 0);
    runEvents(350);
    EXPECT_TRUE(sim->received().empty());
}

TEST_F(LockMonitor, ViewsByButtonAndToolBar) {
    open();
    const auto toolButton = [&](const char* key) {
        for (QAction* a : w->Toolbar1->actions())
            if (a->data().toString() == QLatin1String(key))
                return w->Toolbar1->widgetForAction(a);
        return static_cast<QWidget*>(nullptr);
    };
    QTest::mouseClick(w->ico, Qt::LeftButton);
    EXPECT_EQ(w->doorlist->view(), ListView::lvwIcon);
    QTest::mouseClick(toolButton("list"), Qt::LeftButton);
    EXPECT_EQ(w->doorlist->view(), ListView::lvwList);
    QTest::mouseClick(toolButton("smallico"), Qt::LeftButton);
    EXPECT_EQ(w->doorlist->view(), ListView::lvwSmallIcon);
    w->Toolbar1_ButtonClick(QStringLiteral("other"));
    EXPECT_EQ(w->doorlist->view(), ListView::lvwSmallIcon);
    QTest::mouseClick(toolButton("detail"), Qt::LeftButton);
    EXPECT_EQ(w->doorlist->view(), ListView::lvwReport);
    QTest::mouseClick(w->list, Qt::LeftButton);
    EXPECT_EQ(w->doorlist->view(), ListView::lvwList);
    QTest::mouseClick(w->details, Qt::LeftButton);
    EXPECT_EQ(w->doorlist->view(), ListView::lvwReport);
    EXPECT_EQ(testsupport::fitProblems(w.get()), QStringList());
    QTest::mouseClick(w->closew, Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(w->Comm.PortOpen());
}

}  // namespace
