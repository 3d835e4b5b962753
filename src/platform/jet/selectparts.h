#pragma once
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace jet {

// A select split at its top-level clauses: enough to reach its rows by the
// key of each row (its sort terms, then the row ids of its tables) instead
// of running it whole.
struct SelectParts {
    struct Table {
        QString name;  // as written, quotes and all
        QString ref;   // what its columns are qualified with: the alias, else the name
    };
    struct Term {
        QString expression;
        bool descending = false;
    };
    QStringList columns;  // the result columns as written, split at top-level commas
    QString from;         // the from clause alone, as written
    QVector<Table> tables;
    QString where;        // the condition alone; empty when there is none
    QVector<Term> order;
};

// The parts of one plain select: tables joined by commas, without distinct,
// grouping, aggregates, compound parts, limits or subqueries in from.
// Anything else gives nothing; such a select is read as a whole instead.
std::optional<SelectParts> splitSelect(const QString& sqliteSelect);

}  // namespace jet
