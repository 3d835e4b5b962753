#pragma once
#include "boundgrid.h"
#include "reportcontrol.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

class QComboBox;
class QWidget;

// What the four query and print windows (swipes, attendance, issued cards,
// returned cards) share: joining the ticked filters, the checks of typed
// values, showing a statement's rows and printing them through a template.
namespace querywindow {

// The clauses of the ticked filters, in their order, " and " between two.
QString joined(const QStringList& clauses);

// Whether a typed address is a controller's: a whole number 0 to 99.
bool isAddress(const QString& text);

// The item picked from the box's list, -1 for text typed or left as it was
// when the list was filled (a caption such as "排序方法").
int pickedItem(const QComboBox* box);

// Shows the statement's rows. A statement the database refuses is reported
// and leaves the grid empty, so it never shows rows of an earlier query.
void show(grid::BoundGrid* grid, const QString& statement);

// Pass modes as printed: 0 "進出", 1 "進", 2 "出", 3 "禁止"; empty text
// for any other value or Null.
QString passModeText(const QVariant& mode);
// A swipe's lock and direction as printed: 1 "鎖一進", 2 "鎖一出",
// 3 "鎖二進", 4 "鎖二出"; Null for any other code.
QVariant directionText(const QVariant& flag);

// Prints what the grid lists through the template of the program folder:
// once the grid has counted its rows, asks first when they make a long
// print (saying how many rows and pages), then runs `stage` (which empties
// and refills the staging table) as one whole and shows the report.
// Nothing is printed when the staging fails or the operator declines.
void print(QWidget* window, report::ReportControl& control, grid::BoundGrid* grid, const QString& templateName,
           const std::function<void()>& stage);

// A staging column: the table's column and its value from a listed row.
struct Staged {
    QString column;
    std::function<QVariant(int row)> value;
};
// A staging column copied from the grid's field of the same name.
Staged copied(grid::BoundGrid* grid, const QString& field);

// Empties the staging table and adds one row per row the grid lists, in the
// grid's order.
void stageRows(grid::BoundGrid* grid, const QString& table, const QList<Staged>& columns);

// Rows above this count ask before they are printed.
inline constexpr int LongPrint = 10000;

}  // namespace querywindow
