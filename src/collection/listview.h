#pragma once
#include <QIcon>
#include <QStackedWidget>
#include <QString>
#include <QVector>

class QListView;
class QStandardItemModel;
class QTreeView;

// A list of rows with columns and a picture per row, shown in one of four
// views: large icons, small icons, a list, or the details with every
// column. Rows and columns count from 1, as the monitors name them; the
// picture of a row is a number into the list's pictures.
class ListView : public QStackedWidget {
    Q_OBJECT
public:
    enum View { lvwIcon = 0, lvwSmallIcon = 1, lvwList = 2, lvwReport = 3 };

    explicit ListView(QWidget* parent = nullptr);

    void setView(View view);
    View view() const { return current; }

    // Pictures by number, from 1.
    void setPictures(const QVector<QIcon>& pictures);

    void addColumn(const QString& caption, int width);
    int columnCount() const;
    QString columnCaption(int column) const;
    int columnWidth(int column) const;

    // Adds a row with its text (column 1) and picture; returns its number.
    int addRow(const QString& text, int picture);
    int rowCount() const;
    QString text(int row, int column) const;
    // Changes a cell only when it holds another text, so an unchanged row
    // is not drawn again.
    void setText(int row, int column, const QString& text);
    int picture(int row) const;
    void setPicture(int row, int picture);

    QTreeView* details() const { return report; }
    QListView* icons() const { return others; }

private:
    QStandardItemModel* model;
    QTreeView* report;
    QListView* others;
    QVector<QIcon> icons_;
    View current = lvwReport;
};
