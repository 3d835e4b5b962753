#include "pickbyselect.h"

#include "attendance.h"
#include "recordset.h"
#include "sqlvalue.h"

#include <QStringList>

namespace pickbyselect {

namespace {

QString dateText(const QDate& d) { return jet::storedDate(d); }
QString timeText(const QTime& t) { return jet::storedTime(t); }

QTime timeField(const jet::Recordset& rs) { return rs.Field(QStringLiteral("時間")).toTime(); }

struct Picker {
    jet::Database& db;
    const attendance::WorkingHours& h;
    QString base;  // the card's swipes of the day, up to the date's closing #

    jet::Recordset open(const QString& conditions, const QString& ending = QStringLiteral("# order by 時間"))
    {
        return db.OpenRecordset(base + conditions + ending, jet::dbOpenDynaset);
    }
    static int count(jet::Recordset& rs)
    {
        if (rs.Eof())
            return 0;
        rs.MoveLast();
        return rs.RecordCount();
    }

    void morning(attendance::DayTimes& d)
    {
        jet::Recordset q1 = open(QStringLiteral("# and 時間<= #") + timeText(h.afternoonStart));
        if (q1.Eof())
            return;
        const QTime f = timeField(q1);
        if (!(f < h.afternoonStart))
            return;
        d.in1 = f;
        jet::Recordset q2 = open(QStringLiteral("# and  時間 > #") + timeText(h.morningStart) + QStringLiteral("# and 時間 < #")
                                 + timeText(h.afternoonStart) + QStringLiteral("#  and 時間<> #") + timeText(f));
        const int n2 = count(q2);
        if (n2 == 0)
            return;
        if (n2 == 1) {
            q2.MoveFirst();
            d.out1 = timeField(q2);
            return;
        }
        jet::Recordset q3 = open(QStringLiteral("# and  時間 > #") + timeText(h.morningEnd) + QStringLiteral("# and 時間 < #")
                                 + timeText(h.afternoonStart));
        const int n3 = count(q3);
        if (n3 == 0) {
            q2.MoveLast();
            d.out1 = timeField(q2);
        } else if (n3 == 1) {
            jet::Recordset q4 = open(QStringLiteral("# and  時間 >= #") + timeText(h.afternoonStart)
                                     + QStringLiteral("# and 時間 < #") + timeText(h.afternoonEnd));
            if (!q4.Eof()) {
                q3.MoveFirst();
                d.out1 = timeField(q3);
            } else {
                q2.MoveLast();
                q2.MovePrevious();
                d.out1 = timeField(q2);
            }
        } else {
            q3.MoveFirst();
            d.out1 = timeField(q3);
        }
    }

    void afternoon(attendance::DayTimes& d)
    {
        const QString out1 = attendance::isSet(d.out1) ? timeText(d.out1) : QStringLiteral("0:0:0");
        jet::Recordset q5 = open(QStringLiteral("# and 時間> #") + timeText(h.morningEnd) + QStringLiteral("# and 時間<> #") + out1,
                                 QStringLiteral("#order by 時間"));
        if (q5.Eof())
            return;
        const QTime g = timeField(q5);
        if (g <= h.afternoonStart) {
            d.in2 = g;
            jet::Recordset q6 = open(QStringLiteral("# and 時間> #") + timeText(h.afternoonStart));
            if (!q6.Eof()) {
                q6.MoveLast();
                d.out2 = timeField(q6);
            }
        } else if (g < h.afternoonEnd) {
            d.in2 = g;
            q5.MoveLast();
            if (timeField(q5) != g)
                d.out2 = timeField(q5);
        } else {
            d.out2 = g;
        }
    }
};

}  // namespace

void run(jet::Database& db, const QDate& first, const QDate& last)
{
    const std::optional<attendance::WorkingHours> hours = attendance::readWorkingHours(db);
    if (!hours)
        return;
    const QString d1 = dateText(first);
    const QString d2 = dateText(last);
    db.Execute(QStringLiteral("delete * from datakq where 日期 between #") + d1 + QStringLiteral("# and #") + d2
               + QStringLiteral("#"));
    jet::Recordset kq = db.OpenRecordset(QStringLiteral("datakq"), jet::dbOpenTable);
    kq.SetIndex(QStringLiteral("Primarykey"));
    QStringList cards;
    for (jet::Recordset rs = db.OpenRecordset(QStringLiteral("select distinct 卡號 from data order by 卡號"));
         !rs.Eof(); rs.MoveNext())
        cards << rs.Field(0).toString();
    QList<QDate> days;
    for (jet::Recordset rs = db.OpenRecordset(QStringLiteral("select distinct 日期 from data where 日期 between #") + d1
                                              + QStringLiteral("# and #") + d2 + QStringLiteral("#"));
         !rs.Eof(); rs.MoveNext())
        days << rs.Field(0).toDate();
    if (cards.isEmpty() || days.isEmpty())
        return;
    jet::Recordset person = db.OpenRecordset(QStringLiteral("people"), jet::dbOpenTable);
    person.SetIndex(QStringLiteral("Primarykey"));
    for (const QString& card : cards) {
        person.Seek(QStringLiteral("="), card);
        if (person.NoMatch())
            continue;
        for (const QDate& day : days) {
            Picker p{db, *hours,
                     QStringLiteral("select * from data where 卡號='") + card + QStringLiteral("'and 日期=#") + dateText(day)};
            const QTime none(0, 0, 0);
            attendance::DayTimes t{none, none, none, none};
            p.morning(t);
            p.afternoon(t);
            if (t.empty())
                continue;
            kq.Seek(QStringLiteral("="), card, day);
            if (kq.NoMatch()) {
                kq.AddNew();
                for (const char* c : {"姓名", "部門", "職務"})
                    kq.SetField(QString::fromUtf8(c), person.Field(QString::fromUtf8(c)));
                kq.SetField(QStringLiteral("卡號"), card);
                kq.SetField(QStringLiteral("日期"), day);
            } else {
                kq.Edit();
            }
            const attendance::Figures f = attendance::figures(t, *hours, day);
            kq.SetField(QStringLiteral("時間1"), t.in1);
            kq.SetField(QStringLiteral("時間2"), t.out1);
            kq.SetField(QStringLiteral("時間3"), t.in2);
            kq.SetField(QStringLiteral("時間4"), t.out2);
            kq.SetField(QStringLiteral("late"), f.late);
            kq.SetField(QStringLiteral("leavee"), f.leavee);
            kq.SetField(QStringLiteral("absent"), f.absent);
            kq.SetField(QStringLiteral("hrs"), f.hrs());
            kq.Update();
        }
    }
}

}  // namespace pickbyselect
