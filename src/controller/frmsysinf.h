#pragma once
#include "serialport.h"

#include <QDialog>
#include <QHash>
#include <QIcon>

class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// Controller information: the configured addresses in a tree; a click, or
// a choice by keyboard, reads that controller's information block and shows
// it as eight lines.
// Holds its serial port open while it is shown.
class FrmSysInf : public QDialog {
    Q_OBJECT
public:
    explicit FrmSysInf(QWidget* parent = nullptr);

    QLabel* Label1;
    QTreeWidget* AdrView;
    QLabel* Label2;
    QListWidget* ListView1;
    QHash<QString, QIcon> ImageList1;
    QPushButton* exitclose;
    serial::SerialPort Comm;

    QTreeWidgetItem* root() const;
    QString pictureOf(const QTreeWidgetItem* node) const;
    void AdrView_NodeClick(QTreeWidgetItem* node);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Form_Load();
    void setPicture(QTreeWidgetItem* node, const QString& key);
};
