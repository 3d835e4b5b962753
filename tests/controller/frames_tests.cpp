// Frames and replies against bytes worked out by hand from the line's field
// tables; none of the expected bytes comes from the code under test.
#include "frames.h"

#include <gtest/gtest.h>

using namespace frames;

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

struct Golden {
    const char* name;
    std::optional<QByteArray> built;
    const char* expected;  // hex; empty: the frame must not be built
};

void PrintTo(const Golden& g, std::ostream* os) { *os << g.name; }

class GoldenFrames : public ::testing::TestWithParam<Golden> {};

CardEntry card(int address, const char* physical, const char* number) {
    CardEntry e;
    e.address = address;
    e.physical = QString::fromLatin1(physical);
    e.card = QString::fromLatin1(number);
    return e;
}

CardEntry withWindows() {
    CardEntry e = card(1, "0001234567", "012345");
    e.startDate = QDate(2002, 3, 5);
    e.endDate = QDate(2003, 12, 31);
    e.startWeekday = 1;
    e.endWeekday = 5;
    e.startTime = QTime(8, 30);
    e.endTime = QTime(18, 0);
    e.passMode1 = 2;
    e.passMode2 = 1;
    return e;
}

CardEntry startDateOnly() {
    CardEntry e = card(2, "1234567890", "999999");
    e.startDate = QDate(2002, 3, 5);
    e.passMode1 = 2;
    e.passMode2 = 3;
    return e;
}

CardEntry midnightStart() {
    CardEntry e = card(3, "1", "000001");
    e.startTime = QTime(0, 0);
    e.endTime = QTime(18, 0);
    return e;
}

CardEntry fromStoredRow() {
    // A faka row: dates as stored text, "0" for no weekday window.
    CardEntry e = card(99, "0000000001", "123456");
    e.startDate = QStringLiteral("2026-01-02");
    e.endDate = QStringLiteral("2026-12-31");
    e.startTime = QStringLiteral("07:05:00");
    e.endTime = QStringLiteral("21:45:00");
    e.passMode1 = 3;
    return e;
}

CardEntry with(CardEntry e, const std::function<void(CardEntry&)>& change) {
    change(e);
    return e;
}

