#include "fit.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QToolBar>
#include <QWidget>

namespace testsupport {

namespace {

constexpr int titleBar = 32;  // what a window manager's frame takes above a window

QString nameOf(const QWidget* w)
{
    QString text;
    if (const auto* label = qobject_cast<const QLabel*>(w))
        text = label->text();
    else if (const auto* button = qobject_cast<const QAbstractButton*>(w))
        text = button->text();
    return QStringLiteral("%1 %2 \"%3\"").arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(), text);
}

// The window's own controls: not those Qt builds inside a composite
// control (a combo box's text part, a grid's scroll bars).
QList<const QWidget*> controlsOf(const QWidget* parent)
{
    QList<const QWidget*> out;
    if (qobject_cast<const QAbstractScrollArea*>(parent) || qobject_cast<const QComboBox*>(parent) ||
        qobject_cast<const QAbstractSpinBox*>(parent) || qobject_cast<const QTabBar*>(parent) ||
        qobject_cast<const QToolBar*>(parent))
        return out;
    for (const QObject* child : parent->children()) {
        const auto* w = qobject_cast<const QWidget*>(child);
        if (!w || w->isWindow() || !w->isVisible() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        out << w;
    }
    return out;
}

void check(const QWidget* parent, QStringList& problems)
{
    const QList<const QWidget*> controls = controlsOf(parent);
    for (const QWidget* w : controls) {
        if (!parent->rect().contains(w->geometry()))
            problems << QStringLiteral("%1 lies outside %2").arg(nameOf(w), nameOf(parent));
        const bool cutShort = (qobject_cast<const QLabel*>(w) && !static_cast<const QLabel*>(w)->wordWrap() &&
                               static_cast<const QLabel*>(w)->pixmap().isNull()) ||
                              qobject_cast<const QAbstractButton*>(w);
        if (cutShort && w->width() < w->minimumSizeHint().width())
            problems << QStringLiteral("%1 is cut short: %2 of %3 pixels")
                            .arg(nameOf(w))
                            .arg(w->width())
                            .arg(w->minimumSizeHint().width());
        if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.editable = combo->isEditable();
            const int field =
                combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo).width();
            int needed = combo->fontMetrics().horizontalAdvance(QStringLiteral("99"));
            for (int i = 0; i < combo->count(); ++i)
                needed = std::max(needed, combo->fontMetrics().horizontalAdvance(combo->itemText(i)));
            if (field < needed)
                problems << QStringLiteral("%1 shows %2 of the %3 pixels of its longest item").arg(nameOf(w)).arg(field).arg(needed);
        }
        check(w, problems);
    }
    for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j)
            if (controls[i]->geometry().intersects(controls[j]->geometry()))
                problems << QStringLiteral("%1 and %2 overlap").arg(nameOf(controls[i]), nameOf(controls[j]));
}

}  // namespace

QStringList fitProblems(const QWidget* window)
{
    QStringList problems;
    const QSize frame = window->frameGeometry().size();
    // A window that fills the screen by its frame has its title bar in it.
    const bool fillsTheScreen = window->screen() && window->frameGeometry() == window->screen()->availableGeometry();
    if (!fillsTheScreen && (frame.width() > 800 || frame.height() > 600 - titleBar))
        problems << QStringLiteral("%1 is %2 x %3, more than 800 x 600 leaves it with a title bar")
                        .arg(nameOf(window))
                        .arg(frame.width())
                        .arg(frame.height());
    check(window, problems);
    return problems;
}

QList<QRect> placesOf(const QWidget* window, std::initializer_list<const QWidget*> controls)
{
    QList<QRect> out{QRect(window->pos(), window->size())};
    for (const QWidget* c : controls)
        out << QRect(c->mapToGlobal(QPoint(0, 0)), c->size());
    return out;
}

}  // namespace testsupport
