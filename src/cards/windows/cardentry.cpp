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

QString unsendable(const cardstore::IssuedCard& card)
{
    QStringList reasons;
    if (!frames::validCardNumber(card.card))
        reasons << QStringLiteral("卡號不是6位數字");
    if (!frames::paddedPhysical(card.physical))
        reasons << QStringLiteral("物理卡號不是1到10位數字");
    if (card.lock1Mode < 0)
        reasons << QStringLiteral("鎖一沒有選定通行方式");
    if (card.lock2Mode < 0)
        reasons << QStringLiteral("鎖二沒有選定通行方式");
    if (card.startWeekday < 0 || card.startWeekday > 7 || card.endWeekday < 0 || card.endWeekday > 7)
        reasons << QStringLiteral("星期範圍不正確");
    if (datesBeyondController(card))
        reasons << QStringLiteral("日期不在2000/01/01至2099/12/31之間");
    if (reasons.isEmpty() && !frames::AddCardFrame(cardEntry(card)))
        reasons << QStringLiteral("無法編成下載幀");
    return reasons.join(QStringLiteral("，"));
}

bool goOnWithout(const QStringList& unsent, const QString& operation)
{
    return unsent.isEmpty()
           || ui::MsgBox(QStringLiteral("以下卡無法下載到控制器：\n") + unsent.join(QLatin1Char('\n'))
                             + QStringLiteral("\n\n是否不下載這些卡，繼續") + operation + QStringLiteral("？"),
                         4 + 48 + 256)
                  == ui::vbYes;
}
