#pragma once
#include <QDateTime>
#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <functional>

class QAction;
class QLabel;
class QMenuBar;
class QStatusBar;
class QTimer;
class HelpWindow;

// The main window: the menu bar whose entries carry their entry IDs and open
// the working windows, the status bar, and the collection timer.
class menu : public QMainWindow {
    Q_OBJECT
public:
    // The one main window; the first use loads it.
    static menu* instance();
    static bool isLoaded();
    ~menu() override;

    void setEntryEnabled(int id, bool on);
    bool isEntryEnabled(int id) const;
    QAction* entry(int id) const;

    // The clock the timer and the status bar read; tests set their own.
    static void setClock(std::function<QDateTime()> clock);
    static QDateTime now();

    // The screen-mode advice is for screens smaller than 800 x 600.
    static bool screenTooSmall(const QSize& screen);

    // A menu choice, by entry ID.
    void ActiveBar1_ToolClick(int id);
    // A tick of the collection timer.
    void Timer1_Timer();

    QMenuBar* ActiveBar1;
    QStatusBar* StatusBar1;
    QLabel* Panel1;
    QLabel* Panel2;
    QTimer* Timer1;  // the collection timer

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    menu();
    void Form_Load();
    void buildMenuBar();
    void showStatusBar();
    void showCollectionOutcome();
    void placeOnScreen();

    void openWindow(int id);
    void openLockMonitor();
    void openUnattendedCollection();
    void collectOrDefer(const QDateTime& minute);
    void startDeferredCollection();
    void showHelp();
    void exitProgram();
    void waitForExchanges();
    void closeModelessWindows();

    QHash<int, QAction*> entries;
    QHash<int, QPointer<QWidget>> modeless;
    QPointer<HelpWindow> help;
    bool collectionShown = false;
    QString deferredMinute;    // "yyyy-MM-dd HH:mm" of the last minute whose run was put off
    QString deferredBecause;   // the operation a run waits for; empty when none waits
    bool closing = false;
};
