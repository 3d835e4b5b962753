// The unattended collection over every controller of doors.
#include "collectionline.h"
#include "form2.h"
#include "frmzdcj.h"
#include "runlog.h"
#include "sedafile.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QPushButton>

namespace {

class UnattendedCollection : public CollectionLine {
protected:
    void TearDown() override {
        window.reset();
        CollectionLine::TearDown();
    }
    // Shows the window as the menu does and lets its run go to the end.
    FrmZDCJ& run(const std::function<void(FrmZDCJ&)>& during = {}) {
        window = std::make_unique<FrmZDCJ>();
        bool called = false;
        if (during)  // runs inside the run's waits
            QTimer::singleShot(150, window.get(), [&] {
                called = true;
                during(*window);
            });
        window->show();
        window->activateWindow();
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 200 || (window->isVisible() && t.elapsed() < 30000))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        EXPECT_FALSE(window->isVisible()) << "the run closes its window";
        EXPECT_EQ(called, bool(during));
        return *window;
    }
    std::vector<int> collectedAddresses() const {
        std::vector<int> out;
        for (const QByteArray& f : sim->received())
            if (f.size() == 3 && f[2] == 0x11)
                out.push_back(f[0]);
        return out;
    }
    QString lab() const { return window->Lab->text(); }
    static QString fileText(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    static QString sedaText() { return fileText(seda::sedaFile()); }
    // The outcome of a run as the main window and the log show it: when,
    // then what.
    static void expectOutcome(const QString& outcome, const QString& what) {
        static const QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2} 自動采集: "));
        const auto m = stamp.match(outcome);
        ASSERT_TRUE(m.hasMatch()) << outcome.toStdString();
        EXPECT_EQ(outcome.mid(m.capturedLength()), what);
    }

    std::unique_ptr<FrmZDCJ> window;
};

TEST_F(UnattendedCollection, EveryControllerInTableOrderThroughSedaDat) {
    addDoors({7, 3, 5});
    QStringList expected;
    for (int a : {7, 3, 5}) {
        const auto records = ctlsim::sampleRecords(a, 20 + a, QDate(2026, 12, 10));
        holdRecords(a, records);
        expected << expectedRows(a, records);
    }
    expected.sort();
    run();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("自動采集數据"));
    EXPECT_EQ(collectedAddresses(), (std::vector<int>{7, 3, 5}));
    EXPECT_EQ(app::cjcount, 2);
    EXPECT_EQ(app::cjaddr[0], 7);
    EXPECT_EQ(dataRows(), expected);
    EXPECT_EQ(lab(), QStringLiteral("正确采集到  25 條記錄\r\n   已經存入"));
    EXPECT_EQ(window->LabDoor->text(), QStringLiteral("門禁控制器 5 (第 3 台, 共 3 台)"));
    EXPECT_EQ(window->Bar->value(), 25);
    EXPECT_FALSE(QFile::exists(seda::sedaFile()));
    EXPECT_FALSE(window->MSComm1.PortOpen());
    EXPECT_EQ(sim->controller(7).records.size(), 27u);  // never cleared

    // A second run the same minute reads them all again and adds nothing.
    run();
    EXPECT_EQ(dataRows(), expected);
}

TEST_F(UnattendedCollection, AFullMemoryPouredOutAtOnceLosesNoRecord) {
    // Five hundred records are far more than the port's buffer holds.
    addDoors({5, 6});
    const auto records = ctlsim::sampleRecords(5, 500, QDate(2026, 12, 10));
    holdRecords(5, records);
    holdRecords(6, ctlsim::sampleRecords(6, 500, QDate(2026, 12, 10)));
    run();
    EXPECT_EQ(dataRows(QStringLiteral("where 地址=5")), expectedRows(5, records));
    EXPECT_EQ(count(QStringLiteral("data"), QStringLiteral("地址=6")) + count(QStringLiteral("data"), QStringLiteral("地址=5")),
              count(QStringLiteral("data")));
    EXPECT_EQ(lab(), QStringLiteral("正确采集到  500 條記錄\r\n   已經存入"));
}

