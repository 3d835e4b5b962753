#include "swipestore.h"

#include "recordset.h"
#include "sqlvalue.h"

namespace swipes {

namespace {

bool packed(std::uint8_t byte) { return (byte >> 4) <= 9 && (byte & 0x0F) <= 9; }

// Card, date and time bytes: 1 to 8 of the record.
bool packedFields(const QByteArray& bytes) {
    for (qsizetype i = 1; i <= 8; ++i)
        if (!packed(std::uint8_t(bytes[i])))
            return false;
    return true;
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

QString lookup(const SwipeRow& row) {
    return QStringLiteral("select * from data where 卡號=%1 and 日期=%2 and 時間=%3 and flag=%4 and 地址=%5")
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
    if (bytes.size() < 11 || !packedFields(bytes))
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
    jet::Recordset rs = db.OpenRecordset(lookup(row), jet::dbOpenSnapshot);
    const bool found = !rs.Eof();
    rs.Close();
    return found;
}

void insertRow(jet::Database& db, const SwipeRow& row) {
    db.Execute(QStringLiteral("insert into data (地址,卡號,日期,時間,flag,flagIO) values (%1,%2,%3,%4,%5,%6)")
                   .arg(sql::number(qint64(row.address)), sql::text(row.card), sql::date(row.date),
                        sql::time(row.time), sql::number(qint64(row.flag)), flagIO(row.flag)));
}

StoreResult storeRows(jet::Database& db, const std::vector<SwipeRow>& rows) {
    StoreResult result;
    if (rows.empty())
        return result;
    try {
        jet::Transaction whole(db);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            try {
                jet::Transaction one(db);
                if (isStored(db, rows[i])) {
                    ++result.already;
                } else {
                    insertRow(db, rows[i]);
                    ++result.stored;
                }
                one.Commit();
            } catch (const jet::DbError& e) {
                result.failedRows.push_back(i);
                if (result.error.isEmpty())
                    result.error = e.message();
            }
        }
        whole.Commit();
    } catch (const jet::DbError& e) {
        result = StoreResult{};
        for (std::size_t i = 0; i < rows.size(); ++i)
            result.failedRows.push_back(i);
        result.error = e.message();
    }
    return result;
}

}  // namespace swipes
