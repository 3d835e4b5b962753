#include "dbfailure.h"

#include "msgbox.h"

namespace ui {

namespace {

const QString failed = QStringLiteral("數據庫操作失敗：");

}  // namespace

void reportDbFailure(const jet::DbError& error)
{
    ui::MsgBox(failed + QLatin1Char('\n') + error.message(), 16);
}

QString dbFailureText(const jet::DbError& error) { return failed + error.reason(); }

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
