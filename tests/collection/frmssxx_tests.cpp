// The full-screen live swipe display against the simulated line.
#include "exchanges.h"
#include "fit.h"
#include "frames.h"
#include "frmssxx.h"
#include "monitorline.h"
#include "photobox.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QTime>

namespace {

class SwipeDisplay : public MonitorLine {
protected:
    void SetUp() override {
        MonitorLine::SetUp();
        QFile::copy(QStringLiteral(KESTROM_PROGRAM_DIR "/face05.ico"), file(QStringLiteral("face05.ico")));
        for (int a : {5, 6, 7})
            exec(QStringLiteral("insert into doors (地址,dtype1,dtype2) values ('%1','玻','玻')").arg(a));
        QDir(folder()).mkdir(QStringLiteral("相片"));
        redPhoto = photoFile(QStringLiteral("相片/歐陽.jpg"), Qt::red);
        holder(QStringLiteral("000123"), QStringLiteral("歐陽小明明"), QStringLiteral("東座大樓管理處"),
               QStringLiteral("保安主任"), redPhoto, 5);
    }
    void TearDown() override {
        w.reset();
        MonitorLine::TearDown();
    }
    QString photoFile(const QString& name, Qt::GlobalColor colour) {
        QImage picture(120, 160, QImage::Format_RGB32);
        picture.fill(colour);
        const QString path = file(name);
        EXPECT_TRUE(picture.save(path, "JPG"));
        return path;
    }
    FrmSSXX& open() {
        w = std::make_unique<FrmSSXX>();
        w->show();
        return *w;
    }
    // The six values top to bottom: card, name, time, building, job, channel.
    std::vector<QString> shown() const {
        std::vector<QString> v;
        for (int i : {5, 0, 1, 2, 3, 4})
            v.push_back(w->Label2[std::size_t(i)]->text());
        return v;
    }
    QRgb photoMiddle() const {
        const QImage p = w->Image1->picture();
        return p.isNull() ? 0 : p.pixel(p.width() / 2, p.height() / 2) & 0xFFFFFF;
    }
    bool showsFace05() const {
        return !w->Image1->picture().isNull() &&
               w->Image1->picture() == photo::PhotoBox::readPicture(file(QStringLiteral("face05.ico")));
    }
    bool shows(const QString& card) const { return w->Label2[5]->text() == card; }
    static bool nearlyRed(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }

    QString redPhoto;
    std::unique_ptr<FrmSSXX> w;
};

TEST_F(SwipeDisplay, ShowsTheHolderWithPhotoAndAcknowledges) {
    swipe(6, physicalOf("000123"), 2);  // the card is issued at 5; it swipes at 6
    open();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("     實時監視進出門打卡情況"));
    EXPECT_EQ(w->addresses(), (QStringList{"5", "6", "7"}));
    ASSERT_TRUE(waitUntil([&] { return shows("000123"); }));
    const auto v = shown();
    EXPECT_EQ(v[0], QStringLiteral("000123"));
    EXPECT_EQ(v[1], QStringLiteral("歐陽小明明"));
    EXPECT_LE(qAbs(QTime::fromString(v[2], QStringLiteral("HH:mm:ss")).secsTo(QTime::currentTime())), 5);
    EXPECT_EQ(v[3], QStringLiteral("東座大樓管理處"));
    EXPECT_EQ(v[4], QStringLiteral("保安主任"));
    EXPECT_EQ(v[5], QStringLiteral("6-1出"));
    EXPECT_TRUE(nearlyRed(photoMiddle()));
    ASSERT_TRUE(waitUntil([&] { return pending(6) == 0; }));
    ASSERT_EQ(framesOf(frames::cmdAckSwipe).size(), 1u);
    EXPECT_EQ(framesOf(frames::cmdAckSwipe)[0], *frames::AckSwipeFrame(6));
    EXPECT_EQ(count(QStringLiteral("data")), 0);

