#pragma once
#include "boundgrid.h"
#include "reportcontrol.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <utility>

class QCheckBox;
class QComboBox;
class QLayout;
class QPushButton;
class QWidget;

// What the four query and print windows (swipes, attendance, issued cards,
// returned cards) share: joining the ticked filters, the checks of typed
// values, showing a statement's rows and printing them through a template.
namespace querywindow {

// The window's layout: the filters at the top, the buttons under them at
// the right, the grid taking the rest.
void layOut(QWidget* window, QLayout* filters, std::initializer_list<QPushButton*> buttons, QWidget* grid);

// The grid's columns from pairs of caption and field.
QList<grid::Column> columns(std::initializer_list<std::pair<const char*, const char*>> captionsAndFields);

// The sort list's items, none chosen, the box showing its caption.
void listOrders(QComboBox* box, const QStringList& items, const QString& caption);
// The same from a window's table of sorts: each item's text, then what it appends.
template <std::size_t N>
void listOrders(QComboBox* box, const char* const (&orders)[N][2], const QString& caption)
{
    QStringList items;
    for (const auto& order : orders)
        items << QString::fromUtf8(order[0]);
    listOrders(box, items, caption);
}

// The clauses of the ticked filters, in their order, " and " between two.
QString joined(const QStringList& clauses);
// The statement: its start, then when a filter is ticked the opening
// (" and " or " where ") and the joined clauses, then the sort.
QString statement(const QString& start, const QString& opening, const QStringList& clauses, const QString& sort);
// What the item picked from the sort list appends; nothing for typed text.
template <std::size_t N>
QString sortOf(const char* const (&orders)[N][2], const QComboBox* box);

// A range of two pickers' values (already written as literals): the equal
// form, the value and a blank when both are the same, else the between form.
QString rangeClause(const QString& equal, const QString& between, const QString& first, const QString& last);

// A filter of a typed or picked value: its clause is the column's text,
// then the trimmed value quoted, or for an address the number.
struct TextFilter {
    QCheckBox* ticked;
    QComboBox* box;
    const char* clause;
    const char* missing;  // told when the value is empty, or no address
    bool address = false;
};
// Adds the clause of every ticked filter, in the filters' order. The first
// ticked filter without a value is told (exclamation icon) and ends it:
// false, and the clauses are not to be used.
bool addClauses(QStringList& clauses, std::initializer_list<TextFilter> filters);

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
// Nothing is printed when the staging fails, the operator declines or
// cancels it; a cancelled staging leaves the table as the last print left it.
void print(QWidget* window, report::ReportControl& control, grid::BoundGrid* grid, const QString& templateName,
           const std::function<void()>& stage);

// A staging column: the table's column, the listed field it is made from,
// and how that field's value is written (copied as it stands when empty).
struct Staged {
    QString column;
    QString field;
    std::function<QVariant(const QVariant&)> written;
};
// Staging columns copied from the listed fields of the same names.
QList<Staged> copied(std::initializer_list<const char*> fields);
// A staging column of a pass mode, written as its text.
Staged passMode(const QString& field);

// Empties the staging table and adds one row per row the grid lists, in the
// grid's order. The rows are read again through the shared handle that
// writes them, so no handle of the program ever waits for another's lock
// however many rows there are. A long staging shows its progress; when the
// operator cancels it, throws Cancelled (print() takes the rows back).
void stageRows(grid::BoundGrid* grid, const QString& table, const QList<Staged>& columns);

struct Cancelled {};

// Rows above this count ask before they are printed.
inline constexpr int LongPrint = 10000;

template <std::size_t N>
QString sortOf(const char* const (&orders)[N][2], const QComboBox* box)
{
    const int item = pickedItem(box);
    return item >= 0 && std::size_t(item) < N ? QString::fromUtf8(orders[item][1]) : QString();
}

}  // namespace querywindow
