#pragma once
#include <functional>

// The monitors keep the serial line open for as long as they are shown. The
// unattended collection borrows it from them for its run: each stops asking
// its controllers and closes its port, and takes up both again after the run.
class LineLender {
public:
    LineLender(std::function<void()> lend, std::function<void()> takeBack);
    ~LineLender();
    LineLender(const LineLender&) = delete;
    LineLender& operator=(const LineLender&) = delete;

private:
    friend class BorrowedLine;
    std::function<void()> lend, takeBack;
    bool lent = false;
};

// For as long as it lives, every lender has lent the line.
class BorrowedLine {
public:
    BorrowedLine();
    ~BorrowedLine();
    BorrowedLine(const BorrowedLine&) = delete;
    BorrowedLine& operator=(const BorrowedLine&) = delete;
};
