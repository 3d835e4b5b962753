// Manual collection and clearing a controller's memory, against the simulator.
#include "collectionline.h"
#include "form2.h"
#include "frmzdcj.h"
#include "look.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString advice = QStringLiteral("您已采集完該門禁控制器里的數据,請清空該門禁控制器存儲器中的數据!");

class ManualCollection : public CollectionLine {
protected:
    void SetUp() override {
        CollectionLine::SetUp();
        addDoors({5});
    }
    void TearDown() override {
        window.reset();
        CollectionLine::TearDown();
    }
    Form2& open() {
        window = std::make_unique<Form2>();
        window->Form_Load();
        window->show();
        return *window;
    }
    void collect() { QTest::mouseClick(window->cdok, Qt::LeftButton); }
    void clear(int answer) {
        dialogs.answer(answer);
        QTest::mouseClick(window->Command1, Qt::LeftButton);
    }
    QString labtext() const { return window->labtext->text(); }
    QString label4() const { return window->Label4->text(); }
    static QString counts(int n, int m) {
        return QStringLiteral("正确采集到  %1 條記錄!  應正确采集 %2條記錄!!").arg(n).arg(m);
    }

    std::unique_ptr<Form2> window;
};

TEST_F(ManualCollection, StoresEveryRecordWithItsFieldsAndAdvisesTheClear) {
    ui::applyProgramLook();  // the program's font, which the widths must hold
    const auto records = ctlsim::sampleRecords(5, 40, QDate(2026, 12, 10));
    holdRecords(5, records);
    Form2& w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("                        數   据   采   集"));
    ASSERT_EQ(w.ctext->currentText(), "5");
    EXPECT_EQ(w.progress->text(), QString());  // nothing announced yet
    collect();
    EXPECT_EQ(dataRows(), expectedRows(5, records));
    EXPECT_EQ(labtext(), counts(40, 40));
    EXPECT_EQ(label4(), advice);
    EXPECT_TRUE(w.grid->isVisible());
    EXPECT_EQ(w.grid->rowCount(), 40);
    for (int c = 0; c < w.grid->columnCount(); ++c)  // no value shows cut
        EXPECT_GE(w.grid->columnWidth(c), w.grid->fontMetrics().horizontalAdvance(w.grid->item(0, c)->text()) + 8) << c;
    EXPECT_EQ(w.progress->value(), 40);
    EXPECT_EQ(w.progress->text(), QStringLiteral("40 / 40"));
    EXPECT_EQ(w.Label3->text(), QStringLiteral("第40條記錄 "));
    EXPECT_TRUE(w.MSComm1.PortOpen());  // a good collection keeps the port
    EXPECT_TRUE(w.cdok->isEnabled());
    // The controller keeps its records: collecting again stores nothing new.
    collect();
    EXPECT_EQ(count(QStringLiteral("data")), 40);
    EXPECT_EQ(labtext(), counts(40, 40));
    EXPECT_EQ(label4(), advice);
    EXPECT_EQ(sim->controller(5).records.size(), 40u);
}

TEST_F(ManualCollection, AFullMemoryPouredOutAtOnceLosesNoRecord) {
    const auto records = ctlsim::sampleRecords(5, 500, QDate(2026, 12, 10));
    holdRecords(5, records);
    open();
    collect();
    EXPECT_EQ(dataRows(), expectedRows(5, records));
    EXPECT_EQ(labtext(), counts(500, 500));
}

TEST_F(ManualCollection, AControllerWithoutRecords) {
    Form2& w = open();
    collect();
    EXPECT_EQ(labtext(), QStringLiteral("沒有數据可以采集"));
    EXPECT_EQ(w.progress->text(), QString());
    EXPECT_FALSE(w.grid->isVisible());
    EXPECT_FALSE(w.MSComm1.PortOpen());
    EXPECT_EQ(count(QStringLiteral("data")), 0);
}

TEST_F(ManualCollection, AStreamBrokenOffStoresWhatCameAndGivesNoClearAdvice) {
    const auto records = ctlsim::sampleRecords(5, 10, QDate(2026, 12, 10));
    holdRecords(5, records);
    sim->scriptNext(0x11, script([](ctlsim::Script& s) { s.recordsBeforeBreak = 4; }));
    Form2& w = open();
    collect();
    EXPECT_EQ(dataRows(), expectedRows(5, {records.begin(), records.begin() + 4}));
    EXPECT_EQ(labtext(), counts(4, 10));
    EXPECT_NE(label4(), advice);
    EXPECT_TRUE(label4().contains(QStringLiteral("有 6 條記錄沒有正确采集到"))) << label4().toStdString();
    EXPECT_FALSE(w.MSComm1.PortOpen());
    EXPECT_TRUE(w.cdok->isEnabled());
}

