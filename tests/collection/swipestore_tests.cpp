// The record store: decoding by each collector's rule, the duplicate rule,
// and seda.dat.
#include "recordreader.h"
#include "sedafile.h"
#include "swipestore.h"
#include "testsupport.h"

#include <QFile>

namespace {

using swipes::OutOfRange;

QByteArray bytes(std::initializer_list<int> fields, int address = 7) {
    QByteArray b(1, char(address));
    for (int f : fields)
        b += char(f);
    b += char(0);
    return b;
}

QString shown(const std::optional<swipes::SwipeRow>& row) {
    if (!row)
        return QStringLiteral("missed");
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(row->card, row->date.toString(QStringLiteral("yyyy-MM-dd")), row->time.toString(QStringLiteral("HH:mm")))
        .arg(row->address)
        .arg(row->flag);
}

TEST(RecordDecoding, EachCollectorMendsOutOfRangeValuesByItsOwnRule) {
    const struct {
        std::initializer_list<int> fields;  // card 3, year, month, day, hour, minute, flag
        const char* manual;
        const char* unattended;
    } cases[] = {
        {{0x01, 0x23, 0x45, 0x26, 0x12, 0x10, 0x23, 0x59, 1}, "012345 2026-12-10 23:59 7 1", "012345 2026-12-10 23:59 7 1"},
        {{0x00, 0x00, 0x01, 0x26, 0x13, 0x10, 0x14, 0x00, 2}, "000001 2026-01-10 14:00 7 2", "000001 1999-01-01 14:00 7 2"},
        {{0x00, 0x00, 0x01, 0x26, 0x00, 0x00, 0x14, 0x00, 2}, "000001 2026-01-01 14:00 7 2", "000001 1999-01-01 14:00 7 2"},
        {{0x00, 0x00, 0x01, 0x26, 0x05, 0x10, 0x24, 0x30, 3}, "000001 2026-05-10 00:30 7 3", "000001 2026-05-10 00:00 7 3"},
        {{0x00, 0x00, 0x01, 0x26, 0x05, 0x10, 0x09, 0x60, 3}, "000001 2026-05-10 09:00 7 3", "000001 2026-05-10 00:00 7 3"},
        {{0x00, 0x00, 0x01, 0x26, 0x02, 0x30, 0x09, 0x00, 4}, "000001 2026-02-01 09:00 7 4", "000001 1999-01-01 09:00 7 4"},
        // Two-digit years: 00..29 this century, 30..99 the last.
        {{0x00, 0x00, 0x01, 0x00, 0x01, 0x01, 0x00, 0x00, 1}, "000001 2000-01-01 00:00 7 1", "000001 2000-01-01 00:00 7 1"},
        {{0x00, 0x00, 0x01, 0x29, 0x01, 0x01, 0x00, 0x00, 1}, "000001 2029-01-01 00:00 7 1", "000001 2029-01-01 00:00 7 1"},
        {{0x00, 0x00, 0x01, 0x30, 0x01, 0x01, 0x00, 0x00, 1}, "000001 1930-01-01 00:00 7 1", "000001 1930-01-01 00:00 7 1"},
        // Bytes that are no packed decimal: a stream read out of step.
        {{0x0A, 0x00, 0x01, 0x26, 0x01, 0x01, 0x00, 0x00, 1}, "missed", "missed"},
        {{0x00, 0x00, 0x01, 0x26, 0x1B, 0x01, 0x00, 0x00, 1}, "missed", "missed"},
        {{0x00, 0x00, 0x01, 0x26, 0x01, 0x01, 0x00, 0xF0, 1}, "missed", "missed"},
        // A flag no controller sends: the bytes were shifted by a record that came short.
        {{0x00, 0x01, 0x23, 0x12, 0x10, 0x09, 0x00, 0x01, 0x50}, "missed", "missed"},
        {{0x00, 0x00, 0x01, 0x26, 0x01, 0x01, 0x00, 0x00, 0}, "missed", "missed"},
        {{0x00, 0x00, 0x01, 0x26, 0x01, 0x01, 0x00, 0x00, 5}, "missed", "missed"},
    };
    for (const auto& c : cases) {
        const QByteArray record = bytes(c.fields);
        EXPECT_EQ(shown(swipes::decodeRecord(record, 7, OutOfRange::EachField)), QString::fromUtf8(c.manual))
            << record.toHex().toStdString();
        EXPECT_EQ(shown(swipes::decodeRecord(record, 7, OutOfRange::Whole)), QString::fromUtf8(c.unattended))
            << record.toHex().toStdString();
    }
    EXPECT_FALSE(swipes::decodeRecord(bytes({1, 2, 3}).left(10), 7, OutOfRange::Whole));
    // Every record starts with its controller's address; another byte there
    // is the tail of the record before, out of step.
    EXPECT_TRUE(swipes::decodeRecord(bytes({0x00, 0x00, 0x01, 0x26, 0x01, 0x01, 0x00, 0x00, 1}), 7, OutOfRange::Whole));
    EXPECT_FALSE(swipes::decodeRecord(bytes({0x00, 0x00, 0x01, 0x26, 0x01, 0x01, 0x00, 0x00, 1}, 0x26), 7, OutOfRange::Whole));
}

// Records as the reader takes them, one letter each: G a good record, O one
// with a stamp out of range (month 13), B one that can't be read (a flag
// 0x50). The rows it gives are named by the records' places, from 0.
TEST(RecordReading, OnlyWhatTheStreamShowsInStepBecomesARow) {
    const struct {
        const char* stream;
        bool endsInStep;
        const char* rows;
        int unreadable;
    } cases[] = {
        {"GGG", false, "012", 0},
        // After a record that can't be read, three good ones in a row show
        // the stream back in step.
        {"GGBGGGG", false, "013456", 1},
        {"GBGGOGGG", false, "0567", 4},
        // Fewer before the end count only when nothing came after the last.
        {"GBGG", false, "0", 3},
        {"GBGG", true, "023", 1},
        // An odd stamp is mended once a good record, or a clean end, shows it read in step.
        {"GOOG", false, "0123", 0},
        {"GOBGGG", false, "0345", 2},
        {"GO", false, "0", 1},
        {"GO", true, "01", 0},
        {"OO", true, "01", 0},
        {"BOGGG", true, "234", 2},
    };
    for (const auto& c : cases) {
        swipes::RecordReader reader(7, OutOfRange::EachField);
        const QByteArray stream(c.stream);
        for (int i = 0; i < stream.size(); ++i) {
            const int card = 0x10 + i;  // the place, as packed decimal 10, 11, ..
            reader.take(stream[i] == 'G'   ? bytes({0, 0, card, 0x26, 0x12, 0x10, 0x09, 0x30, 1})
                        : stream[i] == 'O' ? bytes({0, 0, card, 0x26, 0x13, 0x10, 0x09, 0x30, 1})
                                           : bytes({0, 0, card, 0x26, 0x12, 0x10, 0x09, 0x30, 0x50}));
        }
        reader.finish(c.endsInStep);
        QString rows;
        for (const auto& row : reader.rows())
            rows += QString::number(row.card.toInt() - 10);
        EXPECT_EQ(rows, QString::fromLatin1(c.rows)) << c.stream << " " << c.endsInStep;
        EXPECT_EQ(reader.unreadable(), c.unreadable) << c.stream << " " << c.endsInStep;
    }
}

class RecordStore : public testsupport::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        db = openDb();
    }
    static swipes::SwipeRow row(const char* card, int address, int flag = 1, QTime time = QTime(8, 30)) {
        return {QString::fromLatin1(card), QDate(2026, 12, 10), time, address, flag};
    }
    static QString fileText(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("(none)");
    }
    static void write(const QByteArray& bytes) {
        QFile f(seda::sedaFile());
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(bytes);
    }
    jet::Database db;
};

