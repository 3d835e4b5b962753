#include "dbfailure.h"

#include "dberror.h"
#include "msgbox.h"

void reportDbFailure(const jet::DbError& e)
{
    ui::MsgBox(QStringLiteral("數據庫操作失敗，未能保存：\n") + e.message(), 16);
}