TEST_F(ManualCollection, ARecordWhoseDataNeverCameIsSkippedAndTheNextOneRead) {
    const QDateTime when(QDate(2026, 3, 4), QTime(8, 15));
    QByteArray stream = header(5, 3) + recordBytes(5, {0x01, 0x23, 0x45, 0x26, 0x03, 0x04, 0x08, 0x15, 1});
    stream += char(5);  // the second record's address, then nothing of it for longer than the wait
    const int pauseAt = int(stream.size());
    stream += recordBytes(5, {0x00, 0x00, 0x77, 0x26, 0x03, 0x04, 0x17, 0x59, 4});
    sim->scriptNext(0x11, script([&](ctlsim::Script& s) {
        s.reply = stream;
        s.pauseAtByte = pauseAt;
        s.pauseMs = realMs(3.5);
    }));
    open();
    collect();
    EXPECT_EQ(dataRows(), expectedRows(5, {record("012345", when, 1),
                                           record("000077", QDateTime(QDate(2026, 3, 4), QTime(17, 59)), 4)}));
    EXPECT_EQ(labtext(), counts(2, 3));
    EXPECT_NE(label4(), advice);
}

TEST_F(ManualCollection, FailedExchangesSayWhereAndStoreNothing) {
    holdRecords(5, ctlsim::sampleRecords(5, 3));
    const struct {
        ctlsim::Script script;
        QString text;
    } cases[] = {
        {silence(), QStringLiteral("系統忙，請重試,發送采集指令時出錯!")},
        {fromAddress(6), QStringLiteral("系統忙，請重試,接受采集數据總數時沒有得到正确的門禁控制器地址信號!")},
        {script([](ctlsim::Script& s) { s.cutAfter = 2; }), QStringLiteral("系統忙，請重試,接收采集數据總數時等待超時!")},
        // A record whose address byte is another controller's ends the reading.
        {script([](ctlsim::Script& s) { s.reply = header(5, 2) + recordBytes(6, {0x01, 0x01, 0x01, 0x26, 1, 1, 1, 1, 1}); }),
         counts(0, 2)},
    };
    Form2& w = open();
    for (const auto& c : cases) {
        sim->scriptNext(0x11, c.script);
        collect();
        EXPECT_EQ(labtext(), c.text);
        EXPECT_NE(label4(), advice);
        EXPECT_FALSE(w.MSComm1.PortOpen());
        EXPECT_TRUE(w.cdok->isEnabled());
        EXPECT_EQ(count(QStringLiteral("data")), 0);
    }
}

TEST_F(ManualCollection, OutOfRangeFieldsAreMendedOneByOneAndUnreadableRecordsToldApart) {
    QByteArray stream = header(5, 6);
    // Out-of-range stamps are mended when a good record after them shows
    // the stream in step.
    stream += recordBytes(5, {0x00, 0x00, 0x01, 0x26, 0x13, 0x00, 0x24, 0x75, 2});  // month 13, day 0, 24:75
    stream += recordBytes(5, {0x00, 0x00, 0x03, 0x29, 0x02, 0x30, 0x10, 0x00, 4});  // 30 February
    stream += recordBytes(5, {0x00, 0x00, 0x02, 0x99, 0x12, 0x31, 0x23, 0x59, 3});  // 1999-12-31 23:59
    stream += recordBytes(5, {0x00, 0x0A, 0x04, 0x26, 0x01, 0x01, 0x10, 0x00, 1});  // card byte no packed decimal
    stream += recordBytes(5, {0x00, 0x00, 0x05, 0x26, 0x01, 0x01, 0x1F, 0x00, 1});  // hour byte no packed decimal
    stream += recordBytes(5, {0x00, 0x00, 0x06, 0x26, 0x01, 0x01, 0x10, 0x00, 7});  // a flag no controller sends
    sim->scriptNext(0x11, script([&](ctlsim::Script& s) { s.reply = stream; }));
    open();
    collect();
    EXPECT_EQ(dataRows(), (QStringList{
                              "000001 2026-01-01 00:00:00 5 2 鎖一出",
                              "000002 1999-12-31 23:59:00 5 3 鎖二進",
                              "000003 2029-02-01 10:00:00 5 4 鎖二出",
                          }));
    EXPECT_EQ(labtext(), counts(3, 6));
    // The clear would lose the records that could not be read.
    EXPECT_EQ(label4(), QStringLiteral("有 3 條記錄數据不正确, 無法讀取, 請重新采集, 不要清空該門禁控制器存儲器中的數据!"));
}