    // Each address is asked in turn, one per tick.
    ASSERT_TRUE(waitUntil([&] { return framesOf(frames::cmdReadSwipe).size() >= 6; }));
    const auto asked = framesOf(frames::cmdReadSwipe);
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(asked[i], *frames::ReadSwipeFrame(5 + int(i % 3))) << i;
    EXPECT_EQ(testsupport::fitProblems(w.get()), QStringList());
}

TEST_F(SwipeDisplay, EverySwipeReplacesEveryValueAndThePhoto) {
    // A second person with no photo, and a third with Null fields and a
    // photo file that is gone.
    holder(QStringLiteral("000456"), QStringLiteral("李四"), QStringLiteral("西座"), QStringLiteral("清潔"), QString(), 5);
    exec(QStringLiteral("insert into people (卡號,照片) values ('000789','%1')").arg(file(QStringLiteral("相片/gone.jpg"))));
    issue(QStringLiteral("000789"), 7);
    open();

    swipe(5, physicalOf("000123"), 1);
    ASSERT_TRUE(waitUntil([&] { return shows("000123"); }));
    EXPECT_TRUE(nearlyRed(photoMiddle()));

    swipe(5, physicalOf("000456"), 3);
    ASSERT_TRUE(waitUntil([&] { return shows("000456"); }));
    EXPECT_EQ(shown()[1], QStringLiteral("李四"));
    EXPECT_EQ(shown()[5], QStringLiteral("5-2進"));
    EXPECT_TRUE(showsFace05());

    swipe(5, physicalOf("000123"), 1);
    ASSERT_TRUE(waitUntil([&] { return shows("000123"); }));
    swipe(7, physicalOf("000789"), 4);
    ASSERT_TRUE(waitUntil([&] { return shows("000789"); }));
    const auto v = shown();
    EXPECT_EQ(v[1], QString());
    EXPECT_EQ(v[3], QString());
    EXPECT_EQ(v[4], QString());
    EXPECT_EQ(v[5], QStringLiteral("7-2出"));
    EXPECT_TRUE(showsFace05());  // never the photo of the one before

    // A direction code out of range: shown, but with no channel of another swipe beside it.
    swipe(6, physicalOf("000456"), 5);
    ASSERT_TRUE(waitUntil([&] { return shows("000456"); }));
    EXPECT_EQ(shown()[5], QString());
    EXPECT_EQ(shown()[1], QStringLiteral("李四"));

    // A card nobody holds: acknowledged, and the display emptied.
    swipe(6, QStringLiteral("9999999999"), 1);
    ASSERT_TRUE(waitUntil([&] { return pending(6) == 0 && shown()[0].isEmpty(); }));
    EXPECT_EQ(shown(), std::vector<QString>(6));
    EXPECT_FALSE(w->Image1->hasPicture());
    EXPECT_EQ(framesOf(frames::cmdAckSwipe).size(), 6u);
}

TEST_F(SwipeDisplay, ALookUpTheDatabaseRefusesIsToldAndLeavesNobodyShown) {
    open();
    swipe(5, physicalOf("000123"), 1);
    ASSERT_TRUE(waitUntil([&] { return shows("000123"); }));
    rawSql("drop view fakapl");
    rawSql("alter table faka rename to faka_elsewhere");
    swipe(5, physicalOf("000123"), 2);
    ASSERT_TRUE(waitUntil([&] { return pending(5) == 0; }));
    ASSERT_TRUE(waitUntil([&] { return !dialogs.messages.empty(); }));
    EXPECT_EQ(shown(), std::vector<QString>(6));
    EXPECT_FALSE(w->Image1->hasPicture());
}