TEST_F(RecordStore, ADuplicateIsTheSameCardDayTimeFlagAndAddress) {
    const auto first = swipes::storeRows(db, {row("000001", 5), row("000002", 5)});
    EXPECT_EQ(first.stored, 2);
    const auto again = swipes::storeRows(db, {
                                                 row("000001", 5),                    // the same record
                                                 row("000001", 6),                    // another door
                                                 row("000001", 5, 2),                 // the other direction
                                                 row("000001", 5, 1, QTime(8, 31)),   // a minute later
                                             });
    EXPECT_EQ(again.stored, 3);
    EXPECT_EQ(again.already, 1);
    EXPECT_EQ(again.failed(), 0);
    EXPECT_EQ(count(QStringLiteral("data")), 5);
    // Stored in the forms every reader of data expects.
    EXPECT_EQ(count(QStringLiteral("data"),
                    QStringLiteral("日期='2026-12-10' and 時間='08:30:00' and 卡號='000002' and flagIO='鎖一進'")),
              1);
}

TEST_F(RecordStore, ARowTheDatabaseRefusesIsCountedAndTheOthersStay) {
    rawSql("create trigger refuse before insert on data when new.卡號='999999' "
           "begin select raise(abort, 'refused'); end");
    const auto result = swipes::storeRows(db, {row("000001", 5), row("999999", 5), row("000003", 5)});
    EXPECT_EQ(result.stored, 2);
    ASSERT_EQ(result.failedRows, (std::vector<std::size_t>{1}));
    EXPECT_TRUE(result.error.contains(QStringLiteral("refused"))) << result.error.toStdString();
    EXPECT_EQ(count(QStringLiteral("data")), 2);
}

