#pragma once
#include <QHash>
#include <QMainWindow>

class QAction;
class QTimer;

// The main window: the menu bar whose entries carry their entry IDs.
class menu : public QMainWindow {
    Q_OBJECT
public:
    // The one main window; the first use loads it.
    static menu* instance();
    static bool isLoaded();

    void setEntryEnabled(int id, bool on);
    bool isEntryEnabled(int id) const;
    QAction* entry(int id) const;

    QTimer* Timer1;  // the collection timer

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    menu();
    ~menu() override;
    void Form_Load();
    QHash<int, QAction*> entries;
};
