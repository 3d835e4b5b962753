#include "frames.h"

#include <QDateTime>
#include <cmath>

namespace frames {

namespace {

std::uint8_t byteOf(int value) { return std::uint8_t(value); }

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(byteOf(v)));
    return out;
}

bool allDigits(const QString& text) {
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

bool isZero(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Short:
        return v.toDouble() == 0;
    case QMetaType::QString:
        return v.toString().trimmed().isEmpty() || v.toString().trimmed() == QLatin1String("0");
    default:
        return false;
    }
}

std::optional<QDate> windowDate(const QVariant& v) {
    if (v.isNull() || !v.isValid() || isZero(v))
        return std::nullopt;
    QDate d;
    if (v.typeId() == QMetaType::QDate)
        d = v.toDate();
    else if (v.typeId() == QMetaType::QDateTime)
        d = v.toDateTime().date();
    else
        d = QDate::fromString(v.toString().trimmed(), Qt::ISODate);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

std::optional<QTime> windowTime(const QVariant& v) {
    if (v.isNull() || !v.isValid() || isZero(v))
        return std::nullopt;
    QTime t;
    if (v.typeId() == QMetaType::QTime)
        t = v.toTime();
    else if (v.typeId() == QMetaType::QDateTime)
        t = v.toDateTime().time();
    else {
        const QString s = v.toString().trimmed();
        t = QTime::fromString(s, QStringLiteral("H:mm:ss"));
        if (!t.isValid())
            t = QTime::fromString(s, QStringLiteral("H:mm"));
    }
    // 00:00 is the stored form of "no time".
    if (!t.isValid() || t == QTime(0, 0))
        return std::nullopt;
    return t;
}

bool validPassMode(int mode) { return mode >= 0 && mode <= 3; }
bool validWeekday(int day) { return day >= 0 && day <= 7; }

}  // namespace

std::uint8_t ToBcd(int value) { return byteOf((value / 10) * 16 + value % 10); }

int FromBcd(std::uint8_t byte) { return (byte / 16) * 10 + byte % 16; }

bool validAddress(int address) { return address >= 0 && address <= 99; }

bool validCardNumber(const QString& card) { return card.size() == 6 && allDigits(card); }

std::optional<QString> paddedPhysical(const QString& physical) {
    if (physical.isEmpty() || physical.size() > 10 || !allDigits(physical))
        return std::nullopt;
    return physical.rightJustified(10, QLatin1Char('0'));
}

QByteArray packDigits(const QString& digits) {
    QByteArray out;
    for (qsizetype i = 0; i + 1 < digits.size(); i += 2)
        out.append(char(byteOf(digits[i].digitValue() * 16 + digits[i + 1].digitValue())));
    return out;
}

QString unpackDigits(const QByteArray& packed) {
    QString out;
    for (char b : packed)
        out += QStringLiteral("%1").arg(FromBcd(std::uint8_t(b)), 2, 10, QLatin1Char('0'));
    return out;
}

std::optional<std::uint8_t> delaySteps(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0)
        return std::nullopt;
    // nearbyint rounds halves to even under the default rounding mode.
    const double steps = std::nearbyint(seconds * 14);
    if (steps > 255)
        return std::nullopt;
    return std::uint8_t(steps);
}

double delaySeconds(std::uint8_t steps) { return steps / 14.0; }

int ClockWeekday(const QDate& date) { return date.dayOfWeek() % 7; }

QDate firstControllerDate() { return QDate(2000, 1, 1); }

QDate lastControllerDate() { return QDate(2099, 12, 31); }

bool controllerHolds(const QDate& date)
{
    return date.isValid() && date >= firstControllerDate() && date <= lastControllerDate();
}

std::optional<QByteArray> ControllerFrame(int address, std::uint8_t command) {
    if (!validAddress(address))
        return std::nullopt;
    return bytes({address, 0x02, command});
}

std::optional<QByteArray> ReadSysFrame(int a) { return ControllerFrame(a, cmdReadSys); }
std::optional<QByteArray> ClearMemoryFrame(int a) { return ControllerFrame(a, cmdClearMemory); }
std::optional<QByteArray> ClearCardListFrame(int a) { return ControllerFrame(a, cmdClearCardList); }
std::optional<QByteArray> ReadCardFrame(int ia) { return ControllerFrame(ia, cmdReadCard); }
std::optional<QByteArray> ReadLockStateFrame(int a) { return ControllerFrame(a, cmdReadLockState); }
std::optional<QByteArray> ReadSwipeFrame(int a) { return ControllerFrame(a, cmdReadSwipe); }
std::optional<QByteArray> AckSwipeFrame(int a) { return ControllerFrame(a, cmdAckSwipe); }
std::optional<QByteArray> CollectRecordsFrame(int a) { return ControllerFrame(a, cmdCollectRecords); }

std::optional<QByteArray> OpenLockFrame(int address, int lock) {
    return ControllerFrame(address, lock == 1 ? cmdOpenLock1 : cmdOpenLock2);
}

std::optional<QByteArray> DelayTimeFrame(int address, int lock, double seconds) {
    const auto steps = delaySteps(seconds);
    if (!validAddress(address) || !steps)
        return std::nullopt;
    return bytes({address, 0x05, lock == 1 ? cmdDelayLock1 : cmdDelayLock2, *steps, 0, 0});
}

std::optional<QByteArray> DeleteCardFrame(int address, const QString& card) {
    if (!validAddress(address) || !validCardNumber(card))
        return std::nullopt;
    return bytes({address, 0x05, cmdDeleteCard}) + packDigits(card);
}

