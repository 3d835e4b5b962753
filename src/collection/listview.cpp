#include "listview.h"

#include <QHeaderView>
#include <QListView>
#include <QStandardItemModel>
#include <QTreeView>

namespace {
constexpr int pictureRole = Qt::UserRole + 1;
}

ListView::ListView(QWidget* parent) : QStackedWidget(parent), model(new QStandardItemModel(0, 0, this)) {
    report = new QTreeView(this);
    report->setObjectName(QStringLiteral("details"));
    report->setModel(model);
    report->setRootIsDecorated(false);
    report->setUniformRowHeights(true);
    report->setEditTriggers(QAbstractItemView::NoEditTriggers);
    report->setSelectionBehavior(QAbstractItemView::SelectRows);
    report->header()->setStretchLastSection(true);
    report->header()->setSectionsMovable(false);
    others = new QListView(this);
    others->setObjectName(QStringLiteral("icons"));
    others->setModel(model);
    others->setEditTriggers(QAbstractItemView::NoEditTriggers);
    others->setResizeMode(QListView::Adjust);
    others->setMovement(QListView::Static);
    others->setWrapping(true);
    addWidget(report);
    addWidget(others);
    setView(lvwReport);
}

void ListView::setView(View view) {
    current = view;
    if (view == lvwReport) {
        setCurrentWidget(report);
        return;
    }
    others->setViewMode(view == lvwIcon ? QListView::IconMode : QListView::ListMode);
    others->setIconSize(view == lvwIcon ? QSize(32, 32) : QSize(16, 16));
    // Small icons run across the width; the list runs down its columns.
    others->setFlow(view == lvwList ? QListView::TopToBottom : QListView::LeftToRight);
    others->setWrapping(true);
    others->setGridSize(view == lvwIcon ? QSize(96, 64) : QSize());
    others->setWordWrap(view == lvwIcon);
    setCurrentWidget(others);
}

void ListView::setPictures(const QVector<QIcon>& pictures) { icons_ = pictures; }

void ListView::addColumn(const QString& caption, int width) {
    const int column = model->columnCount();
    model->insertColumn(column);
    model->setHeaderData(column, Qt::Horizontal, caption);
    report->setColumnWidth(column, width);
}

int ListView::columnCount() const { return model->columnCount(); }

QString ListView::columnCaption(int column) const {
    return model->headerData(column - 1, Qt::Horizontal).toString();
}

int ListView::columnWidth(int column) const { return report->columnWidth(column - 1); }

int ListView::addRow(const QString& text, int picture) {
    QList<QStandardItem*> cells;
    for (int c = 0; c < qMax(1, model->columnCount()); ++c)
        cells << new QStandardItem();
    cells[0]->setText(text);
    model->appendRow(cells);
    setPicture(model->rowCount(), picture);
    return model->rowCount();
}

int ListView::rowCount() const { return model->rowCount(); }

QString ListView::text(int row, int column) const {
    const QStandardItem* cell = model->item(row - 1, column - 1);
    return cell ? cell->text() : QString();
}

void ListView::setText(int row, int column, const QString& text) {
    QStandardItem* cell = model->item(row - 1, column - 1);
    if (cell && cell->text() != text)
        cell->setText(text);
}

int ListView::picture(int row) const {
    const QStandardItem* cell = model->item(row - 1, 0);
    return cell ? cell->data(pictureRole).toInt() : 0;
}

void ListView::setPicture(int row, int picture) {
    QStandardItem* cell = model->item(row - 1, 0);
    if (!cell || cell->data(pictureRole).toInt() == picture)
        return;
    cell->setData(picture, pictureRole);
    cell->setIcon(picture >= 1 && picture <= icons_.size() ? icons_[picture - 1] : QIcon());
}