TEST_F(RecordStore, SedaLinesReadBackAsTheyWereWritten) {
    const swipes::SwipeRow r{QStringLiteral("012345"), QDate(2026, 12, 10), QTime(0, 0), 7, 4};
    EXPECT_EQ(seda::line(r), QStringLiteral("\"012345    \",#2026-12-10#,#00:00:00#,\"7     \",4"));
    const auto back = seda::parseLine(seda::line(r));
    ASSERT_TRUE(back);
    EXPECT_EQ(shown(back), shown(r));
    for (const char* bad : {"", "\"01234\",#2026-12-10#,#00:00:00#,\"7\",4", "\"012345\",#2026-13-10#,#00:00:00#,\"7\",4",
                            "\"012345\",#2026-12-10#,#25:00:00#,\"7\",4", "\"012345\",#2026-12-10#,#00:00:00#,\"7\""})
        EXPECT_FALSE(seda::parseLine(QString::fromUtf8(bad))) << bad;
}

TEST_F(RecordStore, AnImportKeepsExactlyTheLinesThatFailed) {
    rawSql("create trigger refuse before insert on data when new.卡號='999999' "
           "begin select raise(abort, 'refused'); end");
    ASSERT_TRUE(seda::append({row("000001", 5), row("999999", 5)}));
    {
        QFile f(seda::sedaFile());
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("half a line\r\n");
    }
    ASSERT_TRUE(seda::append({row("000002", 5)}));
    const auto result = seda::importFile(db);
    EXPECT_EQ(result.stored, 2);
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(result.unreadable, 1);
    EXPECT_FALSE(result.error.contains(QStringLiteral("insert"))) << result.error.toStdString();
    EXPECT_TRUE(result.error.contains(QStringLiteral("refused"))) << result.error.toStdString();
    // The line the database refused waits for the next run; the one no run
    // can read is set aside.
    EXPECT_EQ(fileText(seda::sedaFile()), seda::line(row("999999", 5)) + QStringLiteral("\r\n"));
    EXPECT_EQ(fileText(seda::badFile()), QStringLiteral("half a line\r\n"));
    // Once the lines can go in, the file goes.
    rawSql("drop trigger refuse");
    rawSql("delete from data");
    QFile::remove(seda::sedaFile());
    ASSERT_TRUE(seda::append({row("999999", 5)}));
    EXPECT_EQ(seda::importFile(db).stored, 1);
    EXPECT_FALSE(QFile::exists(seda::sedaFile()));
}

TEST_F(RecordStore, AnAppendAfterATornLineStartsOnAFreshLine) {
    // A power cut in the middle of an append leaves a line without its end.
    const QByteArray torn = "\"000777    \",#2026-12-10#,#09:";
    write(torn);
    ASSERT_TRUE(seda::append({row("000001", 5), row("000002", 5)}));
    EXPECT_EQ(fileText(seda::sedaFile()), QString::fromUtf8(torn) + QStringLiteral("\r\n") + seda::line(row("000001", 5)) +
                                              QStringLiteral("\r\n") + seda::line(row("000002", 5)) + QStringLiteral("\r\n"));
    const auto result = seda::importFile(db);
    EXPECT_EQ(result.stored, 2);
    EXPECT_EQ(result.unreadable, 1);
    EXPECT_EQ(count(QStringLiteral("data")), 2);
    EXPECT_FALSE(QFile::exists(seda::sedaFile()));
    EXPECT_EQ(fileText(seda::badFile()), QString::fromUtf8(torn) + QStringLiteral("\r\n"));
    // A second torn line joins the first in the side file, each on its own.
    write("\"000888");
    ASSERT_TRUE(seda::append({row("000003", 5)}));
    EXPECT_EQ(seda::importFile(db).unreadable, 1);
    EXPECT_EQ(count(QStringLiteral("data")), 3);
    EXPECT_EQ(fileText(seda::badFile()), QString::fromUtf8(torn) + QStringLiteral("\r\n\"000888\r\n"));
}

}  // namespace
