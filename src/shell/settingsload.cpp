#include "settingsload.h"

#include "app.h"
#include "recordset.h"
#include "serialport.h"
#include "sqlvalue.h"

#include <functional>

namespace settingsload {

namespace {

// One settings row, found by name; false when it is missing, its column is
// null or the value is one its setting can't take.
class SystemRows {
public:
    explicit SystemRows(jet::Database& db) : rs(db.OpenRecordset(QStringLiteral("system"), jet::dbOpenDynaset)) {}
    ~SystemRows() { rs.Close(); }

    bool read(const QString& name, const char* column, QVariant& value,
              const std::function<bool(const QVariant&)>& usable)
    {
        rs.FindFirst(QStringLiteral("name=") + sql::text(name));
        if (!rs.NoMatch())
            value = rs.Field(QString::fromLatin1(column));
        const bool ok = !rs.NoMatch() && value.isValid() && usable(value);
        if (!ok)
            problems.append(name);
        return ok;
    }

    jet::Recordset rs;
    QStringList problems;
};

// A whole number within the setting's range; never cut to 16 bits.
std::function<bool(const QVariant&)> within(qint64 lowest, qint64 highest)
{
    return [=](const QVariant& v) {
        bool ok = false;
        const qint64 n = v.toLongLong(&ok);
        return ok && n >= lowest && n <= highest;
    };
}

bool lineSettings(const QVariant& v)
{
    try {
        serial::parseSettings(v.toString().trimmed());
        return true;
    } catch (const serial::PortError&) {
        return false;
    }
}

}  // namespace

QStringList loadSystemRows(jet::Database& db)
{
    SystemRows rows(db);
    QVariant v;
    // The company name shares its row with the port number, valid or not.
    if (rows.read(QStringLiteral("串口號"), "zhi", v, within(1, serial::highestPortNumber)))
        app::comport = static_cast<short>(v.toInt());
    if (!rows.rs.NoMatch()) {
        const QVariant detail = rows.rs.Field(QStringLiteral("detail"));
        app::companyname = detail.isValid() ? detail.toString() : QStringLiteral("Valdren");
    }
    if (rows.read(QStringLiteral("通訊設置"), "detail", v, lineSettings))
        app::comset = v.toString().trimmed();
    if (rows.read(QStringLiteral("輸入緩沖區"), "zhi", v, within(1, 32767)))
        app::inbufsize = static_cast<short>(v.toInt());
    if (rows.read(QStringLiteral("輸出緩沖區"), "zhi", v, within(1, 32767)))
        app::outbufsize = static_cast<short>(v.toInt());
    if (rows.read(QStringLiteral("發卡机"), "zhi", v, within(0, 99)))
        app::fkjdz = static_cast<short>(v.toInt());
    return rows.problems;
}

Schedule loadSchedule(jet::Database& db)
{
    jet::Recordset rs = db.OpenRecordset(QStringLiteral("cjtype"), jet::dbOpenTable);
    Schedule result = Schedule::Missing;
    if (!rs.Eof()) {
        const QVariant mode = rs.Field(QStringLiteral("采集類型"));
        const QVariant time = rs.Field(QStringLiteral("采集時間"));
        result = Schedule::Incomplete;
        if (mode.isValid() && time.isValid()) {
            app::cjmode = static_cast<short>(mode.toInt());
            app::cjtime = time.toString();
            result = Schedule::Loaded;
        }
    }
    rs.Close();
    return result;
}

}  // namespace settingsload
