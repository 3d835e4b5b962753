#pragma once
#include "database.h"
#include "orderedrows.h"
#include "reporttemplate.h"

#include <QStringList>
#include <memory>
#include <vector>

namespace report {

// The rows of a template's staging table in table order, read a few at a
// time from where the last read ended, so no more of the table is held than
// one read brings, whatever its size.
class StagedRows {
public:
    struct Row {
        jet::RowKey key;
        QStringList texts;  // one per template column
    };

    // Throws ReportError when the table lacks a column's field, jet::DbError
    // when the file or table can't be read.
    StagedRows(const Template& layout, const QString& databaseFile);
    ~StagedRows();

    // Up to 'count' rows after the row of 'from' (from the first when null).
    std::vector<Row> after(const jet::RowKey* from, int count) const;
    qint64 count() const;

private:
    jet::Database db;
    std::unique_ptr<jet::OrderedRows> rows;
};

}  // namespace report