TEST_F(SwipeDisplay, RepliesThatAreNotAcknowledged) {
    exec(QStringLiteral("delete * from doors where 地址<>5"));  // every ReadSwipe goes to 5
    swipe(5, physicalOf("000123"), 1);
    // From another address; then cut short of its nine bytes.
    sim->scriptNext(frames::cmdReadSwipe, script([](ctlsim::Script& s) { s.replyAddress = 6; }));
    sim->scriptNext(frames::cmdReadSwipe, script([](ctlsim::Script& s) { s.cutAfter = 6; }));
    open();
    ASSERT_TRUE(waitUntil([&] { return framesOf(frames::cmdReadSwipe).size() >= 2; }));
    ASSERT_TRUE(waitUntil([&] { return !w->isBusy(); }));
    EXPECT_EQ(framesOf(frames::cmdAckSwipe).size(), 0u);
    EXPECT_EQ(pending(5), 1u);
    EXPECT_EQ(shown()[0], QString());

    // Then whole, with more bytes after it: read to the record's end.
    sim->scriptNext(frames::cmdReadSwipe, script([](ctlsim::Script& s) { s.after = QByteArray::fromHex("0504"); }));
    ASSERT_TRUE(waitUntil([&] { return shows("000123"); }, 8000));
    EXPECT_EQ(shown()[5], QStringLiteral("5-1進"));
    EXPECT_TRUE(waitUntil([&] { return pending(5) == 0; }));  // the simulator takes the acknowledgement in its own time
    EXPECT_EQ(framesOf(frames::cmdAckSwipe).size(), 1u);
}

TEST_F(SwipeDisplay, TheSecondMinuteClearsTheDisplayOnce) {
    auto clock = std::make_shared<ManualClock>();
    serial::setWaitClock(clock);
    open();
    clock->set(110);
    swipe(5, physicalOf("000123"), 1);
    ASSERT_TRUE(waitUntil([&] { return shows("000123"); }));
    clock->set(119);
    runEvents(500);
    EXPECT_TRUE(shows("000123"));
    EXPECT_TRUE(w->Image1->hasPicture());
    clock->set(120.5);
    ASSERT_TRUE(waitUntil([&] { return shown()[0].isEmpty(); }));
    EXPECT_EQ(shown(), std::vector<QString>(6));
    EXPECT_FALSE(w->Image1->hasPicture());
    EXPECT_FALSE(w->Timer2.isActive());

    // Nothing clears a later swipe but the next one.
    swipe(5, physicalOf("000123"), 2);
    ASSERT_TRUE(waitUntil([&] { return shows("000123"); }));
    clock->set(1000);
    runEvents(500);
    EXPECT_TRUE(shows("000123"));
    EXPECT_EQ(shown()[5], QStringLiteral("5-1出"));
}

TEST_F(SwipeDisplay, APortThatWontOpenIsShownInTheLabelAndNothingIsSent) {
    QFile::link(QStringLiteral("/nonexistent/tty"), file(QStringLiteral("com3")));
    app::comport = 3;
    open();
    const QString text = w->Label4->text();
    EXPECT_TRUE(text.startsWith(QStringLiteral("8002    端口 (com3) "))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("請進入系統配置重新設置端口號！"))) << text.toStdString();
    runEvents(350);
    EXPECT_TRUE(sim->received().empty());
    EXPECT_EQ(testsupport::fitProblems(w.get()), QStringList());
}

TEST_F(SwipeDisplay, WithoutDoorsItSaysSoAndAsksNothing) {
    exec(QStringLiteral("delete * from doors"));
    open();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{QStringLiteral("請先進行門鎖設置！")});
    EXPECT_FALSE(w->MSComm1.PortOpen());
    runEvents(350);
    EXPECT_TRUE(sim->received().empty());
}

TEST_F(SwipeDisplay, ClosingWhileTheRestOfARecordIsAwaited) {
    swipe(5, physicalOf("000123"), 1);
    sim->scriptNext(frames::cmdReadSwipe, script([](ctlsim::Script& s) { s.cutAfter = 1; }));
    open();
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (w->isBusy() && !framesOf(frames::cmdReadSwipe).empty()) {
            closer.stop();
            w->close();
        }
    });
    closer.start(2);
    ASSERT_TRUE(waitUntil([&] { return !w->isVisible() && !w->isBusy(); }));
    EXPECT_FALSE(w->MSComm1.PortOpen());
    EXPECT_FALSE(w->TimerScanTD.isActive());
    const std::size_t sent = sim->received().size();
    runEvents(300);
    EXPECT_EQ(sim->received().size(), sent);
    EXPECT_EQ(pending(5), 1u);
}

}  // namespace