std::optional<QByteArray> AddCardFrame(const CardEntry& e) {
    const auto physical = paddedPhysical(e.physical);
    if (!validAddress(e.address) || !physical || !validCardNumber(e.card) || !validPassMode(e.passMode1) ||
        !validPassMode(e.passMode2) || !validWeekday(e.startWeekday) || !validWeekday(e.endWeekday))
        return std::nullopt;
    QByteArray f = bytes({e.address, 0x15, cmdAddCard}) + packDigits(*physical) + packDigits(e.card);
    const auto d1 = windowDate(e.startDate), d2 = windowDate(e.endDate);
    if (d1 && d2 && (!controllerHolds(*d1) || !controllerHolds(*d2)))
        return std::nullopt;
    if (d1 && d2)
        f += bytes({ToBcd(d1->year() % 100), ToBcd(d2->year() % 100), e.passMode1 * 32 + ToBcd(d1->month()),
                    e.passMode2 * 32 + ToBcd(d2->month()), ToBcd(d1->day()), ToBcd(d2->day())});
    else
        f += bytes({0, 0, e.passMode1 * 32, e.passMode2 * 32, 0, 0});
    const auto t1 = windowTime(e.startTime), t2 = windowTime(e.endTime);
    if (t1 && t2)
        f += bytes({ToBcd(t1->hour()), ToBcd(t2->hour()), ToBcd(t1->minute()), ToBcd(t2->minute())});
    else
        f += bytes({0, 0, 0, 0});
    f += bytes({e.startWeekday * 16 + e.endWeekday});
    return f;
}

std::optional<QByteArray> SetDateFrame(int address, const QDate& date) {
    if (!validAddress(address) || !controllerHolds(date))
        return std::nullopt;
    return bytes({address, 0x05, cmdSetDate, ToBcd(date.year() % 100), ClockWeekday(date) * 32 + ToBcd(date.month()),
                  ToBcd(date.day())});
}

std::optional<QByteArray> SetTimeFrame(int address, const QTime& time) {
    if (!validAddress(address) || !time.isValid())
        return std::nullopt;
    return bytes({address, 0x05, cmdSetTime, ToBcd(time.hour()), ToBcd(time.minute()), ToBcd(time.second())});
}

// ---- replies ----

namespace {
std::uint8_t at(const QByteArray& b, qsizetype i) { return std::uint8_t(b[i]); }
}  // namespace

bool AddressEcho(const QByteArray& reply, int address) {
    return !reply.isEmpty() && at(reply, 0) == address;
}

std::optional<SysInfBlock> decodeSysInf(const QByteArray& r, int address) {
    if (r.size() < 15 || at(r, 0) != address)
        return std::nullopt;
    SysInfBlock b;
    b.records = at(r, 1) * 256 + at(r, 2);
    b.delay1 = delaySeconds(at(r, 3));
    b.delay2 = delaySeconds(at(r, 4));
    const int century = QDate::currentDate().year() / 100 * 100;
    b.date = QDate(century + FromBcd(at(r, 5)), FromBcd(at(r, 6)), FromBcd(at(r, 7)));
    b.time = QTime(FromBcd(at(r, 8)), FromBcd(at(r, 9)), FromBcd(at(r, 10)));
    b.weekday = FromBcd(at(r, 11));
    b.version = QStringLiteral("%1.%2").arg(FromBcd(at(r, 12))).arg(FromBcd(at(r, 13)));
    if (at(r, 14) != 0)
        b.version += QString::number(FromBcd(at(r, 14)));
    return b;
}

std::optional<QString> CardReply(const QByteArray& r, int issuerAddress) {
    if (r.size() < 8 || at(r, 0) != issuerAddress || at(r, 1) != 0x07 || at(r, 2) != 0x04)
        return std::nullopt;
    return unpackDigits(r.mid(3, 5));
}

std::optional<SwipeRecord> decodeSwipe(const QByteArray& r, int address) {
    if (r.size() < 9 || at(r, 0) != address || at(r, 2) != 0x04)
        return std::nullopt;
    return SwipeRecord{QString::fromLatin1(r.mid(3, 5).toHex().toUpper()), at(r, 8)};
}

std::optional<CollectHeader> decodeCollectHeader(const QByteArray& r) {
    if (r.size() < 3)
        return std::nullopt;
    return CollectHeader{at(r, 0), at(r, 1) * 256 + at(r, 2)};
}

std::optional<StoredRecord> decodeStoredRecord(const QByteArray& r) {
    if (r.size() < 11)
        return std::nullopt;
    StoredRecord s;
    s.address = at(r, 0);
    s.card = unpackDigits(r.mid(1, 3));
    s.year = FromBcd(at(r, 4));
    s.month = FromBcd(at(r, 5));
    s.day = FromBcd(at(r, 6));
    s.hour = FromBcd(at(r, 7));
    s.minute = FromBcd(at(r, 8));
    s.flag = at(r, 9);
    return s;
}

LockState decodeLockState(const QByteArray& r, int address) {
    LockState s;
    if (r.size() < 2 || at(r, 0) != address)
        return s;
    const std::uint8_t v = at(r, 1);
    if (v != 0x22 && v != 0x24 && v != 0x42 && v != 0x44)
        return s;
    const auto name = [](int half) { return half == 4 ? QStringLiteral("開") : QStringLiteral("關"); };
    s.lock1 = name(v & 0x0F);
    s.lock2 = name(v >> 4);
    return s;
}

QString flagText(int flag) {
    switch (flag) {
    case 1: return QStringLiteral("鎖一進");
    case 2: return QStringLiteral("鎖一出");
    case 3: return QStringLiteral("鎖二進");
    case 4: return QStringLiteral("鎖二出");
    default: return QString();
    }
}

}  // namespace frames