TEST_F(ManualCollection, AShortRecordShiftsNoInventedSwipeIntoData) {
    // The first record comes a byte short, so each later one is read a byte
    // early: the second then reads as card 000123 at 00:01 with flag 0x50.
    QByteArray stream = header(5, 3);
    stream += recordBytes(5, {0x01, 0x23, 0x45, 0x26, 0x03, 0x04, 0x08, 0x15, 1}).chopped(1);
    stream += recordBytes(5, {0x05, 0x00, 0x01, 0x23, 0x12, 0x10, 0x09, 0x00, 0x01, 0x50});
    stream += recordBytes(5, {0x00, 0x00, 0x77, 0x26, 0x03, 0x04, 0x17, 0x59, 4});
    sim->scriptNext(0x11, script([&](ctlsim::Script& s) { s.reply = stream; }));
    Form2& w = open();
    collect();
    EXPECT_EQ(dataRows(), expectedRows(5, {record("012345", QDateTime(QDate(2026, 3, 4), QTime(8, 15)), 1)}));
    EXPECT_EQ(w.grid->rowCount(), 1);
    EXPECT_EQ(labtext(), counts(1, 3));
    EXPECT_EQ(label4(), QStringLiteral("第 3 條記錄無法讀取, 采集停在這條記錄, 有 1 條記錄沒有正确采集到, "
                                       "有 1 條記錄數据不正确, 無法讀取, 重新采集也會停在這條記錄, "
                                       "請不要清空該門禁控制器存儲器中的數据!"));
}

// A record kept a byte too long puts every later read a byte early. At
// address 0 each such read still starts with the address (the record
// before's unused 0x00) and holds packed decimal throughout; its minute
// lands on the flag, so some pass for swipes that never happened.
TEST_F(ManualCollection, RecordsReadOutOfStepAreNeverStoredNorIsTheClearAdvised) {
    addDoors({0});
    auto records = ctlsim::sampleRecords(0, 200, QDate(2026, 12, 10));
    records[29].lengthChange = 1;
    holdRecords(0, records);
    Form2& w = open();
    w.ctext->setCurrentText(QStringLiteral("0"));
    collect();
    EXPECT_EQ(dataRows(), expectedRows(0, {records.begin(), records.begin() + 30}));
    EXPECT_EQ(w.grid->rowCount(), 30);
    EXPECT_EQ(labtext(), counts(30, 200));
    EXPECT_EQ(label4(), QStringLiteral("有 170 條記錄數据不正确, 無法讀取, 請重新采集, 不要清空該門禁控制器存儲器中的數据!"));
}

TEST_F(ManualCollection, ALineOfNothingButOneByteStoresNothingAndAdvisesNoClear) {
    const int announced = 60000;  // more than a signed 16-bit count holds
    sim->scriptNext(0x11, script([&](ctlsim::Script& s) { s.reply = header(5, announced) + QByteArray(announced * 11, char(0x05)); }));
    open();
    collect();
    EXPECT_EQ(count(QStringLiteral("data")), 0);
    EXPECT_EQ(labtext(), counts(0, announced));
    EXPECT_EQ(label4(), QStringLiteral("有 %1 條記錄數据不正确, 無法讀取, 請重新采集, 不要清空該門禁控制器存儲器中的數据!").arg(announced));
}

