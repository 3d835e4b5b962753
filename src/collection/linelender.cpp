#include "linelender.h"

#include <QTimer>
#include <algorithm>
#include <vector>

namespace {

std::vector<LineLender*>& lenders() {
    static std::vector<LineLender*> all;
    return all;
}

}  // namespace

LineLender::LineLender(QTimer& polling, std::function<void()> closeLine, std::function<void()> openLine)
    : polling(polling), closeLine(std::move(closeLine)), openLine(std::move(openLine)) {
    lenders().push_back(this);
}

LineLender::~LineLender() { lenders().erase(std::remove(lenders().begin(), lenders().end(), this), lenders().end()); }

void LineLender::lend() {
    lent = true;
    wasPolling = polling.isActive();
    closeLine();
}

// Should the line not open again, the monitor's polls try it anew.
void LineLender::takeBack() {
    lent = false;
    if (!wasPolling)
        return;
    openLine();
    polling.start();
}

BorrowedLine::BorrowedLine() {
    for (LineLender* l : std::vector<LineLender*>(lenders()))
        l->lend();
}

// Only those still there: a lender gone meanwhile has nothing to take back.
BorrowedLine::~BorrowedLine() {
    for (LineLender* l : std::vector<LineLender*>(lenders()))
        if (l->lent)
            l->takeBack();
}
