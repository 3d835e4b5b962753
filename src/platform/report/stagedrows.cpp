#include "stagedrows.h"

#include "fieldtext.h"
#include "recordset.h"

#include <algorithm>

namespace report {

namespace {

// A name as the windows' dialect takes it whatever its characters.
QString bracketed(const QString& name) { return QLatin1Char('[') + name + QLatin1Char(']'); }

}  // namespace

StagedRows::StagedRows(const Template& layout, const QString& databaseFile) : db(jet::OpenDatabase(databaseFile))
{
    const QStringList names = db.OpenRecordset(layout.table, jet::dbOpenTable).FieldNames();
    QStringList fields;
    for (const Column& c : layout.columns) {
        const auto at = std::find_if(names.begin(), names.end(), [&](const QString& n) {
            return n.compare(c.field, Qt::CaseInsensitive) == 0;
        });
        if (at == names.end())
            throw ReportError(QStringLiteral("資料表 %1 中沒有欄位「%2」").arg(layout.table, c.field));
        fields << bracketed(*at);
    }
    rows = jet::openOrderedRows(db, QStringLiteral("select ") + fields.join(QLatin1Char(',')) + QStringLiteral(" from ")
                                        + bracketed(layout.table));
}

StagedRows::~StagedRows() = default;

std::vector<StagedRows::Row> StagedRows::after(const jet::RowKey* from, int count) const
{
    std::vector<Row> read;
    std::vector<jet::KeyedRow> keyed = rows->after(from, count);
    read.reserve(keyed.size());
    for (jet::KeyedRow& row : keyed) {
        QStringList texts;
        texts.reserve(row.values.size());
        for (const QVariant& value : row.values)
            texts << jet::fieldText(value);
        read.push_back({std::move(row.key), std::move(texts)});
    }
    return read;
}

qint64 StagedRows::count() const { return rows->count(); }

}  // namespace report
