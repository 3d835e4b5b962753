#include "windowkit.h"

#include "msgbox.h"
#include "pointer.h"

namespace controller {

WindowHooks windowHooks() {
    return {[](const QString& text, int style) { ui::MsgBox(text, style); }, [](bool on) { ui::hourglass(on); }};
}

QString delayTooLong() { return QStringLiteral("門鎖延遲時間不能超過18.2秒，控制器無法設置!"); }

}  // namespace controller
