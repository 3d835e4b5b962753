#pragma once
// A main window loaded on the shared handle of a fresh program folder, and
// stand-in windows for the menu's table.
#include "app.h"
#include "dispatch.h"
#include "menu.h"
#include "testsupport.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>

namespace shelltest {

// What the stand-in windows saw; one record per entry ID.
struct Opened {
    int made = 0;
    QPointer<QWidget> last;
};
inline std::map<int, Opened> opened;

// Run by a stand-in window once it is shown (inside a modal wait, for a
// modal one); a modal stand-in then closes itself unless this says otherwise.
inline std::function<bool(QWidget*)> onShown;

class StandIn : public QWidget {
public:
    explicit StandIn(int id) : id(id) { setObjectName(QStringLiteral("StandIn%1").arg(id)); }
    bool modalWhenShown = false;
    std::function<void()> onClose;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    int id;
};

template <int Id>
QWidget* standIn()
{
    auto* w = new StandIn(Id);
    ++opened[Id].made;
    opened[Id].last = w;
    return w;
}

class MainWindowTest : public testsupport::ProgramFolderTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads the main window, as the log-in's first use does.
    menu* load();
    // Discards the loaded main window without closing it (no compaction).
    void unload();
    // The clock the main window reads from now on.
    void setTime(const QDateTime& t);
};

}  // namespace shelltest
