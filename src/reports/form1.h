#pragma once
#include "app.h"

#include <QDialog>
#include <functional>
#include <optional>

class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

// Backup and restore of the database file. While the window is open the
// shared handle is closed (and the unattended collection held back); it
// opens again, on the restored file if there was a restore, when the
// window is left.
class Form1 : public QDialog {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Closes the shared handle.
    bool Form_Load();
    void Command1_Click();  // backup
    void Command3_Click();  // restore
    void Command2_Click();  // leave

    // The folder Dir1 shows as chosen.
    QString Dir1Path() const;
    QString targetPath() const { return target; }

    QGroupBox* Frame1;
    QComboBox* Drive1;
    QTreeView* Dir1;
    QFileSystemModel* Dir1Model;
    QLineEdit* Text2;
    QLabel* Label4;
    QPushButton* Command1;
    QPushButton* Command3;
    QPushButton* Command2;

    // However the window is left: the exit button, its close box, Escape.
    void done(int result) override;

private:
    void Drive1_Change();
    void Dir1_Change();
    void Text2_Change();
    void showFolder(const QString& folder);
    bool isRefusedTarget() const;
    // A backup is a compacted copy of the live file; a restore writes the
    // backup into the live file where it lies.
    void tellWhenDone(const std::function<QString()>& work, const QString& failed, const QString& done);
    void reopenShared();

    QString live;    // the database file, noted at load
    QString target;  // where the next backup goes; empty until a folder or name is chosen
    QString shownDrive;
    std::optional<app::CollectionHold> hold;
    bool loaded = false;
};
