#include "withdraw.h"

#include "msgbox.h"

void withdrawUnstored(int address, const QString& card, const std::function<bool()>& remove)
{
    if (remove())
        ui::MsgBox(QStringLiteral("卡號 ") + card + QStringLiteral(" 未能存入數據庫，已從 ") + QString::number(address)
                       + QStringLiteral(" 號門刪除！"),
                   48);
    else
        ui::MsgBox(controllerAhead(address, card), 48);
}

QString controllerAhead(int address, const QString& card)
{
    return QStringLiteral("卡號 ") + card + QStringLiteral(" 未能存入數據庫，也未能從 ") + QString::number(address)
           + QStringLiteral(" 號門刪除：該門持有數據庫沒有記錄的卡！");
}
