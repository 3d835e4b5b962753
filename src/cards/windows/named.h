#pragma once
#include <QString>

namespace cards {

// A control under its name: the object name is the control's name, which
// the layout rescaling and the tests find it by.
template <class W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

}  // namespace cards
