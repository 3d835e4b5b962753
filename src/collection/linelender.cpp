#include "linelender.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<LineLender*>& lenders() {
    static std::vector<LineLender*> all;
    return all;
}

}  // namespace

LineLender::LineLender(std::function<void()> lend, std::function<void()> takeBack)
    : lend(std::move(lend)), takeBack(std::move(takeBack)) {
    lenders().push_back(this);
}

LineLender::~LineLender() { lenders().erase(std::remove(lenders().begin(), lenders().end(), this), lenders().end()); }

BorrowedLine::BorrowedLine() {
    for (LineLender* l : std::vector<LineLender*>(lenders())) {
        l->lent = true;
        l->lend();
    }
}

// Only those still there: a lender gone meanwhile has nothing to take back.
BorrowedLine::~BorrowedLine() {
    for (LineLender* l : std::vector<LineLender*>(lenders()))
        if (l->lent) {
            l->lent = false;
            l->takeBack();
        }
}
