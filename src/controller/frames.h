#pragma once
#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>
#include <QVariant>
#include <cstdint>
#include <optional>

// Every frame the PC sends to a controller or the card issuer, and every
// reply it reads. A frame is the address byte, a count of the bytes after
// it (the count itself included), a command byte and data; no checksum.
// A builder returns nothing when an argument can't be encoded, so a frame
// that would wrap a value modulo 256 is never sent.
namespace frames {

enum Command : std::uint8_t {
    cmdAckSwipe = 0x02,
    cmdReadSys = 0x04,
    cmdClearMemory = 0x06,
    cmdSetTime = 0x08,
    cmdSetDate = 0x09,
    cmdAddCard = 0x0A,
    cmdReadCard = 0x0B,
    cmdClearCardList = 0x0C,
    cmdDeleteCard = 0x0D,
    cmdDelayLock1 = 0x0E,
    cmdOpenLock1 = 0x10,
    cmdCollectRecords = 0x11,
    cmdReadSwipe = 0x1B,
    cmdDelayLock2 = 0x1E,
    cmdReadLockState = 0x1F,
    cmdOpenLock2 = 0x20,
};

std::uint8_t ToBcd(int value);       // 0..99: tens high half, units low half
int FromBcd(std::uint8_t byte);      // any byte, by the same formula (0x1A gives 20)

bool validAddress(int address);      // 0..99
// Card number: exactly 6 digits; physical number: 1..10 digits, padded.
bool validCardNumber(const QString& card);
std::optional<QString> paddedPhysical(const QString& physical);
// Digit pairs of a text of digits, most significant first.
QByteArray packDigits(const QString& digits);
// Two decimal digits per byte, each byte by FromBcd, zero-padded.
QString unpackDigits(const QByteArray& bytes);

// Seconds to 1/14 s steps, halves to the even neighbour; nothing when the
// delay is negative, not a number or beyond 255 steps (18.2 s).
std::optional<std::uint8_t> delaySteps(double seconds);
double delaySeconds(std::uint8_t steps);

// 0 = Sunday .. 6 = Saturday.
int ClockWeekday(const QDate& date);

// The dates a controller holds: a year travels as its last two digits and
// is read back in this century, so 1999 or 2100 would arrive as 2099 or
// 2000. No frame carries a date outside them.
QDate firstControllerDate();   // 2000-01-01
QDate lastControllerDate();    // 2099-12-31
bool controllerHolds(const QDate& date);

// A card as it goes into a controller's list. Dates and times that are
// null, invalid or 0 mean "no window", as a row of faka stores them.
struct CardEntry {
    int address = -1;
    QString physical;     // up to 10 digits; padded to 10 by addtodoor
    QString card;         // 6 digits
    QVariant startDate, endDate;
    int startWeekday = 0, endWeekday = 0;  // 1 = Monday .. 7 = Sunday, 0 = none
    QVariant startTime, endTime;
    int passMode1 = 0, passMode2 = 0;      // 0..3
};

std::optional<QByteArray> ControllerFrame(int address, std::uint8_t command);
std::optional<QByteArray> ReadSysFrame(int address);
std::optional<QByteArray> ClearMemoryFrame(int address);
std::optional<QByteArray> ClearCardListFrame(int address);
std::optional<QByteArray> DelayTimeFrame(int address, int lock, double seconds);
std::optional<QByteArray> DeleteCardFrame(int address, const QString& card);
std::optional<QByteArray> AddCardFrame(const CardEntry& entry);
std::optional<QByteArray> ReadCardFrame(int issuerAddress);
std::optional<QByteArray> OpenLockFrame(int address, int lock);
std::optional<QByteArray> ReadLockStateFrame(int address);
std::optional<QByteArray> ReadSwipeFrame(int address);
std::optional<QByteArray> AckSwipeFrame(int address);
std::optional<QByteArray> SetDateFrame(int address, const QDate& date);
std::optional<QByteArray> SetTimeFrame(int address, const QTime& time);
std::optional<QByteArray> CollectRecordsFrame(int address);

// ---- replies; none reads past the bytes it was given ----

// The first byte is the address the frame went to.
bool AddressEcho(const QByteArray& reply, int address);

struct SysInfBlock {
    int records = 0;
    double delay1 = 0, delay2 = 0;   // seconds
    QDate date;                      // invalid when the bytes are no calendar date
    QTime time;                      // invalid when the bytes are no time of day
    int weekday = 0;                 // ClockWeekday as the controller holds it
    QString version;                 // "1.23", "1.2"
};
// The first 15 bytes of a reply whose first byte is the address.
std::optional<SysInfBlock> decodeSysInf(const QByteArray& reply, int address);

// The physical number of a card-issuer reply: address, 07, 04, 5 pairs.
std::optional<QString> CardReply(const QByteArray& reply, int issuerAddress);

struct SwipeRecord {
    QString physical;   // ten characters, each byte as two upper-case hex digits
    int flag = 0;       // 1 lock-1 in, 2 lock-1 out, 3 lock-2 in, 4 lock-2 out
};
// Nothing for a short reply, another address or a record type other than 04.
std::optional<SwipeRecord> decodeSwipe(const QByteArray& reply, int address);

struct CollectHeader {
    int address = 0;
    int count = 0;
};
std::optional<CollectHeader> decodeCollectHeader(const QByteArray& reply);

struct StoredRecord {
    int address = 0;
    QString card;                        // six digits
    int year = 0, month = 0, day = 0;    // as decoded, year two digits
    int hour = 0, minute = 0;
    int flag = 0;
};
// Eleven bytes (the address and ten data bytes).
std::optional<StoredRecord> decodeStoredRecord(const QByteArray& record);

struct LockState {
    QString lock1 = QStringLiteral("?");   // "關", "開" or "?"
    QString lock2 = QStringLiteral("?");
};
LockState decodeLockState(const QByteArray& reply, int address);

// "鎖一進" .. "鎖二出"; empty for another flag.
QString flagText(int flag);

}  // namespace frames
