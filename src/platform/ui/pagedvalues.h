#pragma once
#include "database.h"

#include <QAbstractListModel>
#include <QComboBox>
#include <QStringList>

namespace ui {

// The distinct values of one column of a table, in the column's order, for
// the list of a combo box: read a page at a time as the list is scrolled,
// each page by one look-up on the column's index, so a box over a table of
// hundreds of thousands of rows opens as fast as one over ten. A Null value
// lists as empty text, first, as the whole distinct select would list it.
// For a box without a completer (as ui::pickBox makes them): a completer
// would read every page at once.
class PagedValues : public QAbstractListModel {
public:
    // How a page is read. Scanning takes the page's values in one distinct
    // select: right for a column whose values repeat little. Seeking finds
    // each value by one look-up of the next one on the column's index, so a
    // column of a few values over millions of rows (the addresses of the
    // swipes) lists at once; it needs an index that starts with the column,
    // and leaves Null out.
    enum class Reading { Scanning, Seeking };
    // Whether Null and blank values (nothing but spaces) are listed.
    enum class Blanks { Listed, Skipped };

    PagedValues(jet::Database& db, const QString& table, const QString& column, QObject* parent = nullptr,
                int pageSize = 200, Reading reading = Reading::Scanning, Blanks blanks = Blanks::Listed);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    QStringList nextPage();
    QStringList scannedPage();
    QStringList soughtPage();

    jet::Database& db;
    QString table;
    QString column;
    int pageSize;
    Reading reading;
    Blanks blanks;
    QStringList values;
    QVariant last;  // the last value that isn't Null
    bool started = false;
    bool complete = false;
};

// Gives the box the column's values as its list, in place of the list it
// had, and leaves its text as it stands: no signal of the box tells of the
// change.
void listValues(QComboBox* box, jet::Database& db, const QString& table, const QString& column,
                PagedValues::Reading reading = PagedValues::Reading::Scanning,
                PagedValues::Blanks blanks = PagedValues::Blanks::Listed);

}  // namespace ui