// Such a record stops the reading where it is, at every collection: the
// window says which, and that collecting again gets no further.
TEST_F(ManualCollection, ARecordTheControllerKeepsUnreadableStopsEveryCollectionThere) {
    const struct {
        const char* fault;
        std::function<void(ctlsim::Record&)> make;  // done to record 101, or to record 100
        int at;
    } cases[] = {
        {"another address byte", [](ctlsim::Record& r) { r.addressByte = 9; }, 101},
        {"a byte too many", [](ctlsim::Record& r) { r.lengthChange = 1; }, 100},
        {"a byte too few", [](ctlsim::Record& r) { r.lengthChange = -1; }, 100},
    };
    for (const auto& c : cases) {
        auto records = ctlsim::sampleRecords(5, 200, QDate(2026, 12, 10));
        c.make(records[std::size_t(c.at - 1)]);
        holdRecords(5, records);
        openDb().Execute(QStringLiteral("delete * from data"));
        Form2& w = open();
        for (int attempt = 1; attempt <= 2; ++attempt) {
            collect();
            EXPECT_EQ(dataRows(), expectedRows(5, {records.begin(), records.begin() + 100})) << c.fault;
            EXPECT_EQ(labtext(), counts(100, 200)) << c.fault;
            EXPECT_EQ(label4(), QStringLiteral("第 101 條記錄無法讀取, 采集停在這條記錄, 有 100 條記錄沒有正确采集到, "
                                               "重新采集也會停在這條記錄, 請不要清空該門禁控制器存儲器中的數据!"))
                << c.fault << " " << attempt;
            EXPECT_TRUE(w.cdok->isEnabled());
        }
    }
}

TEST_F(ManualCollection, ARefusedStoreSaysWhyInTheSystemsWords) {
    holdRecords(5, {record("000001", QDateTime(QDate(2026, 12, 10), QTime(8, 0)), 1),
                    record("999999", QDateTime(QDate(2026, 12, 10), QTime(8, 1)), 2)});
    rawSql("create trigger refuse before insert on data when new.卡號='999999' "
           "begin select raise(abort, 'disk I/O error'); end");
    open();
    collect();
    EXPECT_EQ(count(QStringLiteral("data")), 1);
    EXPECT_EQ(labtext(), counts(2, 2));
    EXPECT_EQ(label4(), QStringLiteral("有 1 條記錄未能存入數据庫 (數據庫操作失敗：disk I/O error), "
                                       "請重新采集, 不要清空該門禁控制器存儲器中的數据!"));
}

TEST_F(ManualCollection, TheSameSwipeAtAnotherDoorIsASecondRecord) {
    addDoors({6});
    const std::vector<ctlsim::Record> one = {record("004711", QDateTime(QDate(2026, 12, 10), QTime(8, 0)), 1)};
    holdRecords(5, one);
    holdRecords(6, one);
    Form2& w = open();
    collect();
    w.ctext->setCurrentText(QStringLiteral("6"));
    collect();
    EXPECT_EQ(dataRows(), expectedRows(5, one) + expectedRows(6, one));
    EXPECT_EQ(label4(), advice);
}

TEST_F(ManualCollection, NothingToChooseOnlyBeeps) {
    openDb().Execute(QStringLiteral("delete * from doors"));
    Form2& w = open();
    EXPECT_EQ(w.ctext->count(), 0);
    collect();
    EXPECT_TRUE(sim->received().empty());
    EXPECT_TRUE(labtext().isEmpty());
    EXPECT_TRUE(w.cdok->isEnabled());
}

TEST_F(ManualCollection, ButtonsAndTheWindowAreHeldWhileRecordsComeIn) {
    holdRecords(5, ctlsim::sampleRecords(5, 3));
    sim->scriptNext(0x11, delayed(0.8));
    Form2& w = open();
    bool checked = false;
    QTimer::singleShot(realMs(0.4), [&] {
        EXPECT_FALSE(w.cdok->isEnabled());
        EXPECT_FALSE(w.Command1->isEnabled());
        EXPECT_FALSE(w.cdexit->isEnabled());
        w.close();
        QTest::keyClick(&w, Qt::Key_Escape);
        EXPECT_TRUE(w.isVisible());
        checked = true;
    });
    collect();
    EXPECT_TRUE(checked);
    EXPECT_EQ(count(QStringLiteral("data")), 3);
    EXPECT_TRUE(w.cdexit->isEnabled());
    QTest::mouseClick(w.cdexit, Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.MSComm1.PortOpen());
}

TEST_F(ManualCollection, APortThatWontOpen) {
    brokenPort(3);
    Form2& w = open();
    EXPECT_TRUE(label4().contains(QStringLiteral(" 端口 (com3) "))) << label4().toStdString();
    EXPECT_TRUE(label4().endsWith(QStringLiteral("請進入系統配置重新設置端口號！"))) << label4().toStdString();
    collect();
    EXPECT_EQ(label4(), QStringLiteral("串口通信端口沒有打開"));
    clear(ui::vbYes);
    EXPECT_EQ(label4(), QStringLiteral("串口通信端口沒有打開"));
    EXPECT_TRUE(labtext().isEmpty());
    EXPECT_TRUE(w.isVisible());
}

