#pragma once
#include <QString>

// Beside an address list that takes several addresses at once: what extends
// the choice and what adds one address to it (or takes it out again).
inline QString severalAddressesHint()
{
    return QStringLiteral("Shift+點擊或Shift+方向鍵：連續選擇多項\nCtrl+點擊：加選或取消一項");
}
