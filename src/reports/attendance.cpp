#include "attendance.h"

#include "recordset.h"
#include "sqlvalue.h"

#include <utility>

namespace attendance {

namespace {

const QTime missing(0, 0, 0);

QTime timeOf(const QVariant& v)
{
    if (v.typeId() == QMetaType::QTime)
        return v.toTime();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().time();
    return {};
}

// The swipes among a day's that meet a condition, still ascending.
template <class Condition>
QList<QTime> those(const QList<QTime>& swipes, Condition meets)
{
    QList<QTime> out;
    for (const QTime& t : swipes)
        if (meets(t))
            out << t;
    return out;
}

// Morning in and morning out.
void pickMorning(const QList<QTime>& s, const WorkingHours& h, DayTimes& d)
{
    const QList<QTime> upToAfternoon = those(s, [&](const QTime& t) { return t <= h.afternoonStart; });
    if (upToAfternoon.isEmpty())
        return;
    const QTime first = upToAfternoon.first();
    if (!(first < h.afternoonStart))
        return;
    d.in1 = first;
    const QList<QTime> morning = those(s, [&](const QTime& t) {
        return t > h.morningStart && t < h.afternoonStart && t != first;
    });
    if (morning.size() == 1) {
        d.out1 = morning.first();
    } else if (morning.size() >= 2) {
        const QList<QTime> lunch = those(s, [&](const QTime& t) { return t > h.morningEnd && t < h.afternoonStart; });
        if (lunch.isEmpty()) {
            d.out1 = morning.last();
        } else if (lunch.size() == 1) {
            // One swipe in the lunch break: the way out when the afternoon
            // shows a swipe of its own, else a way back in after lunch.
            const bool afternoonSwipe = !those(s, [&](const QTime& t) {
                                             return t >= h.afternoonStart && t < h.afternoonEnd;
                                         }).isEmpty();
            d.out1 = afternoonSwipe ? lunch.first() : morning[morning.size() - 2];
        } else {
            d.out1 = lunch.first();
        }
    }
}

// Afternoon in and afternoon out; reads the morning out just picked.
void pickAfternoon(const QList<QTime>& s, const WorkingHours& h, DayTimes& d)
{
    const QList<QTime> later = those(s, [&](const QTime& t) { return t > h.morningEnd && t != d.out1; });
    if (later.isEmpty())
        return;
    const QTime first = later.first();
    if (first <= h.afternoonStart) {
        d.in2 = first;
        const QList<QTime> afternoon = those(s, [&](const QTime& t) { return t > h.afternoonStart; });
        if (!afternoon.isEmpty())
            d.out2 = afternoon.last();
    } else if (first < h.afternoonEnd) {
        d.in2 = first;
        if (later.last() != first)
            d.out2 = later.last();
    } else {
        d.out2 = first;
    }
}

// Minutes from a to b on the minute; the seconds play no part.
int minutes(const QTime& a, const QTime& b)
{
    return (b.hour() * 60 + b.minute()) - (a.hour() * 60 + a.minute());
}

// Hours of a span of minutes in hundredths, rounded: m * 100 / 60 never
// ends in exactly half a hundredth, so there is no tie to break.
int hundredthsOfHours(int m)
{
    const int sign = m < 0 ? -1 : 1;
    return sign * ((sign * m * 100 + 30) / 60);
}

QString rangeCondition(const QDate& first, const QDate& last)
{
    return QStringLiteral("日期 between ") + sql::date(first) + QStringLiteral(" and ") + sql::date(last);
}

using SwipeDay = std::pair<QDate, QList<QTime>>;

// "yyyy-MM-dd" and "HH:mm:ss", the forms the database layer stores, read
// without its general parser; anything else through it.
QDate dayFromText(const QString& s)
{
    if (s.size() == 10 && s[4] == QLatin1Char('-') && s[7] == QLatin1Char('-'))
        return QDate(s.left(4).toInt(), s.mid(5, 2).toInt(), s.mid(8, 2).toInt());
    const QVariant v = jet::parseDateTime(s);
    return v.typeId() == QMetaType::QDate ? v.toDate() : QDate();
}

QTime timeFromText(const QString& s)
{
    if (s.size() == 8 && s[2] == QLatin1Char(':') && s[5] == QLatin1Char(':'))
        return QTime(s.left(2).toInt(), s.mid(3, 2).toInt(), s.mid(6, 2).toInt());
    return timeOf(jet::parseDateTime(s));
}

// The card's swipes of the range by day, ascending, read through the index
// on (卡號, 日期, 時間): only the card's own rows of those days. Read as text,
// as reading each value as a date or time would cost more than the pick.
QList<SwipeDay> swipeDays(jet::Database& db, const QString& card, const QDate& first, const QDate& last)
{
    jet::Recordset rs = db.OpenRecordset(QStringLiteral("select 日期 & '', 時間 & '' from data where 卡號=")
                                             + sql::text(card) + QStringLiteral(" and ") + rangeCondition(first, last)
                                             + QStringLiteral(" order by 日期, 時間"),
                                         jet::dbOpenSnapshot);
    QList<SwipeDay> days;
    QString dayText;
    for (; !rs.Eof(); rs.MoveNext()) {
        const QString d = rs.Field(0).toString();
        const QTime time = timeFromText(rs.Field(1).toString());
        if (d != dayText || days.isEmpty()) {
            const QDate day = dayFromText(d);
            // A row without a day or a time of day is met by no comparison.
            if (!day.isValid())
                continue;
            dayText = d;
            if (days.isEmpty() || days.last().first != day)
                days.append({day, {}});
        }
        if (time.isValid())
            days.last().second << time;
    }
    return days;
}

// The days of the range on which anyone swiped, earliest first: one step
// on the index on 日期 each, however many swipes a day holds.
QList<QDate> swipedDays(jet::Database& db, const QDate& first, const QDate& last)
{
    QList<QDate> days;
    for (;;) {
        const QString from = days.isEmpty() ? QStringLiteral("日期 >= ") + sql::date(first)
                                            : QStringLiteral("日期 > ") + sql::date(days.last());
        jet::Recordset rs = db.OpenRecordset(
            QStringLiteral("select min(日期) from data where ") + from + QStringLiteral(" and 日期 <= ") + sql::date(last),
            jet::dbOpenSnapshot);
        // A computed column carries no type: its value comes as text.
        const QDate day = rs.Eof() ? QDate() : dayFromText(rs.Field(0).toString());
        if (!day.isValid())
            return days;
        days << day;
    }
}

// Every row of a swiped day goes, whoever's it is: the day's swipes alone
// say which rows it has. Found through the index on 日期.
void removeDays(jet::Database& db, const QList<QDate>& days)
{
    for (const QDate& day : days)
        db.Execute(QStringLiteral("delete * from datakq where 日期 = ") + sql::date(day));
}

QString rowValues(const QString& card, const QDate& day, const jet::Recordset& person, const DayTimes& t,
                  const Figures& f)
{
    QStringList v{sql::text(card), sql::date(day)};
    // The holder as registered now.
    for (const char* column : {"姓名", "部門", "職務"}) {
        const QVariant value = person.Field(QString::fromUtf8(column));
        v << (value.isNull() ? QStringLiteral("null") : sql::text(value.toString()));
    }
    v << sql::time(t.in1) << sql::time(t.out1) << sql::time(t.in2) << sql::time(t.out2) << sql::number(qint64(f.late))
      << sql::number(qint64(f.leavee)) << sql::number(qint64(f.absent)) << sql::number(f.hrs());
    return QLatin1Char('(') + v.join(QLatin1Char(',')) + QLatin1Char(')');
}

// A card's rows go in together, a few hundred days to a statement: one
// statement per row would cost more than the whole pick.
void insertRows(jet::Database& db, const QStringList& rows)
{
    constexpr qsizetype perStatement = 200;
    for (qsizetype at = 0; at < rows.size(); at += perStatement)
        db.Execute(QStringLiteral("insert into datakq (卡號,日期,姓名,部門,職務,時間1,時間2,時間3,時間4,late,leavee,absent,hrs) "
                                  "values ")
                   + rows.mid(at, perStatement).join(QLatin1Char(',')));
}

}  // namespace

bool isSet(const QTime& t) { return t.isValid() && t != missing; }

bool DayTimes::empty() const { return !isSet(in1) && !isSet(out1) && !isSet(in2) && !isSet(out2); }

std::optional<WorkingHours> readWorkingHours(jet::Database& db)
{
    jet::Recordset rs = db.OpenRecordset(QStringLiteral("select * from owt"), jet::dbOpenSnapshot);
    if (rs.Eof())
        return std::nullopt;
    rs.MoveFirst();
    WorkingHours h{timeOf(rs.Field(QStringLiteral("上班時間"))), timeOf(rs.Field(QStringLiteral("下班時間"))),
                   timeOf(rs.Field(QStringLiteral("timeB"))), timeOf(rs.Field(QStringLiteral("timeE")))};
    if (!h.morningStart.isValid() || !h.morningEnd.isValid() || !h.afternoonStart.isValid()
        || !h.afternoonEnd.isValid())
        return std::nullopt;
    return h;
}

DayTimes pickTimes(const QList<QTime>& swipes, const WorkingHours& hours)
{
    DayTimes d{missing, missing, missing, missing};
    pickMorning(swipes, hours, d);
    pickAfternoon(swipes, hours, d);
    return d;
}

Figures figures(const DayTimes& t, const WorkingHours& h, const QDate& day)
{
    Figures f;
    const bool workday = day.dayOfWeek() <= 5;
    const int morningLength = minutes(h.morningStart, h.morningEnd);
    const int afternoonLength = minutes(h.afternoonStart, h.afternoonEnd);
    if (isSet(t.in1) && isSet(t.out1))
        f.hundredths = hundredthsOfHours(minutes(t.in1, t.out1));
    if (isSet(t.in2) && isSet(t.out2))
        f.hundredths += hundredthsOfHours(minutes(t.in2, t.out2));

    if (isSet(t.in1))
        f.late = std::max(0, minutes(h.morningStart, t.in1));
    else if (workday)
        f.absent = morningLength;
    if (isSet(t.out1))
        f.leavee = std::max(0, minutes(t.out1, h.morningEnd));
    else if (workday)
        f.absent = morningLength;  // a morning missing both times counts once
    if (isSet(t.in2)) {
        if (const int m = minutes(h.afternoonStart, t.in2); m > 0)
            f.late += m;
    } else if (workday) {
        f.absent += afternoonLength;
    }
    if (isSet(t.out2)) {
        if (const int m = minutes(t.out2, h.afternoonEnd); m > 0)
            f.leavee = m;
    } else if (workday) {
        f.absent += afternoonLength;
    }
    return f;
}

QStringList swipedCards(jet::Database& db)
{
    QStringList cards;
    for (;;) {
        const QString after =
            cards.isEmpty() ? QString() : QStringLiteral(" where 卡號 > ") + sql::text(cards.last());
        jet::Recordset rs =
            db.OpenRecordset(QStringLiteral("select min(卡號) from data") + after, jet::dbOpenSnapshot);
        const QVariant next = rs.Eof() ? QVariant() : rs.Field(0);
        if (!next.isValid() || next.isNull())
            return cards;
        cards << next.toString();
    }
}

void rebuild(jet::Database& db, const WorkingHours& hours, const QDate& first, const QDate& last,
             const Progress& progress)
{
    const QStringList cards = swipedCards(db);
    if (cards.isEmpty())
        return;
    const QList<QDate> days = swipedDays(db, first, last);
    if (days.isEmpty())
        return;
    removeDays(db, days);
    if (progress.started)
        progress.started(static_cast<int>(cards.size()));
    jet::Recordset person = db.OpenRecordset(QStringLiteral("people"), jet::dbOpenTable);
    person.SetIndex(QStringLiteral("Primarykey"));
    for (const QString& card : cards) {
        person.Seek(QStringLiteral("="), card);
        // A card without a holder any more gets no rows.
        if (person.NoMatch())
            continue;
        QStringList rows;
        for (const auto& [day, swipes] : swipeDays(db, card, first, last)) {
            const DayTimes t = pickTimes(swipes, hours);
            if (!t.empty())
                rows << rowValues(card, day, person, t, figures(t, hours, day));
        }
        insertRows(db, rows);
        if (progress.cardDone)
            progress.cardDone();
    }
}

}  // namespace attendance
