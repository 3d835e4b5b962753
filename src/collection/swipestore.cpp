#include "swipestore.h"

#include "dbfailure.h"
#include "recordset.h"
#include "sqlvalue.h"

#include <QSet>
#include <algorithm>
#include <tuple>
#include <QStringList>

namespace swipes {

namespace {

bool packed(std::uint8_t byte) { return (byte >> 4) <= 9 && (byte & 0x0F) <= 9; }

// Every byte as a controller sends it: its address, the card, date and time
// in packed decimal, a flag 1..4; the last byte is not used. A record that
// came short shifts the bytes of those after it, which then fail here.
bool wellFormed(const QByteArray& bytes, int address) {
    if (bytes.size() < 11 || std::uint8_t(bytes[0]) != address)
        return false;
    for (qsizetype i = 1; i <= 8; ++i)
        if (!packed(std::uint8_t(bytes[i])))
            return false;
    const int flag = std::uint8_t(bytes[9]);
    return flag >= 1 && flag <= 4;
}

QDate dateOf(const frames::StoredRecord& r, OutOfRange rule) {
    const int year = fullYear(r.year);
    const bool monthOk = r.month >= 1 && r.month <= 12;
    const bool dayOk = r.day >= 1 && r.day <= 31;
    if (rule == OutOfRange::Whole) {
        const QDate d(year, r.month, r.day);
        return monthOk && dayOk && d.isValid() ? d : QDate(1999, 1, 1);
    }
    const int month = monthOk ? r.month : 1;
    const int day = dayOk ? r.day : 1;
    // A day its month doesn't have (30 February) is out of range as well.
    return QDate::isValid(year, month, day) ? QDate(year, month, day) : QDate(year, month, 1);
}

QTime timeOf(const frames::StoredRecord& r, OutOfRange rule) {
    const bool hourOk = r.hour >= 0 && r.hour <= 23;
    const bool minuteOk = r.minute >= 0 && r.minute <= 59;
    if (rule == OutOfRange::Whole)
        return hourOk && minuteOk ? QTime(r.hour, r.minute) : QTime(0, 0);
    return QTime(hourOk ? r.hour : 0, minuteOk ? r.minute : 0);
}

// The duplicate rule: the same card, day, time, flag and address. The
// first four lead the index on data, so the look-up is a seek.
QString sameRecord(const SwipeRow& row) {
    return QStringLiteral("卡號=%1 and 日期=%2 and 時間=%3 and flag=%4 and 地址=%5")
        .arg(sql::text(row.card), sql::date(row.date), sql::time(row.time), sql::number(qint64(row.flag)),
             sql::number(qint64(row.address)));
}

// A flag outside 1..4 has no lock-and-direction text: the column stays empty.
QString flagIO(int flag) {
    const QString text = frames::flagText(flag);
    return text.isEmpty() ? QStringLiteral("null") : sql::text(text);
}

}  // namespace

int fullYear(int twoDigits) { return twoDigits <= 29 ? 2000 + twoDigits : 1900 + twoDigits; }

std::optional<SwipeRow> toRow(const frames::StoredRecord& record, const QByteArray& bytes, int address,
                              OutOfRange rule) {
    if (!wellFormed(bytes, address))
        return std::nullopt;
    return SwipeRow{record.card, dateOf(record, rule), timeOf(record, rule), address, record.flag};
}

std::optional<SwipeRow> decodeRecord(const QByteArray& bytes, int address, OutOfRange rule) {
    const auto record = frames::decodeStoredRecord(bytes);
    if (!record)
        return std::nullopt;
    return toRow(*record, bytes, address, rule);
}

bool isStored(jet::Database& db, const SwipeRow& row) {
    jet::Recordset rs = db.OpenRecordset(QStringLiteral("select * from data where ") + sameRecord(row), jet::dbOpenSnapshot);
    const bool found = !rs.Eof();
    rs.Close();
    return found;
}

namespace {

const QString columns = QStringLiteral("insert into data (地址,卡號,日期,時間,flag,flagIO) ");

QString values(const SwipeRow& row) {
    return QStringLiteral("%1,%2,%3,%4,%5,%6")
        .arg(sql::number(qint64(row.address)), sql::text(row.card), sql::date(row.date), sql::time(row.time),
             sql::number(qint64(row.flag)), flagIO(row.flag));
}

}  // namespace

void insertRow(jet::Database& db, const SwipeRow& row) {
    db.Execute(columns + QStringLiteral("values (") + values(row) + QLatin1Char(')'));
}

bool storeIfNew(jet::Database& db, const SwipeRow& row) {
    // The look-up and the insert in one statement: one seek on the index.
    return db.Execute(columns + QStringLiteral("select ") + values(row) +
                      QStringLiteral(" where not exists (select * from data where ") + sameRecord(row) +
                      QLatin1Char(')')) > 0;
}

namespace {

// Rows at a time in one statement: parsing it once for many rows is what
// makes a controller's whole memory quick to store into a large table.
constexpr std::size_t batchSize = 500;

// Inserts those of the rows that are not stored yet; returns how many.
int storeBatch(jet::Database& db, const std::vector<SwipeRow>& rows, const std::vector<std::size_t>& which) {
    QStringList tuples;
    tuples.reserve(qsizetype(which.size()));
    for (std::size_t i : which)
        tuples << QLatin1Char('(') + values(rows[i]) + QLatin1Char(')');
    return db.Execute(columns + QStringLiteral("select * from (values ") + tuples.join(QLatin1Char(',')) +
                      QStringLiteral(") as v where not exists (select * from data where 卡號=v.column2 and "
                                     "日期=v.column3 and 時間=v.column4 and flag=v.column5 and 地址=v.column1)"));
}

}  // namespace

StoreResult storeRows(jet::Database& db, const std::vector<SwipeRow>& rows) {
    StoreResult result;
    if (rows.empty())
        return result;
    // The same record twice in one collection (two swipes in one minute) is
    // one row, as it would be collected one after the other.
    std::vector<std::size_t> distinct;
    QSet<QString> seen;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (seen.contains(values(rows[i]))) {
            ++result.already;
            continue;
        }
        seen.insert(values(rows[i]));
        distinct.push_back(i);
    }
    // In the order of the index on data, so each statement's inserts and
    // look-ups go to neighbouring pages.
    const auto key = [&rows](std::size_t i) {
        const SwipeRow& r = rows[i];
        return std::make_tuple(r.card, r.date, r.time, r.flag, r.address);
    };
    std::sort(distinct.begin(), distinct.end(), [&](std::size_t x, std::size_t y) { return key(x) < key(y); });
    try {
        jet::Transaction whole(db);
        for (std::size_t from = 0; from < distinct.size(); from += batchSize) {
            const std::vector<std::size_t> batch(distinct.begin() + std::ptrdiff_t(from),
                                                 distinct.begin() + std::ptrdiff_t(std::min(distinct.size(), from + batchSize)));
            try {
                const int stored = storeBatch(db, rows, batch);
                result.stored += stored;
                result.already += int(batch.size()) - stored;
                continue;
            } catch (const jet::DbError&) {
                // The statement took itself back; row by row finds the rows refused.
            }
            for (std::size_t i : batch) {
                try {
                    if (storeIfNew(db, rows[i]))
                        ++result.stored;
                    else
                        ++result.already;
                } catch (const jet::DbError& e) {
                    result.failedRows.push_back(i);
                    if (result.error.isEmpty())
                        result.error = ui::dbFailureText(e);
                }
            }
        }
        whole.Commit();
    } catch (const jet::DbError& e) {
        result = StoreResult{};
        for (std::size_t i = 0; i < rows.size(); ++i)
            result.failedRows.push_back(i);
        result.error = ui::dbFailureText(e);
    }
    return result;
}

}  // namespace swipes