// What stands behind com3 decides what the window says: not a serial line
// at all, or a line another program holds.
TEST_F(ManualCollection, APortThatIsNoSerialDeviceSaysSo) {
    const QString fifo = file(QStringLiteral("line.fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString plain = file(QStringLiteral("line.txt"));
    QFile(plain).open(QIODevice::WriteOnly);
    for (const QString& target : {QStringLiteral("/dev/null"), QStringLiteral("/dev/zero"), plain, fifo}) {
        SCOPED_TRACE(target.toStdString());
        QFile::remove(file(QStringLiteral("com3")));
        ASSERT_TRUE(QFile::link(target, file(QStringLiteral("com3"))));
        app::comport = 3;
        open();
        EXPECT_TRUE(label4().contains(QStringLiteral("com3不是串口設備"))) << label4().toStdString();
        EXPECT_FALSE(label4().contains(QStringLiteral("占用"))) << label4().toStdString();
        EXPECT_TRUE(label4().endsWith(QStringLiteral("請進入系統配置重新設置端口號！"))) << label4().toStdString();
        EXPECT_FALSE(window->MSComm1.PortOpen());
    }
}

TEST_F(ManualCollection, APortAnotherProgramHoldsSaysSo) {
    // Held the way a terminal program holds a line: exclusive, no lock.
    const int foreign = ::open(QFile::encodeName(sim->device()).constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(foreign, 0);
    ASSERT_EQ(::ioctl(foreign, TIOCEXCL), 0);
    Form2& w = open();
    EXPECT_TRUE(label4().contains(QStringLiteral(" 端口 (com1) "))) << label4().toStdString();
    EXPECT_TRUE(label4().contains(QStringLiteral("已被其他程序占用"))) << label4().toStdString();
    EXPECT_FALSE(label4().contains(QStringLiteral("Device or resource busy"))) << label4().toStdString();
    EXPECT_FALSE(w.MSComm1.PortOpen());
    ::ioctl(foreign, TIOCNXCL);
    ::close(foreign);
    collect();  // let go, the port opens and the controller answers
    EXPECT_EQ(labtext(), QStringLiteral("沒有數据可以采集"));
}

// ---- clearing the memory ----

TEST_F(ManualCollection, ClearAfterConfirmationEmptiesTheControllerAndTheGrid) {
    holdRecords(5, ctlsim::sampleRecords(5, 5));
    Form2& w = open();
    collect();
    ASSERT_EQ(w.grid->rowCount(), 5);
    sim->clearReceived();
    clear(ui::vbNo);
    EXPECT_TRUE(sim->received().empty());
    EXPECT_EQ(label4(), advice);  // no label changed
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].prompt, QStringLiteral("确信要刪除地址號為'5'的門禁控制器上的數据嗎？！"));
    EXPECT_EQ(dialogs.messages[0].style, 36);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("提示信息"));

    clear(ui::vbYes);
    EXPECT_EQ(labtext(), QStringLiteral("已正确清除5門禁控制器存儲器中的數据!"));
    EXPECT_TRUE(label4().isEmpty());
    EXPECT_EQ(w.grid->rowCount(), 0);
    EXPECT_TRUE(sim->controller(5).records.empty());
    EXPECT_FALSE(w.MSComm1.PortOpen());
    EXPECT_EQ(count(QStringLiteral("data")), 5);  // the database is not touched
}

TEST_F(ManualCollection, ClearFailuresKeepTheGrid) {
    holdRecords(5, ctlsim::sampleRecords(5, 2));
    Form2& w = open();
    collect();
    const struct {
        ctlsim::Script script;
        QString text;
    } cases[] = {
        {fromAddress(9), QStringLiteral("接受的驗證碼不正确")},
        {silence(), QStringLiteral("清存儲器時接受驗證碼等待超時")},
    };
    for (const auto& c : cases) {
        sim->scriptNext(0x06, c.script);
        clear(ui::vbYes);
        EXPECT_EQ(labtext(), c.text);
        EXPECT_TRUE(label4().isEmpty());
        EXPECT_EQ(w.grid->rowCount(), 2);
        EXPECT_FALSE(w.MSComm1.PortOpen());
        EXPECT_TRUE(w.cdok->isEnabled());
    }
    w.ctext->clear();
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    EXPECT_EQ(label4(), QStringLiteral("請先選擇門禁控制器"));
}

}  // namespace
