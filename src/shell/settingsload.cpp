#include "settingsload.h"

#include "app.h"
#include "recordset.h"
#include "sqlvalue.h"

namespace settingsload {

namespace {

// One settings row, found by name; false when it is missing or its column is null.
class SystemRows {
public:
    explicit SystemRows(jet::Database& db) : rs(db.OpenRecordset(QStringLiteral("system"), jet::dbOpenDynaset)) {}
    ~SystemRows() { rs.Close(); }

    bool read(const QString& name, const char* column, QVariant& value)
    {
        rs.FindFirst(QStringLiteral("name=") + sql::text(name));
        if (!rs.NoMatch())
            value = rs.Field(QString::fromLatin1(column));
        const bool ok = !rs.NoMatch() && value.isValid();
        if (!ok)
            problems.append(name);
        return ok;
    }

    jet::Recordset rs;
    QStringList problems;
};

}  // namespace

QStringList loadSystemRows(jet::Database& db)
{
    SystemRows rows(db);
    QVariant v;
    if (rows.read(QStringLiteral("串口號"), "zhi", v)) {
        app::comport = static_cast<short>(v.toInt());
        const QVariant detail = rows.rs.Field(QStringLiteral("detail"));
        app::companyname = detail.isValid() ? detail.toString() : QStringLiteral("Valdren");
    }
    if (rows.read(QStringLiteral("通訊設置"), "detail", v))
        app::comset = v.toString().trimmed();
    if (rows.read(QStringLiteral("輸入緩沖區"), "zhi", v))
        app::inbufsize = static_cast<short>(v.toInt());
    if (rows.read(QStringLiteral("輸出緩沖區"), "zhi", v))
        app::outbufsize = static_cast<short>(v.toInt());
    if (rows.read(QStringLiteral("發卡机"), "zhi", v))
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
