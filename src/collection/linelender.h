#pragma once
#include <functional>

class QTimer;

// The monitors keep the serial line open for as long as they are shown. The
// unattended collection borrows it from them for its run: each stops asking
// its controllers and closes its port, and takes up both again after the run.
class LineLender {
public:
    // `polling` asks the controllers while the monitor watches; `closeLine`
    // stops it and closes the port, `openLine` opens the port again.
    LineLender(QTimer& polling, std::function<void()> closeLine, std::function<void()> openLine);
    ~LineLender();
    LineLender(const LineLender&) = delete;
    LineLender& operator=(const LineLender&) = delete;

private:
    friend class BorrowedLine;
    void lend();
    void takeBack();

    QTimer& polling;
    std::function<void()> closeLine, openLine;
    bool lent = false;
    bool wasPolling = false;  // a monitor that had stopped asking stays stopped
};

// For as long as it lives, every lender has lent the line.
class BorrowedLine {
public:
    BorrowedLine();
    ~BorrowedLine();
    BorrowedLine(const BorrowedLine&) = delete;
    BorrowedLine& operator=(const BorrowedLine&) = delete;
};