TEST_F(UnattendedCollection, SilentAndEmptyControllersAreSkipped) {
    addDoors({1, 2, 3, 4});
    holdRecords(2, ctlsim::sampleRecords(2, 5));
    sim->scriptNext(0x11, silence());  // address 1
    run();
    EXPECT_EQ(collectedAddresses(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(count(QStringLiteral("data")), 5);
    EXPECT_EQ(lab(), QStringLiteral("終端沒有數据輸出!"));  // the last has no records

    const struct {
        ctlsim::Script script;
        QString text;
    } last[] = {
        {silence(), QStringLiteral("沒有數据輸出!")},
        {fromAddress(9), QStringLiteral("終端沒有數据輸出!")},
        {script([](ctlsim::Script& s) { s.recordsBeforeBreak = 2; }), QStringLiteral("數据輸出故障!")},
    };
    holdRecords(4, ctlsim::sampleRecords(4, 5, QDate(2025, 1, 1)));
    for (const auto& c : last) {
        for (int i = 0; i < 3; ++i)
            sim->scriptNext(0x11, ctlsim::Script{});
        sim->scriptNext(0x11, c.script);
        run();
        EXPECT_EQ(lab(), c.text);
        EXPECT_EQ(count(QStringLiteral("data")), 5);  // a broken stream writes none of its records
    }
}

TEST_F(UnattendedCollection, OutOfRangeStampsTakeTheWholeReplacement) {
    addDoors({5});
    QByteArray stream = header(5, 2);
    stream += recordBytes(5, {0x00, 0x00, 0x01, 0x26, 0x13, 0x10, 0x14, 0x00, 1});
    stream += recordBytes(5, {0x00, 0x00, 0x02, 0x26, 0x05, 0x10, 0x24, 0x30, 2});
    sim->scriptNext(0x11, script([&](ctlsim::Script& s) { s.reply = stream; }));
    run();
    EXPECT_EQ(dataRows(), (QStringList{"000001 1999-01-01 14:00:00 5 1 鎖一進", "000002 2026-05-10 00:00:00 5 2 鎖一出"}));
}

// A record kept a byte too long puts every later read a byte early; at
// address 0 such reads look like records, and those whose minute lands on a
// flag 1..4 would be swipes that never happened. One record with another
// address byte is passed over, and the stream is read on once it shows
// itself in step again.
TEST_F(UnattendedCollection, RecordsReadOutOfStepAreNeverStored) {
    const struct {
        int address;
        std::function<void(std::vector<ctlsim::Record>&)> fault;
        std::function<std::vector<ctlsim::Record>(const std::vector<ctlsim::Record>&)> stored;
        const char* why;
    } cases[] = {
        {0, [](auto& r) { r[29].lengthChange = 1; }, [](const auto& r) { return std::vector<ctlsim::Record>(r.begin(), r.begin() + 30); },
         "170 條記錄數据不正确, 未存入"},
        {5, [](auto& r) { r[100].addressByte = 9; },
         [](const auto& r) {
             auto kept = r;
             kept.erase(kept.begin() + 100);
             return kept;
         },
         "1 條記錄數据不正确, 未存入"},
    };
    for (const auto& c : cases) {
        addDoors({c.address});
        auto records = ctlsim::sampleRecords(c.address, 200, QDate(2026, 12, 10));
        c.fault(records);
        holdRecords(c.address, records);
        run();
        EXPECT_EQ(dataRows(QStringLiteral("where 地址=%1").arg(c.address)), expectedRows(c.address, c.stored(records)));
        expectOutcome(app::cjoutcome, QStringLiteral("門禁控制器 %1: ").arg(c.address) + QString::fromUtf8(c.why));
        openDb().Execute(QStringLiteral("delete * from doors"));
    }
}

// The byte after a last record read out of step may come a moment after
// that record: the end is judged once the line has stayed quiet.
TEST_F(UnattendedCollection, TheLastRecordsReadOutOfStepAreNotStoredEither) {
    serial::setWaitClock(nullptr);  // the line's own time
    addDoors({0});
    std::vector<ctlsim::Record> records;
    for (int i = 0; i < 20; ++i)  // the two read out of step have minutes 02 and 03, which pass for flags
        records.push_back(record(QStringLiteral("%1").arg(i + 1, 6, 10, QLatin1Char('0')),
                                 QDateTime(QDate(2026, 12, 10), QTime(8, i < 18 ? 30 + i : i - 16)), 1 + i % 4));
    records[17].lengthChange = 1;
    holdRecords(0, records);
    const auto lastByteLate = script([](ctlsim::Script& s) {
        s.pauseAtByte = 3 + 20 * 11;
        s.pauseMs = 10;
    });
    const QStringList inStep = expectedRows(0, {records.begin(), records.begin() + 18});
    sim->scriptNext(0x11, lastByteLate);
    run();
    EXPECT_EQ(dataRows(), inStep);
    openDb().Execute(QStringLiteral("delete * from data"));
    sim->scriptNext(0x11, lastByteLate);
    Form2 manual;
    manual.Form_Load();
    manual.show();
    manual.ctext->setCurrentText(QStringLiteral("0"));
    QTest::mouseClick(manual.cdok, Qt::LeftButton);
    EXPECT_EQ(dataRows(), inStep);
}

// Each line of seda.dat is told of under the controller whose record it
// holds, once, however many imports keep it over; a line naming none under
// seda.dat.
TEST_F(UnattendedCollection, EachLineKeptOrSetAsideIsToldOfUnderItsOwnController) {
    addDoors({1, 2});
    holdRecords(1, ctlsim::sampleRecords(1, 36, QDate(2026, 12, 10)));
    holdRecords(2, ctlsim::sampleRecords(2, 36, QDate(2026, 12, 10)));
    rawSql("create trigger refuse before insert on data begin select raise(abort, 'refused'); end");
    run();
    const QString kept = QStringLiteral("36 條記錄未能存入 (數據庫操作失敗：refused), 已保留在 seda.dat");
    expectOutcome(app::cjoutcome, QStringLiteral("門禁控制器 1: ") + kept + QStringLiteral("; 門禁控制器 2: ") + kept);

    // Once the table takes them, a torn line of an earlier run is seda.dat's.
    rawSql("drop trigger refuse");
    {
        QFile f(seda::sedaFile());
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("\"000777    \",#2026-12-");
    }
    run();
    EXPECT_EQ(count(QStringLiteral("data")), 72);
    expectOutcome(app::cjoutcome, QStringLiteral("seda.dat: 1 行無法讀取, 已移至 seda.bad"));
}

TEST_F(UnattendedCollection, LeftoverLinesGoInARefusedLineIsKeptAndAnUnreadableOneSetAside) {
    addDoors({5});
    const auto records = ctlsim::sampleRecords(5, 10, QDate(2026, 12, 10));
    holdRecords(5, records);
    const swipes::SwipeRow leftover{QStringLiteral("000123"), QDate(2026, 11, 1), QTime(7, 5), 9, 3};
    ASSERT_TRUE(seda::append({leftover}));
    {
        QFile f(seda::sedaFile());
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("\"00012\",#2026-11-01#\r\n");
    }
    rawSql("create trigger refuse before insert on data when new.卡號='999999' "
           "begin select raise(abort, 'refused'); end");
    sim->edit(5, [](ctlsim::Controller& c) {
        c.records.push_back({QStringLiteral("999999"), QDateTime(QDate(2026, 12, 10), QTime(9, 0)), 1});
    });
    run();
    EXPECT_EQ(count(QStringLiteral("data")), 11);
    EXPECT_EQ(count(QStringLiteral("data"), QStringLiteral("卡號='000123' and 地址=9")), 1);
    EXPECT_EQ(sedaText(), QStringLiteral("\"999999    \",#2026-12-10#,#09:00:00#,\"5     \",1\r\n"));
    EXPECT_EQ(fileText(seda::badFile()), QStringLiteral("\"00012\",#2026-11-01#\r\n"));
    // The refused line is controller 5's; the unreadable one names none.
    const QString refused = QStringLiteral("1 條記錄未能存入 (數據庫操作失敗：refused), 已保留在 seda.dat");
    const QString setAside = QStringLiteral("seda.dat: 1 行無法讀取, 已移至 seda.bad");
    EXPECT_EQ(lab(), QStringLiteral("正确采集到  11 條記錄\r\n   已經存入, ") + refused + QStringLiteral(", ") + setAside);
    expectOutcome(app::cjoutcome, QStringLiteral("門禁控制器 5: ") + refused + QStringLiteral("; ") + setAside);
}

TEST_F(UnattendedCollection, ATornLastLineOfSedaDatTakesNoRecordWithIt) {
    addDoors({5});
    const auto records = ctlsim::sampleRecords(5, 3, QDate(2026, 12, 10));
    holdRecords(5, records);
    {
        QFile f(seda::sedaFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\"000777    \",#2026-12-");  // the power went in the middle of an append
    }
    run();
    EXPECT_EQ(dataRows(), expectedRows(5, records));
    EXPECT_FALSE(QFile::exists(seda::sedaFile()));
    EXPECT_EQ(fileText(seda::badFile()), QStringLiteral("\"000777    \",#2026-12-\r\n"));
    // The line names no controller, and controller 5 was collected in full.
    expectOutcome(app::cjoutcome, QStringLiteral("seda.dat: 1 行無法讀取, 已移至 seda.bad"));
}

TEST_F(UnattendedCollection, EachControllerNotCollectedIsNamedWithWhyInTheOutcomeAndTheLog) {
    addDoors({1, 2, 3, 4, 5, 6});
    holdRecords(3, ctlsim::sampleRecords(3, 5));
    holdRecords(6, ctlsim::sampleRecords(6, 4));
    QByteArray stream = header(4, 2);
    stream += recordBytes(4, {0x00, 0x00, 0x01, 0x26, 0x12, 0x10, 0x09, 0x00, 1});
    stream += recordBytes(4, {0x00, 0x00, 0x02, 0x26, 0x12, 0x10, 0x09, 0x00, 0x50});
    sim->scriptNext(0x11, silence());                                                       // 1
    sim->scriptNext(0x11, fromAddress(9));                                                  // 2
    sim->scriptNext(0x11, script([](ctlsim::Script& s) { s.recordsBeforeBreak = 2; }));    // 3
    sim->scriptNext(0x11, script([&](ctlsim::Script& s) { s.reply = stream; }));           // 4
    // 5 holds no records and 6 answers in full: neither is a failure.
    run();
    EXPECT_EQ(count(QStringLiteral("data")), 5);
    const QString failures = QStringLiteral("門禁控制器 1: 沒有數据輸出!; 門禁控制器 2: 終端沒有數据輸出!; "
                                            "門禁控制器 3: 數据輸出故障!; 門禁控制器 4: 1 條記錄數据不正确, 未存入");
    expectOutcome(app::cjoutcome, failures);
    const QString first = app::cjoutcome;
    EXPECT_EQ(fileText(collection::runLogFile()), first + QStringLiteral("\n"));

    // The next run replaces the outcome and adds its own line to the log.
    run();
    EXPECT_EQ(count(QStringLiteral("data")), 10);
    expectOutcome(app::cjoutcome, QStringLiteral("6 台門禁控制器已全部采集"));
    EXPECT_EQ(fileText(collection::runLogFile()), first + QStringLiteral("\n") + app::cjoutcome + QStringLiteral("\n"));
}

TEST_F(UnattendedCollection, EachCollectorSeesTheOthersRows) {
    addDoors({5});
    const auto records = ctlsim::sampleRecords(5, 12, QDate(2026, 12, 10));
    holdRecords(5, records);
    const auto collectByHand = [] {
        Form2 manual;
        manual.Form_Load();
        manual.show();
        QTest::mouseClick(manual.cdok, Qt::LeftButton);
    };
    collectByHand();
    ASSERT_EQ(count(QStringLiteral("data")), 12);
    run();
    EXPECT_EQ(dataRows(), expectedRows(5, records));
    // And the other way round.
    openDb().Execute(QStringLiteral("delete * from data"));
    run();
    ASSERT_EQ(count(QStringLiteral("data")), 12);
    collectByHand();
    EXPECT_EQ(dataRows(), expectedRows(5, records));
}

TEST_F(UnattendedCollection, APortHeldElsewhereSkipsEveryControllerAndTheRunEnds) {
    addDoors({5, 6});
    holdRecords(5, ctlsim::sampleRecords(5, 3));
    serial::SerialPort other;
    controller::configurePort(other);
    other.setPortOpen(true);
    run();
    EXPECT_EQ(lab(), QStringLiteral("串口通信端口沒有打開"));
    expectOutcome(app::cjoutcome, QStringLiteral("門禁控制器 5: 串口通信端口沒有打開; 門禁控制器 6: 串口通信端口沒有打開"));
    EXPECT_TRUE(sim->received().empty());
    EXPECT_EQ(count(QStringLiteral("data")), 0);
}

TEST_F(UnattendedCollection, NoDoorsClosesAtOnce) {
    run();
    EXPECT_EQ(app::cjcount, -1);
    EXPECT_TRUE(sim->received().empty());
    expectOutcome(app::cjoutcome, QStringLiteral("沒有門禁控制器可以采集"));
}

TEST_F(UnattendedCollection, TheFocusComingBackStartsNoSecondRunNorCanTheWindowBeClosed) {
    addDoors({5, 6});
    holdRecords(5, ctlsim::sampleRecords(5, 3));
    sim->scriptNext(0x11, delayed(2));
    run([](FrmZDCJ& w) {
        QLineEdit elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        elsewhere.setFocus();
        QCoreApplication::processEvents();
        w.activateWindow();
        w.Text1->setFocus();
        QCoreApplication::processEvents();
        w.close();
        QTest::keyClick(&w, Qt::Key_Escape);
        EXPECT_TRUE(w.isVisible());
    });
    EXPECT_EQ(collectedAddresses(), (std::vector<int>{5, 6}));
    EXPECT_EQ(count(QStringLiteral("data")), 3);
}

}  // namespace
