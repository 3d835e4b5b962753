#include "dbfailure.h"

#include "msgbox.h"

namespace ui {

void reportDbFailure(const jet::DbError& error)
{
    ui::MsgBox(QStringLiteral("數據庫操作失敗：\n") + error.message(), 16);
}

bool storeAtomically(jet::Database& db, const std::function<void()>& work,
                     const std::function<void(const jet::DbError&)>& failed)
{
    try {
        db.BeginTrans();
        work();
        db.CommitTrans();
        return true;
    } catch (const jet::DbError& e) {
        db.Rollback();
        failed(e);
        return false;
    }
}

}  // namespace ui
