#include "layout.h"

#include <QVariant>
#include <QWidget>
#include <array>

namespace {

const char* const tagProperty = "Tag";
// Kept on each window, so a window never scales against another one's size.
const char* const baseWidthProperty = "basewidth";
const char* const baseHeightProperty = "baseheight";

bool isControl(const QWidget* w)
{
    const QString name = w->objectName();
    if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || w->isWindow())
        return false;
    const QWidget* parent = w->parentWidget();
    return !(parent && parent->layout());
}

QList<QWidget*> controlsOf(QWidget& window)
{
    QList<QWidget*> out;
    for (QWidget* w : window.findChildren<QWidget*>())
        if (isControl(w))
            out.append(w);
    return out;
}

// Left, top, width, height from a tag: each field is the text up to the next
// blank; a field for which no blank remains is 0.
std::array<double, 4> readTag(const QString& tag)
{
    std::array<double, 4> fields{};
    qsizetype from = 0;
    for (double& field : fields) {
        const qsizetype blank = tag.indexOf(QLatin1Char(' '), from);
        if (blank < 0)
            break;
        field = tag.mid(from, blank - from).toDouble();
        from = blank + 1;
    }
    return fields;
}

double ratio(int present, const QVariant& base)
{
    const int b = base.toInt();
    return b == 0 ? 0.0 : static_cast<double>(present) / b;
}

}  // namespace

void SaveLayout(QWidget& window)
{
    window.setProperty(baseWidthProperty, window.width());
    window.setProperty(baseHeightProperty, window.height());
    for (QWidget* w : controlsOf(window)) {
        const QRect g = w->geometry();
        w->setProperty(tagProperty, QStringLiteral("%1 %2 %3 %4 ").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height()));
    }
}

void ApplyLayout(QWidget& window)
{
    const QVariant baseWidth = window.property(baseWidthProperty);
    const QVariant baseHeight = window.property(baseHeightProperty);
    if (!baseWidth.isValid() || !baseHeight.isValid())
        return;  // the window never remembered its layout
    const double xs = ratio(window.width(), baseWidth);
    const double ys = ratio(window.height(), baseHeight);
    for (QWidget* w : controlsOf(window)) {
        const QString tag = w->property(tagProperty).toString();
        if (tag.isEmpty())
            continue;
        const auto [left, top, width, height] = readTag(tag);
        w->setGeometry(qRound(left * xs), qRound(top * ys), qRound(width * xs), qRound(height * ys));
    }
}
