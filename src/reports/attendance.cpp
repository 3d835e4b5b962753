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

QString cardDayCondition(const QString& card, const QDate& day)
{
    return QStringLiteral(" where 卡號=") + sql::text(card) + QStringLiteral(" and 日期=") + sql::date(day);
}

QString rangeCondition(const QDate& first, const QDate& last)
{
    return QStringLiteral("日期 between ") + sql::date(first) + QStringLiteral(" and ") + sql::date(last);
}

bool hasSwipes(jet::Database& db, const QDate& first, const QDate& last)
{
    jet::Recordset rs = db.OpenRecordset(
        QStringLiteral("select min(日期) from data where ") + rangeCondition(first, last), jet::dbOpenSnapshot);
    return !rs.Eof() && rs.Field(0).isValid();
}

using SwipeDay = std::pair<QDate, QList<QTime>>;

// The card's swipes of the range by day, read through the index on
// (卡號, 日期, 時間): only the card's own rows of those days.
QList<SwipeDay> swipeDays(jet::Database& db, const QString& card, const QDate& first, const QDate& last)
{
    jet::Recordset rs = db.OpenRecordset(QStringLiteral("select 日期, 時間 from data where 卡號=") + sql::text(card)
                                             + QStringLiteral(" and ") + rangeCondition(first, last)
                                             + QStringLiteral(" order by 日期, 時間"),
                                         jet::dbOpenSnapshot);
    QList<SwipeDay> days;
    for (; !rs.Eof(); rs.MoveNext()) {
        const QVariant day = rs.Field(0);
        const QTime time = timeOf(rs.Field(1));
        // A row without a day or a time of day is met by no comparison.
        if (day.typeId() != QMetaType::QDate || !time.isValid())
            continue;
        if (days.isEmpty() || days.last().first != day.toDate())
            days.append({day.toDate(), {}});
        days.last().second << time;
    }
    return days;
}

void store(jet::Recordset& kq, const jet::Recordset& person, const QString& card, const QDate& day,
           const DayTimes& t, const Figures& f)
{
    kq.Seek(QStringLiteral("="), card, day);
    if (kq.NoMatch()) {
        kq.AddNew();
        kq.SetField(QStringLiteral("卡號"), card);
        kq.SetField(QStringLiteral("日期"), day);
    } else {
        kq.Edit();
    }
    // The holder as registered now, as on a row made afresh.
    for (const char* column : {"姓名", "部門", "職務"})
        kq.SetField(QString::fromUtf8(column), person.Field(QString::fromUtf8(column)));
    setTimesAndFigures(kq, t, f);
    kq.Update();
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

void setTimesAndFigures(jet::Recordset& kq, const DayTimes& t, const Figures& f)
{
    kq.SetField(QStringLiteral("時間1"), t.in1);
    kq.SetField(QStringLiteral("時間2"), t.out1);
    kq.SetField(QStringLiteral("時間3"), t.in2);
    kq.SetField(QStringLiteral("時間4"), t.out2);
    kq.SetField(QStringLiteral("late"), f.late);
    kq.SetField(QStringLiteral("leavee"), f.leavee);
    kq.SetField(QStringLiteral("absent"), f.absent);
    kq.SetField(QStringLiteral("hrs"), f.hrs());
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
    if (cards.isEmpty() || !hasSwipes(db, first, last))
        return;
    if (progress.started)
        progress.started(static_cast<int>(cards.size()));
    jet::Recordset kq = db.OpenRecordset(QStringLiteral("datakq"), jet::dbOpenTable);
    kq.SetIndex(QStringLiteral("Primarykey"));
    jet::Recordset person = db.OpenRecordset(QStringLiteral("people"), jet::dbOpenTable);
    person.SetIndex(QStringLiteral("Primarykey"));
    for (const QString& card : cards) {
        person.Seek(QStringLiteral("="), card);
        if (person.NoMatch()) {
            // No holder any more: the card's days of the range get no rows.
            db.Execute(QStringLiteral("delete * from datakq where 卡號=") + sql::text(card)
                       + QStringLiteral(" and 日期 in (select 日期 from data where 卡號=") + sql::text(card)
                       + QStringLiteral(" and ") + rangeCondition(first, last) + QStringLiteral(")"));
            continue;
        }
        for (const auto& [day, swipes] : swipeDays(db, card, first, last)) {
            const DayTimes t = pickTimes(swipes, hours);
            if (t.empty())
                db.Execute(QStringLiteral("delete * from datakq") + cardDayCondition(card, day));
            else
                store(kq, person, card, day, t, figures(t, hours, day));
        }
        if (progress.cardDone)
            progress.cardDone();
    }
}

}  // namespace attendance
