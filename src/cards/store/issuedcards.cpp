#include "issuedcards.h"

#include "recordset.h"
#include "sqlvalue.h"

namespace cardstore {

namespace {

bool isNull(const QVariant& v) { return !v.isValid() || v.isNull(); }

QDate dateOf(const QVariant& v)
{
    if (isNull(v))
        return {};
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    const QVariant parsed = jet::parseDateTime(v.toString());
    return parsed.typeId() == QMetaType::QDateTime ? parsed.toDateTime().date() : parsed.toDate();
}

QTime timeOf(const QVariant& v)
{
    if (isNull(v))
        return {};
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().time();
    if (v.typeId() == QMetaType::QTime)
        return v.toTime();
    const QVariant parsed = jet::parseDateTime(v.toString());
    return parsed.typeId() == QMetaType::QDateTime ? parsed.toDateTime().time() : parsed.toTime();
}

QString where(int address, const QString& card)
{
    return QStringLiteral(" where 卡號=") + sql::text(card) + QStringLiteral(" and 地址=") + sql::number(qint64(address));
}

bool hasRows(jet::Database& db, const QString& select)
{
    jet::Recordset rs = db.OpenRecordset(select, jet::dbOpenSnapshot);
    const bool found = !rs.Eof();
    rs.Close();
    return found;
}

}  // namespace

bool dateWindowStored(const QVariant& start, const QVariant& end) { return !isNull(start) && !isNull(end); }

bool weekdayWindowStored(const QVariant& start, const QVariant& end)
{
    return !isNull(start) && !isNull(end) && (start.toInt() != 0 || end.toInt() != 0);
}

bool timeWindowStored(const QVariant& start, const QVariant& end)
{
    if (isNull(start) || isNull(end))
        return false;
    const QTime midnight(0, 0);
    return timeOf(start) != midnight || timeOf(end) != midnight;
}

int passModeStored(const QVariant& value)
{
    if (isNull(value))
        return -1;
    bool ok = false;
    const int mode = value.toInt(&ok);
    return ok && mode >= 0 && mode <= 3 ? mode : -1;
}

IssuedCard fromRow(const jet::Recordset& row)
{
    IssuedCard c;
    c.address = row.Field(QStringLiteral("地址")).toInt();
    c.card = row.Field(QStringLiteral("卡號")).toString().trimmed();
    c.physical = row.Field(QStringLiteral("物理卡號")).toString().trimmed();
    c.lock1Mode = passModeStored(row.Field(QStringLiteral("ctrl_state1")));
    c.lock2Mode = passModeStored(row.Field(QStringLiteral("ctrl_state2")));
    const QVariant sd = row.Field(QStringLiteral("開始日期")), ed = row.Field(QStringLiteral("截止日期"));
    if (dateWindowStored(sd, ed)) {
        c.startDate = dateOf(sd);
        c.endDate = dateOf(ed);
    }
    const QVariant sw = row.Field(QStringLiteral("開始星期")), ew = row.Field(QStringLiteral("截止星期"));
    if (weekdayWindowStored(sw, ew)) {
        c.startWeekday = sw.toInt();
        c.endWeekday = ew.toInt();
    }
    const QVariant st = row.Field(QStringLiteral("開始時間")), et = row.Field(QStringLiteral("截止時間"));
    if (timeWindowStored(st, et)) {
        c.startTime = timeOf(st);
        c.endTime = timeOf(et);
    }
    return c;
}

QList<std::pair<QString, QString>> unreadableWindows(const jet::Recordset& row)
{
    QList<std::pair<QString, QString>> out;
    const auto check = [&](const char* column, const auto& readable) {
        const QString name = QString::fromUtf8(column);
        const QVariant v = row.Field(name);
        if (!isNull(v) && !readable(v))
            out.append({name, v.toString()});
    };
    const auto date = [](const QVariant& v) { return dateOf(v).isValid(); };
    const auto weekday = [](const QVariant& v) {
        bool ok = false;
        v.toInt(&ok);
        return ok;
    };
    const auto time = [](const QVariant& v) { return timeOf(v).isValid(); };
    check("開始日期", date);
    check("截止日期", date);
    check("開始星期", weekday);
    check("截止星期", weekday);
    check("開始時間", time);
    check("截止時間", time);
    return out;
}

bool isIssuedAt(jet::Database& db, int address, const QString& card)
{
    return hasRows(db, QStringLiteral("select * from faka") + where(address, card));
}

bool isIssued(jet::Database& db, const QString& card)
{
    return hasRows(db, QStringLiteral("select * from faka where 卡號=") + sql::text(card));
}

void insertIssued(jet::Database& db, const IssuedCard& c)
{
    // A row without its windows would open the door at any date and hour.
    jet::Transaction whole(db);
    db.Execute(QStringLiteral("insert into faka(地址,卡號,物理卡號,ctrl_state1,ctrl_state2) values(")
               + sql::text(QString::number(c.address)) + ',' + sql::text(c.card) + ',' + sql::text(c.physical) + ','
               + sql::number(qint64(c.lock1Mode)) + ',' + sql::number(qint64(c.lock2Mode)) + ')');
    if (c.hasDateWindow())
        db.Execute(QStringLiteral("update faka set 開始日期=") + sql::date(c.startDate) + QStringLiteral(",截止日期=")
                   + sql::date(c.endDate) + where(c.address, c.card));
    if (c.hasWeekdayWindow())
        db.Execute(QStringLiteral("update faka set 開始星期=") + sql::number(qint64(c.startWeekday))
                   + QStringLiteral(",截止星期=") + sql::number(qint64(c.endWeekday)) + where(c.address, c.card));
    if (c.hasTimeWindow())
        db.Execute(QStringLiteral("update faka set 開始時間=") + sql::time(c.startTime) + QStringLiteral(",截止時間=")
                   + sql::time(c.endTime) + where(c.address, c.card));
    whole.Commit();
}

QString archivedColumns()
{
    return QStringLiteral("地址,卡號,開始日期,截止日期,開始星期,截止星期,開始時間,截止時間,物理卡號,姓名,部門,ctrl_state1,ctrl_state2");
}

void archive(jet::Database& db, const jet::Recordset& r)
{
    jet::Recordset history = db.OpenRecordset(QStringLiteral("dfaka"), jet::dbOpenTable);
    history.AddNew();
    history.SetField(QStringLiteral("地址"), r.Field(QStringLiteral("地址")));
    history.SetField(QStringLiteral("卡號"), r.Field(QStringLiteral("卡號")));
    for (const char* column : {"開始日期", "截止日期", "開始星期", "截止星期", "開始時間", "截止時間", "物理卡號",
                               "ctrl_state1", "ctrl_state2"}) {
        const QVariant v = r.Field(QString::fromUtf8(column));
        if (!isNull(v))
            history.SetField(QString::fromUtf8(column), v);
    }
    for (const char* column : {"姓名", "部門"}) {
        const QVariant v = r.Field(QString::fromUtf8(column));
        if (!isNull(v) && !v.toString().isEmpty())
            history.SetField(QString::fromUtf8(column), v);
    }
    history.SetField(QStringLiteral("日期"), QDate::currentDate());
    history.Update();
    history.Close();
}

void archiveAndRemove(jet::Database& db, int address, const QString& card)
{
    // Never returned and still issued at once.
    jet::Transaction whole(db);
    jet::Recordset source = db.OpenRecordset(QStringLiteral(" select ") + archivedColumns()
                                             + QStringLiteral(" from fakapl where 地址=") + sql::number(qint64(address))
                                             + QStringLiteral(" and 卡號=") + sql::text(card),
                                             jet::dbOpenDynaset);
    if (!source.Eof())
        archive(db, source);
    source.Close();
    removeIssued(db, address, card);
    whole.Commit();
}

void removeIssued(jet::Database& db, int address, const QString& card)
{
    db.Execute(QStringLiteral("delete * from faka where 地址=") + sql::number(qint64(address))
               + QStringLiteral(" and 卡號=") + sql::text(card));
}

void writeHolder(jet::Database& db, const Holder& h)
{
    // Never a new row holding the card number alone.
    jet::Transaction whole(db);
    const QString card = sql::text(h.card);
    if (!hasRows(db, QStringLiteral("select 卡號 from people where 卡號=") + card))
        db.Execute(QStringLiteral("insert into people (卡號) values (") + card + ')');
    db.Execute(QStringLiteral("update people set 姓名=") + sql::text(h.name) + QStringLiteral(",部門=")
               + sql::text(h.department) + QStringLiteral(",職務=") + sql::text(h.job) + QStringLiteral(",身份證號=")
               + sql::text(h.idNumber) + QStringLiteral(" where 卡號=") + card);
    whole.Commit();
}

std::optional<SwipeHolder> holderByPhysical(jet::Database& db, const QString& physical)
{
    jet::Recordset rs = db.OpenRecordset(
        QStringLiteral("select people.卡號,people.姓名,people.部門,people.職務,people.照片,faka.地址 from people,faka "
                       "where people.卡號=faka.卡號 and faka.物理卡號=")
            + sql::text(physical),
        jet::dbOpenSnapshot);
    if (rs.Eof())
        return std::nullopt;
    SwipeHolder h{rs.Field(0), rs.Field(1), rs.Field(2), rs.Field(3), rs.Field(4), rs.Field(5).toInt()};
    rs.Close();
    return h;
}

}  // namespace cardstore
