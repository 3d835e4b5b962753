#include "cardentry.h"

#include "msgbox.h"

bool cardNumberRefused(const QString& card)
{
    if (frames::validCardNumber(card))
        return false;
    ui::MsgBox(QStringLiteral("卡號必須是6位自然數！"), 0);
    return true;
}

bool datesBeyondController(const cardstore::IssuedCard& card)
{
    return card.hasDateWindow() && !(frames::controllerHolds(card.startDate) && frames::controllerHolds(card.endDate));
}

frames::CardEntry cardEntry(const cardstore::IssuedCard& card)
{
    frames::CardEntry entry;
    entry.address = card.address;
    entry.physical = card.physical;
    entry.card = card.card;
    if (card.hasDateWindow()) {
        entry.startDate = card.startDate;
        entry.endDate = card.endDate;
    }
    entry.startWeekday = card.startWeekday;
    entry.endWeekday = card.endWeekday;
    if (card.hasTimeWindow()) {
        entry.startTime = card.startTime;
        entry.endTime = card.endTime;
    }
    entry.passMode1 = card.lock1Mode;
    entry.passMode2 = card.lock2Mode;
    return entry;
}
