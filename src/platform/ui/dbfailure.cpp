#include "dbfailure.h"

#include "msgbox.h"

namespace ui {

void reportDbFailure(const jet::DbError& error)
{
    ui::MsgBox(QStringLiteral("數據庫操作失敗：\n") + error.message(), 16);
}

bool storeAtomically(jet::Database& db, const std::function<void()>& work)
{
    try {
        db.BeginTrans();
        work();
        db.CommitTrans();
        return true;
    } catch (const jet::DbError& e) {
        db.Rollback();
        reportDbFailure(e);
        return false;
    }
}

}  // namespace ui