INSTANTIATE_TEST_SUITE_P(
    EveryCommand, GoldenFrames,
    ::testing::Values(
        Golden{"ReadSys", ReadSysFrame(5), "050204"},
        Golden{"ClearMemory", ClearMemoryFrame(7), "070206"},
        Golden{"ClearCardList", ClearCardListFrame(12), "0c020c"},
        Golden{"ReadCard", ReadCardFrame(1), "01020b"},
        Golden{"OpenLock1", OpenLockFrame(4, 1), "040210"},
        Golden{"OpenLock2", OpenLockFrame(4, 2), "040220"},
        Golden{"ReadLockState", ReadLockStateFrame(8), "08021f"},
        Golden{"ReadSwipe", ReadSwipeFrame(9), "09021b"},
        Golden{"AckSwipe", AckSwipeFrame(9), "090202"},
        Golden{"CollectRecords", CollectRecordsFrame(17), "110211"},
        Golden{"DelayLock1Half", DelayTimeFrame(1, 1, 0.5), "01050e070000"},
        Golden{"DelayLock2Max", DelayTimeFrame(99, 2, 18.2), "63051eff0000"},
        Golden{"DelayQuarterToEven", DelayTimeFrame(3, 1, 0.25), "03050e040000"},
        Golden{"DelayThreeQuartersToEven", DelayTimeFrame(3, 1, 0.75), "03050e0a0000"},
        Golden{"DelayFive", DelayTimeFrame(0, 2, 5), "00051e460000"},
        Golden{"DeleteCard", DeleteCardFrame(2, QStringLiteral("012345")), "02050d012345"},
        Golden{"SetDateThursday", SetDateFrame(1, QDate(2002, 2, 14)), "010509028214"},
        Golden{"SetDateLastDayAControllerHolds", SetDateFrame(1, QDate(2099, 12, 31)), "010509999231"},
        Golden{"SetDateSunday", SetDateFrame(1, QDate(2026, 12, 13)), "010509261213"},
        Golden{"SetDateSaturday", SetDateFrame(6, QDate(2026, 12, 12)), "06050926d212"},
        Golden{"SetTime", SetTimeFrame(1, QTime(13, 5, 9)), "010508130509"},
        Golden{"AddCardNoWindows", AddCardFrame(card(1, "1234567", "012345")),
               "01150a0001234567012345" "0000000000000000000000"},
        Golden{"AddCardAllWindows", AddCardFrame(withWindows()),
               "01150a0001234567012345" "0203433205310818300015"},
        Golden{"AddCardStartDateOnly", AddCardFrame(startDateOnly()),
               "02150a1234567890999999" "0000406000000000000000"},
        Golden{"AddCardMidnightStart", AddCardFrame(midnightStart()),
               "03150a0000000001000001" "0000000000000000000000"},
        Golden{"AddCardStoredRow", AddCardFrame(fromStoredRow()),
               "63150a0000000001123456" "2626611202310721054500"},
        Golden{"AddCardLastDayAControllerHolds",
               AddCardFrame(with(withWindows(), [](CardEntry& e) { e.endDate = QDate(2099, 12, 31); })),
               "01150a0001234567012345" "0299433205310818300015"},
        // A start date without an end date is no window: its year is never sent.
        Golden{"AddCardFarStartDateOnly",
               AddCardFrame(with(startDateOnly(), [](CardEntry& e) { e.startDate = QDate(2150, 3, 5); })),
               "02150a1234567890999999" "0000406000000000000000"},
        Golden{"AddCardZeroDate", AddCardFrame(with(withWindows(), [](CardEntry& e) { e.endDate = 0; })),
               "01150a0001234567012345" "0000402000000818300015"},
        // Nothing that would wrap or lose digits is ever built.
        Golden{"AddressTooHigh", ReadSysFrame(100), ""},
        Golden{"AddressNegative", ClearMemoryFrame(-1), ""},
        Golden{"AddressTooHighNotWrapped", OpenLockFrame(256, 1), ""},
        Golden{"DelayBeyondByte", DelayTimeFrame(1, 1, 18.3), ""},
        Golden{"DelayHalfBeyondByte", DelayTimeFrame(1, 1, 18.25), ""},
        Golden{"DelayNegative", DelayTimeFrame(1, 1, -0.5), ""},
        Golden{"DelayNotANumber", DelayTimeFrame(1, 1, std::nan("")), ""},
        Golden{"DeleteShortCard", DeleteCardFrame(1, QStringLiteral("12345")), ""},
        Golden{"DeleteCardWithLetter", DeleteCardFrame(1, QStringLiteral("12a456")), ""},
        Golden{"AddLongPhysical", AddCardFrame(card(1, "12345678901", "012345")), ""},
        Golden{"AddPhysicalWithLetter", AddCardFrame(card(1, "12345x", "012345")), ""},
        Golden{"AddEmptyPhysical", AddCardFrame(card(1, "", "012345")), ""},
        Golden{"AddSevenDigitCard", AddCardFrame(card(1, "1", "0123456")), ""},
        Golden{"AddBadPassMode", AddCardFrame(with(card(1, "1", "012345"), [](CardEntry& e) { e.passMode2 = 4; })), ""},
        Golden{"AddBadWeekday", AddCardFrame(with(card(1, "1", "012345"), [](CardEntry& e) { e.startWeekday = 8; })), ""},
        Golden{"AddAddressBeyond", AddCardFrame(card(100, "1", "012345")), ""},
        // A year outside 2000..2099 would reach the controller as another one.
        Golden{"SetDateBeforeTheCentury", SetDateFrame(1, QDate(1999, 12, 31)), ""},
        Golden{"SetDateNextCentury", SetDateFrame(1, QDate(2100, 1, 1)), ""},
        Golden{"AddEndInTheNextCentury",
               AddCardFrame(with(withWindows(), [](CardEntry& e) { e.endDate = QDate(2100, 12, 31); })), ""},
        Golden{"AddStartBeforeTheCentury",
               AddCardFrame(with(withWindows(), [](CardEntry& e) { e.startDate = QDate(1999, 12, 31); })), ""},
        Golden{"AddStoredRowEndingIn2150",
               AddCardFrame(with(fromStoredRow(), [](CardEntry& e) { e.endDate = QStringLiteral("2150-12-31"); })), ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(GoldenFrames, BytesAsWorkedOutByHand) {
    const Golden& g = GetParam();
    if (*g.expected == '\0') {
        EXPECT_FALSE(g.built.has_value()) << g.built->toHex().constData();
        return;
    }
    ASSERT_TRUE(g.built.has_value());
    EXPECT_EQ(g.built->toHex().toStdString(), std::string(g.expected));
}

TEST(PackedDecimal, BothWays) {
    EXPECT_EQ(ToBcd(47), 0x47);
    EXPECT_EQ(ToBcd(0), 0x00);
    EXPECT_EQ(ToBcd(99), 0x99);
    EXPECT_EQ(ToBcd(2003 % 100), 0x03);
    EXPECT_EQ(FromBcd(0x47), 47);
    EXPECT_EQ(FromBcd(0x1A), 20);
    EXPECT_EQ(FromBcd(0xFF), 165);
}

TEST(PackedDecimal, PhysicalNumberPaddedToTen) {
    EXPECT_EQ(paddedPhysical(QStringLiteral("1234567")), QStringLiteral("0001234567"));
    EXPECT_EQ(paddedPhysical(QStringLiteral("1234567890")), QStringLiteral("1234567890"));
    EXPECT_FALSE(paddedPhysical(QStringLiteral(" 123")));
}

TEST(DelaySteps, HalvesGoToTheEvenNeighbour) {
    const std::pair<double, int> cases[] = {{0.5, 7}, {2, 28}, {5, 70}, {0.25, 4}, {0.75, 10}, {18.2, 255}, {0, 0}};
    for (auto [seconds, steps] : cases)
        EXPECT_EQ(delaySteps(seconds), std::optional<std::uint8_t>(std::uint8_t(steps))) << seconds;
}

TEST(ClockWeekdays, SundayIsZero) {
    EXPECT_EQ(ClockWeekday(QDate(2026, 12, 13)), 0);
    EXPECT_EQ(ClockWeekday(QDate(2026, 12, 14)), 1);
    EXPECT_EQ(ClockWeekday(QDate(2026, 12, 12)), 6);
}

// ---- replies ----

TEST(Replies, AddressEchoTakesTheFirstByteOnly) {
    EXPECT_TRUE(AddressEcho(hex("05"), 5));
    EXPECT_TRUE(AddressEcho(hex("0599"), 5));
    EXPECT_FALSE(AddressEcho(hex("0605"), 5));
    EXPECT_FALSE(AddressEcho(QByteArray(), 0));
}

TEST(Replies, SysInfBlockDecoded) {
    const auto b = decodeSysInf(hex("05007b4607020507102030020102 03"), 5);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->records, 123);
    EXPECT_DOUBLE_EQ(b->delay1, 5);
    EXPECT_DOUBLE_EQ(b->delay2, 0.5);
    EXPECT_EQ(b->date, QDate(QDate::currentDate().year() / 100 * 100 + 2, 5, 7));
    EXPECT_EQ(b->time, QTime(10, 20, 30));
    EXPECT_EQ(b->weekday, 2);
    EXPECT_EQ(b->version, QStringLiteral("1.23"));
}

TEST(Replies, SysInfVersionsAndCounts) {
    struct Case {
        const char* block;
        int records;
        const char* version;
    } cases[] = {
        {"01ffff4607020507102030020102 00", 65535, "1.2"},
        {"0100004607020507102030020102 03", 0, "1.23"},
        {"010100460702050710203002010a00", 256, "1.10"},
    };
    for (const auto& c : cases) {
        const auto b = decodeSysInf(hex(c.block), 1);
        ASSERT_TRUE(b) << c.block;
        EXPECT_EQ(b->records, c.records);
        EXPECT_EQ(b->version, QString::fromLatin1(c.version));
    }
}

TEST(Replies, SysInfBadDateAndTimeLeftInvalid) {
    const auto b = decodeSysInf(hex("010000460702130725999902010203"), 1);
    ASSERT_TRUE(b);
    EXPECT_FALSE(b->date.isValid());
    EXPECT_FALSE(b->time.isValid());
}

TEST(Replies, SysInfRefusedWhenShortOrFromAnotherAddress) {
    EXPECT_FALSE(decodeSysInf(hex("05007b46070205071020300201 02"), 5));  // 14 bytes
    EXPECT_FALSE(decodeSysInf(hex("06007b4607020507102030020102 03"), 5));
    EXPECT_FALSE(decodeSysInf(QByteArray(), 5));
}

TEST(Replies, CardReply) {
    EXPECT_EQ(CardReply(hex("0107040000123456"), 1), QStringLiteral("0000123456"));
    EXPECT_EQ(CardReply(hex("010704000012345699"), 1), QStringLiteral("0000123456"));
    EXPECT_EQ(CardReply(hex("010704001a123456"), 1), QStringLiteral("0020123456"));
    EXPECT_FALSE(CardReply(hex("0108040000123456"), 1));
    EXPECT_FALSE(CardReply(hex("0107050000123456"), 1));
    EXPECT_FALSE(CardReply(hex("0207040000123456"), 1));
    EXPECT_FALSE(CardReply(hex("01070400001234"), 1));  // seven bytes
}

TEST(Replies, SwipeRecord) {
    const auto s = decodeSwipe(hex("030804000123456702"), 3);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->physical, QStringLiteral("0001234567"));
    EXPECT_EQ(s->flag, 2);
    EXPECT_EQ(decodeSwipe(hex("0308040abcdef01204"), 3)->physical, QStringLiteral("0ABCDEF012"));
    EXPECT_FALSE(decodeSwipe(hex("030800000123456702"), 3));  // no record
    EXPECT_FALSE(decodeSwipe(hex("040804000123456702"), 3));
    EXPECT_FALSE(decodeSwipe(hex("0308040001234567"), 3));    // eight bytes
}

TEST(Replies, CollectHeaderAndStoredRecord) {
    const auto h = decodeCollectHeader(hex("050102"));
    ASSERT_TRUE(h);
    EXPECT_EQ(h->address, 5);
    EXPECT_EQ(h->count, 258);
    EXPECT_FALSE(decodeCollectHeader(hex("0501")));

    const auto r = decodeStoredRecord(hex("0501234502031409300100"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->address, 5);
    EXPECT_EQ(r->card, QStringLiteral("012345"));
    EXPECT_EQ(std::make_tuple(r->year, r->month, r->day, r->hour, r->minute, r->flag),
              std::make_tuple(2, 3, 14, 9, 30, 1));
    EXPECT_FALSE(decodeStoredRecord(hex("05012345020314093001")));  // ten bytes
}

TEST(Replies, LockState) {
    struct Case {
        const char* reply;
        const char* lock1;
        const char* lock2;
    } cases[] = {
        {"0722", "關", "關"}, {"0724", "開", "關"}, {"0742", "關", "開"}, {"0744", "開", "開"},
        {"0733", "?", "?"},   {"0824", "?", "?"},   {"07", "?", "?"},     {"0704", "?", "?"},
    };
    for (const auto& c : cases) {
        const LockState s = decodeLockState(hex(c.reply), 7);
        EXPECT_EQ(s.lock1, QString::fromUtf8(c.lock1)) << c.reply;
        EXPECT_EQ(s.lock2, QString::fromUtf8(c.lock2)) << c.reply;
    }
}

}  // namespace
