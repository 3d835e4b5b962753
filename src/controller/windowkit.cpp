#include "windowkit.h"

#include "msgbox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QWidget>

namespace controller {

void hourglass(bool on) {
    static bool shown = false;
    if (on && !shown)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (!on && shown)
        QApplication::restoreOverrideCursor();
    shown = on;
}

WindowHooks windowHooks() {
    return {[](const QString& text, int style) { ui::MsgBox(text, style); }, [](bool on) { hourglass(on); }};
}

KeyFilter::KeyFilter(QWidget* box, Accept accept) : QObject(box), accept(std::move(accept)) {
    box->installEventFilter(this);
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && !accept(static_cast<QKeyEvent*>(event)))
        return true;
    return QObject::eventFilter(watched, event);
}

bool isEnter(const QKeyEvent* key) { return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter; }

bool isBackspace(const QKeyEvent* key) { return key->key() == Qt::Key_Backspace; }

QChar typed(const QKeyEvent* key) {
    if (key->text().isEmpty())
        return QChar();
    const QChar c = key->text().at(0);
    return c.isPrint() ? c : QChar();
}

QIcon drawnIcon(const QColor& fill, const QString& sign) {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(fill);
    p.setPen(fill.darker(150));
    p.drawEllipse(1, 1, 14, 14);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.drawText(picture.rect(), Qt::AlignCenter, sign);
    return QIcon(picture);
}

double leadingNumber(const QString& text) {
    static const QRegularExpression leading(QStringLiteral("^\\d*(\\.\\d*)?"));
    const QString number = leading.match(text).captured(0);
    return number == QLatin1String(".") ? 0 : number.toDouble();
}

std::optional<double> delayNumber(const QString& text) {
    static const QRegularExpression plain(QStringLiteral("^(\\d+(\\.\\d*)?|\\.\\d+)$"));
    if (!plain.match(text).hasMatch())
        return std::nullopt;
    return text.toDouble();
}

std::optional<qint64> wholeNumber(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^\\d{1,18}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    return text.toLongLong();
}

QString delayTooLong() { return QStringLiteral("門鎖延遲時間不能超過18.2秒，控制器無法設置!"); }

}  // namespace controller
