#pragma once
// The query and print windows driven as an operator does, their reports
// written as PDF files and read back as text.
#include "testsupport.h"

#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QDate;
class QDateTimeEdit;
class QWidget;
namespace grid {
class BoundGrid;
}

namespace reportstest {

class QueryWindowTest : public testsupport::ProgramFolderTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Shows the window and waits until it is on the screen.
    static void showWindow(QWidget* w);
    // A click on a check box, a button.
    static void click(QWidget* control);
    // The box's text replaced by typed keys.
    static void type(QComboBox* box, const QString& text);
    // A date or time typed into a picker as digits, tabbing in and out.
    static void type(QDateTimeEdit* picker, const QString& digits);
    static void type(QDateTimeEdit* picker, const QDate& day);
    // Chooses an item from a box's open list.
    static void pick(QComboBox* box, int index);
    static QStringList items(QComboBox* box);
    // Types into a cell as the operator does: F2, the cell's text replaced
    // and Enter; then a double click and the same once more. Returns whether
    // an editor opened.
    static bool editCell(grid::BoundGrid* grid, int row, int column, const QString& text);
    // Whether any cell of the grid's first row takes an edit.
    static bool anyCellEditable(grid::BoundGrid* grid);
    // The texts of one field of every row the grid lists, in its order.
    static QStringList listed(grid::BoundGrid* grid, const QString& field);
    // The texts of one column of a table, in the order its rows were written.
    QStringList column(const QString& table, const QString& name) const;

    // A print past the long-print question: waits until the grid has
    // counted its rows, presses the print button and answers yes. Returns
    // how many rows the staging table held when the report was handed over
    // (-1 when none was); the handed report is counted, not written.
    int printLong(QWidget* button, grid::BoundGrid* grid, const QString& table);

    // A long print stopped at its bar: presses the print button, answers
    // yes, and clicks 取消 on the first bar that shows over the window.
    // Returns that bar's label and maximum (none shown: empty and -1).
    struct StoppedBar {
        QString label;
        int maximum = -1;
    };
    StoppedBar printStoppedAtItsBar(QWidget* button);

    // What the last print wrote (a PDF read back as text with its blanks
    // removed), and how many prints were shown.
    QString printedText() const;
    int prints = 0;
};

}  // namespace reportstest
