#pragma once
#include "database.h"
#include "msgbox.h"

#include <QString>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <sys/types.h>
#include <vector>

// Texts as text in the failure messages of every test.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace testsupport {

// Answers the program's message boxes and file dialogs in place of an
// operator and keeps every question asked. Unanswered boxes get their
// default button; unanswered file dialogs are cancelled.
class Dialogs {
public:
    Dialogs();
    ~Dialogs();
    void answer(int button) { buttons.push_back(button); }
    void chooseFile(const QString& path) { files.push_back(path); }

    std::vector<ui::MessageCall> messages;
    std::vector<ui::FileDialogRequest> fileRequests;

    // Texts of the messages shown, in order.
    std::vector<QString> texts() const;
    QString last() const { return messages.empty() ? QString() : messages.back().prompt; }

private:
    std::deque<int> buttons;
    std::deque<QString> files;
};

// Each case in a program folder of its own, holding a new database file;
// the process-wide values start again from their defaults.
class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString folder() const { return dir.path(); }
    QString file(const QString& name) const;
    // Closes every handle and puts a new database file in place of the old one.
    void freshDatabase();
    // Opens the shared handle as the log-in window does.
    void openSharedDb();
    // A second handle of the test's own, to look at what the program wrote.
    jet::Database openDb() const;
    // First column of the first row of a select, or an invalid value.
    QVariant scalar(const QString& select) const;
    int count(const QString& table, const QString& where = QString()) const;
    // A statement straight on the file, for what the database layer does
    // not offer (a trigger that makes a later statement fail).
    void rawSql(const char* statement) const;

    Dialogs dialogs;

private:
    QTemporaryDir dir;
};

// 64 bytes at the start of a table's first page overwritten, as a bad
// block of the disk would leave them; the engine finds the file damaged.
void damageFirstPage(const QString& path, const QString& table);

// A function run in a child process of the test, as another program would
// run beside it. Made once the function has called its `ready`; the child
// then stays (when the function returns, idle) until kill() or until this
// goes, and never outlives the test.
class ChildProcess {
public:
    using Ready = std::function<void()>;
    explicit ChildProcess(const std::function<void(const Ready& ready)>& run);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    void kill();

private:
    pid_t pid = -1;
};

// Another program on a database file (the sqlite3 shell, a report tool, a
// script): a child process with an engine handle of its own, no lock of
// this program's. It opens the file, runs `first` and waits; each then()
// runs more statements there and gives the engine's answer, empty when they
// ran. The child goes with this.
class OtherProgram {
public:
    OtherProgram(const QString& path, const QString& first = QString());
    ~OtherProgram();
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;
    // The engine's answer to what `first` ran: empty when it ran.
    const QString& started() const { return firstAnswer; }
    QString then(const QString& statements);

private:
    pid_t pid = -1;
    int toChild = -1;
    int fromChild = -1;
    QString firstAnswer;
};

}  // namespace testsupport
